#include "database/sqlite/sqlite_provider.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "database/ascii_text.h"
#include "database/lock_wait.h"
#include "database/sqlite/sql_dialect.h"
#include "database/sqlite/sql_scanner.h"
#include "database/sqlite/statements.h"
#include "database/sqlite/stored_procedure_running.h"
#include "sentences/sentences.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

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

// Called by SQLite while another session holds the lock a statement needs,
// with the limits of the call the session works for; `attempt` counts from
// 0 for each lock met. The sessions of this process queue for their write
// transactions (writer_turns.h), so what is waited for here is mostly
// another process, or a write outside a transaction:
// short sleeps (1 ms, growing to 5 ms after many attempts) catch the lock
// soon after it comes free, where sleeps that grew to 100 ms overslept it
// by tens of milliseconds. Waiting stops when the lock is free or the
// call's wait limit runs out (see database/lock_wait.h: a call
// waits the full limit once, later locks fail at once); the time spent
// queueing for the turn counts. Answering 0 gives up: the statement fails
// with SQLITE_BUSY.
int WaitForLock(void* limits, int attempt) {
  using Clock = std::chrono::steady_clock;
  const CallLimits& call = *static_cast<const CallLimits*>(limits);
  thread_local Clock::time_point started;
  if (attempt == 0) {
    if (!LockWaitAllowed(call)) return 0;
    started = TurnWaitStartedOnThisThread().value_or(Clock::now());
  }
  if (Clock::now() - started >= LockWaitLimit(call)) {
    NoteLockWaitRanOut(call);
    return 0;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min(5, 1 + attempt / 20)));
  return 1;
}

namespace {

bool JournalModeIsWal(sqlite3* connection) {
  SqliteStatement mode = Prepare(connection, "PRAGMA journal_mode");
  if (sqlite3_step(mode.get()) != SQLITE_ROW) return false;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mode.get(), 0));
  return text != nullptr && std::string_view(text) == "wal";
}

}  // namespace

