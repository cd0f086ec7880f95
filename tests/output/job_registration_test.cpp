#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>

#include "support/suite.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// A complete e-mail job request with every argument of gInclui_JOB.
struct JobRequest {
  Variant kind, connection, user = Variant::Long(57), message, function = Variant::Long(80712),
      title = "Relatório mensal", flag = "S", job_id, parameters = testing::Vector({"A", "d'a"}),
      count = Variant::Integer(2), text = "Segue", recipient = "ana@x.com",
      start = "13/10/2001 10:20", sender = "o'brien@x.com", attachment = "/srv/d'agua.xlsx";

  JobRequest(const std::string& database_kind, const std::string& connection_string)
      : kind(database_kind), connection(connection_string) {}

  bool Register() {
    return TPL().gInclui_JOB(kind, connection, user, message, function, title, flag, job_id,
                             parameters, count, text, recipient, start, sender, attachment);
  }
};

class JobRegistration : public ::testing::TestWithParam<std::string> {
 protected:
  JobRequest Request() const { return JobRequest{GetParam(), db_.connection_string()}; }
  testing::TempDatabase db_;
};

TEST_P(JobRegistration, WritesTheRowAndItsParameterTextWithApostrophesIntact) {
  JobRequest request = Request();
  ASSERT_TRUE(request.Register()) << CStr(request.message);
  EXPECT_TRUE(request.message.IsEmpty());
  EXPECT_EQ(request.job_id, Variant::Long(1));
  const std::string row = "57|80712|Relatório mensal|S|Segue|ana@x.com|1|13/10/2001 10:20:00|o'brien@x.com|"
                          "/srv/d'agua.xlsx|1__JOB____A__d'a";
  // Texts the system writes itself are upper-cased on Oracle.
  EXPECT_EQ(db_.Rows("SELECT USUARIO_INTERNET_ID, FUNCAO_ID, TITULO_EMAIL, FLAG_ENVIA_EMAIL, TEXTO_EMAIL, "
                     "ENDERECO_EMAIL, Tab_Status_JOB_ID, Data_Inicio, Email_Remetente, Endereco_anexo, TXT_QUERY "
                     "FROM LOG_GERADOR"),
            GetParam() == "ORACLE" ? UCase(row) : row);
  // Oracle audits both writes; the procedures need no audit row.
  EXPECT_EQ(db_.Count("LOG_SISTEMA WHERE TABELA_SISTEMA_ID = 490 AND TAB_TIPO_ACAO_ID = 1 AND "
                      "USUARIO_ID = 57 AND registro_id = 1"), GetParam() == "ORACLE" ? 2 : 0);
}

// A refusal of the checks (their other sentences: JobValidation below) and run-time failures.
TEST_P(JobRegistration, EachFailureLeavesOneLogRowAndNoJob) {
  const std::string trapped = "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.";
  const Variant one = Variant::Long(1), other = Variant::Long(57);
  const struct {
    Variant JobRequest::*field;
    Variant value, user;       // user 1 sees the detail: only the start of the message is known
    std::string message, log;  // log: how the message log row starts, without parentheses
  } rows[] = {
      {&JobRequest::flag, "SN", other, "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres.",
       "VRL_JOB.gInclui_JOB - Preencha Envia E-Mail S/N com, no máximo, 1 caracteres."},
      {&JobRequest::sender, Variant::Null(), one, trapped + " Vrl_JOGB.gInclui_JOB ( ",
       trapped + " Vrl_JOGB.gInclui_JOB  "},
  };
  for (const auto& row : rows) {
    db_.Execute("DELETE FROM LOG_MSG");
    JobRequest request = Request();
    request.*row.field = row.value;
    request.user = row.user;
    EXPECT_FALSE(request.Register()) << row.message;
    const std::string message = CStr(request.message);
    EXPECT_EQ(row.user == one ? message.substr(0, row.message.size()) : message, row.message);
    ASSERT_EQ(db_.Count("LOG_MSG"), 1) << row.message;
    EXPECT_EQ(CStr(db_.Scalar("SELECT MSG01 FROM LOG_MSG")).substr(0, row.log.size()), row.log);
  }
  EXPECT_EQ(db_.Count("LOG_GERADOR"), 0);
}

