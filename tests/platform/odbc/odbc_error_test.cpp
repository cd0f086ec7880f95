// Failures carry the driver's number, message and SQLSTATE; time-outs
// become error::kCommandTimeout.
#include "platform/odbc/odbc_error.h"
#include "platform/odbc/odbc_test_database.h"

namespace tpl::db::odbc {
namespace {

struct FailingCase {
  const char* input;
  const char* sql_state;
  int32_t number;
  const char* message_part;
};

TEST_F(OdbcTest, StatementErrorsCarryTheDriversDiagnostics) {
  Run("CREATE TABLE t (i INTEGER)");
  const FailingCase cases[] = {
      {"SELEC 1", "HY000", 1, "syntax error"},
      {"SELECT * FROM missing_table", "HY000", 1, "no such table: missing_table"},
      // The SQLite driver runs one statement per call unless the batch starts with DDL.
      {"SELECT 1; SELECT 2", "HY000", -1, "only one SQL statement allowed"},
  };
  for (const FailingCase& row : cases) {
    try {
      Run(row.input);
      ADD_FAILURE() << "ran " << row.input;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.sql_state(), row.sql_state) << row.input;
      EXPECT_EQ(e.number(), row.number) << row.input;
      EXPECT_NE(e.description().find(row.message_part), std::string::npos) << row.input << ": " << e.description();
    }
  }
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), Variant(int32_t{0})) << "the session survives its errors";
}

TEST(OdbcConnection, RefusedConnectionStringsCarryTheDiagnostics) {
  const FailingCase cases[] = {
      {"Driver=NoSuchDriver;Database=x.db", "01000", kUnspecifiedOdbcError, "NoSuchDriver"},
      {"DSN=no_such_dsn", "IM002", kUnspecifiedOdbcError, "Data source name not found"},
      {"", "IM002", kUnspecifiedOdbcError, "Data source name not found"},
      {"Driver=SQLite3;Database=/no/such/folder/x.db", "HY000", 14, "connect failed"},
  };
  for (const FailingCase& row : cases) {
    try {
      OpenOdbcProvider(row.input);
      ADD_FAILURE() << "connected to " << row.input;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.sql_state(), row.sql_state) << row.input;
      EXPECT_EQ(e.number(), row.number) << row.input;
      EXPECT_NE(e.description().find(row.message_part), std::string::npos) << row.input << ": " << e.description();
    }
  }
}

TEST(OdbcErrorTranslation, ChoosesNumberStateAndDescription) {
  struct Row {
    const char* name;
    std::vector<DiagnosticRecord> records;
    int32_t number;
    const char* sql_state;
    const char* description;
  };
  const Row rows[] = {
      {"native number kept", {{"42S02", 208, "Invalid object name 'x'."}}, 208, "42S02", "Invalid object name 'x'."},
      {"no native number", {{"IM002", 0, "Data source not found"}}, kUnspecifiedOdbcError, "IM002",
       "Data source not found"},
      {"warning before the error",
       {{"01000", 5701, "Changed database context"}, {"42000", 102, "Incorrect syntax"}},
       102, "42000", "Changed database context; Incorrect syntax"},
      {"only a warning", {{"01000", 0, "Can't open lib"}}, kUnspecifiedOdbcError, "01000", "Can't open lib"},
      {"query time-out", {{"HYT00", 0, "Query timeout expired"}}, error::kCommandTimeout, "HYT00",
       "Query timeout expired"},
      {"connection time-out after another record",
       {{"08S01", 11, "Link failure"}, {"HYT01", 0, "Connection timeout expired"}},
       error::kCommandTimeout, "HYT01", "Link failure; Connection timeout expired"},
  };
  for (const Row& row : rows) {
    const RuntimeError e = ToRuntimeError(row.records);
    EXPECT_EQ(e.number(), row.number) << row.name;
    EXPECT_EQ(e.sql_state(), row.sql_state) << row.name;
    EXPECT_EQ(e.description(), row.description) << row.name;
  }
  const RuntimeError silent = ToRuntimeError({});
  EXPECT_EQ(silent.number(), kUnspecifiedOdbcError);
  EXPECT_FALSE(silent.description().empty());
}

}  // namespace
}  // namespace tpl::db::odbc
