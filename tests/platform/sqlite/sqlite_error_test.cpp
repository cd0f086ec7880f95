// Failures of the provider: their numbers, the command time-out and the
// files that cannot be opened.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <fstream>

#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

constexpr const char* kCountToOneBillion =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000000) SELECT COUNT(*) FROM c";

class SqliteErrors : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteErrors, ASlowQueryIsInterruptedAtItsTimeOut) {
  const auto start = std::chrono::steady_clock::now();
  try {
    RunSql(*provider_, kCountToOneBillion, 1);
    ADD_FAILURE() << "the query ran to its end";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), -2147217871);
    EXPECT_EQ(error.number(), error::kCommandTimeout);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_EQ(RunScalar(*provider_, "SELECT 1"), Variant(1)) << "the session stays usable";
}

TEST_F(SqliteErrors, FailuresCarryTheExtendedResultCode) {
  struct Row {
    const char* sql;
    int32_t number;
    const char* message_part;
  };
  const Row rows[] = {
      {"SELECT * FROM NAO_EXISTE", SQLITE_ERROR, "no such table"},
      {"SELEC 1", SQLITE_ERROR, "syntax error"},
      {"INSERT INTO Tab_Parametro_Sistema (Tab_Parametro_Sistema_ID) VALUES (7018)", SQLITE_CONSTRAINT_PRIMARYKEY,
       "UNIQUE"},
      {"INSERT INTO TPL_PROCEDURE (PROCEDURE_NAME) VALUES ('X')", SQLITE_CONSTRAINT_NOTNULL, "NOT NULL"},
      {"INSERT INTO infra_ids DEFAULT VALUES", SQLITE_CONSTRAINT_TRIGGER, "única linha"},
      {"INSERT INTO TPL_PROCEDURE_PARAMETER VALUES ('SEM_PAI', 1, 'p', '', 0)", SQLITE_CONSTRAINT_FOREIGNKEY,
       "FOREIGN KEY"},
      {"SELECT RAISE_ERROR('Recusado')", SQLITE_ERROR, "Recusado"},
  };
  for (const Row& row : rows) {
    try {
      RunSql(*provider_, row.sql);
      ADD_FAILURE() << "accepted: " << row.sql;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), row.number) << row.sql << ": " << error.description();
      EXPECT_NE(error.description().find(row.message_part), std::string::npos) << row.sql << ": " << error.description();
    }
  }
}

TEST(SqliteOpen, RefusesFilesThatAreNoDatabase) {
  SqliteTestFolder folder;
  const std::string missing = (folder.path() / "nao_existe.db").string();
  const std::string not_a_database = (folder.path() / "texto.db").string();
  std::ofstream(not_a_database) << "isto não é um banco de dados, mas é longo o bastante para ter um cabeçalho";
  struct Row {
    std::string file;
    int32_t number;
  };
  const Row rows[] = {{missing, SQLITE_CANTOPEN}, {not_a_database, SQLITE_NOTADB}, {folder.path().string(), SQLITE_CANTOPEN}};
  for (const Row& row : rows) {
    try {
      OpenSqliteProvider(row.file);
      ADD_FAILURE() << "opened: " << row.file;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number() & 0xff, row.number) << row.file << ": " << error.description();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing file is not created";
}

}  // namespace
}  // namespace tpl::db::testing
