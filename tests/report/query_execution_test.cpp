#include "report/query_execution.h"

#include <gtest/gtest.h>

#include <string>

#include "frame/value_helpers.h"
#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/dictionary.h"

namespace tpl {
namespace {

using testing::TempDatabase;

class QueryExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE T (A INTEGER, B NUMERIC(10,3), C VARCHAR(20))");
    db_.Execute("INSERT INTO T VALUES (1, 1.5, 'um'), (2, 0, 'dois'), (3, 1234.5678, NULL)");
  }
  void SetParameter(int id, const std::string& value) {
    db_.Execute("UPDATE Tab_Parametro_Sistema SET Parametro = '" + value +
                "' WHERE Tab_Parametro_Sistema_ID = " + std::to_string(id));
  }
  bool Run(const std::string& query, const char* email_flag = "N",
           Variant user = Variant::Long(5)) {
    return mExecutar_Query(Variant(db_.connection_string()), user, message_, Variant("SQLSERVER"),
                           Variant(query), lines_, columns_, matrix_, Variant("Vendas d'Ouro"),
                           Variant::Long(12), additional_, Variant(email_flag));
  }
  int32_t Count(const std::string& table) {
    return CLng(db_.Scalar("SELECT COUNT(*) FROM " + table));
  }

  TempDatabase db_;
  Variant message_, lines_, columns_, matrix_, additional_{"antes"};
};

TEST_F(QueryExecution, BuildsTheMatrixAndWritesTheGenerationLog) {
  ASSERT_TRUE(Run("SELECT A, B, C FROM T ORDER BY A")) << TextOrEmpty(message_);
  EXPECT_EQ(lines_, Variant::Long(5));
  EXPECT_EQ(columns_, Variant::Long(4));
  const Array& m = matrix_.AsArray();
  EXPECT_EQ(m.UBound(1), 5);
  EXPECT_EQ(m.UBound(2), 4);
  EXPECT_EQ(m.at(1, 1), Variant("1,500"));
  EXPECT_EQ(m.at(2, 1), Variant(""));
  EXPECT_EQ(m.at(3, 1), Variant("1234,567"));
  EXPECT_EQ(m.at(3, 2), Variant(""));
  EXPECT_EQ(m.at(4, 1), Variant("V"));
  EXPECT_EQ(m.at(5, 1), Variant("Right"));
  EXPECT_EQ(additional_, Variant("antes")) << "a single row set leaves the dictionary alone";
  EXPECT_TRUE(message_.IsEmpty());
  db::Recordset log = db_.Query(
      "SELECT USUARIO_INTERNET_ID, TEMPLATE_DINAMICO_ID, DATA_INICIO, DATA_FIM "
      "FROM LOG_TEMPLATE_DINAMICO");
  ASSERT_EQ(log.RecordCount(), 1);
  EXPECT_EQ(CStr(log.Value(0)), "5");
  EXPECT_EQ(CLng(log.Value(1)), 12);
  EXPECT_FALSE(log.Value(3).IsNull()) << "the entry is closed after the query";
}

TEST_F(QueryExecution, ZeroDisplayFlagShowsZeroDecimals) {
  SetParameter(7018, "S");
  ASSERT_TRUE(Run("SELECT B FROM T ORDER BY A"));
  EXPECT_EQ(matrix_.AsArray().at(2, 0), Variant("0,00"));
}

TEST_F(QueryExecution, EmptyResultSaysSoAndShowsTheQueryToUserOne) {
  EXPECT_FALSE(Run("SELECT A FROM T WHERE A > 10"));
  EXPECT_EQ(message_, Variant("Não foram encontrados registros para esse relatório."));
  EXPECT_TRUE(lines_.IsEmpty());
  EXPECT_FALSE(Run("SELECT A FROM T WHERE A > 10", "N", Variant(" 1 ")));
  EXPECT_EQ(message_, Variant("Não foram encontrados registros para esse relatório. - "
                              "InVntQuery = SELECT A FROM T WHERE A > 10"));
}

TEST_F(QueryExecution, EmailFlagQueuesTheRequestWithoutRunning) {
  EXPECT_FALSE(Run("SELECT A FROM T WHERE C = 'um'", " S "));
  EXPECT_EQ(message_, Variant("Solicitação gravada com sucesso. O sistema enviará o relatório "
                              "por email."));
  EXPECT_TRUE(matrix_.IsEmpty());
  db::Recordset request = db_.Query("SELECT TXT_QUERY, TITULO, USUARIO_INTERNET_ID FROM "
                                    "REL_DIN_EMAIL");
  ASSERT_EQ(request.RecordCount(), 1);
  EXPECT_EQ(CStr(request.Value(0)), "SELECT A FROM T WHERE C = 'um'");
  EXPECT_EQ(CStr(request.Value(1)), "Vendas d'Ouro");
  EXPECT_EQ(CLng(request.Value(2)), 5);
}

TEST_F(QueryExecution, FurtherRowSetsBecomeAdditionalMatrices) {
  ASSERT_TRUE(Run("SELECT A FROM T; SELECT C FROM T WHERE A > 10; SELECT B, C FROM T WHERE A = 1"))
      << TextOrEmpty(message_);
  ASSERT_TRUE(additional_.IsObject());
  const auto& dictionary = dynamic_cast<const Dictionary&>(*additional_.AsObject());
  ASSERT_EQ(dictionary.Count(), 1);
  const Array& extra = dictionary.Item("RS0").AsArray();
  EXPECT_EQ(extra.UBound(1), 3);
  EXPECT_EQ(extra.UBound(2), 3);
  EXPECT_EQ(extra.at(0, 1), Variant("C"));
  EXPECT_EQ(extra.at(1, 0), Variant("1,500"));
  EXPECT_EQ(extra.at(1, 2), Variant("DET"));
}

TEST_F(QueryExecution, TimeOutBecomesAnEmailRequestWhenAllowed) {
  const std::string slow =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000000) "
      "SELECT MAX(i) FROM n";
  SetParameter(2001780, "1");
  SetParameter(15000, "S");
  EXPECT_FALSE(Run(slow));
  EXPECT_EQ(message_, Variant("Tempo de resposta do servidor excedido. O sistema enviará o "
                              "relatório por email."));
  EXPECT_EQ(Count("REL_DIN_EMAIL"), 1);

  SetParameter(15000, "N");
  EXPECT_FALSE(Run(slow, "N", Variant::Long(1)));
  std::string text = CStr(message_);
  EXPECT_EQ(text.rfind("Acesso a geração do relatório não disponível. Favor tentar mais tarde. "
                       "KMBTPL01.mExecutar_Query( ",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find(" : -2147217871)"), std::string::npos) << text;
  EXPECT_NE(text.find(" Strsq: " + slow), std::string::npos) << text;
  EXPECT_EQ(Count("REL_DIN_EMAIL"), 1);
  EXPECT_EQ(Count("LOG_MSG"), 1);
}

TEST_F(QueryExecution, BadQueryGoesThroughTheTrap) {
  EXPECT_FALSE(Run("SELECT NAO_EXISTE FROM T"));
  EXPECT_EQ(message_,
            Variant("Acesso a geração do relatório não disponível. Favor tentar mais tarde."));
  EXPECT_EQ(Count("LOG_MSG"), 1);
}

TEST(ReportCommand, CarriesTheSessionPrelude) {
  EXPECT_EQ(ReportCommandText("SELECT 1"),
            "Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\nSELECT "
            "1");
}

}  // namespace
}  // namespace tpl
