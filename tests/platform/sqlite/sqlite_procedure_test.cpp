// Stored procedures kept in the embedded database: declaration, loading,
// calls by EXEC text and by stored-procedure command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sqlite/procedure_definition.h"
#include "platform/sqlite/sqlite_error.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

using sqlite::ParseProcedureSource;

// Registers a job as SP_KMB_INC_JOB2 would, answering its identifier both as
// a row and through an output parameter.
constexpr const char* kIncludeJob = R"(
-- Registers a background job.
CREATE PROCEDURE SP_TEST_INC_JOB
  @pUSUARIO_ID INTEGER,
  @pFUNCAO_ID INTEGER,
  @pTITULO_EMAIL VARCHAR(100),
  @pFLAG_ENVIA_EMAIL CHAR(1),
  @pUSUARIO_INCLUSAO INTEGER,
  @pTEXTO_EMAIL VARCHAR(255),
  @pENDERECO_EMAIL VARCHAR(100),
  @pTAB_STATUS_JOB_ID INTEGER,
  @pEMAIL_REMETENTE VARCHAR(100),
  @pENDERECO_ANEXO VARCHAR(255),
  @pDATA_INICIO DATETIME,
  @pLOG_GERADOR_ID INTEGER OUTPUT
AS
UPDATE infra_ids SET LOG_GERADOR_ID = LOG_GERADOR_ID + 1;
UPDATE params SET pLOG_GERADOR_ID = (SELECT LOG_GERADOR_ID FROM infra_ids);
INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL, FLAG_ENVIA_EMAIL,
                         TEXTO_EMAIL, ENDERECO_EMAIL, Tab_Status_JOB_ID, Data_Inicio, Email_Remetente,
                         Endereco_anexo)
VALUES (@pLOG_GERADOR_ID, @pUSUARIO_ID, @pFUNCAO_ID, @pTITULO_EMAIL, @pFLAG_ENVIA_EMAIL, @pTEXTO_EMAIL,
        @pENDERECO_EMAIL, @pTAB_STATUS_JOB_ID, @pDATA_INICIO, @pEMAIL_REMETENTE, @pENDERECO_ANEXO);
SELECT 0 AS Retorno, '' AS Msg_Ret, @pLOG_GERADOR_ID AS LOG_GERADOR_ID;
)";

// Writes a row, then refuses the call when asked to.
constexpr const char* kWriteThenFail = R"(
CREATE PROCEDURE SP_TEST_WRITE_THEN_FAIL (pFALHAR CHAR(1))
AS
INSERT INTO LOG_MSG (TAB_TIPO_MSG_ID, MSG01) VALUES (9, 'escrito');
UPDATE infra_ids SET LOG_SISTEMA_ID = 77;
SELECT RAISE_ERROR('Falha pedida') WHERE @pFALHAR = 'S';
SELECT 0 AS Retorno;
)";

// Several row sets, the second one empty, and a computed output.
constexpr const char* kSeveralRowSets = R"(
CREATE PROC SP_TEST_ROW_SETS (pA INTEGER, pB INTEGER, pSOMA INTEGER OUT, pTEXTO VARCHAR(20) OUTPUT)
AS
UPDATE params SET pSOMA = pA + pB, pTEXTO = 'soma=' || (pA + pB);
SELECT @pSOMA AS Soma;
SELECT 1 AS Nada WHERE 0;
SELECT @pTEXTO AS Texto, @pA AS A;
)";

class SqliteProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* source : {kIncludeJob, kWriteThenFail, kSeveralRowSets}) database_.InstallProcedure(source);
  }

  static Parameter Named(std::string name, Variant value,
                         ParameterDirection direction = ParameterDirection::Input) {
    Parameter parameter;
    parameter.name = std::move(name);
    parameter.value = std::move(value);
    parameter.direction = direction;
    return parameter;
  }

  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteProcedure, ExecWithLiteralArgumentsAsTheLibraryWritesThem) {
  auto results = RunSql(*provider_,
                     "EXEC SP_TEST_INC_JOB   57, 12, 'Relatório', 'S', 57, 'Segue', 'destino' , 1 , null , null , "
                     "null  ");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(0), Variant(""), Variant(1)}));
  auto job = RunSql(*provider_,
                 "SELECT USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL, FLAG_ENVIA_EMAIL, TEXTO_EMAIL, "
                 "Tab_Status_JOB_ID, Email_Remetente, Data_Inicio FROM LOG_GERADOR WHERE LOG_GERADOR_ID = 1");
  ASSERT_EQ(job.size(), 1u);
  EXPECT_EQ(job[0].cells, (CellStore{Variant(57), Variant(12), Variant("Relatório"), Variant("S"),
                                                 Variant("Segue"), Variant(1), Variant::Null(), Variant::Null()}));
}

