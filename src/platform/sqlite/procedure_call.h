// Reading of procedure calls as the library writes them for SQL Server:
// "EXEC SP_NAME 57, 'texto', null" and stored-procedure commands whose text
// is just the name. A schema prefix ("dbo.SP_NAME") and quoting of the
// parts ("[dbo].[SP_NAME]") are accepted; the schema is dropped, as the
// embedded database has one.
#pragma once

#include <string>
#include <string_view>

namespace tpl::db::sqlite {

struct ProcedureCall {
  std::string name;
  std::string_view arguments;  // the literal list after the name, trimmed; may be empty
};

// Reads "EXEC name args" or "EXECUTE name args", with or without a final ";".
// Raises an error when the statement names no procedure.
ProcedureCall ParseProcedureCall(std::string_view statement);

// The procedure named by a stored-procedure command's text; raises an error
// when anything else follows the name.
std::string ProcedureNameOf(std::string_view command_text);

}  // namespace tpl::db::sqlite
