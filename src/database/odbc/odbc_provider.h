// The provider for "Driver=" and "DSN=" connection strings: a session
// through the ODBC driver manager (unixODBC), used with the SQL Server and
// Oracle drivers and tested with the SQLite and PostgreSQL ones.
//
// Below the entry point lie the pieces the session is made of:
// - the owners of the ODBC handles (environment, connection, statement),
//   which free them when destroyed;
// - the translation of ODBC diagnostics into the library's RuntimeError.
//   Every failed ODBC call of this provider ends there, so the error
//   number, the message and the SQLSTATE are chosen in one place;
// - the session with a data source: the environment and connection
//   handles, connected on construction and disconnected on destruction
//   (an open transaction is rolled back first).
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/odbc/odbc_library.h"
#include "database/provider.h"
#include "tpl/runtime_error.h"

namespace tpl::db {

// Connects with the connection string unchanged, never prompting; asks for
// read-uncommitted isolation (kept at the driver's default when refused)
// and works in autocommit mode outside transactions. Raises the driver
// manager's or driver's error when the connection fails. The log-in
// time-out is that of `call`.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connection_string,
                                           const CallLimits& call);

}  // namespace tpl::db

namespace tpl::db::odbc {

// Owner of one ODBC handle (environment, connection or statement): frees
// it when destroyed. Moving transfers ownership; copying is not allowed.
template <SQLSMALLINT kHandleType>
class OdbcHandle {
 public:
  static constexpr SQLSMALLINT kType = kHandleType;

  OdbcHandle() noexcept = default;
  explicit OdbcHandle(SQLHANDLE handle) noexcept : handle_(handle) {}
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
  OdbcHandle(OdbcHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OdbcHandle& operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
      Free();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~OdbcHandle() { Free(); }

  SQLHANDLE get() const noexcept { return handle_; }

 private:
  void Free() noexcept {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(kHandleType, handle_);
    handle_ = SQL_NULL_HANDLE;
  }

  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

using EnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using ConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StatementHandle = OdbcHandle<SQL_HANDLE_STMT>;

// Number given to a failure whose diagnostic carries no native error
// (driver-manager failures such as an unknown driver or DSN). It is
// 0x80004005, the "unspecified error" that ADO reports in the same case.
inline constexpr int32_t kUnspecifiedOdbcError = -2147467259;

struct DiagnosticRecord {
  std::string sql_state;  // five characters, "42S02"
  int32_t native_error = 0;
  std::string message;
};

// The diagnostic records the last call on `handle` left, in the driver's order.
std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// The error for a failed call. The first record that is not a warning
// (SQLSTATE class "01") gives the number and SQLSTATE; the description joins
// the messages of all records. A time-out on any record gives
// error::kCommandTimeout: HYT00 or HYT01, HY008 (the statement was
// cancelled, as drivers report a time-out they enforce by cancelling) and
// 57014 (PostgreSQL's "canceling statement due to statement timeout"). A
// record saying the session is lost (class 08, PostgreSQL's 57P01 to
// 57P03) gives its SQLSTATE to the error, so that a caller sees the loss
// in the error alone.
RuntimeError ToRuntimeError(const std::vector<DiagnosticRecord>& records);

// Raises the diagnostics of `handle` unless `rc` reports success.
void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle);

template <SQLSMALLINT kType>
void Check(SQLRETURN rc, const OdbcHandle<kType>& handle) {
  Check(rc, kType, handle.get());
}

// One session with a data source through the driver manager.
class OdbcSession {
 public:
  // Hands the connection string unchanged to SQLDriverConnect, never
  // prompting, with the log-in time-out given (odbc_time_limits.h). Raises
  // the driver manager's or driver's error on failure; a server that did
  // not answer within the time-out is named as such in the description.
  OdbcSession(const std::string& connection_string, std::chrono::seconds login_timeout);
  OdbcSession(const OdbcSession&) = delete;
  OdbcSession& operator=(const OdbcSession&) = delete;
  ~OdbcSession();

  SQLHDBC handle() const noexcept { return connection_.get(); }
  StatementHandle NewStatement() const;

  // False when the driver refuses the isolation level.
  bool TrySetReadUncommitted() noexcept;
  void SetAutocommit(bool on);
  // Commits (SQL_COMMIT) or rolls back (SQL_ROLLBACK) the open transaction.
  void EndTransaction(SQLSMALLINT completion);
  // SQL_DBMS_NAME, "SQLite" or "Microsoft SQL Server"; empty when unknown.
  std::string DbmsName() const;

 private:
  EnvironmentHandle environment_;
  ConnectionHandle connection_;
  bool connected_ = false;
};

}  // namespace tpl::db::odbc
