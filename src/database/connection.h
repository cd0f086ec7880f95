// Connection: one open session on the database named by a connection
// string, in the shape the library's routines expect (read-uncommitted
// isolation and client-side cursors are implied). RAII: the destructor
// rolls back a transaction that was neither committed nor rolled back and
// closes the connection. The session beneath comes from the process's
// connection pool and goes back to it (connection_pool.h); to the caller
// it is a connection of its own, opened and closed.
//
// Opening takes the limits of the call the connection works for
// (call_limits.h): a routine of a call passes its context's limits, work
// outside any call CallLimits::OutsideAnyCall(). The session waits for
// locks by them until the connection closes.
#pragma once

#include <memory>
#include <string>

#include "database/call_limits.h"
#include "database/provider.h"

namespace tpl::db {

class Connection {
 public:
  Connection() = default;
  Connection(const std::string& connection_string, const CallLimits& call) {
    Open(connection_string, call);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Connection(Connection&&) noexcept = default;
  Connection& operator=(Connection&&) noexcept;
  ~Connection();

  // Opens the connection string unchanged; raises on failure.
  void Open(const std::string& connection_string, const CallLimits& call);
  bool IsOpen() const noexcept { return provider_ != nullptr; }
  void Close() noexcept;

  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const noexcept { return in_transaction_; }

  // The open session; raises error::kObjectClosed when closed.
  Provider& provider();

 private:
  std::unique_ptr<Provider> provider_;
  std::string connection_string_;
  bool in_transaction_ = false;
};

// A transaction that belongs to a block of code: begun on construction
// unless the connection is already inside one (then the outer transaction
// governs), rolled back on destruction unless committed.
class TransactionScope {
 public:
  explicit TransactionScope(Connection& connection) : connection_(connection) {
    if (!connection_.InTransaction()) {
      connection_.BeginTrans();
      owns_ = true;
    }
  }
  TransactionScope(const TransactionScope&) = delete;
  TransactionScope& operator=(const TransactionScope&) = delete;

  ~TransactionScope() {
    if (!owns_) return;
    try {
      connection_.RollbackTrans();
    } catch (...) {
    }
  }

  void Commit() {
    if (!owns_) return;
    connection_.CommitTrans();
    owns_ = false;
  }

 private:
  Connection& connection_;
  bool owns_ = false;
};

}  // namespace tpl::db
