// Running SQLite statements: preparing and stepping them with errors raised
// as RuntimeError, binding Variants and command parameters to their
// markers, fetching their rows into ResultSets, and the time-out of a
// command.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/provider.h"
#include "database/sqlite/sqlite_provider.h"
#include "tpl/variant.h"

namespace tpl::db::sqlite {

// ---- Preparing and stepping

// Prepares the first statement of `sql` and sets `rest` to the text after
// it. The handle is empty when `sql` holds only blanks and comments.
SqliteStatement PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest);

// Prepares a text that holds exactly one statement.
SqliteStatement Prepare(sqlite3* connection, std::string_view sql);

// Statements of one session kept prepared for their exact text, so that a
// text run again (a system parameter read, the same report asked again)
// is not compiled again. Only a text that is one SELECT or WITH statement
// writing nothing is kept, reset and with its bindings cleared; the
// session keeps one cache for each set of rules its statements are
// authorized under, since SQLite checks those only when it prepares.
class StatementCache {
 public:
  // `schema_generation` counts the session's statements that may change
  // what a name means (DDL, ATTACH, a pragma): SQLite prepares a kept
  // statement again when it next steps, but what it says of its columns
  // before that is from the old schema, so a new generation drops them all.
  explicit StatementCache(const uint64_t& schema_generation) : schema_generation_(schema_generation) {}

  // Prepares the first statement of `sql` like PrepareFirst, or takes the
  // one kept for exactly that text (then nothing is left in `rest`).
  SqliteStatement PrepareFirst(sqlite3* connection, std::string_view sql, std::string_view& rest);
  // Gives back `statement`, prepared from `sql` and run to its end, with
  // `rest` the text after it; kept when it may be used again as it is.
  void GiveBack(std::string_view sql, std::string_view rest, SqliteStatement statement);

 private:
  void DropIfSchemaChanged();

  static constexpr size_t kMostKept = 16;
  const uint64_t& schema_generation_;
  uint64_t kept_generation_ = 0;
  std::vector<std::pair<std::string, SqliteStatement>> kept_;  // most recently used last
};

// Steps until the statement has no more rows, discarding them.
void StepToEnd(sqlite3* connection, sqlite3_stmt* statement);

// Runs every statement of a script in order, discarding rows.
void ExecuteScript(sqlite3* connection, std::string_view script, std::string_view context = {});

// ---- Running the statements of a text

// Supplies the values of a statement's parameters just before it runs,
// and learns when it has run.
class StatementBinder {
 public:
  virtual void Bind(sqlite3_stmt* statement) = 0;
  virtual void Finished(sqlite3_stmt*) {}

 protected:
  ~StatementBinder() = default;
};

// Runs the SQLite statements of a text one after the other. A statement
// that returns rows (SELECT, PRAGMA, ... RETURNING) adds a row set to the
// results even when it has no row; the others add none.
// With a cache, statements it holds are taken from it and given back to it.
void RunStatements(sqlite3* connection, std::string_view sql, StatementBinder& binder,
                   std::vector<ResultSet>& results, StatementCache* cache = nullptr);

// ---- Binding values to markers

// Binds a Variant to a statement parameter. Empty and Null bind NULL,
// Booleans 1 or 0, Dates their text 'YYYY/MM/DD HH:MM:SS'; objects and
// arrays cannot be bound (type mismatch).
void BindVariant(sqlite3* connection, sqlite3_stmt* statement, int index, const Variant& value);

// A parameter name without the marker that may precede it: "@pID", ":pID"
// and "pID" all name pID.
constexpr std::string_view WithoutParameterMarker(std::string_view name) noexcept {
  if (!name.empty() && (name.front() == '@' || name.front() == ':' || name.front() == '$')) {
    name.remove_prefix(1);
  }
  return name;
}

// Binds the parameters of a text command to the markers of its statements:
// each "?" takes the next parameter in order, across all the statements of
// the batch; "?NNN" takes parameter NNN (from 1); a named marker (@name,
// :name) takes the parameter of that name, without case.
class CommandParameterBinder final : public StatementBinder {
 public:
  CommandParameterBinder(sqlite3* connection, const std::vector<Parameter>& parameters) noexcept
      : connection_(connection), parameters_(parameters) {}

  void Bind(sqlite3_stmt* statement) override;

 private:
  const Parameter& ParameterFor(const char* marker);

  sqlite3* connection_;
  const std::vector<Parameter>& parameters_;
  size_t next_ = 0;
};

// ---- Reading rows

// Steps a prepared, bound statement to its end and returns its rows, every
// row at once (the client-side cursor the library expects). A column taken
// from a table has the type its table declares; a computed column the type
// SQL Server would give it (computed_column_types.h) or else the type of
// the values it holds. Integers become Long when they fit in
// 32 bits and Double otherwise; NULL becomes Null; dates are read from
// their text.
ResultSet ReadRows(sqlite3* connection, sqlite3_stmt* statement);
// The same for a statement prepared once and run many times, whose
// computed columns' declarations (ComputedColumnDeclarations) were read
// when it was prepared.
ResultSet ReadRows(sqlite3* connection, sqlite3_stmt* statement, const std::vector<std::string>& computed);
// Steps a prepared, bound statement to its end and hands its rows over in
// blocks of at most `rows_per_block` rows as they are read (see
// Provider::ExecuteInBlocks). Cells are read as ReadRows reads them; the
// type of a computed column without a declared type comes from the values
// of the first block, where ReadRows looks at every row. Returns the
// columns as ReadRows gives them, typed from every row.
std::vector<ColumnInfo> ReadRowsInBlocks(sqlite3* connection, sqlite3_stmt* statement,
                                         size_t rows_per_block, const BlockReceiver& receive);

// ---- The time-out of a command

// While a deadline is alive, SQLite's progress handler checks the clock
// every few thousand virtual-machine steps and interrupts the running
// statement (SQLITE_INTERRUPT) once the time is up. Waiting for another
// process's lock is bounded by the busy timeout instead.
class StatementDeadline {
 public:
  // A limit of 0 (or less) sets no deadline.
  StatementDeadline(sqlite3* connection, int32_t seconds);
  StatementDeadline(const StatementDeadline&) = delete;
  StatementDeadline& operator=(const StatementDeadline&) = delete;
  ~StatementDeadline();

  // Moves the deadline later by `time`: the time a caller spent on rows
  // already read is no time of the statement's.
  void Extend(std::chrono::steady_clock::duration time) noexcept { deadline_ += time; }

  // True once the handler has interrupted a statement.
  bool expired() const noexcept { return expired_; }

 private:
  static int OnProgress(void* self) noexcept;

  sqlite3* connection_;
  std::chrono::steady_clock::time_point deadline_;
  bool active_ = false;
  bool expired_ = false;
};

}  // namespace tpl::db::sqlite
