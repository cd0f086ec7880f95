// How a result column described by the driver becomes a field: its
// data-type code, numeric scale and the way its cells are read.
//
//   SQL_INTEGER, SMALLINT, TINYINT, BIGINT        -> Integer (3)
//   SQL_NUMERIC, SQL_DECIMAL                      -> Numeric (131), scale = decimal digits
//   SQL_REAL, SQL_FLOAT, SQL_DOUBLE               -> Double (5)
//   SQL_TYPE_DATE                                 -> DBDate (133)
//   SQL_TYPE_TIMESTAMP, SQL_DATETIME, SQL_TYPE_TIME -> Date (7)
//   SQL_CHAR, SQL_WCHAR                           -> Char (129)
//   SQL_BIT                                       -> Boolean (11)
//   SQL_BINARY, VARBINARY, LONGVARBINARY          -> LongVarBinary (205)
//   anything else (VARCHAR, LONGVARCHAR, GUID...) -> VarChar (200), read as text
//
// The type name the driver gives refines this where a driver reports a
// generic type for a more precise declaration: the SQLite driver reports
// NUMERIC(p,s) as SQL_DOUBLE, DECIMAL(p,s) and NUMBER(p,s) as SQL_VARCHAR
// and CHAR(n) as SQL_VARCHAR, all with 0 decimal digits. A type name
// NUMERIC, DECIMAL or NUMBER therefore gives Numeric, and CHAR, NCHAR or
// CHARACTER gives Char, whatever SQL type came with it.
//
// Where the driver leaves the scale out of the result description, the
// scale the table declares for the column is read from the catalog: the
// SQLite driver describes NUMERIC(12,2) with 0 decimal digits, but its
// SQLColumns TYPE_NAME keeps the declaration "NUMERIC(12,2)".
#pragma once

#include <sql.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "database/provider.h"
#include "database/odbc/odbc_provider.h"

namespace tpl::db::odbc {

enum class CellReading : uint8_t {
  Integer,    // Long, or Double beyond 32 bits
  Number,     // Double
  Timestamp,  // Date
  TimeOfDay,  // Date on day zero
  Boolean,
  Text,       // UTF-8 String
  Bytes,      // String holding the raw bytes
};

struct ReportedColumn {
  SQLSMALLINT sql_type = SQL_VARCHAR;
  SQLSMALLINT decimal_digits = 0;
  std::string type_name;  // SQL_DESC_TYPE_NAME, as the driver spells it
};

struct ColumnPlan {
  DataType type = DataType::VarChar;
  int32_t numeric_scale = 0;
  CellReading reading = CellReading::Text;
  // True when the type name says numeric but the SQL type carried no
  // scale: the declared scale has to be found elsewhere.
  bool scale_unreported = false;
};

ColumnPlan PlanColumn(const ReportedColumn& column);

// The scale a table declares for one of its columns. Nothing when the
// catalog does not know the column (a computed column, or one renamed with
// AS, whose base column name the SQLite driver reports as the new name) or
// when the lookup fails; a failed lookup never raises.
std::optional<int32_t> DeclaredScale(const OdbcSession& session, std::string_view table,
                                     std::string_view column) noexcept;

}  // namespace tpl::db::odbc
