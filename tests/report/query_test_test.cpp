#include "report/query_test.h"

#include "support/suite.h"

namespace tpl {
namespace {

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE T (A INTEGER, C VARCHAR(20))");
    db_.Execute("INSERT INTO T VALUES (1, 'um'), (2, 'dois')");
  }
  Variant Try(const std::string& query) {
    Variant connection(db_.connection_string()), kind("SQLSERVER"), id, name("Nome"), template_id(Variant::Long(7));
    return TPL().gTesta_Query(connection, user_, message_, kind, id, name, title_, subtitle_, query_ = Variant(query),
                              lines_, columns_, matrix_, template_id, additional_);
  }
  testing::TempDatabase db_;
  Variant user_{Variant::Long(5)}, message_, title_{"Teste (1)"}, subtitle_, query_, lines_, columns_, matrix_,
      additional_;
};

TEST_F(QueryTest, EachRefusalAnswersWithItsOwnSentenceAndRunsNothing) {
  const struct { Variant title; std::string query, message; } rows[] = {
      {std::string(101, 't'), "SELECT A FROM T", "Preencha Título com, no máximo, 100 caracteres."},
      {"T", " \r\n ", "Preencha o campo Query."},
      {"T", "-- comentário\r\nSELECT A FROM T", "Comando não permitido por essa função."},
      {"T", "SELECT A FROM T WHERE A = {NUM}",
       "Não é permitido usar os caracteres de filtro para função TESTE. Ex: as Chaves { e }."},
  };
  for (const auto& row : rows) {
    title_ = row.title;
    EXPECT_EQ(Try(row.query), Variant::Integer(10)) << row.query;
    EXPECT_EQ(message_, Variant(row.message)) << row.query;
  }
  EXPECT_EQ(db_.Count("LOG_TEMPLATE_DINAMICO"), 0);
  title_ = std::string(100, 't');
  EXPECT_EQ(Try("EXEC SP_KMB_CONS_FILTRO_TEMPLATE01 1"), Variant::Integer(10)) << "ran: no rows";
  EXPECT_EQ(message_, Variant("Não foram encontrados registros para esse relatório."));
}

TEST_F(QueryTest, SampleValuesArePreparedOnACopy) {
  const Variant matrix = testing::FilterMatrix({{0, "Data", "{D}", " d ", 1, "", "x"}, {0, "N", "{N}", "N", 1, "", ""},
                                                {0, "Lista", "{@C@}", "C", 1, "", ""}, {0, "V", "{V}", "V", 1, "", ""},
                                                {0, "Outro", "{O}", "Z", 1, "", "livre"}});
  const Variant query("SELECT 1 FROM T WHERE {D} {N} {@C@} {V} {O}");
  Variant message;
  const Variant connection(db_.connection_string()), user(Variant::Long(5)), kind("SQLSERVER");
  const CallContext call(connection, user, kind, message);
  EXPECT_TRUE(mTesta_Query(call, query, Variant::Integer(5), Variant::Integer(7), matrix));
  EXPECT_TRUE(message.IsEmpty());
  EXPECT_EQ(matrix.AsArray().at(0, 6), Variant("x"));
  // Its failure (a column count below 6) is checked where a template is saved.
}

}  // namespace
}  // namespace tpl
