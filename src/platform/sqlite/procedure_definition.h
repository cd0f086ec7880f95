// A stored procedure of the embedded database: its name, its declared
// parameters and its body of SQLite statements (see db/README.md).
//
// The source form, as kept in db/procedures/*.sql:
//
//   -- comments
//   CREATE PROCEDURE SP_NAME
//     @pUSUARIO_ID  INTEGER,
//     @pTITULO      VARCHAR(100),
//     @pNOVO_ID     INTEGER OUTPUT
//   AS
//   statement; statement; ...
//
// The parameter list may be put between parentheses; "@" before a
// parameter name and the type are optional; OUTPUT (or OUT) marks an output
// parameter. Names are letters, digits and "_", not starting with a digit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tpl::db::sqlite {

struct ProcedureParameter {
  std::string name;  // without "@"
  std::string type;  // as declared, "VARCHAR(100)"; may be empty
  bool output = false;
};

struct ProcedureDefinition {
  std::string name;
  std::vector<ProcedureParameter> parameters;
  std::string body;

  // The position of a parameter named without case and with or without
  // "@"; -1 when there is none.
  int IndexOf(std::string_view parameter_name) const;
};

// Reads the source form above; raises an error naming what is wrong.
ProcedureDefinition ParseProcedureSource(std::string_view source);

}  // namespace tpl::db::sqlite
