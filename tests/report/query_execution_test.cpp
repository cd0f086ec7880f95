#include "report/query_execution.h"

#include "conventions/value_helpers.h"
#include "support/suite.h"
#include "tpl/dictionary.h"

namespace tpl {
namespace {

// How the routine's trap starts its message for user 1.
const std::string kTrapped = "Acesso a geração do relatório não disponível. Favor tentar mais tarde. "
                             "KMBTPL01.mExecutar_Query( ";

class QueryExecution : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE T (A INTEGER, B NUMERIC(10,3), C VARCHAR(20))");
    db_.Execute("INSERT INTO T VALUES (1, 1.5, 'um'), (2, 0, 'dois'), (3, 1234.5678, NULL)");
  }
  bool Run(const std::string& query, const char* email_flag = "N", Variant user = Variant::Long(5)) {
    const CallContext call(Variant(db_.connection_string()), user, Variant("SQLSERVER"), message_);
    return mExecutar_Query(call, Variant(query), lines_, columns_, matrix_, Variant("Vendas d'Ouro"),
                           Variant::Long(12), additional_, Variant(email_flag));
  }
  // The message went through the routine's trap and names `detail`.
  void ExpectTrapped(const std::string& detail) const {
    const std::string text = CStr(message_);
    EXPECT_EQ(text.rfind(kTrapped, 0), 0u) << text;
    EXPECT_NE(text.find(detail), std::string::npos) << text;
  }
  testing::TempDatabase db_;
  Variant message_, lines_, columns_, matrix_, additional_{"antes"};
};

TEST_F(QueryExecution, BuildsTheMatrixAndWritesTheGenerationLog) {
  db_.SetParameter(7018, "S");  // show zero decimals
  ASSERT_TRUE(Run("SELECT A, B, C FROM T ORDER BY A")) << TextOrEmpty(message_);
  EXPECT_EQ(std::pair(lines_, columns_), std::pair(Variant::Long(5), Variant::Long(4)));
  // The decimal places come from the column's declared scale.
  EXPECT_EQ(testing::ShowRows(matrix_.AsArray()),
            "A|B|C|<empty>|<empty>;1|1,500|um|DET|;2|0,00|dois|DET|;3|1234,567||DET|;"
            "I|V|T|<empty>|<empty>;Center|Right|Left|<empty>|<empty>");
  EXPECT_EQ(additional_, Variant("antes")) << "a single row set leaves the dictionary alone";
  EXPECT_TRUE(message_.IsEmpty());
  EXPECT_EQ(db_.Rows("SELECT USUARIO_INTERNET_ID, TEMPLATE_DINAMICO_ID, DATA_FIM IS NOT NULL "
                     "FROM LOG_TEMPLATE_DINAMICO"), "5|12|1");  // the entry is closed after the query
}

// A failing query goes through the trap: see the time-out below.
TEST_F(QueryExecution, EmptyResultSaysSoAndShowsTheQueryToUserOne) {
  EXPECT_FALSE(Run("SELECT A FROM T WHERE A > 10"));
  EXPECT_EQ(message_, Variant("Não foram encontrados registros para esse relatório."));
  EXPECT_TRUE(lines_.IsEmpty());
  EXPECT_FALSE(Run("SELECT A FROM T WHERE A > 10", "N", Variant(" 1 ")));
  EXPECT_EQ(message_, Variant("Não foram encontrados registros para esse relatório. - "
                              "InVntQuery = SELECT A FROM T WHERE A > 10"));
}

// The procedure turns the ## sent for each apostrophe back and drops trailing blanks, not leading ones. Any answer but
// 0 is a refusal, negative ones included; the procedure's own message then stands instead of the success sentence.
TEST_F(QueryExecution, EmailFlagQueuesTheRequestWithoutRunning) {
  const std::string queued = "Solicitação gravada com sucesso. O sistema enviará o relatório por email.";
  EXPECT_FALSE(Run("  SELECT A FROM T WHERE C = 'um' OR C = ''  ", " S "));
  EXPECT_EQ(message_, Variant(queued));
  EXPECT_TRUE(matrix_.IsEmpty());
  EXPECT_EQ(db_.Rows("SELECT TXT_QUERY, TITULO, USUARIO_INTERNET_ID, DATA_SOLICITACAO IS NOT NULL, "
                     "DATA_ENVIO IS NULL FROM REL_DIN_EMAIL"),
            "  SELECT A FROM T WHERE C = 'um' OR C = ''|Vendas d'Ouro|5|1|1");
  const std::pair<const char*, std::string> rows[] = {
      {"SELECT -1 AS Retorno, ''Fila cheia'' AS MsgRet", "Fila cheia"}, {"SELECT 3 AS Retorno, NULL AS MsgRet", ""},
      {"SELECT '' 0 '' AS Retorno, ''ok'' AS MsgRet", queued}};
  for (const auto& [body, expected] : rows) {
    db_.Execute(std::string("UPDATE TPL_PROCEDURE SET BODY = '") + body +
                "' WHERE PROCEDURE_NAME = 'Sp_061_Envia_Rel_Din_Email02'");
    EXPECT_FALSE(Run("SELECT A FROM T", "S")) << body;
    EXPECT_EQ(message_, Variant(expected)) << body;
  }
}

