#include "database/odbc/odbc_provider.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "database/odbc/odbc_parameter_bindings.h"
#include "database/odbc/odbc_result_reader.h"
#include "database/odbc/odbc_time_limits.h"
#include "sentences/sentences.h"

namespace tpl::db::odbc {

// Diagnostics turned into RuntimeError.

namespace {

bool IsWarning(const DiagnosticRecord& record) { return record.sql_state.starts_with("01"); }

bool IsTimeout(const DiagnosticRecord& record) {
  const std::string& state = record.sql_state;
  return state == "HYT00" || state == "HYT01" || state == "HY008" || state == "57014";
}

// Class 08 (connection exception, "08S01" communication link failure) and PostgreSQL's 57P01 to 57P03 (the server
// terminated the session, or is shutting down or not yet accepting sessions).
bool IsSessionLost(const DiagnosticRecord& record) {
  const std::string& state = record.sql_state;
  return state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03";
}

}  // namespace

std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    std::string message(512, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handle_type, handle, number, state, &native,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (length >= static_cast<SQLSMALLINT>(message.size())) {
      // The message did not fit: ask again with room for all of it.
      message.assign(static_cast<size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handle_type, handle, number, state, &native,
                         reinterpret_cast<SQLCHAR*>(message.data()),
                         static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(rc)) break;
    }
    message.resize(std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)),
                                    message.size() - 1));
    records.push_back({reinterpret_cast<const char*>(state), native, std::move(message)});
  }
  return records;
}

RuntimeError ToRuntimeError(const std::vector<DiagnosticRecord>& records) {
  if (records.empty()) {
    return RuntimeError(kUnspecifiedOdbcError, std::string(sentences::kOdbcWithoutDiagnostics));
  }
  auto primary = std::find_if(records.begin(), records.end(),
                              [](const DiagnosticRecord& r) { return !IsWarning(r); });
  if (primary == records.end()) primary = records.begin();

  std::string description;
  for (const DiagnosticRecord& record : records) {
    if (record.message.empty()) continue;
    if (!description.empty()) description += "; ";
    description += record.message;
  }

  auto timeout = std::find_if(records.begin(), records.end(), IsTimeout);
  if (timeout != records.end()) {
    return RuntimeError(error::kCommandTimeout, std::move(description), 0, timeout->sql_state);
  }
  const int32_t number = primary->native_error != 0 ? primary->native_error : kUnspecifiedOdbcError;
  auto lost = std::find_if(records.begin(), records.end(), IsSessionLost);
  return RuntimeError(number, std::move(description), 0,
                      lost != records.end() ? lost->sql_state : primary->sql_state);
}

void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle) {
  if (SQL_SUCCEEDED(rc)) return;
  throw ToRuntimeError(ReadDiagnostics(handle_type, handle));
}

// The session with the data source.