TEST_F(SqliteProcedure, ExecArgumentsKeepQuotesSemicolonsAndFunctionValues) {
  RunSql(*provider_,
      "exec dbo.SP_TEST_INC_JOB 1, 2, 'O''Brien; e cia', 'N', 1, '', 'a@b', 1, null, null, "
      "TO_DATE('2001/10/13 10:20:00', 'yyyy/mm/dd hh24:mi:ss');"
      "EXECUTE [SP_TEST_INC_JOB] 1, 2, 'ação', 'N', 1, '', 'a@b', 1, null, null, GETDATE()");
  auto jobs = RunSql(*provider_, "SELECT TITULO_EMAIL, Data_Inicio FROM LOG_GERADOR ORDER BY LOG_GERADOR_ID");
  ASSERT_EQ(jobs.size(), 1u);
  ASSERT_EQ(jobs[0].row_count(), 2u);
  Date start;
  ASSERT_TRUE(TryParseDate("2001-10-13 10:20:00", start));
  EXPECT_EQ(Cell(jobs[0], 0, 0), Variant("O'Brien; e cia"));
  EXPECT_EQ(Cell(jobs[0], 0, 1), Variant(start));
  EXPECT_EQ(Cell(jobs[0], 1, 0), Variant("ação"));
  EXPECT_EQ(Cell(jobs[0], 1, 1).type(), VarType::Date);
}

TEST_F(SqliteProcedure, CommandWithNamedInputAndOutputParameters) {
  std::vector<Parameter> parameters{
      Named("pB", Variant(5)),
      Named("@PA", Variant(3)),
      Named("pSoma", Variant(), ParameterDirection::Output),
      Named("ptexto", Variant(), ParameterDirection::Output),
  };
  auto results = provider_->Execute(CommandType::StoredProcedure, "SP_TEST_ROW_SETS", parameters, 0);
  EXPECT_EQ(parameters[2].value, Variant(8));
  EXPECT_EQ(parameters[3].value, Variant("soma=8"));
  EXPECT_EQ(parameters[0].value, Variant(5)) << "inputs are left alone";
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].cells, CellStore{Variant(8)});
  EXPECT_EQ(results[1].row_count(), 0u);
  EXPECT_EQ(results[2].cells, (CellStore{Variant("soma=8"), Variant(3)}));
}

TEST_F(SqliteProcedure, ParametersWithoutArgumentStartAsNull) {
  std::vector<Parameter> parameters{Named("pA", Variant(1)),
                                    Named("pSOMA", Variant(99), ParameterDirection::Output)};
  provider_->Execute(CommandType::StoredProcedure, "sp_test_row_sets", parameters, 0);
  EXPECT_TRUE(parameters[1].value.IsNull()) << "1 + NULL";
}

TEST_F(SqliteProcedure, AFailingBodyLeavesNoWrites) {
  EXPECT_THROW(RunSql(*provider_, "EXEC SP_TEST_WRITE_THEN_FAIL 'S'"), RuntimeError);
  EXPECT_EQ(RunScalar(*provider_, "SELECT COUNT(*) FROM LOG_MSG"), Variant(0));
  EXPECT_EQ(RunScalar(*provider_, "SELECT LOG_SISTEMA_ID FROM infra_ids"), Variant(0));

  RunSql(*provider_, "EXEC SP_TEST_WRITE_THEN_FAIL 'N'");
  EXPECT_EQ(RunScalar(*provider_, "SELECT COUNT(*) FROM LOG_MSG"), Variant(1));
}

TEST_F(SqliteProcedure, AFailingBodyInsideATransactionUndoesOnlyItsOwnWrites) {
  provider_->BeginTransaction();
  RunSql(*provider_, "UPDATE infra_ids SET LOG_GERADOR_ID = 5");
  EXPECT_THROW(RunSql(*provider_, "EXEC SP_TEST_WRITE_THEN_FAIL 'S'"), RuntimeError);
  provider_->CommitTransaction();
  EXPECT_EQ(RunScalar(*provider_, "SELECT LOG_GERADOR_ID || '/' || LOG_SISTEMA_ID FROM infra_ids"), Variant("5/0"));
  EXPECT_EQ(RunScalar(*provider_, "SELECT COUNT(*) FROM LOG_MSG"), Variant(0));
}

