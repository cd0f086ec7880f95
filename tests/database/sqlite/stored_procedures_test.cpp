// Stored procedures kept in the embedded database: declaration, loading, calls by EXEC text and by stored-procedure
// command.
#include "database/sqlite/sqlite_provider.h"
#include "database/sqlite/sqlite_test_database.h"
#include "database/sqlite/stored_procedure_reading.h"
#include "database/sqlite/stored_procedure_running.h"

#include <string>
#include <thread>
#include <vector>

namespace tpl::db::testing {
namespace {

constexpr auto kOutput = ParameterDirection::Output;

// Writes a row, then refuses the call when asked to.
constexpr const char* kWriteThenFail =
    "CREATE PROCEDURE SP_TEST_WRITE_THEN_FAIL (pFALHAR CHAR(1)) AS INSERT INTO LOG_MSG (TAB_TIPO_MSG_ID, MSG01) "
    "VALUES (9, 'escrito'); UPDATE infra_ids SET LOG_SISTEMA_ID = 77; "
    "SELECT RAISE_ERROR('Falha pedida') WHERE @pFALHAR = 'S'; SELECT 0 AS Retorno;";

// Several row sets, the second one empty, and a computed output.
constexpr const char* kSeveralRowSets =
    "CREATE PROC SP_TEST_ROW_SETS (pA INTEGER, pB INTEGER, pSOMA INTEGER OUT, pTEXTO VARCHAR(20) OUTPUT) AS "
    "UPDATE params SET pSOMA = pA + pB, pTEXTO = 'soma=' || (pA + pB); SELECT @pSOMA AS Soma; "
    "SELECT 1 AS Nada WHERE 0; SELECT @pTEXTO AS Texto, @pA AS A;";

class SqliteProcedure : public SqliteTest {
 protected:
  void SetUp() override {
    for (const char* source : {kWriteThenFail, kSeveralRowSets}) database_.InstallProcedure(source);
  }
  std::vector<ResultSet> Call(std::string_view name, std::vector<Parameter> parameters = {}) {
    return Run(name, std::move(parameters), CommandType::StoredProcedure);
  }
};

// Plain literals are read without a statement; each must arrive as SQLite itself evaluates it (the same literal in
// parentheses, as any other expression, is left to SQLite). The name may carry a schema or brackets. (Calls as the
// library writes them: tests/output/job_registration_test.cpp.)
TEST_F(SqliteProcedure, PlainLiteralArgumentsArriveAsSqliteEvaluatesThem) {
  // Declarations a parameter list may hold: a type with a comma, an output without type, a bare name; a parameter whose
  // name starts with AS.
  database_.InstallProcedure("CREATE PROCEDURE SP_TEST_ECHO (pA SQL_VARIANT, pB NUMERIC(10, 2), pC OUT, pD) AS "
                             "SELECT @pA AS A, TYPEOF(@pA) AS T");
  database_.InstallProcedure("CREATE PROCEDURE SP_TEST_AS @pAS DOUBLE PRECISION AS\n\n  SELECT @pAS AS V");
  EXPECT_EQ(RunScalar(*session_, "EXEC SP_TEST_AS 2.5"), Variant(2.5));
  for (const char* literal : {"+3", "007", "-0", "2147483647", "-2147483648", "2147483648", "99999999999999999999",
                              "'O''Brien'", "''", "'a,b'", "NULL", "5.5", "1e3", "0x10"}) {
    const auto plain = Run(std::string("EXEC SP_TEST_ECHO ") + literal);
    const auto evaluated = Run(std::string("EXEC SP_TEST_ECHO (") + literal + ")");
    ASSERT_TRUE(plain.size() == 1 && evaluated.size() == 1) << literal;
    EXPECT_EQ(plain[0].cells, evaluated[0].cells) << literal;
    EXPECT_EQ(plain[0].cells[0].type(), evaluated[0].cells[0].type()) << literal;
  }
  const auto several = Run("exec dbo.SP_TEST_ROW_SETS 2 , -3,NULL, 'x'; EXECUTE [SP_TEST_ROW_SETS] 1, 1, NULL, NULL");
  ASSERT_EQ(several.size(), 6u);
  EXPECT_EQ(several[2].cells, (CellStore{Variant("soma=-1"), Variant(2)}));
  EXPECT_EQ(several[5].cells, (CellStore{Variant("soma=2"), Variant(1)}));
  for (const char* broken : {"1,", ",1", "1 2", "'open", "1,,2"}) {
    EXPECT_ANY_THROW(Run(std::string("EXEC SP_TEST_ROW_SETS ") + broken)) << broken;
  }
}

// A procedure's text is made ready once per process and its statements prepared once per session; a body installed
// anew is seen at once, by the session that ran the old one and by any other. (A body changed by an UPDATE of its
// row: tests/report/query_execution_test.cpp, tests/output/job_registration_test.cpp.)
TEST_F(SqliteProcedure, ReadyOncePerTextAndSeesAChangedBody) {
  auto sum = [](Provider& session, int a) {
    std::vector<Parameter> arguments = {Param(Variant(a), "pA"), Param(Variant(2), "pB")};
    return session.Execute(CommandType::StoredProcedure, "SP_TEST_ROW_SETS", arguments, 0).at(0).cells.at(0);
  };
  std::unique_ptr<Provider> other = database_.Open();
  EXPECT_EQ(sum(*session_, 1), Variant(3));
  const size_t ready = sqlite::ProceduresMadeReady();
  EXPECT_EQ(sum(*session_, 2), Variant(4));
  EXPECT_EQ(sum(*other, 3), Variant(5));
  EXPECT_EQ(sqlite::ProceduresMadeReady(), ready) << "the same text is not made ready again";

  database_.InstallProcedure(
      "CREATE PROCEDURE SP_TEST_ROW_SETS (pA INTEGER, pB INTEGER) AS SELECT @pA * @pB AS Produto");
  EXPECT_EQ(sum(*session_, 5), Variant(10));
  EXPECT_EQ(sum(*other, 6), Variant(12));
  EXPECT_EQ(sqlite::ProceduresMadeReady(), ready + 1);
  // Between calls the parameter table is empty and the session can serve the next caller.
  EXPECT_EQ(Scalar("SELECT count(*) FROM temp.params"), Variant(0));
  EXPECT_TRUE(session_->ResetForReuse());
}

// Sessions of several threads run procedures at the same time, each with its own arguments, while the procedures
// they share are made ready.
TEST_F(SqliteProcedure, SessionsOfSeveralThreadsRunProceduresTogether) {
  constexpr int kThreads = 4, kCalls = 40;
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        std::unique_ptr<Provider> session = database_.Open();
        for (int i = 0; i < kCalls; ++i) {
          std::vector<Parameter> arguments = {Param(Variant(t), "pA"), Param(Variant(i), "pB"),
                                              Param(Variant(), "pSOMA", kOutput)};
          session->Execute(CommandType::StoredProcedure, i % 2 == 0 ? "SP_TEST_ROW_SETS" : "sp_test_row_sets",
                           arguments, 0);
          if (arguments[2].value != Variant(t + i)) failures[t] += " " + std::to_string(i);
          RunSql(*session, "EXEC SP_TEST_WRITE_THEN_FAIL 'N'");
        }
      } catch (const RuntimeError& error) {
        failures[t] += " " + error.description();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
}

// An integer parameter takes a number, or a text that reads as one; any other value, the empty text included, is
// refused before the body runs. A parameter without argument starts as NULL, whatever value an output brought.
TEST_F(SqliteProcedure, IntegerParametersTakeOnlyNumbers) {
  auto integer = [](Variant value, const char* name) {
    return Parameter{name, DataType::Integer, ParameterDirection::Input, 0, std::move(value)};
  };
  auto results = Call("SP_TEST_ROW_SETS", {integer(Variant("5"), "pA"), integer(Variant(2.0), "pB")});
  EXPECT_EQ(results[2].cells, (CellStore{Variant("soma=7"), Variant(5)}));
  results = Call("SP_TEST_ROW_SETS", {integer(Variant(), "pA"), integer(Variant::Null(), "pB")});
  EXPECT_TRUE(results[2].cells[1].IsNull()) << "Empty and Null give NULL";
  Call("sp_test_row_sets", {Param(Variant(1), "@PA"), Param(Variant(99), "pSoma", kOutput)});
  EXPECT_TRUE(parameters_[1].value.IsNull()) << "1 + NULL";
  for (const Variant& refused : {Variant(""), Variant(" "), Variant("abc")}) {
    EXPECT_THAT(Failure([&] { Call("SP_TEST_ROW_SETS", {integer(refused, "pA")}); }),
                StartsWith(std::to_string(error::kTypeMismatch) + ": "))
        << refused.AsString();
  }
}

// A failing body undoes its own writes only, inside a transaction or not.
TEST_F(SqliteProcedure, AFailingBodyLeavesNoWrites) {
  EXPECT_THROW(Run("EXEC SP_TEST_WRITE_THEN_FAIL 'S'"), RuntimeError);
  const char* kWrites = "SELECT (SELECT COUNT(*) FROM LOG_MSG) || '/' || LOG_SISTEMA_ID FROM infra_ids";
  EXPECT_EQ(Scalar(kWrites), Variant("0/0"));
  session_->BeginTransaction();
  Run("UPDATE infra_ids SET LOG_GERADOR_ID = 5");
  EXPECT_THROW(Run("EXEC SP_TEST_WRITE_THEN_FAIL 'S'"), RuntimeError);
  session_->CommitTransaction();
  EXPECT_EQ(Scalar("SELECT LOG_GERADOR_ID || '/' || LOG_SISTEMA_ID FROM infra_ids"), Variant("5/0"));
  Run("EXEC SP_TEST_WRITE_THEN_FAIL 'N'");
  EXPECT_EQ(Scalar(kWrites), Variant("1/77"));
}

TEST_F(SqliteProcedure, CallsThatCannotBeMadeAreRefused) {
  const std::pair<const char*, int32_t> rows[] = {
      {"EXEC SP_TEST_WRITE_THEN_FAIL 'N', 2", SQLITE_ERROR},  // more arguments than parameters
      {"EXEC SP_TEST_WRITE_THEN_FAIL 'N' FROM", SQLITE_ERROR}, {"EXEC", SQLITE_ERROR}};
  for (const auto& [call, number] : rows)
    EXPECT_THAT(Failure([&, &call = call] { Run(call); }), StartsWith(std::to_string(number) + ": ")) << call;
  EXPECT_THROW(Call("SP_TEST_ROW_SETS", {Param(Variant(1), "pNAO_EXISTE")}), RuntimeError);
  EXPECT_THAT(Failure([&] { Call("SP_NAO_EXISTE"); }),
              AllOf(StartsWith(std::to_string(sqlite::kUnknownProcedure) + ": "), HasSubstr("SP_NAO_EXISTE")));
}

TEST(SqliteProcedureSource, RefusesBadDefinitions) {
  SqliteTestDatabase database;
  // No procedure or no name; then a procedure P with no AS, an empty body, a list not closed, a repeated, bad or
  // empty parameter, a syntax error, an undeclared parameter, a positional marker, an unknown parameter column.
  std::vector<std::string> refused{"PROCEDURE P AS SELECT 1", "CREATE PROCEDURE AS SELECT 1"};
  for (const char* rest : {"@pA INTEGER SELECT 1", "AS -- nothing", "(pA INTEGER AS SELECT 1",
                           "@pA INTEGER, @pa INTEGER AS SELECT 1", "@1A INTEGER AS SELECT 1", "@pA, , @pB AS SELECT 1",
                           "@pA INTEGER AS SELEC @pA", "@pA INTEGER AS SELECT @pB", "@pA INTEGER AS SELECT ?",
                           "@pA INTEGER AS UPDATE params SET pX = 1"})
    refused.push_back(std::string("CREATE PROCEDURE P ") + rest);
  for (const std::string& source : refused) EXPECT_THROW(database.InstallProcedure(source), RuntimeError) << source;
  EXPECT_EQ(RunScalar(*database.Open(), "SELECT COUNT(*) FROM TPL_PROCEDURE WHERE PROCEDURE_NAME = 'P'"),
            Variant(0)) << "nothing stored";
}

}  // namespace
}  // namespace tpl::db::testing
