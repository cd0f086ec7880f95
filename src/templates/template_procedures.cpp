// Stored-procedure commands of template administration.
#include "templates/template_procedures.h"

namespace tpl {

ProcedureCall::ProcedureCall(db::Connection& connection, std::string procedure)
    : command_(connection) {
  command_.SetCommandType(db::CommandType::StoredProcedure);
  command_.SetCommandText(std::move(procedure));
}

ProcedureCall& ProcedureCall::Integer(std::string name, const Variant& value) {
  command_.AppendParameter(std::move(name), db::DataType::Integer,
                           db::ParameterDirection::Input, 0, value);
  return *this;
}

ProcedureCall& ProcedureCall::Text(std::string name, int32_t size, const Variant& value) {
  command_.AppendParameter(std::move(name), db::DataType::VarChar,
                           db::ParameterDirection::Input, size, value);
  return *this;
}

ProcedureCall& ProcedureCall::FixedText(std::string name, int32_t size, const Variant& value) {
  command_.AppendParameter(std::move(name), db::DataType::Char, db::ParameterDirection::Input,
                           size, value);
  return *this;
}

ProcedureCall& ProcedureCall::IntegerOutput(std::string name) {
  command_.AppendParameter(std::move(name), db::DataType::Integer,
                           db::ParameterDirection::Output, 0, Variant());
  return *this;
}

db::Recordset ProcedureCall::Run() { return command_.Execute(); }

const Variant& ProcedureCall::Output(const std::string& name) const {
  return command_.ParameterValue(name);
}

}  // namespace tpl
