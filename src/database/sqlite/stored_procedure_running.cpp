#include "database/sqlite/stored_procedure_running.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "database/ascii_text.h"
#include "database/fault_injection.h"
#include "database/sqlite/computed_column_types.h"
#include "database/sqlite/sqlite_provider.h"
#include "database/sqlite/statements.h"
#include "database/sqlite/stored_procedure_reading.h"
#include "sentences/sentences.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {

// ---- Running a call

namespace {

constexpr const char* kFindHeader = "SELECT PROCEDURE_NAME, BODY FROM TPL_PROCEDURE WHERE PROCEDURE_NAME = ?";
constexpr const char* kFindParameters =
    "SELECT PARAMETER_NAME, DATA_TYPE, IS_OUTPUT FROM TPL_PROCEDURE_PARAMETER "
    "WHERE PROCEDURE_NAME = ? ORDER BY POSITION";
// Changes when another connection commits anything to the file.
constexpr const char* kDataVersion = "PRAGMA data_version";

void BindText(sqlite3* connection, sqlite3_stmt* statement, int index, std::string_view text) {
  CheckSqlite(connection,
              sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text == nullptr ? std::string() : std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

bool SameText(const ProcedureDefinition& a, const ProcedureDefinition& b) {
  if (a.name != b.name || a.body != b.body || a.parameters.size() != b.parameters.size()) return false;
  for (size_t i = 0; i < a.parameters.size(); ++i) {
    const ProcedureParameter& x = a.parameters[i];
    const ProcedureParameter& y = b.parameters[i];
    if (x.name != y.name || x.type != y.type || x.output != y.output) return false;
  }
  return true;
}

// What is made once per process from a procedure's text: its body cut into
// statements, and for each statement the declared parameter that each of
// its markers names.
struct ReadyProcedure {
  ProcedureDefinition definition;
  std::string table_layout;  // the CREATE of temp.params; empty without parameters
  std::vector<std::string> statements;
  std::vector<std::vector<int>> markers;  // per statement, marker n - 1 -> parameter
  // Pieces of the body that held no statement (blanks and comments at the
  // end): reading them was an operation too (see fault_injection.h).
  int empty_pieces = 0;
};

// The ready procedures of the process, one per name: the last text seen.
// Shared by every session of every thread.
class ReadyProcedures {
 public:
  static ReadyProcedures& Shared() {
    static ReadyProcedures procedures;
    return procedures;
  }

  std::shared_ptr<const ReadyProcedure> Find(const ProcedureDefinition& definition) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = ready_.find(definition.name);
    if (found == ready_.end() || !SameText(found->second->definition, definition)) return nullptr;
    return found->second;
  }

  void Keep(std::shared_ptr<const ReadyProcedure> procedure) {
    const std::lock_guard<std::mutex> lock(mutex_);
    // Names are few; a bound keeps a process that meets many databases
    // with many procedures from growing without end.
    if (ready_.size() >= kMostProcedures) ready_.clear();
    ready_[procedure->definition.name] = std::move(procedure);
    ++made_;
  }

  size_t made() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return made_;
  }

 private:
  static constexpr size_t kMostProcedures = 512;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<const ReadyProcedure>> ready_;
  size_t made_ = 0;
};

struct PreparedStatement {
  SqliteStatement handle;
  const std::string* text = nullptr;  // in the ready procedure
  const std::vector<int>* markers = nullptr;
  std::vector<std::string> computed;  // see ReadRows
  bool returns_rows = false;
  bool writes = false;
};

PreparedStatement Holding(SqliteStatement handle) {
  PreparedStatement statement;
  statement.handle = std::move(handle);
  return statement;
}

struct PreparedProcedure {
  std::shared_ptr<const ReadyProcedure> ready;
  std::vector<PreparedStatement> statements;
};


// The declared parameter that receives each argument.
std::vector<size_t> MatchArguments(const ProcedureDefinition& procedure, const std::vector<Parameter>& arguments) {
  std::vector<size_t> targets;
  targets.reserve(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i].name;
    const int index = name.empty() ? (i < procedure.parameters.size() ? static_cast<int>(i) : -1)
                                   : procedure.IndexOf(name);
    if (index < 0 && name.empty()) {
      RaiseSqlError(Compose(sentences::kProcedureFault, procedure.name,
                            Compose(sentences::kArgumentCountDiffers, std::to_string(arguments.size()),
                                    std::to_string(procedure.parameters.size()))));
    }
    if (index < 0) RaiseSqlError(Compose(sentences::kProcedureFault, procedure.name, Compose(sentences::kParameterUnknown, name)));
    targets.push_back(static_cast<size_t>(index));
  }
  return targets;
}

