// Reading of one cell of the current row into a Variant. NULL gives
// Variant::Null(). Cells must be read in increasing column order, as
// SQLGetData requires of most drivers.
#pragma once

#include <sql.h>

#include "platform/odbc/odbc_column_plan.h"
#include "tpl/variant.h"

namespace tpl::db::odbc {

Variant ReadCell(SQLHSTMT statement, SQLUSMALLINT column, CellReading reading);

}  // namespace tpl::db::odbc
