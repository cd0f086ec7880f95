// The stored procedures of template administration are called as
// stored-procedure commands with named parameters: 32-bit integers of size
// 0, variable texts and fixed-width texts of a declared size. ProcedureCall
// builds one such command on an open connection and runs it.
#pragma once

#include <cstdint>
#include <string>

#include "database/command.h"
#include "database/connection.h"
#include "database/recordset.h"
#include "tpl/variant.h"

namespace tpl {

class ProcedureCall {
 public:
  ProcedureCall(db::Connection& connection, std::string procedure);

  // Input parameters. A value that is no number fails the integer one when
  // the command runs (type mismatch), as the database client does.
  ProcedureCall& Integer(std::string name, const Variant& value);
  ProcedureCall& Text(std::string name, int32_t size, const Variant& value);
  ProcedureCall& FixedText(std::string name, int32_t size, const Variant& value);
  // An output parameter of type 32-bit integer, read with Output after Run.
  ProcedureCall& IntegerOutput(std::string name);

  db::Recordset Run();
  const Variant& Output(const std::string& name) const;

 private:
  db::Command command_;
};

}  // namespace tpl