// The value an input parameter carries into the call. A 32-bit integer
// parameter takes its value as the platform converts it (a text such as
// "57" becomes 57), and a value that is no number, the empty text
// included, is refused with a type mismatch before the body runs, as the
// ODBC provider and the servers' own clients do. Empty and Null stay NULL.
Variant InputValue(const Parameter& argument) {
  if (argument.type != DataType::Integer || argument.direction != ParameterDirection::Input ||
      argument.value.IsEmpty() || argument.value.IsNull()) {
    return argument.value;
  }
  return Variant::Long(CLng(argument.value));
}


}  // namespace

struct ProcedureRunner::Session {
  Session(sqlite3* db, const CallLimits& limits, const uint64_t& generation)
      : connection(db), call(limits), catalog_generation(generation) {}

  // A kept statement, reset and with its bindings cleared, counted as
  // prepared again so that the operations of a call are the same whether
  // its statements were kept or not (see fault_injection.h).
  sqlite3_stmt* Kept(SqliteStatement& statement, const char* sql) {
    if (statement == nullptr) {
      statement = Prepare(connection, sql);
    } else {
      FaultPoint("prepare", sql);
      sqlite3_reset(statement.get());
      sqlite3_clear_bindings(statement.get());
    }
    return statement.get();
  }

  std::optional<ProcedureDefinition> Find(std::string_view name);
  // The procedure prepared for `name` when nothing can have changed the
  // procedures since it was read; null when it must be read again.
  PreparedProcedure* Unchanged(std::string_view name);
  // Notes that `name` was read as `procedure` under `stamp`.
  void Read(std::string_view name, const PreparedProcedure& procedure);
  // Makes temp.params hold the procedure's columns, unless it already does.
  void PrepareTable(const ReadyProcedure& procedure);
  PreparedProcedure& PreparedFor(ProcedureDefinition definition);
  std::vector<ResultSet> Run(PreparedProcedure& procedure, std::vector<Parameter>& arguments);

