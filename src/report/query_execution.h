// Execution of a prepared report query into the result matrix, with its
// time-out and additional matrices; the generation log of the run (an entry
// opened before the query runs and closed after it, by
// SP_KMB_GRAVA_LOG_TEMPLATE_DINAMICO); and the hand-over of the query to the
// database side, which runs it later and e-mails the result to the user
// (Sp_061_Envia_Rel_Din_Email02).
#pragma once

#include <cstdint>
#include <string>

#include "conventions/call_context.h"
#include "database/recordset.h"
#include "tpl/variant.h"

namespace tpl {

// With `log_id` 0 opens a new entry and puts its identifier there; with an
// identifier, closes that entry. A procedure that answers no row leaves
// `log_id` unchanged. False only after a trapped failure.
bool mGrava_Log_Template_Dinamico(const CallContext& call, const Variant& template_id,
                                  int32_t& log_id);

std::string GenerationLogCommand(const Variant& user, const Variant& template_id, int32_t log_id);

// Records the request through Sp_061_Envia_Rel_Din_Email02. False with the
// procedure's MsgRet when it refuses (Retorno not 0), or after a trapped
// failure.
bool mEnvia_Rel_Din_Email(const CallContext& call, const Variant& query,
                          const Variant& title);

// The EXEC text: the query's apostrophes travel as "##" (the procedure
// restores them).
std::string EmailRequestCommand(const Variant& user, const Variant& query, const Variant& title);

// Runs the query and fills the counts (line count N + 2, column count
// F + 1, as Longs), the result matrix and, when the batch returned further
// row sets, a new dictionary of additional matrices. False, with the
// message, for an empty result, an e-mail request (flag "S", or a server
// time-out when parameter 15000 is "S"), or a trapped failure; the counts
// and the matrix are then untouched unless the failure came after them.
bool mExecutar_Query(const CallContext& call, const Variant& query, Variant& line_count,
                     Variant& column_count, Variant& matrix, const Variant& title,
                     const Variant& template_id, Variant& additional, const Variant& email_flag);

// Adds one matrix per non-empty row set, from the current one on, to the
// dictionary held by `additional`, keyed "RS0", "RS1", ...
bool mMonta_ArrayMatriz_Adicional(const CallContext& call, db::Recordset& recordset,
                                  Variant& additional);

// The text sent to the database: the session prelude, then the query.
std::string ReportCommandText(const std::string& query);

}  // namespace tpl
