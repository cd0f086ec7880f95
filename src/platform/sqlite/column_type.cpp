#include "platform/sqlite/column_type.h"

#include <charconv>
#include <string>

#include <sqlite3.h>

#include "platform/sqlite/ascii_case.h"

namespace tpl::db::sqlite {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The scale s of "(p,s)"; 0 when the declaration gives none.
int32_t ScaleOf(std::string_view arguments) {
  const size_t comma = arguments.find(',');
  if (comma == std::string_view::npos) return 0;
  std::string_view scale = Trimmed(arguments.substr(comma + 1));
  if (!scale.empty() && scale.back() == ')') scale = Trimmed(scale.substr(0, scale.size() - 1));
  int32_t value = 0;
  std::from_chars(scale.data(), scale.data() + scale.size(), value);
  return value;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

}  // namespace

std::optional<ColumnType> TypeFromDeclaration(std::string_view declaration) {
  declaration = Trimmed(declaration);
  if (declaration.empty()) return std::nullopt;
  const size_t parenthesis = declaration.find('(');
  const std::string name = ToUpperAscii(Trimmed(declaration.substr(0, parenthesis)));
  const std::string_view arguments =
      parenthesis == std::string_view::npos ? std::string_view{} : declaration.substr(parenthesis + 1);

  if (IsOneOf(name, {"INTEGER", "INT", "SMALLINT", "BIGINT", "TINYINT", "MEDIUMINT"})) {
    return ColumnType{DataType::Integer, 0, CellReading::Integer};
  }
  if (IsOneOf(name, {"NUMERIC", "DECIMAL", "NUMBER"})) {
    return ColumnType{DataType::Numeric, ScaleOf(arguments), CellReading::Number};
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