SqliteConnection OpenSqliteSession(const std::string& file, const CallLimits& call) {
  const std::string context = Compose(sentences::kDatabaseFile, file);
  sqlite3* raw = nullptr;
  // Without SQLITE_OPEN_CREATE a missing file fails instead of being
  // silently created empty.
  const int result = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  SqliteConnection connection(raw);
  if (connection == nullptr) RaiseSqliteError(nullptr, SQLITE_NOMEM, context);
  CheckSqlite(connection.get(), result, context);

  sqlite3_extended_result_codes(connection.get(), 1);
  // SQLite keeps the pointer and never writes through it.
  sqlite3_busy_handler(connection.get(), WaitForLock, const_cast<CallLimits*>(&call));
  // Reading the schema now reports a file that is not a database here
  // rather than at the first command.
  ExecuteScript(connection.get(), "PRAGMA foreign_keys = ON; PRAGMA schema_version;", context);
  // In WAL mode NORMAL keeps the file whole through a crash of the machine
  // and syncs at checkpoints only; in the other journal modes it would not,
  // so they keep the default (FULL). And the last session of a process to
  // close does not copy the log into the file and remove it: with one
  // process per call (`tpl call`) that was a checkpoint, two syncs and the
  // log made anew at every call. The log is copied into the file when it
  // has grown to 1000 pages (SQLite's automatic checkpoint), so the
  // database is the file together with its -wal and -shm files.
  if (JournalModeIsWal(connection.get())) {
    ExecuteScript(connection.get(), "PRAGMA synchronous = NORMAL", context);
    sqlite3_db_config(connection.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  }
  RegisterDialectFunctions(connection.get());
  return connection;
}

AtomicScope::AtomicScope(sqlite3* connection, const CallLimits& call)
    : connection_(connection), savepoint_(sqlite3_get_autocommit(connection) == 0) {
  if (savepoint_) {
    ExecuteScript(connection_, "SAVEPOINT tpl_atomic_scope");
  } else {
    BeginWriting(connection_, turn_, call);
  }
}

void AtomicScope::Commit() {
  ExecuteScript(connection_, savepoint_ ? "RELEASE tpl_atomic_scope" : "COMMIT");
  open_ = false;
  turn_.Release();
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

// The arguments of an EXEC when they are plain literals only (whole numbers
// of 32 bits, quoted texts with '' for a quote, NULL), read as SQLite would
// evaluate them; nothing for anything else (an expression, a marker, a
// larger number), which SQLite itself evaluates. The library's own calls
// pass such literals, and sparing a statement per call is worth the rule.
std::optional<std::vector<Variant>> PlainLiterals(std::string_view arguments) {
  std::vector<Variant> values;
  size_t at = 0;
  const auto skip_blanks = [&] {
    while (at < arguments.size() && IsAsciiSpace(arguments[at])) ++at;
  };
  while (true) {
    skip_blanks();
    if (at >= arguments.size()) return std::nullopt;
    const char c = arguments[at];
    if (c == '\'') {
      std::string text;
      for (++at;; ++at) {
        if (at >= arguments.size()) return std::nullopt;
        if (arguments[at] == '\'') {
          if (at + 1 < arguments.size() && arguments[at + 1] == '\'') {
            text += '\'';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        text += arguments[at];
      }
      values.emplace_back(std::move(text));
    } else if (c == '-' || c == '+' || (c >= '0' && c <= '9')) {
      const bool negative = c == '-';
      if (c == '-' || c == '+') ++at;
      const size_t digits = at;
      int64_t magnitude = 0;
      while (at < arguments.size() && arguments[at] >= '0' && arguments[at] <= '9') {
        magnitude = magnitude * 10 + (arguments[at] - '0');
        if (magnitude > int64_t{1} << 32) return std::nullopt;
        ++at;
      }
      if (at == digits) return std::nullopt;
      const int64_t value = negative ? -magnitude : magnitude;
      if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
      }
      values.emplace_back(static_cast<int32_t>(value));
    } else if (arguments.size() - at >= 4 && EqualsIgnoringCase(arguments.substr(at, 4), "NULL")) {
      at += 4;
      values.push_back(Variant::Null());
    } else {
      return std::nullopt;
    }
    skip_blanks();
    if (at == arguments.size()) return values;
    if (arguments[at] != ',') return std::nullopt;
    ++at;
  }
}

// Which file on disk a path names now; nothing when there is none.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& file) noexcept {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino};
}

// What a session may carry from one caller to the next and a fresh one
// would not: temporary tables, attached files, foreign keys turned off, a
// lock kept for good. Such a session is closed rather than pooled; opening
// a file is cheap. Each check answers one row whose first column is 1 when
// the session is plain. The checks run only when a statement of the
// session may have left such state (see MayLeaveState): most sessions run
// none, and are handed back without a statement.
constexpr std::string_view kPlainSessionChecks[] = {
    "SELECT (SELECT count(*) FROM temp.sqlite_master WHERE name <> 'params') = 0"
    " AND (SELECT count(*) FROM pragma_database_list WHERE name NOT IN ('main', 'temp')) = 0"
    " AND (SELECT foreign_keys FROM pragma_foreign_keys) = 1",
    "PRAGMA main.locking_mode",
};

// 1 from the first check; "normal" from the locking mode.
bool IsPlainAnswer(sqlite3_stmt* check) {
  if (sqlite3_column_type(check, 0) == SQLITE_INTEGER) return sqlite3_column_int(check, 0) == 1;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
  return text != nullptr && std::string_view(text) == "normal";
}

// What the authorizer keeps for its session.
struct AuthorizerState {
  // A statement may have left state behind (see kPlainSessionChecks).
  bool may_carry_state = false;
  // Statements seen that may change what a name means (StatementCache).
  uint64_t schema_generation = 0;
  // Those, and writes to the procedure tables (ProcedureRunner).
  uint64_t catalog_generation = 0;
  // The session runs a caller's query: reading only (Provider::RestrictToReading).
  bool reading_only = false;
};

bool Named(const char* name, std::string_view wanted) { return name != nullptr && LCase(name) == wanted; }

// The scratch table of a procedure's parameters (stored_procedures.h),
// which the procedure machinery creates, fills and drops around each call.
bool IsParameterScratch(const char* table, const char* database) {
  // Creating and dropping it writes its row of the temporary schema.
  return (Named(table, "params") || Named(table, "sqlite_temp_master")) &&
         (database == nullptr || Named(database, "temp"));
}

// Pragmas that only tell something about the schema or the file, with or
// without an argument; any other pragma, and these with "= value", are
// refused while reading only.
constexpr std::string_view kReadingPragmas[] = {
    "table_info", "table_xinfo", "index_list", "index_info", "index_xinfo", "foreign_key_list",
    "collation_list", "function_list", "pragma_list", "table_list", "database_list", "user_version",
    "schema_version", "application_id", "encoding", "page_size", "page_count", "freelist_count",
    "data_version", "compile_options"};

// What a query may do while the session reads only. Reading, functions
// (not load_extension), recursive queries and the transaction steps of a
// procedure call (which write nothing themselves) pass; the procedure
// machinery's own scratch table passes; everything that writes, changes
// the schema, attaches or detaches a file, or sets a pragma is refused.
bool AllowedWhileReading(int action, const char* first, const char* second, const char* database) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
      return true;
    case SQLITE_FUNCTION:
      return !Named(second, "load_extension");
    case SQLITE_PRAGMA:
      if (std::none_of(std::begin(kReadingPragmas), std::end(kReadingPragmas),
                       [&](std::string_view pragma) { return Named(first, pragma); })) {
        return false;
      }
      // "PRAGMA user_version = 5" writes; "PRAGMA table_info(X)" names a table.
      return second == nullptr || Named(first, "table_info") || Named(first, "table_xinfo") ||
             Named(first, "index_list") || Named(first, "index_info") || Named(first, "index_xinfo") ||
             Named(first, "foreign_key_list");
    case SQLITE_CREATE_TEMP_TABLE:
    case SQLITE_DROP_TEMP_TABLE:
      return IsParameterScratch(first, "temp");
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
      return IsParameterScratch(first, database);
    default:
      return false;
  }
}

