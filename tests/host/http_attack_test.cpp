// `tpl serve` tried as an attacker would: slow and idle clients, floods of header lines, compressed bombs, ranges,
// a stop under trickling clients, statements smuggled into a report's query, and /files/ asked for what no export
// wrote. Every test talks to 127.0.0.1 only and ends within a few seconds.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <zlib.h>

#include <fstream>
#include <vector>

#include "host/call_arguments.h"
#include "host/http_service_fixture.h"
#include "tpl/conversions.h"

namespace tpl::host {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return 0;
}

// Short deadlines so that the tests that wait for them end soon.
ServerLimits ShortLimits() { return {.max_connections = 24, .idle_keep_alive = 600ms, .head_deadline = 1s}; }

class HttpAttackTest : public HttpServiceTest {
 protected:
  void SetUp() override { Start(ShortLimits()); }
};

// Twenty connections, more than the worker threads, each sending its head one byte at a time, hold no worker: a good
// client is answered at once. Once its head deadline has passed, a trickling connection is closed and logged 408.
TEST_F(HttpAttackTest, SlowClientsNeitherStarveOthersNorStayForever) {
  std::vector<std::unique_ptr<RawConnection>> slow;
  for (int i = 0; i < 20; ++i) slow.push_back(std::make_unique<RawConnection>(port_));
  const std::string head = "GET /api/methods HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(100, 'a');
  const Clock::time_point start = Clock::now();
  size_t sent = 0;
  bool answered = false;
  Clock::duration answer_time{};
  std::thread good([&] {
    const Clock::time_point asked = Clock::now();
    httplib::Client client = Client();
    const httplib::Result result = client.Get("/api/methods", kAuthorized);
    answered = result && result->status == 200;
    answer_time = Clock::now() - asked;
  });
  std::vector<bool> open(slow.size(), true);
  while (Clock::now() - start < 1800ms && sent < head.size()) {
    for (size_t i = 0; i < slow.size(); ++i) {
      if (open[i]) open[i] = slow[i]->Send(head.substr(sent, 1));
    }
    ++sent;
    std::this_thread::sleep_for(50ms);
  }
  good.join();
  EXPECT_TRUE(answered);
  EXPECT_LT(answer_time, 1s);
  for (size_t i = 0; i < slow.size(); ++i) {
    EXPECT_TRUE(slow[i]->ClosedWithin(1s)) << "connection " << i << " still open after its head deadline";
  }
  StopService();
  EXPECT_NE(log_.str().find("- - 408 "), std::string::npos) << log_.str();
}

// A kept-alive connection that sends nothing more is closed after its idle time; one that never sends a byte too.
TEST_F(HttpAttackTest, IdleConnectionsAreClosed) {
  RawConnection kept(port_), silent(port_);
  ASSERT_TRUE(kept.Send("GET /style.css HTTP/1.1\r\nHost: x\r\n\r\n"));
  EXPECT_EQ(kept.StatusLine(2s), "HTTP/1.1 200 OK");
  EXPECT_TRUE(kept.ClosedWithin(3s));
  EXPECT_TRUE(silent.ClosedWithin(3s));
}

// Header lines without end: refused 431 after a few KiB, the rest never read or kept. Too many small fields: 431.
TEST_F(HttpAttackTest, HeaderFloodsAreRefused431WithMemoryFlat) {
  const long before = ResidentKiB();
  {
    RawConnection flood(port_);
    ASSERT_TRUE(flood.Send("GET / HTTP/1.1\r\nHost: x\r\n"));
    const std::string line = "X-Flood: " + std::string(1000, 'f') + "\r\n";
    size_t sent = 0;
    while (sent < 64 * 1024 * 1024 && flood.Send(line)) sent += line.size();
    EXPECT_LT(sent, 64u * 1024 * 1024) << "the server kept reading";
    EXPECT_EQ(flood.StatusLine(2s), "HTTP/1.1 431 Request Header Fields Too Large");
  }
  EXPECT_LT(ResidentKiB() - before, 16 * 1024) << "memory grew with the flood";

  RawConnection many(port_);
  std::string head = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < 150; ++i) head += "X-" + std::to_string(i) + ": 1\r\n";
  ASSERT_TRUE(many.Send(head + "\r\n"));
  EXPECT_EQ(many.StatusLine(2s), "HTTP/1.1 431 Request Header Fields Too Large");
}

