// gGrava_Template and the routines that write a template: header, query
// pieces, filters and group links, all on the caller's connection inside
// its transaction.
#include "templates/template_saving.h"

#include <string>

#include "database/recordset.h"
#include "database/connection.h"
#include "report/filters.h"
#include "report/query_test.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "conventions/message_log.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "templates/template_procedures.h"
#include "templates/template_validation.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// The query is stored in pieces of this many characters, at most this many
// pieces (so 40,000 characters; the rest is not stored).
constexpr size_t kQueryPieceLength = 4000;
constexpr int kMostQueryPieces = 10;

constexpr int32_t kNameSize = 30;
constexpr int32_t kTitleSize = 100;
constexpr int32_t kCodeSize = 8;
constexpr int32_t kFlagSize = 1;
constexpr int32_t kCaptionSize = 32;
constexpr int32_t kPlaceholderSize = 255;
constexpr int32_t kTypeCodeSize = 5;

// A value without surrounding blanks; Null stays Null.
Variant TrimmedValue(const Variant& value) {
  return value.IsNull() ? value : Variant(Trim(TextOrEmpty(value)));
}

bool PositiveIdentifier(const Variant& template_id) {
  return CompareWithNumber(mNormaliza_Numero(template_id), 0).value_or(0) > 0;
}

// Stores the query in consecutive pieces of 4000 characters, cut without
// changing a character. Storing stops at the first piece that is empty or
// only blanks, and after the tenth piece.
void StoreQueryPieces(db::Connection& connection, const Variant& template_id,
                      const Variant& query, const Variant& user, std::string& sql) {
  const std::string text = TextOrEmpty(query);
  if (Trim(text).empty()) return;
  size_t position = 1;
  int pieces = 0;
  while (position > 0 && PositiveIdentifier(template_id)) {
    std::string piece = Mid(text, position, kQueryPieceLength);
    if (!Trim(piece).empty()) {
      sql = "SP_KMB_INCLUI_TEMPLATE_QUERY02";
      ProcedureCall(connection, sql)
          .Integer("pTEMPLATE_ID", template_id)
          .Text("pTXT_QUERY", static_cast<int32_t>(kQueryPieceLength), Variant(std::move(piece)))
          .Integer("pUSUARIO_ID", user)
          .Run();
      position += kQueryPieceLength;
    } else {
      position = 0;
    }
    if (++pieces == kMostQueryPieces) position = 0;
  }
}

// Inserts every filter row and writes each new identifier into column 0.
bool InsertFilters(db::Connection& connection, const CallContext& call, const Variant& template_id,
                   const TemplateContent& content) {
  const int16_t last = LastFilterRow(content.filter_line_count);
  for (int32_t row = 0; row <= last; ++row) {
    Array& filters = content.filter_matrix.AsArray();
    Variant new_id;
    if (!mInclui_Filtro_Template(connection, call, template_id, filters.at(row, 1),
                                 filters.at(row, 2), filters.at(row, 3), filters.at(row, 4),
                                 filters.at(row, 5), new_id))
      return false;
    content.filter_matrix.AsArray().at(row, 0) = std::move(new_id);
  }
  return true;
}

bool LinkGroups(db::Connection& connection, const CallContext& call, const Variant& template_id,
                const TemplateContent& content) {
  const int16_t last = LastFilterRow(content.group_line_count);
  for (int32_t row = 0; row <= last; ++row) {
    if (!mInclui_Grupo_Usuario_X_Template(connection, call, template_id,
                                          content.group_matrix.AsArray().at(row, 0)))
      return false;
  }
  return true;
}

}  // namespace