// Actions after which a name may mean something else: objects created,
// dropped or altered, files attached or detached, statistics and pragmas.
bool ChangesSchema(int action) {
  switch (action) {
    case SQLITE_CREATE_INDEX: case SQLITE_CREATE_TABLE: case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE: case SQLITE_CREATE_TEMP_TRIGGER: case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER: case SQLITE_CREATE_VIEW: case SQLITE_DROP_INDEX: case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX: case SQLITE_DROP_TEMP_TABLE: case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW: case SQLITE_DROP_TRIGGER: case SQLITE_DROP_VIEW: case SQLITE_ATTACH:
    case SQLITE_DETACH: case SQLITE_ALTER_TABLE: case SQLITE_REINDEX: case SQLITE_ANALYZE:
    case SQLITE_CREATE_VTABLE: case SQLITE_DROP_VTABLE: case SQLITE_PRAGMA:
      return true;
    default:
      return false;
  }
}

// SQLite's authorizer sees every action of a statement as it is prepared.
// Creating a temporary object, attaching a file and setting a pragma are
// the actions that can leave state behind; the table "params" that the
// procedure machinery keeps for its calls (empty between them) is its own.
// While the session reads only, the actions AllowedWhileReading refuses
// fail the statement ("not authorized") before it runs.
int Authorize(void* state_pointer, int action, const char* first, const char* second, const char* database,
              const char*) {
  auto& state = *static_cast<AuthorizerState*>(state_pointer);
  if (state.reading_only && !AllowedWhileReading(action, first, second, database)) return SQLITE_DENY;
  if (ChangesSchema(action)) {
    ++state.schema_generation;
    ++state.catalog_generation;
  } else if ((action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) &&
             (Named(first, "tpl_procedure") || Named(first, "tpl_procedure_parameter"))) {
    ++state.catalog_generation;
  }
  switch (action) {
    case SQLITE_CREATE_TEMP_TABLE:
      if (Named(first, "params")) break;
      [[fallthrough]];
    case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TRIGGER:
    case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_ATTACH:
      state.may_carry_state = true;
      break;
    case SQLITE_PRAGMA:
      if (second != nullptr) state.may_carry_state = true;
      break;
    default:
      break;
  }
  return SQLITE_OK;
}