// A gzip body is never expanded, with or without the token; a body larger than the limit is refused by its length.
TEST_F(HttpAttackTest, CompressedAndOversizedBodiesAreRefusedUnread) {
  std::string zeros(8 * 1024 * 1024, '\0');
  uLongf size = compressBound(zeros.size());
  std::string bomb(size, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(bomb.data()), &size, reinterpret_cast<const Bytef*>(zeros.data()),
                      zeros.size(), 9),
            Z_OK);
  bomb.resize(size);
  struct Row { std::string name, extra_headers, body; std::string status; };
  const std::string bearer = std::string("Authorization: Bearer ") + kToken + "\r\n";
  const std::vector<Row> rows = {
      {"gzip without token", "Content-Encoding: gzip\r\n", bomb, "HTTP/1.1 415 Unsupported Media Type"},
      {"gzip with token", bearer + "Content-Encoding: gzip\r\n", bomb, "HTTP/1.1 415 Unsupported Media Type"},
      {"deflate", bearer + "Content-Encoding: deflate\r\n", bomb, "HTTP/1.1 415 Unsupported Media Type"},
      {"length beyond the limit", bearer, "", "HTTP/1.1 413 Payload Too Large"},
  };
  for (const Row& row : rows) {
    RawConnection connection(port_);
    const size_t length = row.body.empty() ? kMaxRequestBody + 1 : row.body.size();
    ASSERT_TRUE(connection.Send("POST /api/call/gBusca_Arquivo_Xml HTTP/1.1\r\nHost: x\r\n" + row.extra_headers +
                                "Content-Length: " + std::to_string(length) + "\r\n\r\n"));
    connection.Send(row.body);
    EXPECT_EQ(connection.StatusLine(2s), row.status) << row.name;
  }
}

// Many ranges do not multiply an answer: the whole file comes back, once.
TEST_F(HttpAttackTest, RangesAreAnsweredWithTheWholeFile) {
  std::string ranges = "bytes=0-";
  for (int i = 1; i < 2600; ++i) ranges += ",0-";
  httplib::Client client = Client();
  const httplib::Result whole = client.Get("/");
  const httplib::Result ranged = client.Get("/", {{"Range", ranges}});
  ASSERT_TRUE(whole);
  ASSERT_TRUE(ranged);
  EXPECT_EQ(ranged->status, 200);
  EXPECT_EQ(ranged->body, whole->body);
}

// Beyond the connection limit a client is told 503 at once; the others are served.
TEST_F(HttpAttackTest, ConnectionsBeyondTheLimitAreAnswered503) {
  std::vector<std::unique_ptr<RawConnection>> held;
  for (size_t i = 0; i < ShortLimits().max_connections; ++i) held.push_back(std::make_unique<RawConnection>(port_));
  std::this_thread::sleep_for(200ms);  // all accepted
  RawConnection extra(port_);
  EXPECT_EQ(extra.StatusLine(2s), "HTTP/1.1 503 Service Unavailable");
  held.pop_back();
  std::this_thread::sleep_for(200ms);
  httplib::Client client = Client();
  const httplib::Result result = client.Get("/api/methods", kAuthorized);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
}

