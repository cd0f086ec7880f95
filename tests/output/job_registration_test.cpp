#include <gtest/gtest.h>

#include <string>

#include "output/job_request.h"
#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::JobRequest;

class JobRegistration : public ::testing::TestWithParam<std::string> {
 protected:
  JobRequest Request() const { return JobRequest{GetParam(), db_.connection_string()}; }
  // Texts the system writes itself are upper-cased on Oracle.
  std::string Stored(const std::string& text) const {
    return GetParam() == "ORACLE" ? UCase(text) : text;
  }
  std::string Column(const std::string& column, int32_t job = 1) const {
    Variant value = db_.Scalar("SELECT " + column + " FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " +
                               std::to_string(job));
    return value.IsNull() ? "<null>" : CStr(value);
  }
  int32_t Count(const std::string& table) const {
    return CLng(db_.Scalar("SELECT COUNT(*) FROM " + table));
  }
  testing::TempDatabase db_;
};

TEST_P(JobRegistration, WritesTheRowAndItsParameterTextWithApostrophesIntact) {
  JobRequest request = Request();
  ASSERT_TRUE(request.Register()) << CStr(request.message);
  EXPECT_TRUE(request.message.IsEmpty());
  EXPECT_EQ(request.job_id, Variant::Long(1));
  const std::pair<const char*, std::string> columns[] = {
      {"USUARIO_INTERNET_ID", "57"}, {"FUNCAO_ID", "80712"},
      {"TITULO_EMAIL", Stored("Relatório mensal")}, {"FLAG_ENVIA_EMAIL", "S"},
      {"TEXTO_EMAIL", Stored("Segue")}, {"ENDERECO_EMAIL", Stored("ana@x.com")},
      {"Tab_Status_JOB_ID", "1"}, {"Data_Inicio", "13/10/2001 10:20:00"},
      {"Email_Remetente", Stored("o'brien@x.com")}, {"Endereco_anexo", Stored("/srv/d'agua.xlsx")},
      {"TXT_QUERY", Stored("1__JOB____A__d'a")},
  };
  for (const auto& [column, expected] : columns) EXPECT_EQ(Column(column), expected) << column;
  // Oracle audits both writes; the procedures need no audit row.
  EXPECT_EQ(Count("LOG_SISTEMA WHERE TABELA_SISTEMA_ID = 490 AND TAB_TIPO_ACAO_ID = 1 AND "
                  "USUARIO_ID = 57 AND registro_id = 1"),
            GetParam() == "ORACLE" ? 2 : 0);

  // Validation filters apostrophes out of the e-mail fields; the row step keeps them.
  int32_t user = 57, function = 3016;
  std::string title = "D'Ávila", flag = "S", connection = db_.connection_string(),
              kind = GetParam(), text = "it's", recipient = "r", none;
  Variant job_id, message;
  ASSERT_TRUE(TPL().mInclui_JOB(user, function, title, flag, job_id, connection, kind, text,
                                recipient, message, none, none, none));
  EXPECT_EQ(Column("TITULO_EMAIL || TEXTO_EMAIL", 2), Stored("D'Ávilait's"));
}

TEST_P(JobRegistration, FlagNEmptiesTheEmailFieldsAndNoParametersLeaveTheMarker) {
  JobRequest request = Request();
  request.flag = "N";
  request.start = "";
  request.parameters = Variant();
  request.count = Variant::Integer(0);
  ASSERT_TRUE(request.Register()) << CStr(request.message);
  EXPECT_EQ(CStr(request.title) + CStr(request.recipient) + CStr(request.text), "");
  for (const char* column : {"TITULO_EMAIL", "TEXTO_EMAIL", "ENDERECO_EMAIL", "Data_Inicio"})
    EXPECT_EQ(Column(column), "<null>") << column;
  EXPECT_EQ(Column("TXT_QUERY"), "1__JOB__");
}

TEST_P(JobRegistration, EachFailureLeavesOneLogRowAndNoJob) {
  const std::string trapped = "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.";
  const std::string logged = "VRL_JOB.gInclui_JOB - ";
  struct Row {
    const char* name;
    void (*change)(JobRequest&);
    std::string message;  // the whole message, or how it starts when `starts` is set
    bool starts;
    std::string log;  // how the message log row starts (without parentheses)
  } rows[] = {
      {"function 0", [](JobRequest& r) { r.function = Variant::Integer(0); },
       "Código da Função deve ser igual ou maior que 1", false,
       logged + "Código da Função deve ser igual ou maior que 1"},
      {"two-letter flag", [](JobRequest& r) { r.flag = "SN"; },
       "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres.", false,
       logged + "Preencha Envia E-Mail S/N com, no máximo, 1 caracteres."},
      {"Null attachment", [](JobRequest& r) { r.attachment = Variant::Null(); }, trapped, false,
       trapped + " Vrl_JOGB.gInclui_JOB  "},
      {"Null sender for user 1",
       [](JobRequest& r) {
         r.sender = Variant::Null();
         r.user = Variant::Long(1);
       },
       trapped + " Vrl_JOGB.gInclui_JOB ( ", true, trapped + " Vrl_JOGB.gInclui_JOB  "},
  };
  for (const Row& row : rows) {
    db_.Execute("DELETE FROM LOG_MSG");
    JobRequest request = Request();
    row.change(request);
    EXPECT_FALSE(request.Register()) << row.name;
    std::string message = CStr(request.message);
    EXPECT_EQ(row.starts ? message.substr(0, row.message.size()) : message, row.message)
        << row.name;
    ASSERT_EQ(Count("LOG_MSG"), 1) << row.name;
    EXPECT_EQ(CStr(db_.Scalar("SELECT MSG01 FROM LOG_MSG")).substr(0, row.log.size()), row.log)
        << row.name;
  }
  EXPECT_EQ(Count("LOG_GERADOR"), 0);
}

INSTANTIATE_TEST_SUITE_P(JobByKind, JobRegistration, ::testing::Values("SQLSERVER", "ORACLE"),
                         [](const auto& info) { return info.param; });

// Only the exact kind ORACLE writes the row itself; any other text goes
// through the procedures, unaudited and as typed.
TEST(JobKind, OnlyTheExactWordOracleSelectsTheOraclePath) {
  testing::TempDatabase db;
  for (const char* kind : {"oracle", " ORACLE", "ORACLE ", ""}) {
    JobRequest request{kind, db.connection_string()};
    ASSERT_TRUE(request.Register()) << "[" << kind << "] " << CStr(request.message);
    EXPECT_EQ(CStr(db.Scalar("SELECT TITULO_EMAIL FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " +
                             CStr(request.job_id))),
              "Relatório mensal")
        << "[" << kind << "]";
  }
  EXPECT_EQ(CLng(db.Scalar("SELECT COUNT(*) FROM LOG_SISTEMA")), 0);
}

}  // namespace
}  // namespace tpl
