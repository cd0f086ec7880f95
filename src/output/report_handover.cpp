// Hand-over of a report that is too large for the screen, or was asked for
// as a file, to the background job processor: the job carries the
// template, the titles, the filter values and the user's e-mail address.
#include <string>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "output/report_handover.h"
#include "database/recordset.h"
#include "tpl/conversions.h"
#include "tpl/text.h"
#include "output/job_registration.h"

namespace tpl {
namespace {

constexpr int32_t kTextFileFunction = 3016;
constexpr int32_t kSpreadsheetFunction = 80712;
constexpr int32_t kJobParameterCount = 7;

// The address used when the user has none, unless the deployment set its
// own in the system parameter.
constexpr const char* kDefaultSupportMailbox = "suporte@localhost";

std::string SupportMailbox(const CallContext& call) {
  Variant value("");
  Variant scratch;
  mBusca_Tab_Parametro_Sistema(CallContext(call, scratch), system_parameters::kSupportMailbox,
                               value);
  std::string address = TrimmedText(value);
  return address.empty() ? kDefaultSupportMailbox : address;
}

}  // namespace

std::string EmailLookupQuery(bool supplier_groups, int32_t user) {
  std::string sql;
  if (supplier_groups) {
    sql = std::string(" SELECT ISNULL(PESSOA.EMAIL, GRUPO_FORNECEDOR.EMAIL) EMAIL ") +
          " From USUARIO " +
          " LEFT JOIN COLABORADOR ON USUARIO.COLABORADOR_ID  = COLABORADOR.COLABORADOR_ID " +
          " LEFT JOIN PESSOA ON PESSOA.PESSOA_ID        = COLABORADOR.PESSOA_ID " +
          " LEFT JOIN GRUPO_FORNECEDOR ON USUARIO.GRUPO_FORNECEDOR_ID  = "
          "GRUPO_FORNECEDOR.GRUPO_FORNECEDOR_ID " +
          " WHERE USUARIO.USUARIO_ID = ";
  } else {
    sql = std::string(" SELECT PESSOA.EMAIL ") + " From PESSOA" +
          " INNER JOIN COLABORADOR ON PESSOA.PESSOA_ID        = COLABORADOR.PESSOA_ID " +
          " INNER JOIN USUARIO ON USUARIO.COLABORADOR_ID      = COLABORADOR.COLABORADOR_ID " +
          " WHERE USUARIO.USUARIO_ID = ";
  }
  return sql + std::to_string(user);
}

std::string FilterValuesText(const Variant& filters, const Variant& line_count) {
  double lines = CDbl(mNormaliza_Numero(line_count));
  if (lines <= 0) return {};
  const Array& matrix = filters.AsArray();
  std::string text;
  for (int32_t row = 0; row <= lines - 1; ++row) text += TrimmedText(matrix.at(row, 6)) + "@@@";
  return Replace(text, "'", "");
}

bool gGera_Arquivo_EDI(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                       Variant& vntTitulo_Tela, Variant& vntSub_Titulo_Tela,
                       Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                       Variant& OutVntarrvntMatriz, Variant& invntTemplate_id,
                       Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao) {
  bool not_handed_over = true;
  std::string no_sql;
  RunRoutine(traps::kGeraArquivoTrap, no_sql, call, [&] {
    if (mVerifica_JOBs(call, vntTitulo_Tela, vntSub_Titulo_Tela, InVntQtde_Lin_Matriz_Filtro,
                       InVntQtde_Col_Matriz_Filtro, OutVntarrvntMatriz, InVntQuery,
                       InVntarrMatrizFiltros, invntTemplate_id, INFlag_Opcoes_Exportacao,
                       INvntTipo_Exibicao))
      not_handed_over = false;
    return true;
  });
  return not_handed_over;
}

bool mVerifica_JOBs(const CallContext& call, Variant& vntTitulo_Tela, Variant& vntSub_Titulo_Tela,
                    Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                    Variant& /*OutVntarrvntMatriz*/, Variant& /*InVntQuery*/,
                    Variant& InVntarrMatrizFiltros, Variant& invntTemplate_id,
                    Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao) {
  std::string sql;
  return RunRoutine(
      traps::kVerificaJobsTrap, sql, call, [&] {
        Variant supplier_groups("");
        if (!mBusca_Tab_Parametro_Sistema(call, system_parameters::kSupplierGroupLookup,
                                          supplier_groups))
          return false;

        sql = EmailLookupQuery(TextEquals(supplier_groups, "S"), CLng(call.user()));
        db::Recordset recordset;
        recordset.Open(sql, CStr(call.connection_string()), call.limits());
        std::string address = TextOrEmpty(recordset.Value("EMAIL"));
        recordset.Close();
        if (Trim(address).empty()) address = SupportMailbox(call);

        Array parameters = Array::Vector(kJobParameterCount - 1);
        parameters.at(0) = vntTitulo_Tela;
        parameters.at(1) = vntSub_Titulo_Tela;
        parameters.at(2) = InVntQtde_Lin_Matriz_Filtro;
        parameters.at(3) = InVntQtde_Col_Matriz_Filtro;
        parameters.at(4) = Variant(address);
        parameters.at(5) = invntTemplate_id;
        parameters.at(6) = Variant(FilterValuesText(InVntarrMatrizFiltros,
                                                    InVntQtde_Lin_Matriz_Filtro));

        bool text_file =
            TrimmedText(INFlag_Opcoes_Exportacao) == "S" && TextEquals(INvntTipo_Exibicao, "TXT");
        Variant function = Variant::Long(text_file ? kTextFileFunction : kSpreadsheetFunction);
        Variant title(""), flag("N"), job_id, parameter_array(std::move(parameters));
        Variant size = Variant::Long(kJobParameterCount);
        Variant text(""), recipient(address), start(""), sender(""), attachment("");
        return gInclui_JOB(call, function, title, flag, job_id, parameter_array, size, text,
                           recipient, start, sender, attachment);
      });
}

}  // namespace tpl
