// Command: a SQL text or a stored procedure with named parameters, run on
// an open connection. Output parameters are read back by name after
// Execute.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/connection.h"
#include "database/provider.h"
#include "database/recordset.h"

namespace tpl::db {

class Command {
 public:
  explicit Command(Connection& connection) : connection_(&connection) {}

  void SetCommandText(std::string text) { text_ = std::move(text); }
  void SetCommandType(CommandType type) { type_ = type; }
  void SetCommandTimeout(int32_t seconds) { timeout_ = seconds; }
  // The command's text comes from a caller (a report's query): on the
  // embedded database it may only read (Provider::RestrictToReading).
  void RestrictToReading() { reading_only_ = true; }

  void AppendParameter(std::string name, DataType type, ParameterDirection direction,
                       int32_t size, Variant value);
  // Value of a parameter after Execute; raises kItemNotFound for a name
  // that was never appended.
  const Variant& ParameterValue(std::string_view name) const;

  Recordset Execute();
  // Runs the command and hands its first row set to `receive` in blocks
  // as they are fetched (Provider::ExecuteInBlocks); false when it returned
  // no row set. With `following`, the rest of the batch runs too and its
  // row sets land there, behind the first one's columns, ready for a
  // Recordset.
  bool ExecuteInBlocks(size_t rows_per_block, const BlockReceiver& receive,
                       std::vector<ResultSet>* following = nullptr);

 private:
  Connection* connection_;
  std::string text_;
  CommandType type_ = CommandType::Text;
  int32_t timeout_ = kDefaultCommandTimeout;
  bool reading_only_ = false;
  std::vector<Parameter> parameters_;
};

}  // namespace tpl::db
