#include "platform/sqlite/sqlite_provider.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/database/lock_wait.h"
#include "platform/sqlite/sql_dialect.h"
#include "platform/sqlite/sql_scanner.h"
#include "platform/sqlite/statements.h"
#include "platform/sqlite/stored_procedures.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

// ---- Errors

void RaiseSqliteError(sqlite3* connection, int result_code, std::string_view context) {
  int number = result_code;
  std::string message = sqlite3_errstr(result_code);
  // The connection's own message is more precise ("no such table: X"), but
  // only when its last failure is the one being reported.
  if (connection != nullptr && (sqlite3_extended_errcode(connection) & 0xff) == (result_code & 0xff)) {
    number = sqlite3_extended_errcode(connection);
    message = sqlite3_errmsg(connection);
  }
  std::string description(context);
  if (!description.empty()) description += ": ";
  description += message;
  throw RuntimeError(number, std::move(description));
}

void RaiseSqlError(std::string_view description) {
  throw RuntimeError(SQLITE_ERROR, std::string(description));
}

// ---- The session

// Called by SQLite while another session holds the lock a statement needs;
// `attempt` counts from 0 for each lock met. Waiting in short sleeps that
// grow to 100 ms, until the lock is free or the call's wait limit runs out
// (see platform/database/lock_wait.h: a call waits the full limit once,
// later locks fail at once). Answering 0 gives up: the statement fails with
// SQLITE_BUSY.
int WaitForLock(void*, int attempt) {
  using Clock = std::chrono::steady_clock;
  thread_local Clock::time_point started;
  if (attempt == 0) {
    if (!LockWaitAllowed()) return 0;
    started = Clock::now();
  }
  if (Clock::now() - started >= LockWaitLimit()) {
    NoteLockWaitRanOut();
    return 0;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min(100, 1 << std::min(attempt, 7))));
  return 1;
}

SqliteConnection OpenSqliteSession(const std::string& file) {
  const std::string context = "Banco de dados '" + file + "'";
  sqlite3* raw = nullptr;
  // Without SQLITE_OPEN_CREATE a missing file fails instead of being
  // silently created empty.
  const int result = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  SqliteConnection connection(raw);
  if (connection == nullptr) RaiseSqliteError(nullptr, SQLITE_NOMEM, context);
  CheckSqlite(connection.get(), result, context);

  sqlite3_extended_result_codes(connection.get(), 1);
  sqlite3_busy_handler(connection.get(), WaitForLock, nullptr);
  // Reading the schema now reports a file that is not a database here
  // rather than at the first command.
  ExecuteScript(connection.get(), "PRAGMA foreign_keys = ON; PRAGMA schema_version;", context);
  RegisterDialectFunctions(connection.get());
  return connection;
}

AtomicScope::AtomicScope(sqlite3* connection)
    : connection_(connection), savepoint_(sqlite3_get_autocommit(connection) == 0) {
  ExecuteScript(connection_, savepoint_ ? "SAVEPOINT tpl_atomic_scope" : "BEGIN IMMEDIATE");
}

void AtomicScope::Commit() {
  ExecuteScript(connection_, savepoint_ ? "RELEASE tpl_atomic_scope" : "COMMIT");
  open_ = false;
}