bool mInclui_Template(db::Connection& connection, const CallContext& call, Variant& template_id,
                      const TemplateContent& content) {
  std::string sql;
  return RunRoutine(traps::kIncluiTemplateTrap, sql, call, [&] {
    const Variant normalised_user = mNormaliza_Numero(call.user());
    const bool oracle =
        IsDatabaseKind(call.database_kind(), DatabaseKind::Oracle, KindComparison::Exact);
    sql = oracle ? "SP_KMB_INCLUI_TEMPLATE02" : "SP_KMB_INCLUI_TEMPLATE03";
    ProcedureCall header(connection, sql);
    if (oracle) header.IntegerOutput("pTEMPLATE_ID");
    header.Text("pNOME_RELATORIO", kNameSize, content.name)
        .Text("pTITULO", kTitleSize, TrimmedValue(content.title))
        .Text("pSUB_TIT_FILTROS", kTitleSize, TrimmedValue(content.subtitle))
        .Integer("pUSUARIO_ID", normalised_user)
        .Text("pSigla", kCodeSize, TrimmedValue(content.code))
        .Text("pFlag_Envio_Email", kFlagSize, TrimmedValue(content.email_flag));
    db::Recordset answer = header.Run();
    template_id = oracle ? mTrata_Nulo(header.Output("pTEMPLATE_ID"))
                         : mNormaliza_Numero(answer.Value("TEMPLATE_DINAMICO_ID"));

    StoreQueryPieces(connection, template_id, content.query, normalised_user, sql);
    return InsertFilters(connection, call, template_id, content) &&
           LinkGroups(connection, call, template_id, content);
  });
}

bool mAltera_Template(db::Connection& connection, const CallContext& call,
                      const Variant& template_id, const TemplateContent& content) {
  std::string sql;
  return RunRoutine(traps::kAlteraTemplateTrap, sql, call, [&] {
    sql = "SP_KMB_ALTERA_TEMPLATE02";
    ProcedureCall(connection, sql)
        .Integer("pTEMPLATE_ID", template_id)
        .Text("pNOME_RELATORIO", kNameSize, TrimmedValue(content.name))
        .Text("pTITULO", kTitleSize, TrimmedValue(content.title))
        .Text("pSUB_TIT_FILTROS", kTitleSize, TrimmedValue(content.subtitle))
        .Integer("pUSUARIO_ID", call.user())
        .Text("pSigla", kCodeSize, TrimmedValue(content.code))
        .Text("pFlag_Envio_Email", kFlagSize, TrimmedValue(content.email_flag))
        .Run();

    sql = "SP_KMB_EXCLUI_TEMPLATE_QUERY01";
    ProcedureCall(connection, sql)
        .Integer("pTEMPLATE_ID", template_id)
        .Integer("pUSUARIO_ID", call.user())
        .Run();
    StoreQueryPieces(connection, template_id, content.query, call.user(), sql);

    if (!mExclui_Filtro_Template(connection, call, template_id)) return false;
    if (!InsertFilters(connection, call, template_id, content)) return false;
    if (!mExclui_Grupo_Usuario_X_Template(connection, call, template_id)) return false;
    return LinkGroups(connection, call, template_id, content);
  });
}

bool mInclui_Filtro_Template(db::Connection& connection, const CallContext& call,
                             const Variant& template_id, const Variant& caption,
                             const Variant& placeholder, const Variant& type_code,
                             const Variant& mandatory, const Variant& largest_interval,
                             Variant& new_id) {
  std::string sql = "SP_KMB_INCLUI_FILTRO_TEMP03";
  return RunRoutine(traps::kIncluiFiltroTemplateTrap, sql, call, [&] {
    // Only "S" marks a mandatory filter here, not the 1 that reading gives.
    const int32_t mandatory_flag = TrimmedText(mandatory) == "S" ? 1 : 0;
    db::Recordset answer = ProcedureCall(connection, sql)
                               .Integer("pTEMPLATE_ID", template_id)
                               .Text("pNOME_EXTERNO", kCaptionSize, caption)
                               .Text("pCOLUNA_SELEC", kPlaceholderSize, placeholder)
                               .FixedText("pFLAG_FORMATO_TELA", kTypeCodeSize, type_code)
                               .Integer("pINDICATIVO_OBRIGATORIO", Variant::Long(mandatory_flag))
                               .Integer("pDIFERENCA_DE_ATE", mNormaliza_Numero(largest_interval))
                               .Integer("pUSUARIO_ID", mNormaliza_Numero(call.user()))
                               .Run();
    if (!answer.IsOpen() || answer.Eof()) {
      call.message() = Variant(sentences::kTemplateNotFound);
      return false;
    }
    new_id = mTrata_Nulo(answer.Value("COLUNA_ID"));
    return true;
  });
}

