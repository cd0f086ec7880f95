// mConsiste_Inclui_JOB: checks a job request before anything is written.
// The checks may rewrite the host's variables: filtered texts, an empty
// start date, and the e-mail fields emptied when no e-mail is wanted.
#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "infra/value_checks.h"
#include "tpl/conversions.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a consistência dos dados para a inclusão do JOB não disponível. Favor tentar mais "
    "tarde.",
    " Vrl_JOGB.mConsiste_Inclui_JOB ( "};

constexpr int16_t kTitleLength = 100;
constexpr int16_t kRecipientLength = 100;
constexpr int16_t kTextLength = 255;

// An empty start date means that the job may start at once.
bool CheckStartDate(Variant& start_date, Variant& message) {
  if (TrimmedText(start_date).empty()) {
    start_date = Variant("");
    return true;
  }
  if (!IsDate(start_date)) {
    message = Variant("Informe uma data de início válida.");
    return false;
  }
  return true;
}

}  // namespace

bool mConsiste_Inclui_JOB(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                               int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                               Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                               Variant& InVntFlag_Envia_EMail, Variant& InVntTexto_EMail,
                               Variant& InVntEndereco_EMail, Variant& InVntData_Inicio) {
  const Variant user = Variant::Long(InLngUsuario_Internet_ID);
  const Variant mandatory("S");
  const Variant optional("N");
  const Variant none("");
  std::string sql;
  return RunRoutine(
      kTrap, sql, Variant(InStrBanco_Dados), Variant(instrConecta_db), user, outvntMsg_Ret, [&] {
        if (!gConsiste_Inteiro(Variant("Código da Função"), InVntFuncao_ID, Variant::Integer(1),
                               none, user, outvntMsg_Ret, mandatory))
          return false;
        if (!gConsiste_String(Variant("Envia E-Mail (S/N)"), InVntFlag_Envia_EMail,
                              Variant::Integer(1), user, outvntMsg_Ret, mandatory))
          return false;
        if (!CheckStartDate(InVntData_Inicio, outvntMsg_Ret)) return false;

        if (!TextEquals(InVntFlag_Envia_EMail, "S")) {
          InVntTitulo_EMail = Variant("");
          InVntEndereco_EMail = Variant("");
          InVntTexto_EMail = Variant("");
          return true;
        }
        return gConsiste_String(Variant("Título do E-Mail"), InVntTitulo_EMail,
                                Variant::Integer(kTitleLength), user, outvntMsg_Ret, mandatory) &&
               gConsiste_String(Variant("Destinatário do E-Mail"), InVntEndereco_EMail,
                                Variant::Integer(kRecipientLength), user, outvntMsg_Ret,
                                mandatory) &&
               gConsiste_String(Variant("Texto do E-Mail"), InVntTexto_EMail,
                                Variant::Integer(kTextLength), user, outvntMsg_Ret, optional);
      });
}

}  // namespace tpl