class SqliteProvider final : public Provider {
 public:
  // The session's busy handler reads the limits that Provider::call()
  // holds, whichever call it works for.
  SqliteProvider(const std::string& file, const CallLimits& call)
      : Provider(call),
        connection_(OpenSqliteSession(file, Provider::call())),
        file_(file),
        identity_(IdentityOf(file_)) {
    sqlite3_set_authorizer(db(), Authorize, &authorizer_);
  }

  std::vector<ResultSet> Execute(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                                 int32_t timeout_seconds) override {
    const FailureMark mark(failed_);
    CheckCommandText(text);
    StatementDeadline deadline(db(), timeout_seconds);
    try {
      std::vector<ResultSet> results = type == CommandType::StoredProcedure
                                           ? RunProcedureNamed(ProcedureNameOf(text), parameters)
                                           : RunBatch(text, parameters, deadline);
      // A failure kept for NextRecordset is a failure of the session all
      // the same.
      if (results.empty() || !results.back().deferred_failure) mark.Succeeded();
      return results;
    } catch (const RuntimeError& failure) {
      throw AsSeenByCaller(failure, deadline);
    }
  }

  // Text commands step their first row set block by block; a procedure's
  // row sets are read whole by its runner and then handed over in blocks.
  bool ExecuteInBlocks(CommandType type, std::string_view text, std::vector<Parameter>& parameters,
                       int32_t timeout_seconds, size_t rows_per_block,
                       const BlockReceiver& receive, std::vector<ResultSet>* following) override {
    if (type == CommandType::StoredProcedure) {
      return Provider::ExecuteInBlocks(type, text, parameters, timeout_seconds, rows_per_block,
                                       receive, following);
    }
    const FailureMark mark(failed_);
    CheckCommandText(text);
    StatementDeadline deadline(db(), timeout_seconds);
    const BlockReceiver timed = [&](ResultSet& block) {
      const auto started = std::chrono::steady_clock::now();
      receive(block);
      deadline.Extend(std::chrono::steady_clock::now() - started);
    };
    try {
      const bool found = StreamBatch(text, parameters, rows_per_block, timed, following, deadline);
      // A failure kept for NextRecordset is a failure of the session all
      // the same.
      if (following == nullptr || following->empty() || !following->back().deferred_failure)
        mark.Succeeded();
      return found;
    } catch (const RuntimeError& failure) {
      throw AsSeenByCaller(failure, deadline);
    }
  }

  void BeginTransaction() override {
    const FailureMark mark(failed_);
    BeginWriting(db(), turn_, call());
    mark.Succeeded();
  }
  void CommitTransaction() override {
    RunOwnScript("COMMIT");
    turn_.Release();
  }
  void RollbackTransaction() override {
    // A failed statement may already have ended the transaction.
    if (sqlite3_get_autocommit(db()) == 0) RunOwnScript("ROLLBACK");
    turn_.Release();
  }

  // Failed, or the path now names another file or none: the old handle
  // would serve a database that is no longer there.
  void RestrictToReading(bool on) override { authorizer_.reading_only = on; }
  StatementCache& Cache() { return authorizer_.reading_only ? reading_statements_ : library_statements_; }

