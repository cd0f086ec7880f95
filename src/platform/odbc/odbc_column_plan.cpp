#include "platform/odbc/odbc_column_plan.h"

#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tpl::db::odbc {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The type name without its size and in upper case: "numeric(12,2)" gives "NUMERIC".
std::string BaseTypeName(std::string_view type_name) {
  std::string name(Trimmed(type_name.substr(0, type_name.find('('))));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

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

}  // namespace

ColumnPlan PlanColumn(const ReportedColumn& column) {
  ColumnPlan plan = PlanFromSqlType(column.sql_type, column.decimal_digits);
  const std::string name = BaseTypeName(column.type_name);
  if (IsOneOf(name, {"NUMERIC", "DECIMAL", "NUMBER"}) && plan.type != DataType::Numeric) {
    plan = {DataType::Numeric, 0, CellReading::Number, true};
  } else if (IsOneOf(name, {"CHAR", "NCHAR", "CHARACTER"}) && plan.type == DataType::VarChar) {
    plan.type = DataType::Char;
  }
  return plan;
}

std::optional<int32_t> ScaleOfDeclaration(std::string_view declaration) {
  const size_t open = declaration.find('(');
  const size_t close = declaration.find(')', open);
  if (open == std::string_view::npos || close == std::string_view::npos) return std::nullopt;
  const std::string_view arguments = declaration.substr(open + 1, close - open - 1);
  const size_t comma = arguments.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::string_view scale = Trimmed(arguments.substr(comma + 1));
  int32_t value = 0;
  const auto [end, error] = std::from_chars(scale.data(), scale.data() + scale.size(), value);
  if (error != std::errc() || end != scale.data() + scale.size() || value < 0) return std::nullopt;
  return value;
}

}  // namespace tpl::db::odbc