TEST_F(QueryExecution, FurtherRowSetsBecomeAdditionalMatrices) {
  ASSERT_TRUE(Run("SELECT A FROM T; SELECT C FROM T WHERE A > 10; SELECT B, C FROM T WHERE A = 1"))
      << TextOrEmpty(message_);
  ASSERT_TRUE(additional_.IsObject());
  const auto& dictionary = dynamic_cast<const Dictionary&>(*additional_.AsObject());
  ASSERT_EQ(dictionary.Count(), 1);
  EXPECT_EQ(testing::ShowRows(dictionary.Item("RS0").AsArray()),
            "B|C|<empty>|<empty>;1,500|um|DET|;V|T|<empty>|<empty>;Right|Left|<empty>|<empty>");
}

// A later statement of the batch that fails takes neither the main matrix nor the closing log entry with it: its
// error surfaces when the next row set is asked for.
TEST_F(QueryExecution, LaterFailingStatementLeavesTheMatrixAndTheClosedLog) {
  EXPECT_FALSE(Run("SELECT A FROM T WHERE A = 1; SELECT X FROM MISSING_TABLE", "N", Variant::Long(1)));
  EXPECT_EQ(lines_, Variant::Long(3));
  EXPECT_EQ(testing::ShowRows(matrix_.AsArray()), "A|<empty>|<empty>;1|DET|;I|<empty>|<empty>;Center|<empty>|<empty>");
  EXPECT_EQ(db_.Rows("SELECT DATA_FIM IS NOT NULL FROM LOG_TEMPLATE_DINAMICO"), "1");
  ExpectTrapped("MISSING_TABLE");
}

// The rows are laid out as they are fetched. A fetch that fails at a row beyond the first blocks leaves the outputs
// untouched and the log entry open, as any failed run; a value the matrix cannot convert fails after the whole fetch,
// with the entry closed, as when the matrix was built from the fetched rows.
TEST_F(QueryExecution, FailuresWhileRowsArriveLeaveTheOutputsUntouched) {
  db_.Execute("CREATE TABLE M (I INTEGER, V NUMERIC(10,2))");
  db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
              "INSERT INTO M SELECT i, CASE WHEN i = 1900 THEN 'abc' ELSE i END FROM n");
  const struct { const char* query; const char* detail; const char* log_closed; } rows[] = {
      {"SELECT abs(CASE WHEN I = 1800 THEN -9223372036854775807 - 1 ELSE I END) AS A FROM M ORDER BY I",
       "integer overflow", "0"},
      {"SELECT I, V FROM M ORDER BY I", " : 13)", "1"},
  };
  for (const auto& row : rows) {
    db_.Execute("DELETE FROM LOG_TEMPLATE_DINAMICO");
    EXPECT_FALSE(Run(row.query, "N", Variant::Long(1))) << row.query;
    ExpectTrapped(row.detail);
    EXPECT_TRUE(lines_.IsEmpty() && columns_.IsEmpty() && matrix_.IsEmpty()) << row.query;
    EXPECT_EQ(additional_, Variant("antes")) << row.query;
    EXPECT_EQ(db_.Rows("SELECT DATA_FIM IS NOT NULL FROM LOG_TEMPLATE_DINAMICO"), row.log_closed) << row.query;
  }
}

TEST_F(QueryExecution, TimeOutBecomesAnEmailRequestWhenAllowed) {
  const std::string slow = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                           "i < 1000000000) SELECT MAX(i) FROM n";
  db_.SetParameter(2001780, "1");
  db_.SetParameter(15000, "S");
  EXPECT_FALSE(Run(slow));
  EXPECT_EQ(message_, Variant("Tempo de resposta do servidor excedido. O sistema enviará o relatório por email."));
  EXPECT_EQ(db_.Count("REL_DIN_EMAIL"), 1);

  db_.SetParameter(15000, "N");
  EXPECT_FALSE(Run(slow, "N", Variant::Long(1)));
  ExpectTrapped(" : -2147217871)");
  EXPECT_EQ(db_.Count("REL_DIN_EMAIL"), 1);
}

}  // namespace
}  // namespace tpl
