// The ODBC call escape that runs a stored procedure with its parameters
// bound to "?" markers in order: "{call SP_NAME(?,?)}", or "{call SP_NAME}"
// when it takes none. The driver turns it into its own dialect (EXEC on
// SQL Server, an anonymous block on Oracle).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tpl::db::odbc {

// Blanks around the name are dropped. A name that is blank or holds a
// character that would end the escape or the call early ("{", "}", "(",
// ")", ";" or a line break) raises error::kInvalidProcedureCall.
std::string BuildCallText(std::string_view procedure_name, size_t parameter_count);

}  // namespace tpl::db::odbc
