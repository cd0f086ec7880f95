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
           {"an empty message matches nothing", "", "anything", ""},
       }) {
    EXPECT_EQ(LoggedDetail(row.message, row.logged), row.detail) << row.name;
  }
}

TEST(PageSupport, CutResultRowsKeepsHeaderTypesAndAlignmentsAroundTheFirstRows) {
  const auto result = [](int data_rows) {
    Json rows = Json::array({Json::array({"H"})});
    for (int i = 1; i <= data_rows; ++i) rows.push_back(Json::array({i}));
    rows.push_back(Json::array({"I"}));
    rows.push_back(Json::array({"Right"}));
    return Json{{"Matrix", rows}};
  };
  struct Row { int data_rows; size_t limit, shown; Json last_data; };
  for (const Row& row : std::vector<Row>{{5, 2, 2, 2}, {5, 5, 5, 5}, {5, 9, 5, 5}, {0, 2, 0, "H"}, {5, 0, 0, "H"}}) {
    Json matrix = result(row.data_rows);
    const std::string name = std::to_string(row.data_rows) + " rows, limit " + std::to_string(row.limit);
    EXPECT_EQ(CutResultRows(matrix, row.limit), row.shown) << name;
    const Json& rows = matrix["Matrix"];
    ASSERT_EQ(rows.size(), row.shown + 3) << name;
    EXPECT_EQ(rows[rows.size() - 3][0], row.last_data) << name;
    EXPECT_EQ(rows[rows.size() - 2][0], "I") << name;
    EXPECT_EQ(rows.back()[0], "Right") << name;
  }
  Json not_a_matrix = Json{{"Empty", nullptr}};
  EXPECT_EQ(CutResultRows(not_a_matrix, 3), 0u);
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
  const std::string detail = failed["detail"];
  EXPECT_EQ(detail, "no such table: TABELA_QUE_NAO_EXISTE");
  EXPECT_EQ(detail.find("earlier call"), std::string::npos) << detail;
  EXPECT_EQ(detail.find("SELECT NOME"), std::string::npos) << "the statement text is cut: " << detail;
  EXPECT_EQ(failed["args"][0], "Data Source=client-choice.db") << "the service's connection string never goes back";

  const Json refused = Answer(QueryTestBody("DELETE FROM LOG_MSG"));
  EXPECT_EQ(refused["args"][2], "Comando não permitido por essa função.");
  EXPECT_EQ(refused["detail"], "") << "a refusal of the checks logs nothing";
}

TEST_F(PageSupportOnDatabase, APassingTestIsCutToTheScreenLimitAndAMalformedBodyIsRefused) {
  database_.SetParameter(23042, "2");
  const Json passed = Answer(QueryTestBody("SELECT Tab_Parametro_Sistema_ID FROM Tab_Parametro_Sistema"));
  EXPECT_EQ(passed["result"], (Json{{"Integer", 0}}));
  EXPECT_EQ(passed["detail"], "");
  EXPECT_EQ(passed["limit"], 2);
  EXPECT_EQ(passed["shown"], 2);
  EXPECT_EQ(passed["args"][11]["Matrix"].size(), 5u) << "header, two rows, types, alignments";
  EXPECT_GT(passed["args"][9].begin().value().get<int>(), 4) << "the line count still tells the whole result";
  EXPECT_EQ(QueryTestAnswer(database_.connection_string(), "SQLSERVER", "[1, 2]").status, 400);
  EXPECT_EQ(QueryTestAnswer(database_.connection_string(), "SQLSERVER", "not json").status, 400);
}

TEST_F(PageSupportOnDatabase, GroupsComeFromTheTableOrAsAnEmptyList) {
  database_.Execute("DELETE FROM GRUPO_USUARIO");
  database_.Execute("INSERT INTO GRUPO_USUARIO VALUES (20, 'Diretoria'), (10, 'Vendas'), (30, NULL)");
  EXPECT_EQ(Json::parse(UserGroupsAnswer(database_.connection_string()).body),
            Json::parse(R"({"groups":[{"id":10,"name":"Vendas"},{"id":20,"name":"Diretoria"},)"
                        R"({"id":30,"name":""}]})"));
  database_.Execute("DROP TABLE GRUPO_USUARIO");
  EXPECT_EQ(Json::parse(UserGroupsAnswer(database_.connection_string()).body), Json::parse(R"({"groups":[]})"));
}

}  // namespace
}  // namespace tpl::host
