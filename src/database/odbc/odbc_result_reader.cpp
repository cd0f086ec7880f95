#include "database/odbc/odbc_result_reader.h"

#include <sqlext.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "database/odbc/odbc_column_types.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {
namespace {

constexpr double kNanosecondsPerDay = 86400.0 * 1e9;

}  // namespace

std::optional<Date> DateFromTimestamp(const SQL_TIMESTAMP_STRUCT& timestamp) {
  const DateParts parts{timestamp.year, timestamp.month, timestamp.day,
                        timestamp.hour, timestamp.minute, timestamp.second};
  Date date;
  if (timestamp.fraction >= 1000000000u || !TryMakeDate(parts, date)) return std::nullopt;
  // Before day zero the serial is negative but its fraction still counts
  // forward in time from the start of the day, away from zero.
  const double fraction = timestamp.fraction / kNanosecondsPerDay;
  date.serial += date.serial < 0 ? -fraction : fraction;
  return date;
}

namespace {

// A time of day on day zero (30/12/1899); nothing when it is no real time.
std::optional<Date> DateFromTime(const SQL_TIME_STRUCT& time) {
  DateParts parts;
  parts.hour = time.hour;
  parts.minute = time.minute;
  parts.second = time.second;
  Date date;
  if (!TryMakeDate(parts, date)) return std::nullopt;
  return date;
}

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

// One cell of the current row; NULL gives Variant::Null().
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

std::string TextAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
  std::string text(256, '\0');
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLColAttribute(statement, column, field, text.data(),
                                     static_cast<SQLSMALLINT>(text.size()), &length, nullptr))) {
    return {};
  }
  if (length >= static_cast<SQLSMALLINT>(text.size())) {
    text.assign(static_cast<size_t>(length) + 1, '\0');
    if (!SQL_SUCCEEDED(SQLColAttribute(statement, column, field, text.data(),
                                       static_cast<SQLSMALLINT>(text.size()), &length, nullptr))) {
      return {};
    }
  }
  text.resize(std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1));
  return text;
}

struct DescribedColumn {
  ColumnInfo info;
  CellReading reading = CellReading::Text;
};

DescribedColumn Describe(const OdbcSession& session, const StatementHandle& statement,
                         SQLUSMALLINT column, ResultReadingOptions options) {
  std::string name(256, '\0');
  SQLSMALLINT name_length = 0;
  ReportedColumn reported;
  SQLULEN size = 0;
  SQLSMALLINT nullable = 0;
  auto describe = [&] {
    Check(SQLDescribeCol(statement.get(), column, reinterpret_cast<SQLCHAR*>(name.data()),
                         static_cast<SQLSMALLINT>(name.size()), &name_length, &reported.sql_type, &size,
                         &reported.decimal_digits, &nullable),
          statement);
  };
  describe();
  if (name_length >= static_cast<SQLSMALLINT>(name.size())) {
    name.assign(static_cast<size_t>(name_length) + 1, '\0');
    describe();
  }
  name.resize(static_cast<size_t>(name_length));
  reported.type_name = TextAttribute(statement.get(), column, SQL_DESC_TYPE_NAME);

  const ColumnPlan plan = PlanColumn(reported);
  DescribedColumn described{{std::move(name), plan.type, plan.numeric_scale}, plan.reading};
  if (plan.scale_unreported && options.look_up_declared_scales) {
    const std::optional<int32_t> scale =
        DeclaredScale(session, TextAttribute(statement.get(), column, SQL_DESC_BASE_TABLE_NAME),
                      TextAttribute(statement.get(), column, SQL_DESC_BASE_COLUMN_NAME));
    if (scale) described.info.numeric_scale = *scale;
  }
  return described;
}

std::vector<CellReading> DescribeAll(const OdbcSession& session, const StatementHandle& statement,
                                     SQLSMALLINT column_count, ResultReadingOptions options,
                                     std::vector<ColumnInfo>& columns) {
  std::vector<CellReading> readings;
  for (SQLUSMALLINT column = 1; column <= column_count; ++column) {
    DescribedColumn described = Describe(session, statement, column, options);
    columns.push_back(std::move(described.info));
    readings.push_back(described.reading);
  }
  return readings;
}