// Several processes register at once; each writes the identifiers it got, or 0 for a failed registration.
TEST_P(JobRegistration, ConcurrentRegistrationsNeverShareAnIdentifier) {
  constexpr int kProcesses = 4, kEach = 10, kTotal = kProcesses * kEach;
  const std::string path = (db_.file().parent_path() / "jobs.txt").string();
  for (int p = 0; p < kProcesses; ++p) {
    if (fork() != 0) continue;
    FILE* out = fopen(path.c_str(), "a");
    for (int i = 0; i < kEach; ++i) {
      JobRequest request = Request();
      fprintf(out, "%d\n", request.Register() ? CLng(request.job_id) : 0);
      fflush(out);
    }
    _exit(0);
  }
  for (int p = 0; p < kProcesses; ++p) wait(nullptr);
  std::set<int> distinct;
  FILE* in = fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  for (int id; fscanf(in, "%d", &id) == 1;) distinct.insert(id);
  fclose(in);
  EXPECT_EQ(distinct.size(), size_t{kTotal}) << "an identifier was handed out twice";
  EXPECT_EQ(distinct.count(0), 0u) << "a registration failed";
  EXPECT_EQ(db_.Count("LOG_GERADOR WHERE TXT_QUERY = LOG_GERADOR_ID || '__JOB____A__D''A' COLLATE NOCASE"), kTotal)
      << "each job carries its own identifier in its parameter text";
  EXPECT_EQ(CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), kTotal);
}

INSTANTIATE_TEST_SUITE_P(JobByKind, JobRegistration, ::testing::Values("SQLSERVER", "ORACLE"),
                         [](const auto& info) { return info.param; });

// One change to a complete e-mail request; the outcome is title|recipient|text|start as rewritten when accepted, the
// message when refused.
struct EmailChange { const char* field; Variant value; std::string outcome; };

bool CheckEmailRequest(const EmailChange& row, std::string& outcome) {
  Variant function("12"), flag("S"), title("Relatório"), recipient("a@x.com"), text("Segue"), start("");
  std::map<std::string, Variant*> fields{{"function", &function}, {"flag", &flag}, {"title", &title},
                                         {"recipient", &recipient}, {"text", &text}, {"start", &start}};
  *fields.at(row.field) = row.value;
  std::string kind = "SQLSERVER", connection;
  int32_t user = 57;
  Variant message;
  bool accepted = TPL().mConsiste_Inclui_JOB(kind, connection, user, message, function, title,
                                             flag, text, recipient, start);
  outcome = accepted ? CStr(title) + "|" + CStr(recipient) + "|" + CStr(text) + "|" + CStr(start) : CStr(message);
  return accepted;
}

// Lengths count characters: "ã" is one character of two bytes.
TEST(JobValidation, AcceptsAndRewritesTheEmailFieldsOrRefusesWithTheFirstFailingCheck) {
  using testing::Repeat;
  const std::string fields = "Relatório|a@x.com|Segue|";
  const std::string function = "Código da Função deve ser igual ou maior que 1";
  const std::vector<EmailChange> accepted = {
      {"text", "", "Relatório|a@x.com||"}, {"function", Variant::Long(1), fields},
      {"title", Variant(Repeat("ã", 100)), Repeat("ã", 100) + "|a@x.com|Segue|"},
      {"title", "D'Ávila <mensal>", "DÁvila mensal|a@x.com|Segue|"}, {"flag", "N", "|||"},
      {"flag", "s", "|||"}, {"start", "   ", fields}, {"start", "13/10/2001 10:20", fields + "13/10/2001 10:20"},
  };
  const std::vector<EmailChange> refused = {
      {"function", Variant::Integer(0), function}, {"function", Variant::Null(), "Preencha Código da Função"},
      {"flag", "", "Preencha Envia E-Mail (S/N)"}, {"start", "32/13/2001", "Informe uma data de início válida."},
      {"title", "", "Preencha Título do E-Mail"}, {"recipient", Variant::Null(), "Preencha Destinatário do E-Mail"},
      {"title", Variant(Repeat("ã", 101)), "Preencha Título do E-Mail com, no máximo, 100 caracteres."},
      {"recipient", Variant(Repeat("b", 101)), "Preencha Destinatário do E-Mail com, no máximo, 100 caracteres."},
      {"text", Variant(std::string(256, 'c')), "Preencha Texto do E-Mail com, no máximo, 255 caracteres."},
  };
  for (bool ok : {true, false}) {
    for (const EmailChange& row : ok ? accepted : refused) {
      std::string outcome;
      EXPECT_EQ(CheckEmailRequest(row, outcome), ok) << row.field << ": " << outcome;
      EXPECT_EQ(outcome, row.outcome) << row.field;
    }
  }
}

