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
// A computed column declares nothing; its type follows the values it holds
// (see TypeFromStorage).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/database/provider.h"

namespace tpl::db::sqlite {

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
std::optional<ColumnType> TypeFromDeclaration(std::string_view declaration);

// Storage classes seen in a computed column, one bit per SQLite code
// (1 << SQLITE_INTEGER, ...).
using StorageMask = unsigned;

// Text wins over everything, blobs over numbers, reals over integers; a
// column of nulls only is VarChar.
DataType TypeFromStorage(StorageMask seen);

}  // namespace tpl::db::sqlite
