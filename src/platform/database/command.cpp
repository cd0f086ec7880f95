#include "platform/database/command.h"

#include "platform/database/fault_injection.h"
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

}  // namespace tpl::db
