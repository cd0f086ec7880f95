// mMonta_Parametro: the job parameter text that the job processor reads,
// the job identifier, "__JOB__", then "__" and each parameter in order:
// job 123 with parameters A and B gives 123__JOB____A__B.
#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a montagem dos parâmetros do JOB não disponível. Favor tentar mais tarde.",
    " Vrl_JOGB.mMonta_Parametro ( "};

}  // namespace

bool mMonta_Parametro(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                           int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                           Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                           std::string& OutStrParametros, int32_t& inlngLOG_GERADOR_ID) {
  std::string sql;
  return RunRoutine(
      kTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db),
      Variant::Long(InLngUsuario_Internet_ID), outvntMsg_Ret, [&] {
        // The count is host data: a text count is read as a number, and
        // one beyond the array's end fails like any other bad subscript.
        const double last = CDbl(Subtract(InVntTam_Arr_Parametro, Variant::Integer(1)));
        std::string text = std::to_string(inlngLOG_GERADOR_ID) + "__JOB__";
        for (int32_t index = 0; index <= last; ++index) {
          text += "__" + TextOrEmpty(InArrVntParametro.AsArray().at(index));
        }
        OutStrParametros = text;
        return true;
      });
}

}  // namespace tpl
