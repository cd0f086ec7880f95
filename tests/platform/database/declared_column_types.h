// Declared column types with the type code and scale that both database providers must give for them, so a report reads
// the same fields either way.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/database/provider.h"

namespace tpl::db {

struct DeclaredColumnType { const char* declaration; DataType type; int32_t scale; };

inline const std::vector<DeclaredColumnType>& DeclaredColumnTypes() {
  using enum DataType;
  static const std::vector<DeclaredColumnType> rows{
      {"INTEGER", Integer, 0}, {"int", Integer, 0}, {"SMALLINT", Integer, 0}, {"BIGINT", Integer, 0},
      {"NUMERIC(12,2)", Numeric, 2}, {"numeric ( 10 , 1 )", Numeric, 1}, {"DECIMAL(10,3)", Numeric, 3},
      {"DECIMAL(10)", Numeric, 0}, {"NUMBER(8,1)", Numeric, 1}, {"NUMERIC", Numeric, 0}, {"REAL", Double, 0},
      {"FLOAT", Double, 0}, {"DOUBLE", Double, 0}, {"DATE", DBDate, 0}, {"DATETIME", Date, 0},
      {"TIMESTAMP", Date, 0}, {"CHAR(1)", Char, 0}, {"VARCHAR(100)", VarChar, 0}, {"NVARCHAR(50)", VarChar, 0},
      {"TEXT", VarChar, 0}, {"CLOB", VarChar, 0}, {"BLOB", LongVarBinary, 0}};
  return rows;
}

}  // namespace tpl::db