bool mExclui_Filtro_Template(db::Connection& connection, const CallContext& call,
                             const Variant& template_id) {
  std::string sql = "SP_KMB_EXCLUI_FILTRO_TEMP01";
  return RunRoutine(traps::kExcluiFiltroTemplateTrap, sql, call, [&] {
    ProcedureCall(connection, sql)
        .Integer("pTEMPLATE_ID", template_id)
        .Integer("pUSUARIO_ID", call.user())
        .Run();
    return true;
  });
}

bool mInclui_Grupo_Usuario_X_Template(db::Connection& connection, const CallContext& call,
                                      const Variant& template_id, const Variant& group_id) {
  std::string sql = "SP_KMB_INC_GRP_USU_X_TEMPLATE1";
  return RunRoutine(traps::kIncluiGrupoTemplateTrap, sql, call, [&] {
    ProcedureCall(connection, sql)
        .Integer("pGRUPO_USUARIO_ID", group_id)
        .Integer("pTEMPLATE_ID", template_id)
        .Integer("pUSUARIO_ID", call.user())
        .Run();
    return true;
  });
}

bool mExclui_Grupo_Usuario_X_Template(db::Connection& connection, const CallContext& call,
                                      const Variant& template_id) {
  std::string sql = "SP_KMB_EXC_GRP_USU_X_TEMPLATE1";
  return RunRoutine(traps::kExcluiGrupoTemplateTrap, sql, call, [&] {
    ProcedureCall(connection, sql)
        .Integer("pTEMPLATE_ID", template_id)
        .Integer("pUSUARIO_ID", call.user())
        .Run();
    return true;
  });
}

Variant gGrava_Template(const CallContext& call, Variant& IOVntTemplate_ID,
                        Variant& InVntNome_Relatorio, Variant& InVntTitulo, Variant& InVntSubtitulo,
                        Variant& InVntQuery, Variant& InVntQtde_Lin_Grupo_Usuario,
                        Variant& /*InVntQtde_Col_Grupo_Usuario*/,
                        Variant& InVntArr_Matriz_Grupo_Usuario,
                        Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                        Variant& InVntArrMatriz_Filtro, Variant& OutVntSigla,
                        Variant& InVntFlag_Envio_Email) {
  return RunMethod(traps::kGravaTemplateTrap, call, [&] {
    // One connection and one transaction for every write of the call;
    // leaving without Commit rolls everything back. The log rows of the
    // routines' traps are written after the transaction has ended.
    MessageLogHold log_hold(call);
    db::Connection connection(CStr(call.connection_string()), call.limits());
    db::TransactionScope transaction(connection);

    if (!mConsiste_Campos(call, InVntNome_Relatorio, InVntTitulo, InVntSubtitulo, InVntQuery,
                          InVntQtde_Lin_Grupo_Usuario, InVntQtde_Lin_Matriz_Filtro,
                          InVntQtde_Col_Matriz_Filtro, InVntArrMatriz_Filtro, OutVntSigla))
      return false;
    if (TrimmedText(InVntFlag_Envio_Email) != "S" &&
        !mTesta_Query(call, InVntQuery, InVntQtde_Lin_Matriz_Filtro, InVntQtde_Col_Matriz_Filtro,
                      InVntArrMatriz_Filtro))
      return false;

    const TemplateContent content{InVntNome_Relatorio,          InVntTitulo,
                                  InVntSubtitulo,               InVntQuery,
                                  InVntQtde_Lin_Grupo_Usuario,  InVntArr_Matriz_Grupo_Usuario,
                                  InVntQtde_Lin_Matriz_Filtro,  InVntQtde_Col_Matriz_Filtro,
                                  InVntArrMatriz_Filtro,        OutVntSigla,
                                  InVntFlag_Envio_Email};
    const bool creating =
        CompareWithNumber(mNormaliza_Numero(IOVntTemplate_ID), 0).value_or(1) == 0;
    const bool saved = creating ? mInclui_Template(connection, call, IOVntTemplate_ID, content)
                                : mAltera_Template(connection, call, IOVntTemplate_ID, content);
    if (!saved) return false;
    transaction.Commit();
    return true;
  });
}

}  // namespace tpl
