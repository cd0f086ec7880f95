// Binds the parameters of a text command to the markers of its statements:
// each "?" takes the next parameter in order, across all the statements of
// the batch; "?NNN" takes parameter NNN (from 1); a named marker (@name,
// :name) takes the parameter of that name, without case.
#pragma once

#include <vector>

#include "platform/database/provider.h"
#include "platform/sqlite/statement_runner.h"

namespace tpl::db::sqlite {

class CommandParameterBinder final : public StatementBinder {
 public:
  CommandParameterBinder(sqlite3* connection, const std::vector<Parameter>& parameters) noexcept
      : connection_(connection), parameters_(parameters) {}

  void Bind(sqlite3_stmt* statement) override;

 private:
  const Parameter& ParameterFor(const char* marker);

  sqlite3* connection_;
  const std::vector<Parameter>& parameters_;
  size_t next_ = 0;
};

}  // namespace tpl::db::sqlite
