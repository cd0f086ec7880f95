#include "platform/sqlite/column_type.h"

#include <string>

#include <sqlite3.h>

#include "platform/database/declared_type.h"

namespace tpl::db::sqlite {

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

DataType TypeFromStorage(StorageMask seen) {
  if (seen & (1u << SQLITE_TEXT)) return DataType::VarChar;
  if (seen & (1u << SQLITE_BLOB)) return DataType::LongVarBinary;
  if (seen & (1u << SQLITE_FLOAT)) return DataType::Double;
  if (seen & (1u << SQLITE_INTEGER)) return DataType::Integer;
  return DataType::VarChar;
}

}  // namespace tpl::db::sqlite
