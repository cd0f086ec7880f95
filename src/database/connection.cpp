#include "database/connection.h"

#include "database/connection_pool.h"
#include "database/fault_injection.h"
#include "tpl/runtime_error.h"

namespace tpl::db {

Connection& Connection::operator=(Connection&& other) noexcept {
  if (this != &other) {
    Close();
    provider_ = std::move(other.provider_);
    connection_string_ = std::move(other.connection_string_);
    in_transaction_ = other.in_transaction_;
    other.in_transaction_ = false;
  }
  return *this;
}

Connection::~Connection() { Close(); }

void Connection::Open(const std::string& connection_string, const CallLimits& call) {
  Close();
  FaultPoint("open");
  provider_ = ConnectionPool::Shared().Take(connection_string, call);
  connection_string_ = connection_string;
  NoteConnectionOpened();
}

void Connection::Close() noexcept {
  if (!provider_) return;
  if (in_transaction_) {
    // A transaction never outlives its connection: what was not committed
    // is undone. A session that cannot undo it is closed, not pooled.
    try {
      provider_->RollbackTransaction();
    } catch (...) {
      provider_.reset();
    }
    in_transaction_ = false;
  }
  ConnectionPool::Shared().HandBack(connection_string_, std::move(provider_));
  NoteConnectionClosed();
}

Provider& Connection::provider() {
  if (!provider_) Raise(error::kObjectClosed);
  return *provider_;
}

void Connection::BeginTrans() {
  FaultPoint("begin");
  provider().BeginTransaction();
  in_transaction_ = true;
}

void Connection::CommitTrans() {
  FaultPoint("commit");
  provider().CommitTransaction();
  in_transaction_ = false;
}

void Connection::RollbackTrans() {
  provider().RollbackTransaction();
  in_transaction_ = false;
}

}  // namespace tpl::db
