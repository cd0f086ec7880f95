#include "platform/odbc/odbc_session.h"

#include <sqlext.h>

#include <limits>
#include <vector>

#include "platform/odbc/odbc_error.h"

namespace tpl::db::odbc {
namespace {

EnvironmentHandle NewEnvironment() {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
    throw RuntimeError(kUnspecifiedOdbcError, "Não foi possível iniciar o gerenciador de drivers ODBC");
  }
  EnvironmentHandle environment(handle);
  Check(SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        environment);
  return environment;
}

ConnectionHandle NewConnection(const EnvironmentHandle& environment) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  Check(SQLAllocHandle(SQL_HANDLE_DBC, environment.get(), &handle), environment);
  return ConnectionHandle(handle);
}

}  // namespace

OdbcSession::OdbcSession(const std::string& connection_string)
    : environment_(NewEnvironment()), connection_(NewConnection(environment_)) {
  if (connection_string.size() > static_cast<size_t>(std::numeric_limits<SQLSMALLINT>::max())) {
    throw RuntimeError(kUnspecifiedOdbcError, "Cadeia de conexão longa demais");
  }
  std::vector<SQLCHAR> text(connection_string.begin(), connection_string.end());
  text.push_back(0);
  Check(SQLDriverConnect(connection_.get(), nullptr, text.data(),
                         static_cast<SQLSMALLINT>(connection_string.size()), nullptr, 0, nullptr,
                         SQL_DRIVER_NOPROMPT),
        connection_);
  connected_ = true;
}

OdbcSession::~OdbcSession() {
  if (!connected_) return;
  if (!SQL_SUCCEEDED(SQLDisconnect(connection_.get()))) {
    // A driver in manual-commit mode refuses to disconnect with work pending.
    SQLEndTran(SQL_HANDLE_DBC, connection_.get(), SQL_ROLLBACK);
    SQLDisconnect(connection_.get());
  }
}

StatementHandle OdbcSession::NewStatement() const {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  Check(SQLAllocHandle(SQL_HANDLE_STMT, connection_.get(), &handle), connection_);
  return StatementHandle(handle);
}

bool OdbcSession::TrySetReadUncommitted() noexcept {
  return SQL_SUCCEEDED(SQLSetConnectAttr(connection_.get(), SQL_ATTR_TXN_ISOLATION,
                                         reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_UNCOMMITTED), 0));
}

void OdbcSession::SetAutocommit(bool on) {
  const SQLULEN value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  Check(SQLSetConnectAttr(connection_.get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(value), 0),
        connection_);
}

void OdbcSession::EndTransaction(SQLSMALLINT completion) {
  Check(SQLEndTran(SQL_HANDLE_DBC, connection_.get(), completion), connection_);
}

std::string OdbcSession::DbmsName() const {
  SQLCHAR name[128] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(connection_.get(), SQL_DBMS_NAME, name, sizeof name, &length))) return {};
  return reinterpret_cast<const char*>(name);
}

}  // namespace tpl::db::odbc
