// The contract between the ADO-shaped database layer (connection.h,
// command.h, recordset.h) and the two providers that do the real work:
// embedded SQLite and ODBC. A provider owns one open database session.
//
// Every method raises RuntimeError on failure, with the provider's own
// error number and message; a command that runs past its time-out raises
// error::kCommandTimeout.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/call_limits.h"
#include "database/cell_store.h"
#include "sentences/sentences.h"
#include "tpl/runtime_error.h"
#include "tpl/variant.h"

namespace tpl::db {

// Standard data-type codes of fields and parameters.
enum class DataType : int32_t {
  Empty = 0,
  SmallInt = 2,
  Integer = 3,
  Double = 5,
  Date = 7,
  Boolean = 11,
  Decimal = 14,
  BigInt = 20,
  Binary = 128,
  Char = 129,
  Numeric = 131,
  DBDate = 133,
  DBTimeStamp = 135,
  VarNumeric = 139,
  VarChar = 200,
  LongVarChar = 201,
  LongVarBinary = 205,
};

enum class CommandType : int32_t { Text = 1, StoredProcedure = 4 };
enum class ParameterDirection : int32_t { Input = 1, Output = 2 };

struct Parameter {
  std::string name;  // as created, "pTEMPLATE_ID"; matched without case
  DataType type = DataType::VarChar;
  ParameterDirection direction = ParameterDirection::Input;
  int32_t size = 0;
  Variant value;     // input value; receives the output value
};

struct ColumnInfo {
  std::string name;
  DataType type = DataType::VarChar;
  int32_t numeric_scale = 0;
  // The type comes from the values the column holds (a computed column of
  // the embedded database): read in blocks, the blocks carry the type the
  // first block's values give, and only the whole row set tells the final
  // one (see Provider::ExecuteInBlocks).
  bool typed_by_values = false;
};

// One row set, fully fetched (client-side cursor): cells in row order.
struct ResultSet {
  std::vector<ColumnInfo> columns;
  CellStore cells;  // row r, column c at r * columns.size() + c
  // The failure of a later statement of the same batch. The row sets
  // before it are delivered; it is raised only when the caller asks for
  // the row set after this one (Recordset::NextRecordset).
  std::optional<RuntimeError> deferred_failure;
  size_t row_count() const { return columns.empty() ? 0 : cells.size() / columns.size(); }
};

// Receives one block of a row set being fetched: its columns (the same in
// every block) and up to the block size of rows. The receiver may move the
// cells out; the block is emptied and filled again for the next rows.
using BlockReceiver = std::function<void(ResultSet& block)>;

class Provider {
 public:
  // `call`: the limits of the caller that opens the session.
  explicit Provider(const CallLimits& call) : call_(call) {}
  virtual ~Provider() = default;
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  // The limits of the caller the session works for: the one that opened
  // it, then whichever the pool hands it to (connection_pool.h). Set
  // between commands, never while one runs.
  void ServeCall(const CallLimits& call) noexcept { call_ = call; }
  const CallLimits& call() const noexcept { return call_; }

  // Runs a command and returns every row set it produced, in order. A
  // statement that returns rows gives a row set even when it has no row;
  // statements that return no rows give none. Text commands may hold a
  // batch of several statements and "?" markers bound from parameters in
  // order; stored-procedure commands name the procedure in `text` and
  // bind the parameters by name, output values being written back into
  // `parameters`. A time-out of 0 means no limit. A statement that fails
  // after the batch has produced a row set does not raise here: its error
  // travels as the last row set's deferred_failure.
  virtual std::vector<ResultSet> Execute(CommandType type, std::string_view text,
                                         std::vector<Parameter>& parameters,
                                         int32_t timeout_seconds) = 0;

  // Runs a command and hands the rows of its first row set to `receive`
  // in blocks of at most `rows_per_block` rows as they are fetched, so
  // that no more than one block is held. The columns, names and types, are
  // set in every block, the first included; a row set without rows gives
  // one empty block. Returns false, having called nothing, when the command
  // returned no row set. A failure while fetching raises, after the blocks
  // before it were handed over; so does an exception thrown by `receive`,
  // which stops the fetch. Where a type is chosen from the values a column
  // holds (a computed column of the embedded database), the blocks carry
  // the type the first block's values give.
  //
  // Without `following` the statements of a batch after the first row set
  // do not run. With it they run as Execute runs them, and `following`
  // receives what Execute would have returned with the first row set's
  // cells taken out: that row set without cells (its columns typed from
  // every row, and the deferred failure of a statement after it), then
  // every later row set fetched whole. This default fetches everything
  // first, for providers that cannot do better.
  virtual bool ExecuteInBlocks(CommandType type, std::string_view text,
                               std::vector<Parameter>& parameters, int32_t timeout_seconds,
                               size_t rows_per_block, const BlockReceiver& receive,
                               std::vector<ResultSet>* following = nullptr);
  virtual void BeginTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;

  // What the connection pool asks before it keeps a session for another
  // call, and again before it hands a kept one out. IsBroken: the session
  // is unfit to serve again: a command of it failed, the server dropped it,
  // the database file went away. It is closed, never reused.
  // ResetForReuse: brings the session back to the state of a fresh one (no
  // open transaction, default isolation, no pending results); false when
  // that could not be done. A provider that cannot reset its sessions
  // leaves the answer false and is never pooled.
  virtual bool IsBroken() const noexcept { return false; }
  virtual bool ResetForReuse() noexcept { return false; }

  // While on, the commands of the session may read and nothing else: a
  // statement that would write, change the schema, attach a file, set a
  // pragma or load an extension fails before it runs. A report's own query
  // runs so on the embedded database; a server's own permissions govern
  // the others, whose providers leave this empty.
  virtual void RestrictToReading(bool /*on*/) {}

 private:
  CallLimits call_;
};

// Hands a fetched row set to `receive` in blocks, moving its cells out, as
// Provider::ExecuteInBlocks does (one empty block when it has no row).
void HandOverInBlocks(ResultSet& rows, size_t rows_per_block, const BlockReceiver& receive);

// Raises error::kCommandTextError for a command text that holds a NUL
// character. No server reads past one, and the embedded database would
// stop reading there and never reach the rest of the batch; so the text is
// refused at once, before any of it runs. Every provider calls this first.
inline void CheckCommandText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    throw RuntimeError(error::kCommandTextError, std::string(sentences::kSqlCommandWithNul));
}

// The SQLSTATE of the one failure to open a session because the server did
// not answer the log-in within its time-out (ODBC's own code for it). Its
// number is never error::kCommandTimeout: no command ran.
inline constexpr std::string_view kLoginTimeoutState = "HYT00";

// Opens a session for a connection string, working for `call`: "Driver="
// or "DSN=" go to ODBC unchanged; "Data Source=<file>" (optionally with
// "Provider=SQLite") opens the embedded database. Anything else raises
// error::kProviderNotFound.
std::unique_ptr<Provider> OpenProvider(const std::string& connection_string,
                                       const CallLimits& call);

}  // namespace tpl::db
