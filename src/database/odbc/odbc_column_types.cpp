#include "database/odbc/odbc_column_types.h"

#include <sqlext.h>

#include <algorithm>
#include <string>

#include "database/ascii_text.h"
#include "database/declared_type.h"

namespace tpl::db::odbc {
namespace {

ColumnPlan PlanFromSqlType(SQLSMALLINT sql_type, SQLSMALLINT decimal_digits) {
  switch (sql_type) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
      return {DataType::Integer, 0, CellReading::Integer};
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return {DataType::Numeric, std::max<int32_t>(decimal_digits, 0), CellReading::Number};
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return {DataType::Double, 0, CellReading::Number};
    case SQL_TYPE_DATE:
      return {DataType::DBDate, 0, CellReading::Timestamp};
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATETIME:
      return {DataType::Date, 0, CellReading::Timestamp};
    case SQL_TYPE_TIME:
      return {DataType::Date, 0, CellReading::TimeOfDay};
    case SQL_CHAR:
    case SQL_WCHAR:
      return {DataType::Char, 0, CellReading::Text};
    case SQL_BIT:
      return {DataType::Boolean, 0, CellReading::Boolean};
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return {DataType::LongVarBinary, 0, CellReading::Bytes};
    default:
      return {DataType::VarChar, 0, CellReading::Text};
  }
}

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

}  // namespace

ColumnPlan PlanColumn(const ReportedColumn& column) {
  ColumnPlan plan = PlanFromSqlType(column.sql_type, column.decimal_digits);
  const std::string name = DeclaredTypeName(column.type_name);
  if (IsOneOf(name, {"NUMERIC", "DECIMAL", "NUMBER"}) && plan.type != DataType::Numeric) {
    plan = {DataType::Numeric, 0, CellReading::Number, true};
  } else if (IsOneOf(name, {"CHAR", "NCHAR", "CHARACTER"}) && plan.type == DataType::VarChar) {
    plan.type = DataType::Char;
  }
  return plan;
}

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
      if (!EqualsIgnoringCase(TextCell(statement.get(), kColumnNameColumn), column)) continue;
      return db::DeclaredScale(TextCell(statement.get(), kTypeNameColumn));
    }
  } catch (...) {
    // Allocation failures fall back to the scale the driver reported.
  }
  return std::nullopt;
}

}  // namespace tpl::db::odbc
