// Reading of everything an executed statement returned: each statement of
// the batch that returns columns gives one fully fetched row set, an empty
// one included; statements that return no columns give none.
//
// Cells are read one by one into Variants, in increasing column order, as
// SQLGetData requires of most drivers; NULL gives Variant::Null(). Dates
// arrive as ODBC date and time structures and become the platform's serial
// Date (output parameters are read back with the same conversion).
#pragma once

#include <sql.h>
#include <sqltypes.h>

#include <optional>
#include <vector>

#include "database/provider.h"
#include "database/odbc/odbc_provider.h"
#include "tpl/variant.h"

namespace tpl::db::odbc {

struct ResultReadingOptions {
  // Look numeric scales the driver does not report up in the catalog.
  bool look_up_declared_scales = false;
};

// A failure once a row set has been read does not raise: it becomes the
// last row set's deferred_failure (see provider.h).
std::vector<ResultSet> ReadAllResultSets(const OdbcSession& session, const StatementHandle& statement,
                                         ResultReadingOptions options);

// Reads the first row set the statement returned in blocks, handing each
// to `receive` as it is fetched (see Provider::ExecuteInBlocks). Without
// `following` the statements after it are not read; with it their row sets
// are read whole into it, behind the first one's columns, a failure among
// them kept as the last row set's deferred_failure. False when no
// statement returned columns. Every other failure raises. A driver may still hold the whole result
// itself: psqlODBC does unless the connection string sets
// UseDeclareFetch=1.
bool ReadFirstResultSetInBlocks(const OdbcSession& session, const StatementHandle& statement,
                                ResultReadingOptions options, size_t rows_per_block,
                                const BlockReceiver& receive, std::vector<ResultSet>* following);

// Nothing when the structure holds no real date (month 13, 31/02...) or one
// outside the platform's range. Fractions of a second are kept.
std::optional<Date> DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& timestamp);

}  // namespace tpl::db::odbc
