#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/call_arguments.h"
#include "host/exported_workbooks.h"
#include "host/http_server.h"
#include "host/http_service_fixture.h"
#include "host/variant_json.h"
#include "tpl/job_worker.h"
#include "support/temp_folder.h"

namespace tpl::host {
namespace {

// The arguments of gExecutar_Query for a report that shows the parameter row `id`.
std::string ParameterReportBody(int id) {
  return QueryBody("gExecutar_Query",
                   "SELECT Tab_Parametro_Sistema_ID AS Id, Parametro FROM Tab_Parametro_Sistema "
                   "WHERE Tab_Parametro_Sistema_ID = {ID}",
                   id);
}

TEST_F(HttpServiceTest, EveryEndpointAnswersItsHappyPath) {
  // A shown result exported, to be fetched under /files/.
  const auto [run_status, run] = Call("gExecutar_Query", ParameterReportBody(23042));
  ASSERT_EQ(run["result"], Json::parse(R"({"Integer":0})")) << run.dump();
  const Json export_arguments = Json::array({"", 5, "", "SQLSERVER", "Parâmetros", "", run["args"][8],
                                             run["args"][9], run["args"][10], ""});
  const auto [export_status, exported] = Call("gGera_Excel", export_arguments.dump());
  ASSERT_EQ(exported["result"], Json::parse(R"({"Integer":0})")) << exported.dump();
  const std::string name = exported["args"][9];

  // Every answer forbids framing, referrers and type guessing; API answers and workbooks are never cached.
  struct Row { std::string path, type, part, cache; };
  httplib::Client client = Client();
  for (const Row& row : std::vector<Row>{
           {"/", "text/html", "Relatórios Dinâmicos", "no-cache"},
           {"/api/methods", "application/json", "gGrava_Filtro", "no-store"},
           {"/files/" + name, "application/vnd.openxmlformats", "PK", "no-store"}}) {
    const httplib::Result answer = client.Get(row.path.c_str(), kAuthorized);
    ASSERT_TRUE(answer) << row.path;
    EXPECT_EQ(answer->status, 200) << row.path;
    EXPECT_TRUE(answer->get_header_value("Content-Type").starts_with(row.type)) << row.path;
    EXPECT_NE(answer->body.find(row.part), std::string::npos) << row.path;
    EXPECT_NE(answer->get_header_value("Content-Security-Policy").find("frame-ancestors 'none'"), std::string::npos);
    EXPECT_EQ(answer->get_header_value("Referrer-Policy"), "no-referrer");
    EXPECT_EQ(answer->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(answer->get_header_value("Cache-Control"), row.cache) << row.path;
  }

  // A request is logged after its answer is sent: the log is complete once the service has stopped.
  StopService();
  EXPECT_NE(log_.str().find("POST /api/call/gGera_Excel 200 "), std::string::npos) << log_.str();
}

TEST_F(HttpServiceTest, RefusesWhatItCannotServeWithStatusAndReason) {
  std::ofstream(database_.file().parent_path() / "secret.txt") << "outside";
  std::ofstream(workbooks_ / ".hidden.xlsx") << "hidden";
  struct Row { std::string verb, path, body, token; int status; std::string reason; };
  const std::string bearer = std::string("Bearer ") + kToken;
  std::vector<Row> rows = {
      {"POST", "/api/call/gBusca_Arquivo_Xml", "[]", "", 401, "Bearer"},
      {"GET", "/files/x.xlsx", "", "", 401, "Bearer"},
      {"POST", "/api/call/gNao_Existe", "[]", bearer, 404, "unknown method 'gNao_Existe'"},
      {"POST", "/api/call/gBusca_Arquivo_Xml", "[1,", bearer, 400, "malformed JSON"},
      {"GET", "/files/RelDinamico0.xlsx", "", bearer, 404, "no such workbook"},
      {"GET", "/nada", "", "", 404, "no such path"},
  };
  for (const std::string& token : {bearer.substr(0, bearer.size() - 1), bearer + "x", "Basic " + std::string(kToken)})
    rows.push_back({"GET", "/api/methods", "", token, 401, "Bearer"});
  for (const char* name : {"..%2Fsecret.txt", ".hidden.xlsx", "a%22%01b.xlsx", ""})
    rows.push_back({"GET", std::string("/files/") + name, "", bearer, 400, "not a file name"});
  httplib::Client client = Client();
  for (const Row& row : rows) {
    httplib::Headers headers;
    if (!row.token.empty()) headers.emplace("Authorization", row.token);
    const httplib::Result result = row.verb == "GET" ? client.Get(row.path.c_str(), headers)
                                                     : client.Post(row.path.c_str(), headers, row.body, "text/json");
    ASSERT_TRUE(result) << row.path;
    EXPECT_EQ(result->status, row.status) << row.verb << ' ' << row.path << ' ' << row.token;
    EXPECT_NE(Json::parse(result->body)["error"].get<std::string>().find(row.reason), std::string::npos)
        << row.path << ": " << result->body;
  }
}

// The client names another database and kind: the service's own are used, and its connection string does not go back.
TEST_F(HttpServiceTest, TheClientNeverChoosesTheDatabase) {
  const auto [status, answer] =
      Call("gBusca_Arquivo_Xml", R"(["Data Source=/nonexistent/other.db", 5, "ORACLE", "Parametro",
                                   "Tab_Parametro_Sistema", "Tab_Parametro_Sistema_ID", 5070, "", ""])");
  ASSERT_EQ(status, 200);
  EXPECT_EQ(answer["result"], Json::parse(R"({"Integer":0})")) << answer.dump();
  EXPECT_EQ(answer["args"][7], "50");
  EXPECT_EQ(answer["args"][0], "Data Source=/nonexistent/other.db");
  // The kind and the connection string are imposed wherever their roles stand, whatever the parameters are named.
  ServiceOptions options;
  options.database = "servico";
  options.kind = "ORACLE";
  for (const MethodInfo& method : TPL::Methods()) {
    std::vector<Variant> arguments(method.parameters.size(), Variant("cliente"));
    ImposeServiceDatabase(method, arguments, options);
    for (const char* imposed : {"servico", "ORACLE"})
      EXPECT_EQ(std::count(arguments.begin(), arguments.end(), Variant(imposed)), 1) << method.name << ": " << imposed;
  }
}

TEST_F(HttpServiceTest, EightClientsRunFiftyReportsEachInParallel) {
  const std::vector<int> ids = {2001780, 15000, 7018, 23042, 5070, 2001849, 23018, 2001850};
  std::atomic<int> right{0};
  std::vector<std::thread> clients;
  for (size_t c = 0; c < ids.size(); ++c) {
    clients.emplace_back([&, c] {
      for (int call = 0; call < 50; ++call) {
        const int id = ids[(c + call) % ids.size()];
        const auto [status, answer] = Call("gExecutar_Query", ParameterReportBody(id));
        right += status == 200 && answer["result"] == Json::parse(R"({"Integer":0})") &&
                 CLng(DecodeVariant(answer["args"][10]["Matrix"][1][0])) == id;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(right, 400);
}

// "Meus relatórios": a person's jobs and requests with their state, newest first; a finished file is handed out under
// /files/ like an export, and only to the token.
TEST_F(HttpServiceTest, MyReportsListsTheRequestsAndServesTheirFiles) {
  database_.Execute("INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES (5, 'ana@exemplo.com.br')");
  database_.Execute("INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (5, 5)");
  database_.Execute("INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (5, 5)");
  const auto request = [&](int user, const std::string& title, const std::string& query, int day) {
    database_.Execute("INSERT INTO REL_DIN_EMAIL (USUARIO_INTERNET_ID, TITULO, TXT_QUERY, DATA_SOLICITACAO) VALUES (" +
                      std::to_string(user) + ", '" + title + "', '" + query + "', '2026/12/0" + std::to_string(day) +
                      " 09:00:00')");
  };
  request(5, "Vendas", "SELECT 1 AS A, 2 AS B", 1);
  request(5, "Quebrado", "SELECT * FROM NOWHERE", 2);
  request(6, "De outra pessoa", "SELECT 1 AS A", 3);
  testing::TempFolder outbox;
  jobs::RunWorker({.connection_string = database_.connection_string(), .outbox = outbox.path().string(),
                   .sender = "relatorios@localhost", .once = true},
                  [](const std::string&) {});
  request(5, "Ainda na fila", "SELECT 1 AS A", 4);
  database_.Execute("INSERT INTO LOG_GERADOR (LOG_GERADOR_ID, USUARIO_INTERNET_ID, FUNCAO_ID, Tab_Status_JOB_ID, "
                    "TXT_QUERY, DATA_INCLUSAO) VALUES (7, 5, 3016, 1, '7__JOB____Títulos__Sul__0__8__a@b__1__', "
                    "'2026/12/05 10:20:30')");

  httplib::Client client = Client();
  const std::string file = CStr(database_.Scalar("SELECT ARQUIVO FROM TPL_WORKER_JOB WHERE ORIGEM_ID = 1"));
  ASSERT_TRUE(file.ends_with("-E1.xlsx")) << file;
  // Not listed yet: the service knows only the files it has been shown.
  EXPECT_EQ(client.Get(("/files/" + file).c_str(), kAuthorized)->status, 404);

  const std::string listed = R"({"reports":[
    {"id":"J7","kind":"TXT","title":"Títulos","state":"pendente","detail":"",
     "requested":"2026-12-05T10:20:30","rows":null,"file":null},
    {"id":"E4","kind":"E-mail","title":"Ainda na fila","state":"pendente","detail":"",
     "requested":"2026-12-04T09:00:00","rows":null,"file":null},
    {"id":"E2","kind":"E-mail","title":"Quebrado","state":"falhou",
     "detail":"Não foi possível gerar o relatório: a consulta falhou.",
     "requested":"2026-12-02T09:00:00","rows":null,"file":null},
    {"id":"E1","kind":"E-mail","title":"Vendas","state":"concluído","detail":"",
     "requested":"2026-12-01T09:00:00","rows":1,"file":")" + file + R"("}]})";
  struct Row { std::string path; bool token; int status; std::string body; };  // body: the JSON answered, if given
  for (const Row& row : std::vector<Row>{{"/api/my-reports?user=5", true, 200, listed},
                                         {"/api/my-reports?x=1&user=99", true, 200, R"({"reports":[]})"},
                                         {"/api/my-reports?user=5", false, 401, ""},
                                         {"/api/my-reports", true, 400, ""},
                                         {"/api/my-reports?user=99999999999", true, 400, ""}}) {
    const httplib::Result answer = row.token ? client.Get(row.path.c_str(), kAuthorized) : client.Get(row.path.c_str());
    ASSERT_TRUE(answer) << row.path;
    EXPECT_EQ(answer->status, row.status) << row.path << ": " << answer->body;
    if (!row.body.empty()) {
      EXPECT_EQ(Json::parse(answer->body), Json::parse(row.body)) << row.path;
    }
  }
  const httplib::Result fetched = client.Get(("/files/" + file).c_str(), kAuthorized);
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->status, 200);
  EXPECT_EQ(fetched->body.size(), std::filesystem::file_size(workbooks_ / file));
}

// A call in flight when the service stops, even one that outlives the stop's grace, still sends its answer whole,
// with a grace of its own from its end.
TEST(HttpServerStop, AnAnswerBegunAfterTheGraceIsSentWhole) {
  const ServerLimits limits{.stop_grace = std::chrono::milliseconds(500)};
  const std::string large(8 * 1024 * 1024, 'x');
  HttpServer server(
      limits, 2,
      [&](const HttpRequest& request) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        HttpResponse answer(boost::beast::http::status::ok, request.version());
        answer.body() = large;
        return answer;
      },
      [](unsigned status, std::string_view) { return HttpResponse(boost::beast::http::status(status), 11); },
      [](std::string_view, std::string_view, unsigned, long long) {});
  const int port = server.Bind("127.0.0.1", 0);
  ASSERT_GT(port, 0);
  std::thread serving([&] { server.Serve(); });
  size_t received = 0;
  std::thread client([&] {
    if (httplib::Result answer = httplib::Client("127.0.0.1", port).Get("/")) received = answer->body.size();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.Stop();
  client.join();
  serving.join();
  EXPECT_EQ(received, large.size());
}

// Whether a client's Accept-Encoding lets a large answer go out compressed with gzip ("q=0" refuses it).
TEST(HttpServiceOptions, AcceptEncodingsThatTakeGzip) {
  for (const auto& [accept, gzip] : std::vector<std::pair<std::string, bool>>{
           {"br;q=1.0, GZIP;q=0.5", true}, {"*", true}, {"gzip;q=0", false}, {"*;q=0.000", false},
           {"identity", false}, {"", false}})
    EXPECT_EQ(AcceptsGzip(accept), gzip) << accept;
}

TEST(HttpServiceOptions, ListenAddressesAndTokenFiles) {
  for (const auto& [text, read] : std::vector<std::pair<std::string, std::string>>{  // read: "" when refused
           {"127.0.0.1:8080", "127.0.0.1:8080"}, {":9000", "127.0.0.1:9000"}, {"0.0.0.0:0", "0.0.0.0:0"},
           {"127.0.0.1", ""}, {"127.0.0.1:65536", ""}, {"127.0.0.1:80x", ""}}) {
    std::string host;
    int port = -1;
    const bool parsed = ParseListenAddress(text, host, port);
    EXPECT_EQ(parsed ? host + ":" + std::to_string(port) : "", read) << text;
  }
  const std::filesystem::path file = ::testing::TempDir() + "tpl_token";
  std::ofstream(file) << " chave \r\n\n";
  EXPECT_EQ(ReadTokenFile(file), " chave");
  std::ofstream(file) << "\n";
  EXPECT_THROW(ReadTokenFile(file), InputError);
  std::filesystem::remove(file);
}

// Only plain files are remembered; a name is forgotten when it expires or when the list is full and it is the
// oldest; reading refuses what is no longer a regular file.
TEST(ExportedWorkbooksList, RemembersPlainFilesForALimitedTimeAndNumber) {
  testing::TempFolder folder;
  const auto file = [&](const std::string& name) {
    std::ofstream(folder.path() / name) << name;
    return folder.path() / name;
  };
  std::filesystem::create_symlink(file("a.xlsx"), folder.path() / "link.xlsx");
  ExportedWorkbooks list(std::chrono::hours(1), 2);
  for (const char* name : {"link.xlsx", "missing.xlsx"}) {
    list.Remember(folder.path() / name);
    EXPECT_FALSE(list.Find(name)) << name;
    EXPECT_EQ(ReadWorkbookFile(folder.path() / name, 100).outcome, WorkbookContent::Outcome::Missing) << name;
  }
  list.Remember(file("a.xlsx"));
  list.Remember(file("b.xlsx"));
  EXPECT_EQ(list.Find("a.xlsx"), folder.path() / "a.xlsx");
  list.Remember(file("c.xlsx"));
  EXPECT_FALSE(list.Find("a.xlsx")) << "the oldest goes when the list is full";
  EXPECT_TRUE(list.Find("b.xlsx") && list.Find("c.xlsx"));

  ExportedWorkbooks expiring(std::chrono::seconds(0));
  expiring.Remember(file("d.xlsx"));
  EXPECT_FALSE(expiring.Find("d.xlsx"));
  EXPECT_EQ(ReadWorkbookFile(folder.path() / "b.xlsx", 100).bytes, "b.xlsx");
  EXPECT_EQ(ReadWorkbookFile(folder.path() / "b.xlsx", 3).outcome, WorkbookContent::Outcome::TooLarge);
}

}  // namespace
}  // namespace tpl::host