TEST_F(SqliteProcedure, CallsThatCannotBeMadeAreRefused) {
  struct Row {
    const char* call;
    int32_t number;
  };
  const Row rows[] = {
      {"EXEC SP_NAO_EXISTE 1", sqlite::kUnknownProcedure},
      {"EXEC SP_TEST_WRITE_THEN_FAIL 'N', 2", SQLITE_ERROR},  // more arguments than parameters
      {"EXEC SP_TEST_WRITE_THEN_FAIL 'N' FROM", SQLITE_ERROR},
      {"EXEC", SQLITE_ERROR},
  };
  for (const Row& row : rows) {
    try {
      RunSql(*provider_, row.call);
      ADD_FAILURE() << "accepted: " << row.call;
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), row.number) << row.call << ": " << error.description();
    }
  }
  std::vector<Parameter> unknown_parameter{Named("pNAO_EXISTE", Variant(1))};
  EXPECT_THROW(provider_->Execute(CommandType::StoredProcedure, "SP_TEST_ROW_SETS", unknown_parameter, 0),
               RuntimeError);
  std::vector<Parameter> none;
  try {
    provider_->Execute(CommandType::StoredProcedure, "SP_NAO_EXISTE", none, 0);
    ADD_FAILURE() << "unknown procedure accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), sqlite::kUnknownProcedure);
    EXPECT_NE(error.description().find("SP_NAO_EXISTE"), std::string::npos) << error.description();
  }
}

TEST_F(SqliteProcedure, InstallingAgainReplacesTheProcedure) {
  database_.InstallProcedure("CREATE PROCEDURE SP_TEST_ROW_SETS AS SELECT 'nova' AS Versao");
  std::vector<Parameter> none;
  auto results = provider_->Execute(CommandType::StoredProcedure, "SP_TEST_ROW_SETS", none, 0);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, CellStore{Variant("nova")});
}

TEST(SqliteProcedureSource, ReadsTheDeclaration) {
  struct Row {
    const char* source;
    std::string parameters;  // name:type:direction, ...
    std::string body;
  };
  const Row rows[] = {
      {"CREATE PROCEDURE P AS SELECT 1", "", "SELECT 1"},
      {"-- comment\ncreate proc P\n  @pA INTEGER,\n  @pB VARCHAR(10) OUTPUT\nAS\nSELECT @pA;",
       "pA:INTEGER:in,pB:VARCHAR(10):out", "SELECT @pA;"},
      {"CREATE PROCEDURE P (pA NUMERIC(10, 2), pB OUT, pC) AS SELECT 1", "pA:NUMERIC(10, 2):in,pB::out,pC::in",
       "SELECT 1"},
      {"CREATE PROCEDURE P @pAS DOUBLE PRECISION AS\n\n  UPDATE params SET pAS = 1", "pAS:DOUBLE PRECISION:in",
       "UPDATE params SET pAS = 1"},
  };
  for (const Row& row : rows) {
    const auto procedure = ParseProcedureSource(row.source);
    std::string parameters;
    for (const auto& parameter : procedure.parameters) {
      if (!parameters.empty()) parameters += ",";
      parameters += parameter.name + ":" + parameter.type + ":" + (parameter.output ? "out" : "in");
    }
    EXPECT_EQ(procedure.name, "P") << row.source;
    EXPECT_EQ(parameters, row.parameters) << row.source;
    EXPECT_EQ(procedure.body, row.body) << row.source;
  }
}

TEST(SqliteProcedureSource, RefusesBadDefinitions) {
  SqliteTestDatabase database;
  const char* refused[] = {
      "PROCEDURE P AS SELECT 1",                                // no CREATE
      "CREATE TABLE P AS SELECT 1",                             // not a procedure
      "CREATE PROCEDURE AS SELECT 1",                           // no name
      "CREATE PROCEDURE P @pA INTEGER SELECT 1",                // no AS
      "CREATE PROCEDURE P (pA INTEGER AS SELECT 1",             // list not closed
      "CREATE PROCEDURE P (pA) pB AS SELECT 1",                 // text after the list
      "CREATE PROCEDURE P AS   ",                               // empty body
      "CREATE PROCEDURE P AS -- nothing",                       // body without statements
      "CREATE PROCEDURE P @pA INTEGER, @pa INTEGER AS SELECT 1",  // repeated parameter
      "CREATE PROCEDURE P @1A INTEGER AS SELECT 1",             // bad parameter name
      "CREATE PROCEDURE P @pA, , @pB AS SELECT 1",              // empty parameter
      "CREATE PROCEDURE P 'pA' AS SELECT 1",                    // quoted parameter name
      "CREATE PROCEDURE P @pA INTEGER AS SELEC @pA",            // syntax error in the body
      "CREATE PROCEDURE P @pA INTEGER AS SELECT @pB",           // undeclared parameter
      "CREATE PROCEDURE P @pA INTEGER AS SELECT ?",             // positional marker
      "CREATE PROCEDURE P AS SELECT * FROM NAO_EXISTE",         // unknown table
      "CREATE PROCEDURE P @pA INTEGER AS UPDATE params SET pX = 1",  // unknown parameter column
  };
  for (const char* source : refused) {
    EXPECT_THROW(database.InstallProcedure(source), RuntimeError) << source;
  }
  auto provider = database.Open();
  EXPECT_EQ(RunScalar(*provider, "SELECT COUNT(*) FROM TPL_PROCEDURE WHERE PROCEDURE_NAME = 'P'"), Variant(0))
      << "nothing stored";
}

}  // namespace
}  // namespace tpl::db::testing