  sqlite3* connection;
  const CallLimits& call;
  SqliteStatement find_header;
  SqliteStatement find_parameters;
  SqliteStatement data_version;
  // What says whether the procedures may have changed: this session's own
  // writes to their tables and changes of schema (counted by the
  // provider's authorizer), and other connections' commits.
  const uint64_t& catalog_generation;
  struct Stamp {
    int64_t data_version = -1;
    uint64_t generation = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp stamp;  // when the names in `read_as` were read
  std::unordered_map<std::string, std::string> read_as;  // name called, upper case -> name read
  std::string table_layout;  // of temp.params as this session made it
  SqliteStatement insert_row;
  SqliteStatement select_row;
  SqliteStatement clear_row;
  std::unordered_map<std::string, PreparedProcedure> prepared;  // by name
};

std::optional<ProcedureDefinition> ProcedureRunner::Session::Find(std::string_view name) {
  sqlite3_stmt* header = Kept(find_header, kFindHeader);
  BindText(connection, header, 1, name);
  const int step = sqlite3_step(header);
  if (step == SQLITE_DONE) return std::nullopt;
  if (step != SQLITE_ROW) RaiseSqliteError(connection, step);
  ProcedureDefinition procedure;
  procedure.name = ColumnText(header, 0);
  procedure.body = ColumnText(header, 1);
  sqlite3_reset(header);

  sqlite3_stmt* parameters = Kept(find_parameters, kFindParameters);
  BindText(connection, parameters, 1, procedure.name);
  int row;
  while ((row = sqlite3_step(parameters)) == SQLITE_ROW) {
    procedure.parameters.push_back(ProcedureParameter{ColumnText(parameters, 0), ColumnText(parameters, 1),
                                                      sqlite3_column_int(parameters, 2) != 0});
  }
  if (row != SQLITE_DONE) RaiseSqliteError(connection, row);
  sqlite3_reset(parameters);
  return procedure;
}

void ProcedureRunner::Session::PrepareTable(const ReadyProcedure& procedure) {
  if (procedure.table_layout.empty()) return;
  // A rolled-back transaction of the caller's, or a procedure installed on
  // this session, may have taken the table away.
  const bool exists = sqlite3_table_column_metadata(connection, "temp", "params", nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr) == SQLITE_OK;
  if (exists && table_layout == procedure.table_layout) return;
  table_layout.clear();
  insert_row.reset();
  ExecuteScript(connection, "DROP TABLE IF EXISTS temp.params; " + procedure.table_layout);
  table_layout = procedure.table_layout;
}

PreparedProcedure* ProcedureRunner::Session::Unchanged(std::string_view name) {
  sqlite3_stmt* version = Kept(data_version, kDataVersion);
  const int step = sqlite3_step(version);
  if (step != SQLITE_ROW) RaiseSqliteError(connection, step);
  const Stamp now{sqlite3_column_int64(version, 0), catalog_generation};
  sqlite3_reset(version);
  if (now != stamp) {
    read_as.clear();
    stamp = now;
    return nullptr;
  }
  const auto known = read_as.find(ToUpperAscii(name));
  if (known == read_as.end()) return nullptr;
  const auto found = prepared.find(known->second);
  if (found == prepared.end()) return nullptr;
  // The operations of a call stay the same as when the procedure is read.
  FaultPoint("prepare", kFindHeader);
  FaultPoint("prepare", kFindParameters);
  PrepareTable(*found->second.ready);
  return &found->second;
}

void ProcedureRunner::Session::Read(std::string_view name, const PreparedProcedure& procedure) {
  read_as.insert_or_assign(ToUpperAscii(name), procedure.ready->definition.name);
}

PreparedProcedure& ProcedureRunner::Session::PreparedFor(ProcedureDefinition definition) {
  auto found = prepared.find(definition.name);
  if (found != prepared.end() && SameText(found->second.ready->definition, definition)) {
    PrepareTable(*found->second.ready);
    return found->second;
  }
  std::shared_ptr<const ReadyProcedure> ready = ReadyProcedures::Shared().Find(definition);
  PreparedProcedure procedure;
  if (ready == nullptr) {
    // First seen by the process: the body is cut into statements here, each
    // kept prepared on this session.
    auto making = std::make_shared<ReadyProcedure>();
    making->table_layout = ParameterTableLayout(definition);
    making->definition = std::move(definition);
    PrepareTable(*making);
    std::string_view rest = making->definition.body;
    while (!rest.empty()) {
      const std::string_view before = rest;
      SqliteStatement statement = PrepareFirst(connection, rest, rest);
      if (statement == nullptr) {
        ++making->empty_pieces;
        continue;
      }
      making->statements.emplace_back(before.substr(0, before.size() - rest.size()));
      making->markers.push_back(MarkerTargets(statement.get(), making->definition));
      procedure.statements.push_back(Holding(std::move(statement)));
    }
    ReadyProcedures::Shared().Keep(making);
    ready = std::move(making);
  } else {
    PrepareTable(*ready);
    for (const std::string& text : ready->statements) procedure.statements.push_back(Holding(Prepare(connection, text)));
    for (int i = 0; i < ready->empty_pieces; ++i) FaultPoint("prepare", ready->definition.body);
  }
  procedure.ready = ready;
  for (size_t i = 0; i < procedure.statements.size(); ++i) {
    PreparedStatement& statement = procedure.statements[i];
    statement.text = &ready->statements[i];
    statement.markers = &ready->markers[i];
    statement.returns_rows = sqlite3_column_count(statement.handle.get()) > 0;
    statement.writes = !sqlite3_stmt_readonly(statement.handle.get());
    if (statement.returns_rows) statement.computed = ComputedColumnDeclarations(connection, statement.handle.get());
  }
  const std::string name = ready->definition.name;
  return prepared.insert_or_assign(name, std::move(procedure)).first->second;
}

namespace {

// Binds the markers of the body's statements from the row of temp.params,
// read again after a statement that may have changed it.
class ParameterRow final {
 public:
  ParameterRow(sqlite3* connection, sqlite3_stmt* select_row) : connection_(connection), select_row_(select_row) {}

  void Bind(const PreparedStatement& statement) {
    const std::vector<int>& markers = *statement.markers;
    for (size_t marker = 0; marker < markers.size(); ++marker) {
      if (stale_) Reload();
      CheckSqlite(connection_, sqlite3_bind_value(statement.handle.get(), static_cast<int>(marker) + 1,
                                                  values_[static_cast<size_t>(markers[marker])].get()));
    }
  }
  void Finished(const PreparedStatement& statement) {
    if (statement.writes) stale_ = true;
  }

