// Execution of a prepared report query into the result matrix, with its
// time-out, generation log and additional matrices, or its hand-over to
// e-mail delivery.
#pragma once

#include "platform/database/recordset.h"
#include "tpl/variant.h"

namespace tpl {

// Runs the query and fills the counts (line count N + 2, column count
// F + 1, as Longs), the result matrix and, when the batch returned further
// row sets, a new dictionary of additional matrices. False, with the
// message, for an empty result, an e-mail request (flag "S", or a server
// time-out when parameter 15000 is "S"), or a trapped failure; the counts
// and the matrix are then untouched unless the failure came after them.
bool mExecutar_Query(const Variant& connection_string, const Variant& user, Variant& message,
                     const Variant& database_kind, const Variant& query, Variant& line_count,
                     Variant& column_count, Variant& matrix, const Variant& title,
                     const Variant& template_id, Variant& additional, const Variant& email_flag);

// Adds one matrix per non-empty row set, from the current one on, to the
// dictionary held by `additional`, keyed "RS0", "RS1", ...
bool mMonta_ArrayMatriz_Adicional(const Variant& connection_string, const Variant& database_kind,
                                  const Variant& user, db::Recordset& recordset, Variant& message,
                                  Variant& additional);

// The text sent to the database: the session prelude, then the query.
std::string ReportCommandText(const std::string& query);

}  // namespace tpl
