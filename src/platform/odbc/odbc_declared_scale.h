// The scale a table declares for one of its columns, read from the
// catalog, for drivers that leave it out of the result description (the
// SQLite driver describes NUMERIC(12,2) with 0 decimal digits, but its
// SQLColumns TYPE_NAME keeps the declaration "NUMERIC(12,2)").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/odbc/odbc_session.h"

namespace tpl::db::odbc {

// Nothing when the catalog does not know the column (a computed column,
// or one renamed with AS, whose base column name the SQLite driver reports
// as the new name) or when the lookup fails; a failed lookup never raises.
std::optional<int32_t> DeclaredScale(const OdbcSession& session, std::string_view table,
                                     std::string_view column) noexcept;

}  // namespace tpl::db::odbc
