#include "database/sqlite/statements.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>

#include "database/ascii_text.h"
#include "database/declared_type.h"
#include "database/fault_injection.h"
#include "database/sqlite/computed_column_types.h"
#include "database/sqlite/sql_dialect.h"
#include "database/sqlite/sql_scanner.h"
#include "sentences/sentences.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

// ---- Preparing and stepping

// Every loop over the statements of a text calls this until `rest` is
// empty, so each call must consume something: a NUL would stop SQLite's
// reading with nothing consumed (texts with one are refused before they get
// here, and again below), and a text too long for SQLite's int length is
// refused rather than cut.
SqliteStatement PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest) {
  CheckCommandText(sql);
  FaultPoint("prepare", sql);
  if (sql.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw RuntimeError(SQLITE_TOOBIG, std::string(sentences::kSqlCommandTooLong));
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int result = sqlite3_prepare_v2(connection, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  SqliteStatement statement(raw);
  CheckSqlite(connection, result);
  const size_t consumed = tail == nullptr ? sql.size() : static_cast<size_t>(tail - sql.data());
  if (consumed == 0 && statement == nullptr && !sql.empty())
    throw RuntimeError(error::kCommandTextError, std::string(sentences::kSqlCommandUnreadable));
  rest = sql.substr(consumed);
  return statement;
}

SqliteStatement Prepare(sqlite3* connection, std::string_view sql) {
  std::string_view rest;
  SqliteStatement statement = PrepareFirst(connection, sql, rest);
  if (statement == nullptr) RaiseSqlError(std::string(sentences::kSqlCommandEmpty));
  return statement;
}

void StepToEnd(sqlite3* connection, sqlite3_stmt* statement) {
  FaultPoint("step", sqlite3_sql(statement));
  int result;
  while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  if (result != SQLITE_DONE) RaiseSqliteError(connection, result);
}

void ExecuteScript(sqlite3* connection, std::string_view script, std::string_view context) {
  try {
    while (!script.empty()) {
      SqliteStatement statement = PrepareFirst(connection, script, script);
      if (statement != nullptr) StepToEnd(connection, statement.get());
    }
  } catch (const RuntimeError& error) {
    if (context.empty()) throw;
    throw RuntimeError(error.number(), std::string(context) + ": " + error.description());
  }
}

// ---- Running the statements of a text

void StatementCache::DropIfSchemaChanged() {
  if (schema_generation_ == kept_generation_) return;
  kept_.clear();
  kept_generation_ = schema_generation_;
}

SqliteStatement StatementCache::PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest) {
  DropIfSchemaChanged();
  const auto kept = std::find_if(kept_.begin(), kept_.end(), [&](const auto& entry) { return entry.first == sql; });
  if (kept == kept_.end()) return sqlite::PrepareFirst(connection, sql, rest);
  FaultPoint("prepare", sql);
  SqliteStatement statement = std::move(kept->second);
  kept_.erase(kept);
  rest = {};
  return statement;
}

void StatementCache::GiveBack(std::string_view sql, std::string_view rest, SqliteStatement statement) {
  if (statement == nullptr || !sqlite3_stmt_readonly(statement.get())) return;
  if (rest.find_first_not_of(" \t\r\n;") != std::string_view::npos) return;
  SqlScanner scanner(sql);
  SqlToken first;
  if (!scanner.NextSignificant(first) || !(first.IsKeyword("SELECT") || first.IsKeyword("WITH"))) return;
  sqlite3_reset(statement.get());
  sqlite3_clear_bindings(statement.get());
  DropIfSchemaChanged();
  if (kept_.size() == kMostKept) kept_.erase(kept_.begin());
  kept_.emplace_back(std::string(sql), std::move(statement));
}

void RunStatements(sqlite3* connection, std::string_view sql, StatementBinder& binder,
                   std::vector<ResultSet>& results, StatementCache* cache) {
  while (!sql.empty()) {
    const std::string_view text = sql;
    SqliteStatement statement =
        cache != nullptr ? cache->PrepareFirst(connection, text, sql) : PrepareFirst(connection, text, sql);
    if (statement == nullptr) continue;
    binder.Bind(statement.get());
    if (sqlite3_column_count(statement.get()) > 0) {
      results.push_back(ReadRows(connection, statement.get()));
    } else {
      StepToEnd(connection, statement.get());
    }
    binder.Finished(statement.get());
    if (cache != nullptr) cache->GiveBack(text, sql, std::move(statement));
  }
}

// ---- Binding values to markers

namespace {

int BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  return sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

void BindVariant(sqlite3* connection, sqlite3_stmt* statement, int index, const Variant& value) {
  int result = SQLITE_OK;
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null: result = sqlite3_bind_null(statement, index); break;
    case VarType::Integer: result = sqlite3_bind_int(statement, index, value.AsInteger()); break;
    case VarType::Long: result = sqlite3_bind_int(statement, index, value.AsLong()); break;
    case VarType::Double: result = sqlite3_bind_double(statement, index, value.AsDouble()); break;
    case VarType::Boolean: result = sqlite3_bind_int(statement, index, value.AsBoolean() ? 1 : 0); break;
    case VarType::Date: result = BindText(statement, index, SqlDateText(value.AsDate())); break;
    case VarType::String: result = BindText(statement, index, value.AsString()); break;
    case VarType::Object:
    case VarType::Array: Raise(error::kTypeMismatch);
  }
  CheckSqlite(connection, result);
}

const Parameter& CommandParameterBinder::ParameterFor(const char* marker) {
  if (marker == nullptr) {
    if (next_ >= parameters_.size()) {
      RaiseSqlError(Compose(sentences::kMoreMarkersThanParameters, std::to_string(parameters_.size())));
    }
    return parameters_[next_++];
  }
  const std::string_view name(marker);
  if (name.front() == '?') {
    size_t number = 0;
    std::from_chars(name.data() + 1, name.data() + name.size(), number);
    if (number < 1 || number > parameters_.size()) RaiseSqlError(Compose(sentences::kParameterMissing, name));
    return parameters_[number - 1];
  }
  for (const Parameter& parameter : parameters_) {
    if (EqualsIgnoringCase(WithoutParameterMarker(parameter.name), WithoutParameterMarker(name))) {
      return parameter;
    }
  }
  RaiseSqlError(Compose(sentences::kParameterMissing, name));
}

void CommandParameterBinder::Bind(sqlite3_stmt* statement) {
  const int count = sqlite3_bind_parameter_count(statement);
  for (int i = 1; i <= count; ++i) {
    BindVariant(connection_, statement, i, ParameterFor(sqlite3_bind_parameter_name(statement, i)).value);
  }
}

// ---- Reading rows

// The data-type code, numeric scale and reading of a result column.
//
// A column taken from a table has the type its table declares:
//   INTEGER, INT, SMALLINT, BIGINT, TINYINT, MEDIUMINT  -> Integer (3)
//   NUMERIC(p,s), DECIMAL(p,s), NUMBER(p,s)             -> Numeric (131), scale s (0 if absent)
//   REAL, FLOAT, DOUBLE [PRECISION]                     -> Double (5)
//   DATE                                                -> DBDate (133)
//   DATETIME, TIMESTAMP                                 -> Date (7)
//   CHAR(n), NCHAR(n), CHARACTER(n)                     -> Char (129)
//   BLOB, BINARY, VARBINARY                             -> LongVarBinary (205)
//   anything else (VARCHAR, NVARCHAR, TEXT...)          -> VarChar (200)
// A computed column declares nothing. Its type is the one SQL Server would
// give it where computed_column_types.h can tell (sums and averages of
// decimal columns, casts); otherwise it follows the values the column holds
// (see TypeFromStorage).

namespace {

// How the cells of a column become Variants.
enum class CellReading : uint8_t {
  AsStored,  // by each value's own storage class (computed columns)
  Integer,   // Long, or Double beyond 32 bits
  Number,    // Double
  Date,      // Date when the text reads as one, the text otherwise
  Text,      // String, whatever the storage class
};

struct ColumnType {
  DataType type = DataType::VarChar;
  int32_t numeric_scale = 0;
  CellReading reading = CellReading::AsStored;
};

// The type of a declared column; nothing when the declaration is empty.
std::optional<ColumnType> TypeFromDeclaration(std::string_view declaration) {
  const std::string name = DeclaredTypeName(declaration);
  if (name.empty()) return std::nullopt;

  if (IsOneOf(name, {"INTEGER", "INT", "SMALLINT", "BIGINT", "TINYINT", "MEDIUMINT"})) {
    return ColumnType{DataType::Integer, 0, CellReading::Integer};
  }
  if (IsOneOf(name, {"NUMERIC", "DECIMAL", "NUMBER"})) {
    return ColumnType{DataType::Numeric, DeclaredScale(declaration).value_or(0), CellReading::Number};
  }
  if (IsOneOf(name, {"REAL", "FLOAT", "DOUBLE", "DOUBLE PRECISION"})) {
    return ColumnType{DataType::Double, 0, CellReading::Number};
  }
  if (name == "DATE") return ColumnType{DataType::DBDate, 0, CellReading::Date};
  if (IsOneOf(name, {"DATETIME", "TIMESTAMP"})) return ColumnType{DataType::Date, 0, CellReading::Date};
  if (IsOneOf(name, {"CHAR", "NCHAR", "CHARACTER"})) return ColumnType{DataType::Char, 0, CellReading::Text};
  if (IsOneOf(name, {"BLOB", "BINARY", "VARBINARY"})) {
    return ColumnType{DataType::LongVarBinary, 0, CellReading::Text};
  }
  return ColumnType{DataType::VarChar, 0, CellReading::Text};
}

// Storage classes seen in a computed column, one bit per SQLite code
// (1 << SQLITE_INTEGER, ...).
using StorageMask = unsigned;

// Text wins over everything, blobs over numbers, reals over integers; a
// column of nulls only is VarChar.
DataType TypeFromStorage(StorageMask seen) {
  if (seen & (1u << SQLITE_TEXT)) return DataType::VarChar;
  if (seen & (1u << SQLITE_BLOB)) return DataType::LongVarBinary;
  if (seen & (1u << SQLITE_FLOAT)) return DataType::Double;
  if (seen & (1u << SQLITE_INTEGER)) return DataType::Integer;
  return DataType::VarChar;
}

Variant IntegerCell(sqlite3_int64 value) {
  if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(static_cast<double>(value));
}

std::string_view TextOf(sqlite3_stmt* statement, int column) {
  // The text must be taken before its length.
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

std::string_view BytesOf(sqlite3_stmt* statement, int column) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
  return std::string_view(bytes, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

Variant StoredCell(sqlite3_stmt* statement, int column, int storage) {
  switch (storage) {
    case SQLITE_INTEGER: return IntegerCell(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: return Variant(TextOf(statement, column));
    case SQLITE_BLOB: return Variant(BytesOf(statement, column));
    default: return Variant::Null();
  }
}

Variant ReadCell(sqlite3_stmt* statement, int column, int storage, CellReading reading) {
  if (storage == SQLITE_NULL) return Variant::Null();
  switch (reading) {
    case CellReading::AsStored:
    case CellReading::Integer:
      return StoredCell(statement, column, storage);
    case CellReading::Number:
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        return Variant(sqlite3_column_double(statement, column));
      }
      return StoredCell(statement, column, storage);
    case CellReading::Date:
      if (storage == SQLITE_TEXT) {
        const std::string_view text = TextOf(statement, column);
        Date date;
        if (TryReadSqlDateText(text, date) || TryParseDate(text, date)) return Variant(date);
        return Variant(text);
      }
      return StoredCell(statement, column, storage);
    case CellReading::Text:
      return storage == SQLITE_BLOB ? Variant(BytesOf(statement, column)) : Variant(TextOf(statement, column));
  }
  return Variant::Null();
}

}  // namespace

ResultSet ReadRows(sqlite3* connection, sqlite3_stmt* statement) {
  return ReadRows(connection, statement, ComputedColumnDeclarations(connection, statement));
}

namespace {

// The columns of a prepared statement and how their cells are read; the
// storage classes seen so far decide the type of a computed column.
struct RowReading {
  std::vector<CellReading> readings;
  std::vector<StorageMask> seen;
};

RowReading DescribeColumns(sqlite3_stmt* statement, const std::vector<std::string>& computed,
                           std::vector<ColumnInfo>& columns) {
  const int column_count = sqlite3_column_count(statement);
  columns.assign(static_cast<size_t>(column_count), ColumnInfo{});
  RowReading reading{std::vector<CellReading>(columns.size(), CellReading::AsStored),
                     std::vector<StorageMask>(columns.size(), 0)};
  for (int c = 0; c < column_count; ++c) {
    ColumnInfo& column = columns[static_cast<size_t>(c)];
    column.name = sqlite3_column_name(statement, c);
    const char* declared = sqlite3_column_decltype(statement, c);
    // A statement prepared again after a schema change may have other
    // columns than when its declarations were read.
    const std::string_view computed_declaration =
        static_cast<size_t>(c) < computed.size() ? std::string_view(computed[static_cast<size_t>(c)]) : std::string_view();
    if (auto type = TypeFromDeclaration(declared != nullptr ? std::string_view(declared) : computed_declaration)) {
      column.type = type->type;
      column.numeric_scale = type->numeric_scale;
      reading.readings[static_cast<size_t>(c)] = type->reading;
    }
  }
  return reading;
}

// Steps up to `rows` rows into `cells`; true once the statement is done.
bool StepRows(sqlite3* connection, sqlite3_stmt* statement, RowReading& reading, CellStore& cells,
              size_t rows) {
  const int column_count = sqlite3_column_count(statement);
  for (size_t row = 0; row < rows; ++row) {
    const int step = sqlite3_step(statement);
    if (step == SQLITE_DONE) return true;
    if (step != SQLITE_ROW) RaiseSqliteError(connection, step);
    for (int c = 0; c < column_count; ++c) {
      const int storage = sqlite3_column_type(statement, c);
      reading.seen[static_cast<size_t>(c)] |= 1u << storage;
      cells.push_back(ReadCell(statement, c, storage, reading.readings[static_cast<size_t>(c)]));
    }
  }
  return false;
}

void TypeComputedColumns(const RowReading& reading, std::vector<ColumnInfo>& columns) {
  for (size_t c = 0; c < reading.readings.size(); ++c) {
    if (reading.readings[c] == CellReading::AsStored) {
      columns[c].type = TypeFromStorage(reading.seen[c]);
      columns[c].typed_by_values = true;
    }
  }
}

}  // namespace

ResultSet ReadRows(sqlite3* connection, sqlite3_stmt* statement,
                   const std::vector<std::string>& computed) {
  ResultSet result;
  RowReading reading = DescribeColumns(statement, computed, result.columns);
  FaultPoint("step", sqlite3_sql(statement));
  StepRows(connection, statement, reading, result.cells, std::numeric_limits<size_t>::max());
  TypeComputedColumns(reading, result.columns);
  return result;
}

std::vector<ColumnInfo> ReadRowsInBlocks(sqlite3* connection, sqlite3_stmt* statement,
                                         size_t rows_per_block, const BlockReceiver& receive) {
  ResultSet block;
  RowReading reading =
      DescribeColumns(statement, ComputedColumnDeclarations(connection, statement), block.columns);
  FaultPoint("step", sqlite3_sql(statement));
  rows_per_block = std::max<size_t>(rows_per_block, 1);
  for (bool first = true;; first = false) {
    block.cells.ClearKeepingBlocks();
    const bool done = StepRows(connection, statement, reading, block.cells, rows_per_block);
    // The type a computed column shows is chosen once, from the first
    // block, and kept: every block describes the same columns.
    if (first) TypeComputedColumns(reading, block.columns);
    if (first || !block.cells.empty()) receive(block);
    if (done) break;
  }
  // The types the whole fetch gives: every row's values seen.
  std::vector<ColumnInfo> columns = std::move(block.columns);
  TypeComputedColumns(reading, columns);
  return columns;
}

// ---- The time-out of a command

namespace {

// Reading the clock costs far less than a thousand steps, so checks are
// frequent enough to stop a statement within milliseconds of its limit.
constexpr int kStepsBetweenChecks = 1000;

}  // namespace

StatementDeadline::StatementDeadline(sqlite3* connection, int32_t seconds) : connection_(connection) {
  if (seconds <= 0) return;
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  sqlite3_progress_handler(connection_, kStepsBetweenChecks, &StatementDeadline::OnProgress, this);
  active_ = true;
}

StatementDeadline::~StatementDeadline() {
  if (active_) sqlite3_progress_handler(connection_, 0, nullptr, nullptr);
}

int StatementDeadline::OnProgress(void* self) noexcept {
  auto* deadline = static_cast<StatementDeadline*>(self);
  if (std::chrono::steady_clock::now() < deadline->deadline_) return 0;
  deadline->expired_ = true;
  return 1;
}

}  // namespace tpl::db::sqlite