TEST(JobText, ParameterTextJoinsIdentifierAndParameters) {
  using testing::Vector;
  // Two parameters are the registration above.
  struct Row { Variant parameters, count; const char* expected; } rows[] = {  // nullptr: refused
      {Variant(), Variant::Integer(0), "123__JOB__"}, {Vector({"A"}), Variant(), "123__JOB__"},
      {Vector({"x", "y", "z"}), "2", "123__JOB____x__y"},
      {Vector({Variant::Long(7), Variant::Null(), "d'a"}), Variant::Long(3), "123__JOB____7____d'a"},
      {Vector({"A"}), Variant::Integer(2), nullptr}, {"A", Variant::Integer(1), nullptr},
  };
  for (Row& row : rows) {
    std::string kind = "SQLSERVER", connection, text = "previous";
    int32_t user = 57, job_id = 123;
    Variant message;
    const std::string name = testing::Show(row.parameters) + " " + testing::Show(row.count);
    EXPECT_EQ(TPL().mMonta_Parametro(kind, connection, user, message, row.parameters, row.count, text, job_id),
              row.expected != nullptr) << name;
    EXPECT_EQ(text, row.expected ? row.expected : "previous") << name;
    EXPECT_EQ(CStr(message), row.expected ? "" : "Acesso a montagem dos parâmetros do JOB não disponível. "
                                            "Favor tentar mais tarde.") << name;
  }
}

// The procedures of the embedded database that job registration calls, and the library's reading of their answers.
TEST(JobProcedures, RefuseAFunctionCodeOfZeroAndTheParametersOfAnUnknownJob) {
  testing::TempDatabase db;
  EXPECT_EQ(db.Rows("EXEC SP_KMB_INC_JOB2 57, 0, 'T', 'S', 57, null, 'r', 1, null, null, null"),
            "1|O código da função deve ser maior que zero.|0");
  int32_t user = 57, unknown = 999;
  std::string parameters = "999__JOB__", connection = db.connection_string(), kind = "SQLSERVER";
  Variant message;
  EXPECT_FALSE(TPL().mInclui_Parametros_JOB(unknown, parameters, connection, kind, user, message));
  EXPECT_EQ(CStr(message), "Problemas na inclusão dos parâmetros do JOB (JOB não encontrado.).");
}

TEST(JobProcedures, ProcedureAnswersBecomeTheRegistrationsMessage) {
  testing::TempDatabase db;
  const std::pair<const char*, const char*> rows[] = {
      {"SELECT 1 AS Retorno, ''Fila cheia'' AS Msg_Ret", "Problemas na inclusão do JOB (Fila cheia)."},
      {"SELECT 2 AS Retorno, NULL AS Msg_Ret", "Problemas na inclusão do JOB ()."},
      {"SELECT 0 AS Retorno WHERE 0", "Problemas na inclusão do JOB."},
  };
  for (const auto& [body, expected] : rows) {
    db.Execute(std::string("UPDATE TPL_PROCEDURE SET BODY = '") + body + "' WHERE PROCEDURE_NAME = 'SP_KMB_INC_JOB2'");
    db.Execute("DELETE FROM LOG_MSG");
    JobRequest request{"SQLSERVER", db.connection_string()};
    EXPECT_FALSE(request.Register()) << body;
    EXPECT_EQ(CStr(request.message), expected) << body;
    EXPECT_EQ(db.Rows("SELECT MSG01 FROM LOG_MSG"),
              "VRL_JOB.gInclui_JOB - " + Replace(Replace(expected, "(", ""), ")", "")) << body;
  }
}

}  // namespace
}  // namespace tpl