  bool IsBroken() const noexcept override { return failed_ || !identity_ || IdentityOf(file_) != identity_; }

  // Works on SQLite directly: these statements are the pool's, not a
  // caller's, and are no place for a caller's failure to be injected.
  bool ResetForReuse() noexcept override {
    if (sqlite3_get_autocommit(db()) == 0 &&
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK) {
      return false;
    }
    turn_.Release();
    if (!authorizer_.may_carry_state) return true;
    for (size_t i = 0; i < std::size(kPlainSessionChecks); ++i) {
      SqliteStatement& check = plain_session_checks_[i];
      if (check == nullptr) {
        sqlite3_stmt* raw = nullptr;
        const std::string_view sql = kPlainSessionChecks[i];
        if (sqlite3_prepare_v2(db(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
          sqlite3_finalize(raw);
          return false;
        }
        check.reset(raw);
      }
      const bool plain = sqlite3_step(check.get()) == SQLITE_ROW && IsPlainAnswer(check.get());
      sqlite3_reset(check.get());
      if (!plain) return false;
    }
    authorizer_.may_carry_state = false;
    return true;
  }

 private:
  // Sets the flag unless the work it guards reports success: a session
  // whose command failed is never pooled.
  class FailureMark {
   public:
    explicit FailureMark(bool& failed) noexcept : failed_(failed) {}
    FailureMark(const FailureMark&) = delete;
    FailureMark& operator=(const FailureMark&) = delete;
    ~FailureMark() { failed_ = failed_ || !succeeded_; }
    void Succeeded() const noexcept { succeeded_ = true; }

   private:
    bool& failed_;
    mutable bool succeeded_ = false;
  };

  void RunOwnScript(std::string_view script) {
    const FailureMark mark(failed_);
    ExecuteScript(db(), script);
    mark.Succeeded();
  }

  sqlite3* db() const noexcept { return connection_.get(); }

  // A statement interrupted by the deadline failed because of the time-out,
  // whatever SQLite says about it.
  static RuntimeError AsSeenByCaller(const RuntimeError& failure, const StatementDeadline& deadline) {
    if (deadline.expired()) return RuntimeError(error::kCommandTimeout, std::string(sentences::kQueryTimedOut));
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
    while (auto statement = reader.Next()) RunBatchStatement(*statement, binder, results);
  }

  void RunBatchStatement(const BatchStatement& statement, CommandParameterBinder& binder,
                         std::vector<ResultSet>& results) {
    switch (statement.kind) {
      case BatchStatementKind::SessionOption:
        break;
      case BatchStatementKind::ProcedureCall: {
        const ProcedureCall call = ParseProcedureCall(statement.text);
        std::vector<Parameter> arguments = EvaluateArguments(call.arguments, binder);
        for (ResultSet& result : RunProcedureNamed(call.name, arguments)) results.push_back(std::move(result));
        break;
      }
      case BatchStatementKind::Sql:
        RunStatements(db(), statement.text, binder, results, &Cache());
        break;
    }
  }

  // Runs the batch up to its first statement that returns rows and hands
  // that statement's rows over as they are stepped. Without `following`
  // the statements after it do not run; with it they run as RunBatch runs
  // them, their row sets going there behind the first one's columns. False
  // when no statement returned rows.
  bool StreamBatch(std::string_view text, std::vector<Parameter>& parameters, size_t rows_per_block,
                   const BlockReceiver& receive, std::vector<ResultSet>* following,
                   const StatementDeadline& deadline) {
    const std::string sql = RewriteForeignDialect(text);
    CommandParameterBinder binder(db(), parameters);
    BatchReader reader(sql);
    std::vector<ResultSet> rest;
    std::string_view rest_of_statement;
    bool found = false;
    while (!found) {
      const auto statement = reader.Next();
      if (!statement) return false;
      switch (statement->kind) {
        case BatchStatementKind::SessionOption: break;
        case BatchStatementKind::ProcedureCall: {
          const ProcedureCall call = ParseProcedureCall(statement->text);
          std::vector<Parameter> arguments = EvaluateArguments(call.arguments, binder);
          rest = RunProcedureNamed(call.name, arguments);
          if (rest.empty()) break;
          HandOverInBlocks(rest.front(), rows_per_block, receive);
          rest.front().cells.clear();
          found = true;
          break;
        }
        case BatchStatementKind::Sql:
          for (std::string_view sql_left = statement->text; !sql_left.empty() && !found;) {
            const std::string_view text = sql_left;
            SqliteStatement prepared = Cache().PrepareFirst(db(), text, sql_left);
            if (prepared == nullptr) continue;
            binder.Bind(prepared.get());
            if (sqlite3_column_count(prepared.get()) > 0) {
              ResultSet first;
              first.columns = ReadRowsInBlocks(db(), prepared.get(), rows_per_block, receive);
              rest.push_back(std::move(first));
              rest_of_statement = sql_left;
              found = true;
            } else {
              StepToEnd(db(), prepared.get());
            }
            binder.Finished(prepared.get());
            Cache().GiveBack(text, sql_left, std::move(prepared));
          }
          break;
      }
    }
    if (following == nullptr) return true;
    // The rest of the batch, as RunBatch reads it: a failure now leaves the
    // row sets before it and travels with the last of them.
    try {
      if (!rest_of_statement.empty()) RunStatements(db(), rest_of_statement, binder, rest);
      while (auto statement = reader.Next()) RunBatchStatement(*statement, binder, rest);
    } catch (const RuntimeError& failure) {
      rest.back().deferred_failure = AsSeenByCaller(failure, deadline);
    }
    *following = std::move(rest);
    return true;
  }

  // The literal arguments of an EXEC ("57, 'texto', null, GETDATE()") are
  // evaluated by SQLite itself as the columns of one SELECT and passed on
  // by position.
  std::vector<Parameter> EvaluateArguments(std::string_view arguments, CommandParameterBinder& binder) {
    std::vector<Parameter> values;
    if (arguments.empty()) return values;
    if (std::optional<std::vector<Variant>> plain = PlainLiterals(arguments)) {
      values.resize(plain->size());
      for (size_t i = 0; i < values.size(); ++i) values[i].value = std::move((*plain)[i]);
      return values;
    }
    std::vector<ResultSet> row;
    RunStatements(db(), "SELECT " + std::string(arguments), binder, row);
    if (row.size() != 1 || row.front().row_count() != 1) {
      RaiseSqlError(Compose(sentences::kProcedureArgumentsInvalid, arguments));
    }
    values.resize(row.front().cells.size());
    for (size_t i = 0; i < values.size(); ++i) values[i].value = std::move(row.front().cells[i]);
    return values;
  }

  std::vector<ResultSet> RunProcedureNamed(const std::string& name, std::vector<Parameter>& arguments) {
    return procedures_.Run(name, arguments);
  }

  // Held from BeginTransaction to the end of the transaction. Declared
  // before the connection, so that it is given back only once the closing
  // connection has rolled back what was still open.
  WriterTurn turn_;
  SqliteConnection connection_;
  std::string file_;
  std::optional<FileIdentity> identity_;
  bool failed_ = false;
  AuthorizerState authorizer_;
  // Finalized before the connection closes: declared after it.
  SqliteStatement plain_session_checks_[std::size(kPlainSessionChecks)];
  // Statements kept prepared, apart by the rules they were authorized under.
  StatementCache library_statements_{authorizer_.schema_generation};
  StatementCache reading_statements_{authorizer_.schema_generation};
  ProcedureRunner procedures_{connection_.get(), call(), authorizer_.catalog_generation};
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const std::string& file, const CallLimits& call) {
  return std::make_unique<SqliteProvider>(file, call);
}

}  // namespace tpl::db
