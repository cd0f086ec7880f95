// The provider and its session: the files it opens, its failures with their numbers, and the write lock of its
// transactions. The time-out and transactions as every provider has them: platform/conformance.
#include <fstream>

#include "platform/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using SqliteErrors = SqliteTest;

TEST_F(SqliteErrors, FailuresCarryTheExtendedResultCode) {
  const struct { const char* sql; int32_t number; const char* message_part; } rows[] = {
      {"SELECT * FROM NAO_EXISTE", SQLITE_ERROR, "no such table"}, {"SELEC 1", SQLITE_ERROR, "syntax error"},
      {"INSERT INTO Tab_Parametro_Sistema (Tab_Parametro_Sistema_ID) VALUES (7018)", SQLITE_CONSTRAINT_PRIMARYKEY,
       "UNIQUE"},
      {"INSERT INTO TPL_PROCEDURE (PROCEDURE_NAME) VALUES ('X')", SQLITE_CONSTRAINT_NOTNULL, "NOT NULL"},
      {"INSERT INTO infra_ids DEFAULT VALUES", SQLITE_CONSTRAINT_TRIGGER, "única linha"},
      {"INSERT INTO TPL_PROCEDURE_PARAMETER VALUES ('SEM_PAI', 1, 'p', '', 0)", SQLITE_CONSTRAINT_FOREIGNKEY,
       "FOREIGN KEY"},
      {"SELECT RAISE_ERROR('Recusado')", SQLITE_ERROR, "Recusado"},
  };
  for (const auto& row : rows) {
    EXPECT_THAT(Failure([&] { Run(row.sql); }),
                AllOf(StartsWith(std::to_string(row.number) + ": "), HasSubstr(row.message_part)));
  }
}

TEST(SqliteOpen, RefusesFilesThatAreNoDatabase) {
  tpl::testing::TempFolder folder;
  const std::string missing = (folder.path() / "nao_existe.db").string();
  const std::string not_a_database = (folder.path() / "texto.db").string();
  std::ofstream(not_a_database) << "isto não é um banco de dados, mas é longo o bastante para ter um cabeçalho";
  const std::pair<std::string, int32_t> rows[] = {
      {missing, SQLITE_CANTOPEN}, {not_a_database, SQLITE_NOTADB}, {folder.path().string(), SQLITE_CANTOPEN}};
  for (const auto& [file, number] : rows) EXPECT_EQ(ErrorNumber([&file = file] { OpenSqliteProvider(file); }) & 0xff, number);
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing file is not created";
}

using SqliteTransaction = SqliteTest;

TEST_F(SqliteTransaction, ATransactionHoldsTheWriteLockFromItsStart) {
  session_->BeginTransaction();
  auto other = database_.Open();
  RunSql(*other, "PRAGMA busy_timeout = 200");
  EXPECT_EQ(ErrorNumber([&] { other->BeginTransaction(); }) & 0xff, SQLITE_BUSY) << "a second writer got in";
  session_->RollbackTransaction();
  EXPECT_NO_THROW(other->BeginTransaction()) << "free again once the first one ended";
  other->RollbackTransaction();
}

}  // namespace
}  // namespace tpl::db::testing
