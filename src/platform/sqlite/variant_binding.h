// Binding of Variants to statement parameters. Empty and Null bind NULL,
// Booleans 1 or 0, Dates their text 'YYYY/MM/DD HH:MM:SS'; objects and
// arrays cannot be bound (type mismatch).
#pragma once

#include <sqlite3.h>

#include "tpl/variant.h"

namespace tpl::db::sqlite {

void BindVariant(sqlite3* connection, sqlite3_stmt* statement, int index, const Variant& value);

}  // namespace tpl::db::sqlite
