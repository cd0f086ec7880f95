// One session with a data source through the driver manager: the
// environment and connection handles, connected on construction and
// disconnected on destruction (an open transaction is rolled back first).
#pragma once

#include <sql.h>

#include <string>

#include "platform/odbc/odbc_handle.h"

namespace tpl::db::odbc {

class OdbcSession {
 public:
  // Hands the connection string unchanged to SQLDriverConnect, never
  // prompting. Raises the driver manager's or driver's error on failure.
  explicit OdbcSession(const std::string& connection_string);
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
