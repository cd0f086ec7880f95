// The per-call table that holds a procedure's parameter values while its
// body runs: temp.params, one row, one column per parameter named like it
// (without "@") and typed as declared. Body statements read the values as
// @name markers, bound from the row just before each statement runs, and
// may change them (UPDATE params SET pNOVO_ID = ...); output parameters are
// read back from the row at the end. A procedure without parameters has no
// table.
#pragma once

#include <sqlite3.h>

#include <vector>

#include "platform/database/provider.h"
#include "platform/sqlite/procedure_definition.h"
#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/statements.h"

namespace tpl::db::sqlite {

class ParameterScratch final : public StatementBinder {
 public:
  // Creates the table, empty.
  ParameterScratch(sqlite3* connection, const ProcedureDefinition& procedure);
  ParameterScratch(const ParameterScratch&) = delete;
  ParameterScratch& operator=(const ParameterScratch&) = delete;
  ~ParameterScratch();

  // Inserts the row; a null pointer gives the parameter NULL.
  void Fill(const std::vector<const Variant*>& values);

  void Bind(sqlite3_stmt* statement) override;
  void Finished(sqlite3_stmt* statement) override;

  // Raises an error when a marker of the statement is not "@" followed by
  // the name of a declared parameter.
  void CheckMarkers(sqlite3_stmt* statement) const;

  // The row as it stands, with the declared types.
  ResultSet ReadBack();

  void Drop();

 private:
  int ParameterIndex(sqlite3_stmt* statement, int marker) const;
  void Reload();

  sqlite3* connection_;
  const ProcedureDefinition& procedure_;
  std::vector<SqliteValue> values_;
  bool stale_ = true;
  bool exists_ = false;
};

}  // namespace tpl::db::sqlite
