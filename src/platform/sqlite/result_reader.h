// Fetching of a statement's rows into a ResultSet, every row at once (the
// client-side cursor the library expects). Column types follow
// column_type.h; integers become Long when they fit in 32 bits and Double
// otherwise; NULL becomes Null; dates are read from their text.
#pragma once

#include <sqlite3.h>

#include "platform/database/provider.h"

namespace tpl::db::sqlite {

// Steps a prepared, bound statement to its end and returns its rows.
ResultSet ReadRows(sqlite3* connection, sqlite3_stmt* statement);

}  // namespace tpl::db::sqlite
