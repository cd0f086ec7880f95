#include "platform/odbc/odbc_column_plan.h"

#include <sqlext.h>

#include <algorithm>

#include "platform/database/declared_type.h"

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

}  // namespace tpl::db::odbc
