// `tpl worker` on the command line and the "Meus relatórios" list the
// page reads.
#include <sstream>

#include "host/command_line.h"
#include "host/my_reports.h"
#include "tpl/job_worker.h"
#include "support/suite.h"

namespace tpl::host {
namespace {

struct Outcome {
  int exit_status;
  std::string err;
};

Outcome RunTpl(const std::vector<std::string>& words) {
  std::istringstream in;
  std::ostringstream out, err;
  HostStreams streams{in, out, err};
  return {RunCommandLine(words, streams), err.str()};
}

TEST(WorkerCommand, RefusedCommandLinesExitWithTwoAndSayWhy) {
  struct Row {
    std::vector<std::string> words;
    std::string message;
  };
  const std::vector<Row> rows = {
      {{"worker"}, "--database, --from and --smtp (or --outbox) are needed"},
      {{"worker", "--database", "a.db", "--from", "a@b"}, "--smtp (or --outbox) are needed"},
      {{"worker", "--database", "a.db", "--smtp", "127.0.0.1:25"}, "are needed"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--smtp", "127.0.0.1"}, "--smtp takes HOST:PORT"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--smtp", "h:70000"}, "--smtp takes HOST:PORT"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--threads", "0"}, "--threads takes"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--lease", "1s"}, "--lease takes"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--kind", "PG"}, "--kind is"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--verbose", "x"}, "unexpected '--verbose'"},
      {{"worker", "--database"}, "--database needs a value"},
  };
  for (const Row& row : rows) {
    const Outcome outcome = RunTpl(row.words);
    EXPECT_EQ(outcome.exit_status, kExitUsage) << outcome.err;
    EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("Usage: tpl worker"), std::string::npos) << outcome.err;
  }
}

TEST(WorkerCommand, ADatabaseThatCannotBeOpenedExitsWithOne) {
  testing::TempFolder folder;
  const Outcome outcome = RunTpl({"worker", "--database", "Driver=NoSuchDriver;", "--from", "a@b",
                                  "--outbox", folder.path().string(), "--once"});
  EXPECT_EQ(outcome.exit_status, kExitFailure) << outcome.err;
  EXPECT_NE(outcome.err.find("cannot open the database"), std::string::npos) << outcome.err;
}

TEST(MyReports, OneUsersJobsAndRequestsWithTheirState) {
  testing::TempDatabase db;
  testing::TempFolder files;
  db.SetParameter(23017, files.path().string() + "/");
  db.Execute("INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES (5, 'ana@exemplo.com.br')");
  db.Execute("INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (5, 5)");
  db.Execute("INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (5, 5)");
  auto request = [&](int user, const std::string& title, const std::string& query, const std::string& when) {
    db.Execute("INSERT INTO REL_DIN_EMAIL (USUARIO_INTERNET_ID, TITULO, TXT_QUERY, DATA_SOLICITACAO) VALUES (" +
               std::to_string(user) + ", '" + title + "', '" + query + "', '" + when + "')");
  };
  request(5, "Vendas", "SELECT 1 AS A, 2 AS B", "2026/12/01 09:00:00");
  request(5, "Quebrado", "SELECT * FROM NOWHERE", "2026/12/02 09:00:00");
  request(6, "De outra pessoa", "SELECT 1 AS A", "2026/12/03 09:00:00");

  jobs::WorkerOptions options;
  options.connection_string = db.connection_string();
  options.outbox = files.path().string();
  options.sender = "relatorios@localhost";
  options.once = true;
  jobs::RunWorker(options, [](const std::string&) {});
  request(5, "Ainda na fila", "SELECT 1 AS A", "2026/12/04 09:00:00");
  db.Execute("INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, Tab_Status_JOB_ID, "
             "TXT_QUERY, DATA_INCLUSAO) VALUES (7, 5, 3016, 1, '7__JOB____Títulos__Sul__0__8__a@b__1__', "
             "'2026/12/05 10:20:30')");

  const std::string file = CStr(db.Scalar("SELECT ARQUIVO FROM TPL_WORKER_JOB WHERE ORIGEM_ID = 1"));
  ASSERT_TRUE(file.ends_with("-E1.xlsx")) << file;
  const Json expected = Json::parse(R"({"reports":[
    {"id":"J7","kind":"TXT","title":"Títulos","state":"pendente","detail":"",
     "requested":"2026-12-05T10:20:30","rows":null,"file":null},
    {"id":"E4","kind":"E-mail","title":"Ainda na fila","state":"pendente","detail":"",
     "requested":"2026-12-04T09:00:00","rows":null,"file":null},
    {"id":"E2","kind":"E-mail","title":"Quebrado","state":"falhou",
     "detail":"Não foi possível gerar o relatório: a consulta falhou.",
     "requested":"2026-12-02T09:00:00","rows":null,"file":null},
    {"id":"E1","kind":"E-mail","title":"Vendas","state":"concluído","detail":"",
     "requested":"2026-12-01T09:00:00","rows":1,"file":")" + file + R"("}]})");
  EXPECT_EQ(MyReportsJson(db.connection_string(), 5).dump(1), expected.dump(1));
  EXPECT_EQ(MyReportsJson(db.connection_string(), 99).dump(), R"({"reports":[]})");
}

}  // namespace
}  // namespace tpl::host
