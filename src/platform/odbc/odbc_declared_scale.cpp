#include "platform/odbc/odbc_declared_scale.h"

#include <sqlext.h>

#include <string>

#include "platform/database/declared_type.h"
#include "platform/odbc/odbc_column_plan.h"

namespace tpl::db::odbc {
namespace {

constexpr SQLUSMALLINT kColumnNameColumn = 4;  // of the SQLColumns result
constexpr SQLUSMALLINT kTypeNameColumn = 6;

std::string TextCell(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLCHAR text[256] = {};
  SQLLEN length = 0;
  if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_CHAR, text, sizeof text, &length)) ||
      length == SQL_NULL_DATA) {
    return {};
  }
  return reinterpret_cast<const char*>(text);
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<int32_t> DeclaredScale(const OdbcSession& session, std::string_view table,
                                     std::string_view column) noexcept {
  if (table.empty() || column.empty()) return std::nullopt;
  try {
    StatementHandle statement = session.NewStatement();
    std::string table_text(table), column_text(column);
    // The names are search patterns; a "_" may match other columns too,
    // so the rows are compared with the exact name below.
    SQLRETURN rc = SQLColumns(statement.get(), nullptr, 0, nullptr, 0,
                              reinterpret_cast<SQLCHAR*>(table_text.data()), SQL_NTS,
                              reinterpret_cast<SQLCHAR*>(column_text.data()), SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) return std::nullopt;
    while (SQL_SUCCEEDED(SQLFetch(statement.get()))) {
      if (!SameNameIgnoringCase(TextCell(statement.get(), kColumnNameColumn), column)) continue;
      return db::DeclaredScale(TextCell(statement.get(), kTypeNameColumn));
    }
  } catch (...) {
    // Allocation failures fall back to the scale the driver reported.
  }
  return std::nullopt;
}

}  // namespace tpl::db::odbc
