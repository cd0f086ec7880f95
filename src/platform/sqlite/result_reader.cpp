#include "platform/sqlite/result_reader.h"

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sqlite/column_type.h"
#include "platform/sqlite/sql_dialect.h"
#include "platform/sqlite/sqlite_provider.h"
#include "tpl/datetime.h"

namespace tpl::db::sqlite {
namespace {

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
  const int column_count = sqlite3_column_count(statement);
  ResultSet result;
  result.columns.resize(static_cast<size_t>(column_count));
  std::vector<CellReading> readings(result.columns.size(), CellReading::AsStored);
  std::vector<StorageMask> seen(result.columns.size(), 0);
  for (int c = 0; c < column_count; ++c) {
    ColumnInfo& column = result.columns[static_cast<size_t>(c)];
    column.name = sqlite3_column_name(statement, c);
    const char* declared = sqlite3_column_decltype(statement, c);
    if (auto type = TypeFromDeclaration(declared == nullptr ? "" : declared)) {
      column.type = type->type;
      column.numeric_scale = type->numeric_scale;
      readings[static_cast<size_t>(c)] = type->reading;
    }
  }

  int step;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    for (int c = 0; c < column_count; ++c) {
      const int storage = sqlite3_column_type(statement, c);
      seen[static_cast<size_t>(c)] |= 1u << storage;
      result.cells.push_back(ReadCell(statement, c, storage, readings[static_cast<size_t>(c)]));
    }
  }
  if (step != SQLITE_DONE) RaiseSqliteError(connection, step);

  for (size_t c = 0; c < readings.size(); ++c) {
    if (readings[c] == CellReading::AsStored) result.columns[c].type = TypeFromStorage(seen[c]);
  }
  return result;
}

}  // namespace tpl::db::sqlite
