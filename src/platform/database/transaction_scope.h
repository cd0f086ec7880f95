// A transaction that belongs to a block of code: begun on construction
// unless the connection is already inside one (then the outer transaction
// governs), rolled back on destruction unless committed.
#pragma once

#include "platform/database/connection.h"

namespace tpl::db {

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