namespace {

EnvironmentHandle NewEnvironment() {
  RequireDriverManager();
  SQLHANDLE handle = SQL_NULL_HANDLE;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
    throw RuntimeError(kUnspecifiedOdbcError, std::string(sentences::kDriverManagerUnavailable));
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

OdbcSession::OdbcSession(const std::string& connection_string, std::chrono::seconds login_timeout)
    : environment_(NewEnvironment()), connection_(NewConnection(environment_)) {
  if (connection_string.size() > static_cast<size_t>(std::numeric_limits<SQLSMALLINT>::max())) {
    throw RuntimeError(kUnspecifiedOdbcError, std::string(sentences::kConnectionStringTooLong));
  }
  std::vector<SQLCHAR> text(connection_string.begin(), connection_string.end());
  text.push_back(0);
  // Set before connecting; a driver that cannot time a log-in out says so
  // with a warning and connects without one.
  SQLSetConnectAttr(connection_.get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(login_timeout.count())), 0);
  const auto started = std::chrono::steady_clock::now();
  const SQLRETURN rc = SQLDriverConnect(connection_.get(), nullptr, text.data(),
                                        static_cast<SQLSMALLINT>(connection_string.size()), nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    const RuntimeError failure = ToRuntimeError(ReadDiagnostics(SQL_HANDLE_DBC, connection_.get()));
    if (std::chrono::steady_clock::now() - started < login_timeout) throw failure;
    // The drivers word a log-in time-out each their own way (and some as
    // HYT00, which is no command time-out): the description says it
    // plainly, and the SQLSTATE is ODBC's own for it, by which the pool
    // knows the server for unreachable.
    const int32_t number = failure.number() == error::kCommandTimeout ? kUnspecifiedOdbcError : failure.number();
    throw RuntimeError(number,
                       Compose(sentences::kLoginTimedOut, std::to_string(login_timeout.count()),
                               failure.description()),
                       0, std::string(kLoginTimeoutState));
  }
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

// The provider: commands and transactions on the session.

namespace {

class OdbcProvider final : public Provider {
 public:
  OdbcProvider(const std::string& connection_string, const CallLimits& call)
      : Provider(call), session_(connection_string, call.values().login_timeout) {
    session_.TrySetReadUncommitted();
    session_.SetAutocommit(true);
    reading_.look_up_declared_scales = session_.DbmsName() == "SQLite";
  }

  std::vector<ResultSet> Execute(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                                 int32_t timeout_seconds) override {
    CheckCommandText(text);
    return NotingFailure([&] { return Run(type, text, parameters, timeout_seconds); });
  }

  // A procedure's output values arrive only once all its results were
  // read: procedures are read whole and then handed over in blocks.
  bool ExecuteInBlocks(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                       int32_t timeout_seconds, size_t rows_per_block,
                       const BlockReceiver& receive, std::vector<ResultSet>* following) override {
    if (type == CommandType::StoredProcedure) {
      return Provider::ExecuteInBlocks(type, text, parameters, timeout_seconds, rows_per_block,
                                       receive, following);
    }
    CheckCommandText(text);
    return NotingFailure([&] {
      return RunInBlocks(text, parameters, timeout_seconds, rows_per_block, receive, following);
    });
  }

  void BeginTransaction() override {
    if (in_transaction_) {
      throw RuntimeError(kUnspecifiedOdbcError, std::string(sentences::kTransactionAlreadyOpen));
    }
    NotingFailure([&] { session_.SetAutocommit(false); });
    in_transaction_ = true;
  }

  // A failed commit or rollback leaves the transaction open: turning
  // autocommit back on would commit whatever it holds.
  void CommitTransaction() override {
    if (!in_transaction_) {
      throw RuntimeError(kUnspecifiedOdbcError, std::string(sentences::kNoTransactionOpen));
    }
    NotingFailure([&] { session_.EndTransaction(SQL_COMMIT); });
    in_transaction_ = false;
    NotingFailure([&] { session_.SetAutocommit(true); });
  }

  void RollbackTransaction() override {
    if (!in_transaction_) return;
    NotingFailure([&] { session_.EndTransaction(SQL_ROLLBACK); });
    in_transaction_ = false;
    NotingFailure([&] { session_.SetAutocommit(true); });
  }

  // A session whose command failed is not pooled: after a failure some
  // servers keep the transaction aborted or the connection half-closed.
  // The driver's own word counts too, where it knows the link is gone.
  bool IsBroken() const noexcept override {
    if (failed_) return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(SQLGetConnectAttr(session_.handle(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_TRUE;
  }

  // What a fresh session is: autocommit on, no transaction, the isolation
  // it was opened with (a statement may have changed it). Statements are
  // freed after every command, so no result is left pending.
  bool ResetForReuse() noexcept override {
    try {
      RollbackTransaction();
      session_.TrySetReadUncommitted();
      return !failed_;
    } catch (...) {
      return false;
    }
  }

 private:
  std::vector<ResultSet> Run(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                             int32_t timeout_seconds) {
    const StatementHandle statement = session_.NewStatement();
    std::string sql = type == CommandType::StoredProcedure ? BuildCallText(text, parameters.size())
                                                           : std::string(text);
    const ParameterBindings bindings(statement.get(), parameters);
    const StatementTimeLimit limit(statement.get(), timeout_seconds);
    std::vector<ResultSet> results;
    try {
      // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row.
      const SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                         static_cast<SQLINTEGER>(sql.size()));
      if (rc != SQL_NO_DATA) Check(rc, statement);
      results = ReadAllResultSets(session_, statement, reading_);
    } catch (const RuntimeError& failure) {
      throw AsSeenByCaller(failure, limit);
    }
    if (!results.empty() && results.back().deferred_failure) {
      results.back().deferred_failure = AsSeenByCaller(*results.back().deferred_failure, limit);
      failed_ = true;
    }
    // Output values arrive only after the last result set was read.
    bindings.WriteBackOutputs(parameters);
    return results;
  }

  bool RunInBlocks(std::string_view text, std::vector<Parameter>& parameters,
                   int32_t timeout_seconds, size_t rows_per_block, const BlockReceiver& receive,
                   std::vector<ResultSet>* following) {
    const StatementHandle statement = session_.NewStatement();
    std::string sql(text);
    const ParameterBindings bindings(statement.get(), parameters);
    StatementTimeLimit limit(statement.get(), timeout_seconds);
    const BlockReceiver timed = [&](ResultSet& block) {
      const StatementTimeLimit::Paused paused(limit);
      receive(block);
    };
    try {
      const SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(sql.data()),
                                         static_cast<SQLINTEGER>(sql.size()));
      // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row.
      if (rc != SQL_NO_DATA) Check(rc, statement);
      const bool found =
          ReadFirstResultSetInBlocks(session_, statement, reading_, rows_per_block, timed, following);
      if (following != nullptr && !following->empty() && following->back().deferred_failure) {
        following->back().deferred_failure = AsSeenByCaller(*following->back().deferred_failure, limit);
        failed_ = true;
      }
      return found;
    } catch (const RuntimeError& failure) {
      throw AsSeenByCaller(failure, limit);
    }
  }

  // A statement the watchdog cancelled failed because of its time-out,
  // whatever the driver says about the cancel.
  static RuntimeError AsSeenByCaller(const RuntimeError& failure, const StatementTimeLimit& limit) {
    if (!limit.cancelled()) return failure;
    return RuntimeError(error::kCommandTimeout, std::string(sentences::kQueryTimedOut) + ": " + failure.description(), 0,
                        "HYT00");
  }

  template <typename Work>
  auto NotingFailure(Work work) -> decltype(work()) {
    try {
      return work();
    } catch (const RuntimeError&) {
      failed_ = true;
      throw;
    }
  }

  OdbcSession session_;
  ResultReadingOptions reading_;
  bool in_transaction_ = false;
  // Set once any command or transaction step of the session failed, a lost session included.
  bool failed_ = false;
};

}  // namespace

}  // namespace tpl::db::odbc

namespace tpl::db {

std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connection_string,
                                           const CallLimits& call) {
  return std::make_unique<odbc::OdbcProvider>(connection_string, call);
}

}  // namespace tpl::db