// Fetches up to `rows` rows into `cells`; true once the row set is done.
bool FetchRows(const StatementHandle& statement, const std::vector<CellReading>& readings,
               CellStore& cells, size_t rows) {
  const auto column_count = static_cast<SQLUSMALLINT>(readings.size());
  for (size_t row = 0; row < rows; ++row) {
    const SQLRETURN rc = SQLFetch(statement.get());
    if (rc == SQL_NO_DATA) return true;
    Check(rc, statement);
    for (SQLUSMALLINT column = 1; column <= column_count; ++column) {
      cells.push_back(ReadCell(statement.get(), column, readings[column - 1]));
    }
  }
  return false;
}

ResultSet ReadResultSet(const OdbcSession& session, const StatementHandle& statement,
                        SQLSMALLINT column_count, ResultReadingOptions options) {
  ResultSet result;
  const std::vector<CellReading> readings =
      DescribeAll(session, statement, column_count, options, result.columns);
  FetchRows(statement, readings, result.cells, std::numeric_limits<size_t>::max());
  return result;
}

}  // namespace

namespace {

// Reads the row sets of the statements still pending, each whole, onto
// `results`; a failure once `results` holds a row set becomes its last
// one's deferred_failure.
void ReadRemainingResultSets(const OdbcSession& session, const StatementHandle& statement,
                             ResultReadingOptions options, std::vector<ResultSet>& results) {
  try {
    for (;;) {
      // A server reports the failure of a later statement of the batch here.
      const SQLRETURN rc = SQLMoreResults(statement.get());
      if (rc == SQL_NO_DATA) break;
      Check(rc, statement);
      SQLSMALLINT column_count = 0;
      Check(SQLNumResultCols(statement.get(), &column_count), statement);
      if (column_count > 0) results.push_back(ReadResultSet(session, statement, column_count, options));
    }
  } catch (const RuntimeError& failure) {
    if (results.empty()) throw;
    results.back().deferred_failure = failure;
  }
}

}  // namespace

std::vector<ResultSet> ReadAllResultSets(const OdbcSession& session, const StatementHandle& statement,
                                         ResultReadingOptions options) {
  std::vector<ResultSet> results;
  SQLSMALLINT column_count = 0;
  Check(SQLNumResultCols(statement.get(), &column_count), statement);
  if (column_count > 0) results.push_back(ReadResultSet(session, statement, column_count, options));
  ReadRemainingResultSets(session, statement, options, results);
  return results;
}

bool ReadFirstResultSetInBlocks(const OdbcSession& session, const StatementHandle& statement,
                                ResultReadingOptions options, size_t rows_per_block,
                                const BlockReceiver& receive, std::vector<ResultSet>* following) {
  for (;;) {
    SQLSMALLINT column_count = 0;
    Check(SQLNumResultCols(statement.get(), &column_count), statement);
    if (column_count > 0) break;
    const SQLRETURN rc = SQLMoreResults(statement.get());
    if (rc == SQL_NO_DATA) return false;
    Check(rc, statement);
  }
  SQLSMALLINT column_count = 0;
  Check(SQLNumResultCols(statement.get(), &column_count), statement);
  ResultSet block;
  const std::vector<CellReading> readings =
      DescribeAll(session, statement, column_count, options, block.columns);
  rows_per_block = std::max<size_t>(rows_per_block, 1);
  for (bool first = true;; first = false) {
    block.cells.ClearKeepingBlocks();
    const bool done = FetchRows(statement, readings, block.cells, rows_per_block);
    if (first || !block.cells.empty()) receive(block);
    if (done) break;
  }
  if (following != nullptr) {
    std::vector<ResultSet> rest(1);
    rest.front().columns = std::move(block.columns);
    ReadRemainingResultSets(session, statement, options, rest);
    *following = std::move(rest);
  }
  return true;
}

}  // namespace tpl::db::odbc
