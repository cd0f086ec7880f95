#include "database/conformance/conformance_providers.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>

#include "database/provider_session.h"
#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::conformance {
namespace {

// Counts to a hundred million inside SQLite: half a minute, unless interrupted.
constexpr const char* kSqliteSlowQuery =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000000) SELECT MAX(i) FROM n";

class EmbeddedDatabase final : public TestDatabase {
 public:
  std::string ConnectionString() const override { return "Data Source=" + database_.file(); }
  std::string SlowQuery() const override { return kSqliteSlowQuery; }
  void InstallOutputProcedure() const override {
    database_.InstallProcedure(
        "CREATE PROCEDURE SP_CONFORMANCE @pIn INTEGER, @pNumber INTEGER OUTPUT, @pText VARCHAR(20) OUTPUT AS "
        "UPDATE params SET pNumber = 2 * @pIn, pText = 'nº ' || @pIn");
  }

 private:
  testing::SqliteTestDatabase database_;
};

class SqliteOdbcDatabase final : public TestDatabase {
 public:
  std::string ConnectionString() const override {
    return "Driver=SQLite3;Database=" + (folder_.path() / "odbc.db").string();
  }
  std::string SlowQuery() const override { return kSqliteSlowQuery; }
  void InstallOutputProcedure() const override {}

 private:
  tpl::testing::TempFolder folder_;
};

class PostgresDatabase final : public TestDatabase {
 public:
  explicit PostgresDatabase(std::string server) : schema_(std::move(server)) {}
  std::string ConnectionString() const override { return schema_.connection_string(); }
  std::string SlowQuery() const override { return "SELECT pg_sleep(60)"; }
  void InstallOutputProcedure() const override {
    schema_.Run("CREATE FUNCTION sp_conformance(pin integer, OUT pnumber integer, OUT ptext varchar) AS "
                "$$ SELECT pin * 2, ('nº ' || pin)::varchar $$ LANGUAGE sql");
  }

 private:
  PostgresTestSchema schema_;
};

}  // namespace

PostgresTestSchema::PostgresTestSchema(std::string server) : server_(std::move(server)) {
  static std::atomic<int> counter{0};
  schema_ = "tpl_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  admin_ = OpenProvider(server_, CallLimits::OutsideAnyCall());
  platform_test::RunSql(*admin_, "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_);
}

PostgresTestSchema::~PostgresTestSchema() {
  try {
    platform_test::RunSql(*admin_, "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
  } catch (const RuntimeError& e) {
    ADD_FAILURE() << "schema " << schema_ << " left behind: " << e.description();
  }
}

std::vector<ResultSet> PostgresTestSchema::Run(const std::string& sql) const {
  return platform_test::RunSql(*OpenProvider(connection_string(), CallLimits::OutsideAnyCall()), sql);
}

std::string PostgresConnectionString() {
  if (const char* value = std::getenv("TPL_TEST_POSTGRES"); value != nullptr && *value != '\0') return value;
  std::ifstream file(TPL_TEST_SERVER_FILE);
  std::string line;
  std::getline(file, line);
  return line;
}

const std::vector<ProviderEntry>& ConformanceProviders() {
  static const std::vector<ProviderEntry> entries{
      {"EmbeddedSqlite", Limits{.sql_states = false},
       [](std::string&) -> std::unique_ptr<TestDatabase> { return std::make_unique<EmbeddedDatabase>(); }},
      // The driver runs one statement per command (unless the text starts with DDL) and knows no procedures.
      {"SqliteOdbc", Limits{.batches = false, .procedures = false},
       [](std::string&) -> std::unique_ptr<TestDatabase> { return std::make_unique<SqliteOdbcDatabase>(); }},
      // The server runs a batch sent as one text as one implicit transaction, and the driver reports a failing
      // statement of it at execution, with nothing delivered: there is no earlier row set to keep.
      {"PostgresOdbc",
       Limits{.batch_failure_keeps_earlier_row_sets = false, .server = true},
       [](std::string& skip_reason) -> std::unique_ptr<TestDatabase> {
         std::string server = PostgresConnectionString();
         if (server.empty()) {
           skip_reason = kStartPostgresHint;
           return nullptr;
         }
         return std::make_unique<PostgresDatabase>(std::move(server));
       }},
  };
  return entries;
}

}  // namespace tpl::db::conformance
