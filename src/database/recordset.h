// Recordset: the row sets a command produced, read through a client-side
// cursor (every row is in memory, so RecordCount is exact). Field values
// belong to the current row; NextRecordset moves on to the following row
// set of a batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/connection.h"
#include "database/provider.h"

namespace tpl::db {

// Time-out of commands that do not set one, in seconds.
inline constexpr int32_t kDefaultCommandTimeout = 30;

class Recordset {
 public:
  Recordset() = default;
  explicit Recordset(std::vector<ResultSet> row_sets);

  // Runs a text on its own session opened from the connection string for
  // `call` (Connection::Open) and released before returning.
  void Open(std::string_view sql, const std::string& connection_string, const CallLimits& call);
  // Runs a text on an open connection (inside its transaction, if any).
  void Open(std::string_view sql, Connection& connection);

  // True when a row set is current (the platform's State non-zero).
  bool IsOpen() const noexcept { return current_ < row_sets_.size(); }
  void Close() noexcept;

  bool Eof() const;
  int32_t RecordCount() const;
  int32_t FieldCount() const;
  // Value of a field in the current row; by name the match ignores case.
  // Raises kItemNotFound for an unknown field and 3021 at the end.
  const Variant& Value(int32_t index) const;
  const Variant& Value(std::string_view name) const;

  void MoveNext();

  // Moves to the next row set of the batch; false, and closed, when none.
  // Raises, and closes, when the statement that would have given it
  // failed (see ResultSet::deferred_failure).
  bool NextRecordset();

  // The current row set itself, for whole-result work (the mutable form
  // lets a caller move values out instead of copying them).
  const ResultSet& Current() const;
  ResultSet& Current();

 private:
  void Load(std::vector<ResultSet> row_sets);
  int32_t FieldIndex(std::string_view name) const;

  std::vector<ResultSet> row_sets_;
  size_t current_ = 0;  // == row_sets_.size() when closed
  size_t row_ = 0;
};

}  // namespace tpl::db
