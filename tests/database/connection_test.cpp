// Connections: the provider a connection string names, the reading of its keys, transactions, alone or tied to a
// block by TransactionScope, and commands with named parameters, on the embedded database.
#include "database/connection.h"

#include <gtest/gtest.h>

#include <optional>

#include "database/command.h"
#include "database/connection_string.h"
#include "database/recordset.h"
#include "values/error_number.h"
#include "support/temp_database.h"

namespace tpl::db {
namespace {

using platform_test::Caught;
using platform_test::ErrorNumber;

TEST(ConnectionString, FindsKeysWithoutCase) {
  const struct { const char* text; const char* key; std::optional<std::string> value; } rows[] = {
      {"  DSN = vendas ; UID=sa", "dsn", "vendas"}, {"Driver={Odd;Name=1};Server=x", "Server", "x"},
      {"Pwd=\"a;b\";Provider=SQLite", "PWD", "a;b"}, {"Data Source=", "Data Source", ""},
      {"Provider=SQLite", "Data Source", std::nullopt}, {"no pairs at all", "no pairs at all", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(ConnectionStringValue(row.text, row.key), row.value) << row.text;
}

// The embedded database for "Data Source=", ODBC for "DSN=" and "Driver=" (known by its SQLSTATE), nothing for anything
// else.
TEST(Connection, OpensTheProviderTheStringNames) {
  const CallLimits outside = CallLimits::OutsideAnyCall();
  for (const char* text : {"Provider=Other;Data Source=x.db", "Data Source=", "Server=x;Database=y"})
    EXPECT_EQ(ErrorNumber([&] { Connection connection(text, outside); }), error::kProviderNotFound) << text;
  const auto failure = Caught([&] { Connection connection("dsn=no_such_dsn;Provider=SQLite;Data Source=x", outside); });
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->sql_state(), "IM002") << "a DSN goes to ODBC, whatever else the string holds";
  Connection closed;
  EXPECT_EQ(ErrorNumber([&] { closed.BeginTrans(); }), error::kObjectClosed);
}

class ConnectionTransaction : public ::testing::Test {
 protected:
  ConnectionTransaction() { database_.Execute("CREATE TABLE t (i INTEGER)"); }

  void Insert(Connection& connection, int value) {
    Recordset().Open("INSERT INTO t VALUES (" + std::to_string(value) + ")", connection);
  }
  // Read on a session of its own, so only committed rows count.
  int32_t Committed() const { return database_.Count("t"); }

  testing::TempDatabase database_;
  Connection connection_{database_.connection_string(), CallLimits::OutsideAnyCall()};
};

// Commit and rollback, and closing with a transaction open, as every provider does them: database/conformance.
TEST_F(ConnectionTransaction, ScopeRollsBackUnlessCommittedAndDefersToAnOuterTransaction) {
  {
    TransactionScope scope(connection_);
    Insert(connection_, 1);
  }
  EXPECT_EQ(Committed(), 0) << "left without commit";
  {
    TransactionScope scope(connection_);
    Insert(connection_, 2);
    scope.Commit();
  }
  EXPECT_EQ(Committed(), 1) << "committed";
  connection_.BeginTrans();
  {
    TransactionScope inner(connection_);
    Insert(connection_, 3);
  }
  EXPECT_TRUE(connection_.InTransaction()) << "the outer transaction governs";
  connection_.CommitTrans();
  EXPECT_EQ(Committed(), 2);
}

// Registers a job through SP_KMB_INC_JOB2; the parameters are named as the procedure declares them, in another order
// and case, some with "@". Outputs are read back by name.
TEST(Command, RunsAStoredProcedureWithNamedParameters) {
  constexpr auto kIn = ParameterDirection::Input;
  testing::TempDatabase database;
  Connection connection(database.connection_string(), CallLimits::OutsideAnyCall());
  Command command(connection);
  command.SetCommandType(CommandType::StoredProcedure);
  command.SetCommandText("SP_KMB_INC_JOB2");
  command.AppendParameter("@pLOG_GERADOR_ID", DataType::Integer, ParameterDirection::Output, 0, Variant());
  command.AppendParameter("pFUNCAO_ID", DataType::Integer, kIn, 0, Variant(12));
  command.AppendParameter("@pUsuario_Internet_Id", DataType::Integer, kIn, 0, Variant(57));

  command.Execute();
  EXPECT_EQ(command.ParameterValue("@plog_gerador_id"), Variant(1));
  EXPECT_EQ(command.ParameterValue("pusuario_internet_id"), Variant(57)) << "inputs are left alone";
  EXPECT_EQ(ErrorNumber([&] { command.ParameterValue("pNAO_EXISTE"); }), error::kItemNotFound);
  EXPECT_EQ(database.Rows("SELECT USUARIO_INTERNET_ID, FUNCAO_ID FROM LOG_GERADOR"), "57|12");
}

}  // namespace
}  // namespace tpl::db