 private:
  void Reload() {
    sqlite3_reset(select_row_);
    const int step = sqlite3_step(select_row_);
    if (step == SQLITE_DONE) RaiseSqlError(std::string(sentences::kParameterRowDeleted));
    if (step != SQLITE_ROW) RaiseSqliteError(connection_, step);
    values_.clear();
    for (int c = 0; c < sqlite3_column_count(select_row_); ++c) {
      values_.emplace_back(sqlite3_value_dup(sqlite3_column_value(select_row_, c)));
    }
    sqlite3_reset(select_row_);
    stale_ = false;
  }

  sqlite3* connection_;
  sqlite3_stmt* select_row_;
  std::vector<SqliteValue> values_;
  bool stale_ = true;
};

}  // namespace

std::vector<ResultSet> ProcedureRunner::Session::Run(PreparedProcedure& procedure,
                                                     std::vector<Parameter>& arguments) {
  const ProcedureDefinition& definition = procedure.ready->definition;
  const std::vector<size_t> targets = MatchArguments(definition, arguments);
  std::vector<const Variant*> values(definition.parameters.size(), nullptr);
  std::vector<Variant> inputs;
  inputs.reserve(arguments.size());
  for (const Parameter& argument : arguments) inputs.push_back(InputValue(argument));
  bool wants_output = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    values[targets[i]] = &inputs[i];
    wants_output = wants_output || arguments[i].direction == ParameterDirection::Output;
  }
  const bool has_table = !definition.parameters.empty();

  AtomicScope scope(connection, call);
  std::vector<ResultSet> results;
  ResultSet final_values;
  try {
    if (has_table) {
      std::string insert;
      if (insert_row == nullptr) {
        insert = "INSERT INTO temp.params VALUES (";
        for (size_t i = 0; i < values.size(); ++i) insert += i == 0 ? "?" : ", ?";
        insert += ")";
      }
      sqlite3_stmt* row = Kept(insert_row, insert.empty() ? sqlite3_sql(insert_row.get()) : insert.c_str());
      for (size_t i = 0; i < values.size(); ++i) {
        if (values[i] != nullptr) BindVariant(connection, row, static_cast<int>(i) + 1, *values[i]);
      }
      StepToEnd(connection, row);
      sqlite3_reset(row);
    }
    ParameterRow binder(connection, has_table ? Kept(select_row, "SELECT * FROM temp.params") : nullptr);
    for (PreparedStatement& statement : procedure.statements) {
      FaultPoint("prepare", *statement.text);
      sqlite3_stmt* handle = statement.handle.get();
      sqlite3_reset(handle);
      sqlite3_clear_bindings(handle);
      binder.Bind(statement);
      if (statement.returns_rows) {
        results.push_back(ReadRows(connection, handle, statement.computed));
      } else {
        StepToEnd(connection, handle);
      }
      sqlite3_reset(handle);
      binder.Finished(statement);
    }
    if (wants_output) {
      sqlite3_stmt* row = Kept(select_row, "SELECT * FROM temp.params");
      final_values = ReadRows(connection, row);
      sqlite3_reset(row);
    }
    if (has_table) StepToEnd(connection, Kept(clear_row, "DELETE FROM temp.params"));
  } catch (const RuntimeError& error) {
    throw RuntimeError(error.number(), Compose(sentences::kProcedureFault, definition.name, error.description()));
  }
  scope.Commit();

  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i].direction == ParameterDirection::Output) arguments[i].value = final_values.cells.at(targets[i]);
  }
  return results;
}

ProcedureRunner::ProcedureRunner(sqlite3* connection, const CallLimits& call, const uint64_t& catalog_generation)
    : session_(std::make_unique<Session>(connection, call, catalog_generation)) {}

ProcedureRunner::~ProcedureRunner() = default;

std::vector<ResultSet> ProcedureRunner::Run(std::string_view name, std::vector<Parameter>& arguments) {
  PreparedProcedure* procedure = session_->Unchanged(name);
  if (procedure == nullptr) {
    std::optional<ProcedureDefinition> definition = session_->Find(name);
    if (!definition) {
      throw RuntimeError(kUnknownProcedure, Compose(sentences::kProcedureNotFound, name));
    }
    procedure = &session_->PreparedFor(std::move(*definition));
    session_->Read(name, *procedure);
  }
  std::vector<ResultSet> results;
  try {
    results = session_->Run(*procedure, arguments);
  } catch (...) {
    // A statement of the body may have failed half-way; whatever the
    // session holds for the procedure is made again at the next call.
    session_->prepared.clear();
    throw;
  }
  return results;
}

size_t ProceduresMadeReady() noexcept { return ReadyProcedures::Shared().made(); }

}  // namespace tpl::db::sqlite
