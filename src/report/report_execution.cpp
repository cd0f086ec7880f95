// gExecutar_Query: runs a report for the host. The user's filter values are
// checked and substituted, the query runs into the result matrix, and the
// screen limits decide whether the matrix goes back to the host or the
// report is handed to a background job that e-mails it.
#include <string>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "report/filters.h"
#include "report/query_execution.h"
#include "report/query_preparation.h"
#include "tpl/conversions.h"
#include "report/report_execution.h"
#include "output/report_handover.h"

namespace tpl {
namespace {

bool IsExportKind(const Variant& display) {
  return TextEquals(display, "Excel") || TextEquals(display, "TXT");
}

// The sentence shown when the report goes to the background.
std::string HandOverSentence(bool export_asked, const Variant& display) {
  if (export_asked && TextEquals(display, "Excel"))
    return std::string(sentences::kSpreadsheetSent);
  if (export_asked && TextEquals(display, "TXT"))
    return std::string(sentences::kTextFileSent);
  return std::string(sentences::kTooLargeForScreen);
}

}  // namespace

Variant gExecutar_Query(const CallContext& call, Variant& InVntQuery,
                        Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                        Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutvntQtde_Lin_Matriz,
                        Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                        Variant& vntfLAG_gERA_EXCEL, Variant& vntTitulo_Tela,
                        Variant& vntSub_Titulo_Tela, Variant& invntTemplate_id,
                        Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao,
                        Variant& dicArrayMatriz, Variant& InVntFlag_Envio_Email) {
  return RunMethod(traps::kExecutarQueryTrap, call, [&] {
    if (!mConsiste_Filtros(call, InVntQuery, InVntarrMatrizFiltros, InVntQtde_Lin_Matriz_Filtro,
                           InVntQtde_Col_Matriz_Filtro))
      return false;
    if (!mPrepara_Query(call, InVntQuery, InVntarrMatrizFiltros, InVntQtde_Lin_Matriz_Filtro,
                        InVntQtde_Col_Matriz_Filtro))
      return false;
    if (!mExecutar_Query(call, InVntQuery, OutvntQtde_Lin_Matriz, OutvntQtde_Col_Matriz,
                         OutVntarrvntMatriz, vntTitulo_Tela, invntTemplate_id, dicArrayMatriz,
                         InVntFlag_Envio_Email))
      return false;

    // A missing row leaves the empty text, which reads as 0: every
    // non-empty result then goes to the background.
    Variant max_lines("");
    Variant max_columns("");
    if (!mBusca_Tab_Parametro_Sistema(call, system_parameters::kMaxScreenLines, max_lines))
      return false;
    if (!mBusca_Tab_Parametro_Sistema(call, system_parameters::kMaxScreenColumns, max_columns))
      return false;
    int16_t line_limit = CInt(mNormaliza_Numero(max_lines));
    int32_t column_limit = CLng(mNormaliza_Numero(max_columns));

    vntfLAG_gERA_EXCEL = Variant("N");
    bool export_asked = TrimmedText(INFlag_Opcoes_Exportacao) == "S";
    bool large = CompareWithNumber(OutvntQtde_Lin_Matriz, line_limit) > 0 ||
                 CompareWithNumber(OutvntQtde_Col_Matriz, double(column_limit) + 1) > 0 ||
                 (export_asked && IsExportKind(INvntTipo_Exibicao));
    if (!large) return true;

    vntfLAG_gERA_EXCEL = Variant("S");
    call.message() = Variant(HandOverSentence(export_asked, INvntTipo_Exibicao));
    if (!gGera_Arquivo_EDI(call, InVntQuery, InVntarrMatrizFiltros, vntTitulo_Tela,
                           vntSub_Titulo_Tela, InVntQtde_Lin_Matriz_Filtro,
                           InVntQtde_Col_Matriz_Filtro, OutVntarrvntMatriz, invntTemplate_id,
                           INFlag_Opcoes_Exportacao, INvntTipo_Exibicao))
      return false;  // the job is registered: the host shows the sentence
    // The hand-over did not happen: the matrix is shown instead, unless an
    // export kind came without the export flag.
    return !(!export_asked && IsExportKind(INvntTipo_Exibicao));
  });
}

}  // namespace tpl
