// Cuts a batch of SQL text into its statements, in order, telling apart the
// three kinds the provider treats differently:
//  - T-SQL session options ("SET ANSI_WARNINGS ON"): a statement that starts
//    with SET; it ends at the end of its line or at ";", as SQL Server
//    batches write them one per line without separators. SQLite has no
//    statement starting with SET, so these are skipped by the caller.
//  - procedure calls ("EXEC name args"), up to the next ";".
//  - SQLite statements, up to the ";" that completes them (a trigger body
//    holds several ";").
// Blank pieces and empty statements (";;") are left out.
#pragma once

#include <optional>
#include <string_view>

#include "platform/sqlite/sql_scanner.h"

namespace tpl::db::sqlite {

enum class BatchStatementKind { SessionOption, ProcedureCall, Sql };

struct BatchStatement {
  BatchStatementKind kind = BatchStatementKind::Sql;
  std::string_view text;  // from its first word to its end, ";" included when present
};

class BatchReader {
 public:
  explicit BatchReader(std::string_view batch) noexcept : scanner_(batch) {}

  std::optional<BatchStatement> Next();

 private:
  size_t SessionOptionEnd();
  size_t ProcedureCallEnd();
  size_t SqlStatementEnd(size_t start);

  SqlScanner scanner_;
};

}  // namespace tpl::db::sqlite
