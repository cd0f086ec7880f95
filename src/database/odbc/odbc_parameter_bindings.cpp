#include "database/odbc/odbc_parameter_bindings.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "database/odbc/odbc_provider.h"
#include "database/odbc/odbc_result_reader.h"
#include "sentences/sentences.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {
namespace {

// Room given to a text output parameter created without a size.
constexpr SQLULEN kDefaultTextSize = 8000;
// A UTF-8 character takes up to four bytes.
constexpr SQLULEN kMaxBytesPerCharacter = 4;

struct OdbcTypes {
  SQLSMALLINT c_type;
  SQLSMALLINT sql_type;
};

OdbcTypes TypesOf(DataType type) {
  switch (type) {
    case DataType::Integer: return {SQL_C_SLONG, SQL_INTEGER};
    case DataType::SmallInt: return {SQL_C_SLONG, SQL_SMALLINT};
    case DataType::BigInt: return {SQL_C_SBIGINT, SQL_BIGINT};
    case DataType::Double:
    case DataType::Decimal:
    case DataType::Numeric:
    case DataType::VarNumeric: return {SQL_C_DOUBLE, SQL_DOUBLE};
    case DataType::Date:
    case DataType::DBTimeStamp: return {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP};
    case DataType::DBDate: return {SQL_C_TYPE_DATE, SQL_TYPE_DATE};
    case DataType::Boolean: return {SQL_C_BIT, SQL_BIT};
    case DataType::Binary: return {SQL_C_BINARY, SQL_BINARY};
    case DataType::LongVarBinary: return {SQL_C_BINARY, SQL_LONGVARBINARY};
    case DataType::Char: return {SQL_C_CHAR, SQL_CHAR};
    case DataType::LongVarChar: return {SQL_C_CHAR, SQL_LONGVARCHAR};
    case DataType::Empty:
    case DataType::VarChar: return {SQL_C_CHAR, SQL_VARCHAR};
  }
  return {SQL_C_CHAR, SQL_VARCHAR};
}

bool IsVariableLength(SQLSMALLINT c_type) { return c_type == SQL_C_CHAR || c_type == SQL_C_BINARY; }

size_t CharacterCount(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                           [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

template <typename T>
std::vector<char> BytesOf(const T& value) {
  std::vector<char> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

template <typename T>
T ValueFrom(const std::vector<char>& bytes) {
  T value{};
  std::memcpy(&value, bytes.data(), std::min(sizeof value, bytes.size()));
  return value;
}

// Whole seconds; the fraction is dropped, since the drivers refuse a
// fraction finer than the target column keeps.
SQL_TIMESTAMP_STRUCT TimestampFromDate(Date date) {
  const DateParts parts = SplitDate(date);
  SQL_TIMESTAMP_STRUCT timestamp{};
  timestamp.year = static_cast<SQLSMALLINT>(parts.year);
  timestamp.month = static_cast<SQLUSMALLINT>(parts.month);
  timestamp.day = static_cast<SQLUSMALLINT>(parts.day);
  timestamp.hour = static_cast<SQLUSMALLINT>(parts.hour);
  timestamp.minute = static_cast<SQLUSMALLINT>(parts.minute);
  timestamp.second = static_cast<SQLUSMALLINT>(parts.second);
  return timestamp;
}

SQL_DATE_STRUCT DateStructFromDate(Date date) {
  const DateParts parts = SplitDate(date);
  SQL_DATE_STRUCT result{};
  result.year = static_cast<SQLSMALLINT>(parts.year);
  result.month = static_cast<SQLUSMALLINT>(parts.month);
  result.day = static_cast<SQLUSMALLINT>(parts.day);
  return result;
}

// The input value in the C type the driver expects.
std::vector<char> InputBytes(SQLSMALLINT c_type, const Variant& value) {
  switch (c_type) {
    case SQL_C_SLONG: return BytesOf<SQLINTEGER>(CLng(value));
    case SQL_C_SBIGINT: return BytesOf<SQLBIGINT>(static_cast<SQLBIGINT>(RoundHalfEven(CDbl(value))));
    case SQL_C_DOUBLE: return BytesOf<SQLDOUBLE>(CDbl(value));
    case SQL_C_TYPE_TIMESTAMP: return BytesOf(TimestampFromDate(CDate(value)));
    case SQL_C_TYPE_DATE: return BytesOf(DateStructFromDate(CDate(value)));
    case SQL_C_BIT: return BytesOf<SQLCHAR>(CBool(value) ? 1 : 0);
    default: {
      const std::string text = CStr(value);
      return std::vector<char>(text.begin(), text.end());
    }
  }
}

// An empty buffer of the right size for a fixed-size C type.
std::vector<char> EmptyFixedBuffer(SQLSMALLINT c_type) {
  switch (c_type) {
    case SQL_C_SLONG: return BytesOf<SQLINTEGER>(0);
    case SQL_C_SBIGINT: return BytesOf<SQLBIGINT>(0);
    case SQL_C_DOUBLE: return BytesOf<SQLDOUBLE>(0);
    case SQL_C_TYPE_TIMESTAMP: return BytesOf(SQL_TIMESTAMP_STRUCT{});
    case SQL_C_TYPE_DATE: return BytesOf(SQL_DATE_STRUCT{});
    default: return BytesOf<SQLCHAR>(0);
  }
}

}  // namespace

std::string BuildCallText(std::string_view procedure_name, size_t parameter_count) {
  const auto blanks = " \t\r\n";
  const size_t first = procedure_name.find_first_not_of(blanks);
  const std::string_view name =
      first == std::string_view::npos
          ? std::string_view{}
          : procedure_name.substr(first, procedure_name.find_last_not_of(blanks) - first + 1);
  if (name.empty() || name.find_first_of("{}();\r\n") != std::string_view::npos) {
    throw RuntimeError(error::kInvalidProcedureCall,
                       Compose(sentences::kProcedureNameInvalid, "\"" + std::string(procedure_name) + "\""));
  }
  std::string text = "{call ";
  text += name;
  if (parameter_count > 0) {
    text += '(';
    for (size_t i = 0; i < parameter_count; ++i) text += i == 0 ? "?" : ",?";
    text += ')';
  }
  text += '}';
  return text;
}

ParameterBindings::Bound ParameterBindings::Prepare(const Parameter& parameter) {
  const OdbcTypes types = TypesOf(parameter.type);
  Bound bound;
  bound.c_type = types.c_type;
  bound.sql_type = types.sql_type;
  bound.output = parameter.direction == ParameterDirection::Output;
  const SQLULEN declared = parameter.size > 0 ? static_cast<SQLULEN>(parameter.size) : 0;

  if (bound.output) {
    if (IsVariableLength(bound.c_type)) {
      bound.column_size = declared > 0 ? declared : kDefaultTextSize;
      bound.buffer.assign(bound.column_size * kMaxBytesPerCharacter + 1, '\0');
    } else {
      bound.buffer = EmptyFixedBuffer(bound.c_type);
    }
    // Some drivers read the indicator of an output as if it were an input:
    // told SQL_NULL_DATA, one wrote an integer output as text ("42" read
    // back as 12852). So it starts as a value that no driver writes back:
    // 0 for a fixed-size type (written, it holds the type's size), and
    // SQL_NTS for a text, which no length can equal (a text as long as its
    // buffer, or longer and cut, reports its length) and which, read as an
    // input, is the empty text the zeroed buffer holds. Still there after
    // the call, it says the driver never wrote the output.
    bound.indicator = IsVariableLength(bound.c_type) ? SQL_NTS : 0;
    bound.unwritten_indicator = bound.indicator;
    return bound;
  }

  if (parameter.value.IsNull() || parameter.value.IsEmpty()) {
    bound.buffer = IsVariableLength(bound.c_type) ? std::vector<char>(1, '\0') : EmptyFixedBuffer(bound.c_type);
    bound.column_size = std::max<SQLULEN>(declared, 1);
    bound.indicator = SQL_NULL_DATA;
    return bound;
  }
  bound.buffer = InputBytes(bound.c_type, parameter.value);
  bound.indicator = static_cast<SQLLEN>(bound.buffer.size());
  if (IsVariableLength(bound.c_type)) {
    const size_t length = bound.c_type == SQL_C_CHAR
                              ? CharacterCount(std::string(bound.buffer.begin(), bound.buffer.end()))
                              : bound.buffer.size();
    bound.column_size = declared > 0 ? declared : std::max<SQLULEN>(length, 1);
    // A buffer is never empty, so that the driver always gets a valid address.
    if (bound.buffer.empty()) bound.buffer.push_back('\0');
  }
  return bound;
}

ParameterBindings::ParameterBindings(SQLHSTMT statement, const std::vector<Parameter>& parameters) {
  bound_.reserve(parameters.size());
  for (const Parameter& parameter : parameters) bound_.push_back(Prepare(parameter));
  // Bound only once the vector is complete: binding hands out buffer addresses.
  for (size_t i = 0; i < bound_.size(); ++i) {
    Bound& bound = bound_[i];
    const SQLSMALLINT decimal_digits = 0;
    Check(SQLBindParameter(statement, static_cast<SQLUSMALLINT>(i + 1),
                           bound.output ? SQL_PARAM_OUTPUT : SQL_PARAM_INPUT, bound.c_type,
                           bound.sql_type, bound.column_size, decimal_digits, bound.buffer.data(),
                           static_cast<SQLLEN>(bound.buffer.size()), &bound.indicator),
          SQL_HANDLE_STMT, statement);
  }
}

Variant ParameterBindings::ValueOf(const Bound& bound) {
  if (bound.indicator == SQL_NULL_DATA || bound.indicator == bound.unwritten_indicator) return Variant::Null();
  switch (bound.c_type) {
    case SQL_C_SLONG: return Variant(static_cast<int32_t>(ValueFrom<SQLINTEGER>(bound.buffer)));
    case SQL_C_SBIGINT: {
      const SQLBIGINT value = ValueFrom<SQLBIGINT>(bound.buffer);
      if (value >= INT32_MIN && value <= INT32_MAX) return Variant(static_cast<int32_t>(value));
      return Variant(static_cast<double>(value));
    }
    case SQL_C_DOUBLE: return Variant(static_cast<double>(ValueFrom<SQLDOUBLE>(bound.buffer)));
    case SQL_C_BIT: return Variant(ValueFrom<SQLCHAR>(bound.buffer) != 0);
    case SQL_C_TYPE_TIMESTAMP: {
      const std::optional<Date> date = DateFromTimestamp(ValueFrom<SQL_TIMESTAMP_STRUCT>(bound.buffer));
      return date ? Variant(*date) : Variant::Null();
    }
    case SQL_C_TYPE_DATE: {
      const auto value = ValueFrom<SQL_DATE_STRUCT>(bound.buffer);
      SQL_TIMESTAMP_STRUCT timestamp{};
      timestamp.year = value.year;
      timestamp.month = value.month;
      timestamp.day = value.day;
      const std::optional<Date> date = DateFromTimestamp(timestamp);
      return date ? Variant(*date) : Variant::Null();
    }
    default: {
      // Character data ends with a NUL the length does not count.
      const size_t room = bound.c_type == SQL_C_CHAR ? bound.buffer.size() - 1 : bound.buffer.size();
      const size_t length = bound.indicator == SQL_NO_TOTAL || bound.indicator < 0
                                ? room
                                : std::min(room, static_cast<size_t>(bound.indicator));
      return Variant(std::string(bound.buffer.data(), length));
    }
  }
}

void ParameterBindings::WriteBackOutputs(std::vector<Parameter>& parameters) const {
  for (size_t i = 0; i < bound_.size() && i < parameters.size(); ++i) {
    if (bound_[i].output) parameters[i].value = ValueOf(bound_[i]);
  }
}

}  // namespace tpl::db::odbc