// Large API answers are compressed for a client that accepts gzip, and only for it.
TEST_F(HttpAttackTest, LargeAnswersAreCompressedWhenAccepted) {
  const std::string method_table = AnswerText(MethodTableJson());
  ASSERT_GT(method_table.size(), kCompressFrom);
  for (const auto& [accept, compressed] : std::vector<std::pair<std::string, bool>>{
           {"gzip, deflate", true}, {"br;q=1.0, gzip;q=0.5", true}, {"*", true}, {"gzip;q=0", false},
           {"identity", false}, {"", false}}) {
    RawConnection connection(port_);
    std::string request = "GET /api/methods HTTP/1.1\r\nHost: x\r\nConnection: close\r\nAuthorization: Bearer ";
    request += std::string(kToken) + "\r\n" + (accept.empty() ? "" : "Accept-Encoding: " + accept + "\r\n") + "\r\n";
    ASSERT_TRUE(connection.Send(request));
    const std::string answer = connection.ReadUntilClosed(3s);
    const std::string body = answer.substr(answer.find("\r\n\r\n") + 4);
    EXPECT_EQ(answer.find("Content-Encoding: gzip") != std::string::npos, compressed) << accept;
    if (!compressed) {
      EXPECT_EQ(body, method_table) << accept;
      continue;
    }
    std::string expanded(method_table.size() + 1, '\0');
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(expanded.data());
    stream.avail_out = static_cast<uInt>(expanded.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << accept;
    expanded.resize(stream.total_out);
    inflateEnd(&stream);
    EXPECT_EQ(expanded, method_table) << accept;
  }
}

// Statements smuggled into a report's query past the forbidden-word check are refused by the database before they
// run: the run fails with its sentence and nothing changed. /files/ then serves no file the parameter points at.
TEST_F(HttpServiceTest, AReportQueryOnlyReadsAndFilesServeOnlyExports) {
  // Every blank written as a comment, so that no forbidden word ("UPDATE ", "SET ") is found.
  const std::string kStackedUpdate =
      "SELECT 1 AS A; UPDATE/**/Tab_Parametro_Sistema/**/SET/**/Parametro='/proc/self/'"
      "/**/WHERE/**/Tab_Parametro_Sistema_ID=23017";
  const std::filesystem::path other = database_.file().parent_path() / "outro.db";
  const std::string folder = workbooks_.string() + "/";
  struct Row { std::string method, query; };
  const std::vector<Row> rows = {
      {"gExecutar_Query", kStackedUpdate.substr(std::string("SELECT 1 AS A; ").size())},
      {"gTesta_Query", kStackedUpdate},
      {"gExecutar_Query", "ATTACH DATABASE '" + other.string() + "' AS o"},
      {"gTesta_Query", "SELECT 1 AS A; ATTACH DATABASE '" + other.string() + "' AS o"},
      {"gTesta_Query", "SELECT 1 AS A; DELETE/**/FROM/**/LOG_MSG"},
  };
  for (const Row& row : rows) {
    const auto [status, answer] = Call(row.method, QueryBody(row.method, row.query));
    ASSERT_EQ(status, 200) << row.query;
    EXPECT_EQ(answer["result"], Json::parse(R"({"Integer":10})")) << row.query << ": " << answer.dump();
    EXPECT_EQ(answer["args"][2], "Acesso a geração do relatório não disponível. Favor tentar mais tarde.") << row.query;
    EXPECT_EQ(CStr(database_.Scalar("SELECT Parametro FROM Tab_Parametro_Sistema "
                                            "WHERE Tab_Parametro_Sistema_ID = 23017")),
              folder)
        << row.query;
    EXPECT_FALSE(std::filesystem::exists(other)) << row.query;
  }
  EXPECT_GT(database_.Count("LOG_MSG"), 0);

  // Even with the parameter pointing elsewhere, and files placed where exports go, only exports are served.
  std::ofstream(workbooks_ / "RelDinamico2026010100000005.xlsx") << "not written by an export";
  std::filesystem::create_symlink("/etc/passwd", workbooks_ / "RelDinamico2026010100000006.xlsx");
  httplib::Client client = Client();
  for (const std::string name :
       {"RelDinamico2026010100000005.xlsx", "RelDinamico2026010100000006.xlsx", "cmdline", "environ"}) {
    for (const std::string& parameter : {folder, std::string("/proc/self/")}) {
      database_.SetParameter(23017, parameter);
      const httplib::Result result = client.Get(("/files/" + name).c_str(), kAuthorized);
      ASSERT_TRUE(result) << name;
      EXPECT_EQ(result->status, 404) << name << " with 23017 = " << parameter;
    }
  }
}

// The real program: SIGTERM ends it within 2 s while clients trickle bytes, and it exits 0.
TEST(HttpServiceProcess, SigtermEndsTheServiceWhileClientsTrickle) {
  testing::TempDatabase database;
  const std::filesystem::path token = database.file().parent_path() / "token";
  std::ofstream(token) << kToken;
  int stderr_pipe[2];
  ASSERT_EQ(::pipe2(stderr_pipe, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(stderr_pipe[1], 2);
    ::execl(TPL_PROGRAM, "tpl", "serve", "--database", database.connection_string().c_str(), "--kind", "SQLSERVER",
            "--token-file", token.c_str(), "--listen", "127.0.0.1:0", "--threads", "2", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(stderr_pipe[1]);
  // "tpl serve: listening on http://127.0.0.1:PORT/ ..."
  std::string said;
  char c;
  while (said.find('\n') == std::string::npos && ::read(stderr_pipe[0], &c, 1) == 1) said += c;
  const size_t colon = said.find("127.0.0.1:");
  ASSERT_NE(colon, std::string::npos) << said;
  const int port = std::stoi(said.substr(colon + 10));

  std::vector<std::unique_ptr<RawConnection>> trickling;
  for (int i = 0; i < 8; ++i) trickling.push_back(std::make_unique<RawConnection>(port));
  const std::string head = "POST /api/call/gBusca_Arquivo_Xml HTTP/1.1\r\nHost: x\r\n";
  for (auto& connection : trickling) connection->Send(head.substr(0, 10));
  std::this_thread::sleep_for(100ms);
  ASSERT_EQ(::kill(child, SIGTERM), 0);
  const Clock::time_point signalled = Clock::now();
  int status = 0;
  pid_t ended = 0;
  for (size_t i = 10; ended == 0 && Clock::now() - signalled < 2s; ++i) {
    for (auto& connection : trickling) connection->Send(head.substr(i % head.size(), 1));
    std::this_thread::sleep_for(20ms);
    ended = ::waitpid(child, &status, WNOHANG);
  }
  if (ended == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    FAIL() << "still running 2 s after SIGTERM";
  }
  ::close(stderr_pipe[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace tpl::host
