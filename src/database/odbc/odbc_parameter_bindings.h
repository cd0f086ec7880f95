// The buffers behind the "?" markers of a statement. Parameters are bound
// in order; each keeps its buffer here for as long as the statement runs,
// and output parameters are read back from their buffers afterwards.
//
// Types: Integer and SmallInt go as 32-bit integers, BigInt as 64-bit,
// Double and the decimal types as doubles, Date and DBTimeStamp as
// timestamps, DBDate as a date, Boolean as a bit, the binary types as
// bytes and everything else as UTF-8 text (Char as SQL_CHAR, LongVarChar
// as SQL_LONGVARCHAR, the rest as SQL_VARCHAR) of the parameter's size.
// Input values are converted with the platform's rules (CLng, CDbl...);
// Null and Empty go as NULL.
//
// A stored procedure runs through the ODBC call escape, its parameters
// bound to the "?" markers in order: "{call SP_NAME(?,?)}", or
// "{call SP_NAME}" when it takes none. The driver turns it into its own
// dialect (EXEC on SQL Server, an anonymous block on Oracle).
#pragma once

#include <sql.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "database/provider.h"

namespace tpl::db::odbc {

// The call escape for a procedure. Blanks around the name are dropped. A
// name that is blank or holds a character that would end the escape or the
// call early ("{", "}", "(", ")", ";" or a line break) raises
// error::kInvalidProcedureCall.
std::string BuildCallText(std::string_view procedure_name, size_t parameter_count);

class ParameterBindings {
 public:
  // Binds `parameters` to the markers of `statement`, raising on a value
  // that does not convert or a bind the driver refuses.
  ParameterBindings(SQLHSTMT statement, const std::vector<Parameter>& parameters);
  ParameterBindings(const ParameterBindings&) = delete;
  ParameterBindings& operator=(const ParameterBindings&) = delete;

  // Writes the values the driver left in the output buffers into the output
  // parameters; a buffer the driver never wrote reads as Null.
  void WriteBackOutputs(std::vector<Parameter>& parameters) const;

  // What the driver finds in the indicator of parameter `index` (from 0).
  SQLLEN Indicator(size_t index) const { return bound_.at(index).indicator; }

 private:
  struct Bound {
    SQLSMALLINT c_type = 0;
    SQLSMALLINT sql_type = 0;
    SQLULEN column_size = 0;
    std::vector<char> buffer;
    SQLLEN indicator = SQL_NULL_DATA;
    // For an output: the indicator as preset, which no driver writes back
    // (0 for a fixed-size type, SQL_NTS for a text or bytes).
    SQLLEN unwritten_indicator = SQL_NULL_DATA;
    bool output = false;
  };

  static Bound Prepare(const Parameter& parameter);
  static Variant ValueOf(const Bound& bound);

  std::vector<Bound> bound_;
};

}  // namespace tpl::db::odbc
