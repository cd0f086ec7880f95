#include "platform/odbc/odbc_cell_reader.h"

#include <sqlext.h>

#include <array>
#include <limits>
#include <optional>
#include <string>

#include "platform/odbc/odbc_date_conversion.h"
#include "platform/odbc/odbc_error.h"

namespace tpl::db::odbc {
namespace {

// Reads a fixed-size value; false when the cell is NULL.
template <typename T>
bool ReadFixed(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT c_type, T& value) {
  SQLLEN indicator = 0;
  Check(SQLGetData(statement, column, c_type, &value, sizeof value, &indicator), SQL_HANDLE_STMT,
        statement);
  return indicator != SQL_NULL_DATA;
}

// Reads a text or binary value of any length in pieces: each call returns
// the next part until the driver reports that nothing is left.
std::optional<std::string> ReadVariableLength(SQLHSTMT statement, SQLUSMALLINT column,
                                              SQLSMALLINT c_type) {
  std::array<char, 8192> buffer;
  // Character data is terminated by a NUL in every piece.
  const SQLLEN room = c_type == SQL_C_CHAR ? buffer.size() - 1 : buffer.size();
  std::string value;
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement, column, c_type, buffer.data(), buffer.size(), &indicator);
    if (rc == SQL_NO_DATA) break;
    Check(rc, SQL_HANDLE_STMT, statement);
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    const bool more = indicator == SQL_NO_TOTAL || indicator > room;
    value.append(buffer.data(), more ? room : indicator);
    if (!more) break;
  }
  return value;
}

Variant ReadInteger(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLBIGINT value = 0;
  if (!ReadFixed(statement, column, SQL_C_SBIGINT, value)) return Variant::Null();
  if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(static_cast<double>(value));
}

Variant ReadNumber(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLDOUBLE value = 0;
  if (!ReadFixed(statement, column, SQL_C_DOUBLE, value)) return Variant::Null();
  return Variant(static_cast<double>(value));
}

Variant ReadTimestamp(SQLHSTMT statement, SQLUSMALLINT column) {
  SQL_TIMESTAMP_STRUCT value{};
  if (!ReadFixed(statement, column, SQL_C_TYPE_TIMESTAMP, value)) return Variant::Null();
  const std::optional<Date> date = DateFromTimestamp(value);
  if (!date) Raise(error::kOverflow);
  return Variant(*date);
}

Variant ReadTimeOfDay(SQLHSTMT statement, SQLUSMALLINT column) {
  SQL_TIME_STRUCT value{};
  if (!ReadFixed(statement, column, SQL_C_TYPE_TIME, value)) return Variant::Null();
  const std::optional<Date> date = DateFromTime(value);
  if (!date) Raise(error::kOverflow);
  return Variant(*date);
}

Variant ReadBoolean(SQLHSTMT statement, SQLUSMALLINT column) {
  SQLCHAR value = 0;
  if (!ReadFixed(statement, column, SQL_C_BIT, value)) return Variant::Null();
  return Variant(value != 0);
}

Variant ReadString(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT c_type) {
  std::optional<std::string> value = ReadVariableLength(statement, column, c_type);
  if (!value) return Variant::Null();
  return Variant(std::move(*value));
}

}  // namespace

Variant ReadCell(SQLHSTMT statement, SQLUSMALLINT column, CellReading reading) {
  switch (reading) {
    case CellReading::Integer: return ReadInteger(statement, column);
    case CellReading::Number: return ReadNumber(statement, column);
    case CellReading::Timestamp: return ReadTimestamp(statement, column);
    case CellReading::TimeOfDay: return ReadTimeOfDay(statement, column);
    case CellReading::Boolean: return ReadBoolean(statement, column);
    case CellReading::Text: return ReadString(statement, column, SQL_C_CHAR);
    case CellReading::Bytes: return ReadString(statement, column, SQL_C_BINARY);
  }
  return ReadString(statement, column, SQL_C_CHAR);
}

}  // namespace tpl::db::odbc
