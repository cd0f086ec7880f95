#include "database/recordset.h"

#include "database/fault_injection.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl::db {

Recordset::Recordset(std::vector<ResultSet> row_sets) { Load(std::move(row_sets)); }

void Recordset::Load(std::vector<ResultSet> row_sets) {
  row_sets_ = std::move(row_sets);
  current_ = 0;
  row_ = 0;
}

void Recordset::Open(std::string_view sql, const std::string& connection_string,
                     const CallLimits& call) {
  FaultContext context(sql);
  Connection connection(connection_string, call);
  Open(sql, connection);
}

void Recordset::Open(std::string_view sql, Connection& connection) {
  FaultContext context(sql);
  FaultPoint("execute", sql);
  std::vector<Parameter> no_parameters;
  Load(connection.provider().Execute(CommandType::Text, sql, no_parameters,
                                     kDefaultCommandTimeout));
}

void Recordset::Close() noexcept {
  row_sets_.clear();
  current_ = 0;
  row_ = 0;
}

const ResultSet& Recordset::Current() const {
  if (!IsOpen()) Raise(error::kObjectClosed);
  return row_sets_[current_];
}

ResultSet& Recordset::Current() {
  if (!IsOpen()) Raise(error::kObjectClosed);
  return row_sets_[current_];
}

bool Recordset::Eof() const { return row_ >= Current().row_count(); }

int32_t Recordset::RecordCount() const { return static_cast<int32_t>(Current().row_count()); }

int32_t Recordset::FieldCount() const { return static_cast<int32_t>(Current().columns.size()); }

int32_t Recordset::FieldIndex(std::string_view name) const {
  const ResultSet& set = Current();
  std::string wanted = UCase(name);
  for (size_t i = 0; i < set.columns.size(); ++i) {
    if (UCase(set.columns[i].name) == wanted) return static_cast<int32_t>(i);
  }
  Raise(error::kItemNotFound);
}

const Variant& Recordset::Value(int32_t index) const {
  const ResultSet& set = Current();
  if (index < 0 || static_cast<size_t>(index) >= set.columns.size()) Raise(error::kItemNotFound);
  if (row_ >= set.row_count()) Raise(error::kNoCurrentRecord);
  return set.cells[row_ * set.columns.size() + index];
}

const Variant& Recordset::Value(std::string_view name) const { return Value(FieldIndex(name)); }

void Recordset::MoveNext() {
  if (Eof()) Raise(error::kNoCurrentRecord);
  ++row_;
}

bool Recordset::NextRecordset() {
  if (!IsOpen()) return false;
  std::optional<RuntimeError> failure = std::move(row_sets_[current_].deferred_failure);
  row_sets_[current_] = ResultSet{};  // the row set left behind is no longer reachable
  ++current_;
  row_ = 0;
  if (failure) {
    // A later statement of the batch failed: nothing follows the row sets
    // already read.
    Close();
    throw std::move(*failure);
  }
  return IsOpen();
}

}  // namespace tpl::db
