#include "database/command.h"

#include <algorithm>

#include "database/fault_injection.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::db {
namespace {

// Parameter names match without case and without a leading "@".
std::string ParameterKey(std::string_view name) {
  if (!name.empty() && name.front() == '@') name.remove_prefix(1);
  return UCase(name);
}

}  // namespace

void Command::AppendParameter(std::string name, DataType type, ParameterDirection direction,
                              int32_t size, Variant value) {
  parameters_.push_back(Parameter{std::move(name), type, direction, size, std::move(value)});
}

const Variant& Command::ParameterValue(std::string_view name) const {
  std::string wanted = ParameterKey(name);
  for (const Parameter& parameter : parameters_) {
    if (ParameterKey(parameter.name) == wanted) return parameter.value;
  }
  Raise(error::kItemNotFound);
}

namespace {

// Restricts a session for one command and lifts the restriction however
// the command ends, so that the session serves its next statements (and
// its next caller, from the pool) as before.
class ReadingOnlyScope {
 public:
  ReadingOnlyScope(Provider& provider, bool on) : provider_(on ? &provider : nullptr) {
    if (provider_ != nullptr) provider_->RestrictToReading(true);
  }
  ReadingOnlyScope(const ReadingOnlyScope&) = delete;
  ReadingOnlyScope& operator=(const ReadingOnlyScope&) = delete;
  ~ReadingOnlyScope() {
    if (provider_ != nullptr) provider_->RestrictToReading(false);
  }

 private:
  Provider* provider_;
};

}  // namespace

Recordset Command::Execute() {
  FaultContext context(text_);
  FaultPoint("execute", text_);
  Provider& provider = connection_->provider();
  const ReadingOnlyScope reading_only(provider, reading_only_);
  return Recordset(provider.Execute(type_, text_, parameters_, timeout_));
}

bool Command::ExecuteInBlocks(size_t rows_per_block, const BlockReceiver& receive,
                              std::vector<ResultSet>* following) {
  FaultContext context(text_);
  FaultPoint("execute", text_);
  Provider& provider = connection_->provider();
  const ReadingOnlyScope reading_only(provider, reading_only_);
  return provider.ExecuteInBlocks(type_, text_, parameters_, timeout_, rows_per_block, receive,
                                  following);
}

bool Provider::ExecuteInBlocks(CommandType type, std::string_view text,
                               std::vector<Parameter>& parameters, int32_t timeout_seconds,
                               size_t rows_per_block, const BlockReceiver& receive,
                               std::vector<ResultSet>* following) {
  std::vector<ResultSet> results = Execute(type, text, parameters, timeout_seconds);
  if (results.empty()) return false;
  HandOverInBlocks(results.front(), rows_per_block, receive);
  if (following != nullptr) {
    results.front().cells.clear();
    *following = std::move(results);
  }
  return true;
}

void HandOverInBlocks(ResultSet& rows, size_t rows_per_block, const BlockReceiver& receive) {
  const size_t width = rows.columns.size();
  const size_t total = rows.row_count();
  rows_per_block = std::max<size_t>(rows_per_block, 1);
  ResultSet block;
  block.columns = rows.columns;
  size_t next = 0;
  do {
    block.cells.clear();
    const size_t end = std::min(total, next + rows_per_block);
    for (size_t cell = next * width; cell < end * width; ++cell)
      block.cells.push_back(std::move(rows.cells[cell]));
    next = end;
    receive(block);
  } while (next < total);
}

}  // namespace tpl::db