AtomicScope::~AtomicScope() {
  if (!open_) return;
  // An interrupted or failed statement may already have ended the whole
  // transaction; the results are ignored, a destructor cannot report them.
  if (savepoint_) {
    sqlite3_exec(connection_, "ROLLBACK TO tpl_atomic_scope; RELEASE tpl_atomic_scope", nullptr, nullptr, nullptr);
  } else if (sqlite3_get_autocommit(connection_) == 0) {
    sqlite3_exec(connection_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

}  // namespace tpl::db::sqlite

// ---- The provider

namespace tpl::db {
namespace {

using namespace sqlite;

class SqliteProvider final : public Provider {
 public:
  explicit SqliteProvider(SqliteConnection connection) noexcept : connection_(std::move(connection)) {}

  std::vector<ResultSet> Execute(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                                 int32_t timeout_seconds) override {
    CheckCommandText(text);
    StatementDeadline deadline(db(), timeout_seconds);
    try {
      if (type == CommandType::StoredProcedure) return RunProcedureNamed(ProcedureNameOf(text), parameters);
      return RunBatch(text, parameters, deadline);
    } catch (const RuntimeError& failure) {
      throw AsSeenByCaller(failure, deadline);
    }
  }

  void BeginTransaction() override { ExecuteScript(db(), "BEGIN IMMEDIATE"); }
  void CommitTransaction() override { ExecuteScript(db(), "COMMIT"); }
  void RollbackTransaction() override {
    // A failed statement may already have ended the transaction.
    if (sqlite3_get_autocommit(db()) == 0) ExecuteScript(db(), "ROLLBACK");
  }

 private:
  sqlite3* db() const noexcept { return connection_.get(); }

  // A statement interrupted by the deadline failed because of the time-out,
  // whatever SQLite says about it.
  static RuntimeError AsSeenByCaller(const RuntimeError& failure, const StatementDeadline& deadline) {
    if (deadline.expired()) return RuntimeError(error::kCommandTimeout, "Tempo limite da consulta expirado");
    return failure;
  }

  // A statement that fails once the batch has given a row set leaves the
  // row sets before it to the caller, its failure deferred to the next
  // NextRecordset, as a server delivers a batch (see provider.h).
  std::vector<ResultSet> RunBatch(std::string_view text, std::vector<Parameter>& parameters,
                                  const StatementDeadline& deadline) {
    std::vector<ResultSet> results;
    try {
      RunBatchStatements(text, parameters, results);
    } catch (const RuntimeError& failure) {
      if (results.empty()) throw;
      results.back().deferred_failure = AsSeenByCaller(failure, deadline);
    }
    return results;
  }

  void RunBatchStatements(std::string_view text, std::vector<Parameter>& parameters,
                          std::vector<ResultSet>& results) {
    const std::string sql = RewriteForeignDialect(text);
    CommandParameterBinder binder(db(), parameters);
    BatchReader reader(sql);
    while (auto statement = reader.Next()) {
      switch (statement->kind) {
        case BatchStatementKind::SessionOption:
          break;
        case BatchStatementKind::ProcedureCall: {
          const ProcedureCall call = ParseProcedureCall(statement->text);
          std::vector<Parameter> arguments = EvaluateArguments(call.arguments, binder);
          for (ResultSet& result : RunProcedureNamed(call.name, arguments)) results.push_back(std::move(result));
          break;
        }
        case BatchStatementKind::Sql:
          RunStatements(db(), statement->text, binder, results);
          break;
      }
    }
  }

  // The literal arguments of an EXEC ("57, 'texto', null, GETDATE()") are
  // evaluated by SQLite itself as the columns of one SELECT and passed on
  // by position.
  std::vector<Parameter> EvaluateArguments(std::string_view arguments, CommandParameterBinder& binder) {
    std::vector<Parameter> values;
    if (arguments.empty()) return values;
    std::vector<ResultSet> row;
    RunStatements(db(), "SELECT " + std::string(arguments), binder, row);
    if (row.size() != 1 || row.front().row_count() != 1) {
      RaiseSqlError("Argumentos inválidos na chamada de procedimento: " + std::string(arguments));
    }
    values.resize(row.front().cells.size());
    for (size_t i = 0; i < values.size(); ++i) values[i].value = std::move(row.front().cells[i]);
    return values;
  }

  std::vector<ResultSet> RunProcedureNamed(const std::string& name, std::vector<Parameter>& arguments) {
    const auto procedure = FindProcedure(db(), name);
    if (!procedure) throw RuntimeError(kUnknownProcedure, "Procedimento armazenado não encontrado: " + name);
    return RunProcedure(db(), *procedure, arguments);
  }

  SqliteConnection connection_;
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const std::string& file) {
  return std::make_unique<SqliteProvider>(OpenSqliteSession(file));
}

}  // namespace tpl::db
