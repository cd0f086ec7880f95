#include "host/page_support.h"

#include "host/call_arguments.h"
#include "support/suite.h"

namespace tpl::host {
namespace {

constexpr const char* kSentence = "Acesso a chamada de rotina de Gravação não disponível. Favor tentar mais tarde.";
// The sentence of the query's run, which fails when the database refuses the query.
constexpr const char* kRunSentence = "Acesso a geração do relatório não disponível. Favor tentar mais tarde.";

TEST(PageSupport, LoggedDetailKeepsOnlyTheTechnicalPartOfTheCallsOwnRow) {
  struct Row { const char* name; std::string message, logged, detail; };
  for (const Row& row : std::vector<Row>{
           {"the database's words, without label, number, line and statement", kSentence,
            std::string(kSentence) + "KMBTPL01.mExecutar_Query  no such table: X : 1  No Nº 3 Strsq: SELECT 1",
            "no such table: X"},
           {"a negative number and the lower-case line mark", kSentence,
            std::string(kSentence) + " KMBTPL01.mConsiste_Filtros  Divisão por zero : -11  no nº 0",
            "Divisão por zero"},
           {"another shape is kept whole; the log drops parentheses the sentence holds", "Falhou (teste); tente",
            "Falhou teste tente near FROM: syntax error", "near FROM: syntax error"},
           {"another sentence is another call's row", kSentence, "Acesso a consulta dos dados não disponível. X", ""},
           {"user 1 already sees the detail in the slot", std::string(kSentence) + "KMBTPL01 x",
            std::string(kSentence) + "KMBTPL01 x", ""},
       }) {
    EXPECT_EQ(LoggedDetail(row.message, row.logged), row.detail) << row.name;
  }
}

class PageSupportOnDatabase : public ::testing::Test {
 protected:
  // The body of gTesta_Query for `query`, as the page sends it.
  static std::string QueryTestBody(const std::string& query) {
    return Json::array({"Data Source=client-choice.db", 5, "", "ORACLE", 0, "Nome", "Título", "", query, 0, 0,
                        Json{{"Empty", nullptr}}, 0, Json{{"Empty", nullptr}}})
        .dump();
  }
  Json Answer(const std::string& body) {
    const PageAnswer answer = QueryTestAnswer(database_.connection_string(), "SQLSERVER", body);
    EXPECT_EQ(answer.status, 200) << answer.body;
    return Json::parse(answer.body);
  }
  testing::TempDatabase database_;
};

TEST_F(PageSupportOnDatabase, AFailedTestTellsTheDatabasesReasonForThatCallOnly) {
  // A row of an earlier call, same user and sentence, must not be taken for this call's.
  database_.Execute(std::string("INSERT INTO LOG_MSG (TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID, MSG01) VALUES (1, 5, '") +
                    kRunSentence + " earlier call')");
  const Json failed = Answer(QueryTestBody("SELECT NOME FROM TABELA_QUE_NAO_EXISTE"));
  EXPECT_EQ(failed["result"], (Json{{"Integer", 10}}));
  EXPECT_EQ(failed["args"][2], kRunSentence) << "user 5 is shown only the sentence";
  EXPECT_EQ(failed["detail"], "no such table: TABELA_QUE_NAO_EXISTE") << "not the earlier row, nor the statement";
  EXPECT_EQ(failed["args"][0], "Data Source=client-choice.db") << "the service's connection string never goes back";

  const Json refused = Answer(QueryTestBody("DELETE FROM LOG_MSG"));
  EXPECT_EQ(refused["args"][2], "Comando não permitido por essa função.");
  EXPECT_EQ(refused["detail"], "") << "a refusal of the checks logs nothing";
}

// The rows beyond the limit go; the header before them and the rows of types and alignments after them stay.
TEST_F(PageSupportOnDatabase, APassingTestIsCutToTheScreenLimitAndAMalformedBodyIsRefused) {
  database_.SetParameter(23042, "2");
  const Json passed = Answer(QueryTestBody("SELECT Tab_Parametro_Sistema_ID AS N FROM Tab_Parametro_Sistema "
                                           "ORDER BY Tab_Parametro_Sistema_ID"));
  EXPECT_EQ(passed["result"], (Json{{"Integer", 0}}));
  EXPECT_EQ(passed["detail"], "");
  EXPECT_EQ(passed["limit"], 2);
  EXPECT_EQ(passed["shown"], 2);
  const Json& matrix = passed["args"][11]["Matrix"];
  ASSERT_EQ(matrix.size(), 5u) << "header, two rows, types, alignments";
  EXPECT_EQ(matrix[3][0], "I") << "the row of types";
  EXPECT_EQ(matrix[4][0], "Center") << "the row of alignments";
  EXPECT_GT(passed["args"][9].begin().value().get<int>(), 4) << "the line count still tells the whole result";
  EXPECT_EQ(QueryTestAnswer(database_.connection_string(), "SQLSERVER", "[1, 2]").status, 400);
}

// A group without a name is listed with an empty one; a database without the table of groups lists none.
TEST_F(PageSupportOnDatabase, GroupsComeFromTheTableOrAsAnEmptyList) {
  database_.Execute("DELETE FROM GRUPO_USUARIO");
  database_.Execute("INSERT INTO GRUPO_USUARIO VALUES (30, NULL)");
  EXPECT_EQ(Json::parse(UserGroupsAnswer(database_.connection_string()).body),
            Json::parse(R"({"groups":[{"id":30,"name":""}]})"));
  database_.Execute("DROP TABLE GRUPO_USUARIO");
  EXPECT_EQ(Json::parse(UserGroupsAnswer(database_.connection_string()).body), Json::parse(R"({"groups":[]})"));
}

}  // namespace
}  // namespace tpl::host
