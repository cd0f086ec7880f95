// `tpl serve` tried as an attacker would: slow and idle clients, floods of header lines, compressed and oversized
// bodies, ranges, a stop under trickling clients, statements smuggled into a report's query, and /files/ asked for
// what no export wrote. Every test talks to 127.0.0.1 only and ends within a few seconds.
#include <atomic>
#include <fstream>
#include <vector>

#include "host/http_service_fixture.h"
#include "tpl/conversions.h"

namespace tpl::host {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Short deadlines so that the tests that wait for them end soon.
ServerLimits ShortLimits() { return {.max_connections = 24, .idle_keep_alive = 600ms, .head_deadline = 1s}; }

class HttpAttackTest : public HttpServiceTest {
 protected:
  void SetUp() override { Start(ShortLimits()); }
};

// Twenty connections, more than the worker threads, in the middle of their heads hold no worker: a good client is
// answered at once. A connection trickling its head one byte at a time is closed, and logged 408, at its deadline.
TEST_F(HttpAttackTest, SlowClientsNeitherStarveOthersNorStayForever) {
  std::vector<std::unique_ptr<RawConnection>> slow;
  for (int i = 0; i < 20; ++i) {
    slow.push_back(std::make_unique<RawConnection>(port_));
    slow.back()->Send("GET /api/methods HTTP/1.1\r\nHost: x\r\nX-Slow: a");
  }
  const Clock::time_point asked = Clock::now();
  const httplib::Result result = Client().Get("/api/methods", kAuthorized);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_LT(Clock::now() - asked, 1s);
  for (const Clock::time_point start = Clock::now(); Clock::now() - start < 1800ms;) {
    for (auto& connection : slow) connection->Send("a");
    std::this_thread::sleep_for(50ms);
  }
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

// Header lines without end: refused 431 after a few KiB, the rest never read. Too many small fields: 431.
TEST_F(HttpAttackTest, HeaderFloodsAreRefused431) {
  RawConnection flood(port_);
  ASSERT_TRUE(flood.Send("GET / HTTP/1.1\r\nHost: x\r\n"));
  const std::string line = "X-Flood: " + std::string(1000, 'f') + "\r\n";
  size_t sent = 0;
  while (sent < 64 * 1024 * 1024 && flood.Send(line)) sent += line.size();
  EXPECT_LT(sent, 64u * 1024 * 1024) << "the server kept reading";
  EXPECT_EQ(flood.StatusLine(2s), "HTTP/1.1 431 Request Header Fields Too Large");

  RawConnection many(port_);
  std::string head = "GET / HTTP/1.1\r\nHost: x\r\n";
  for (int i = 0; i < 150; ++i) head += "X-" + std::to_string(i) + ": 1\r\n";
  ASSERT_TRUE(many.Send(head + "\r\n"));
  EXPECT_EQ(many.StatusLine(2s), "HTTP/1.1 431 Request Header Fields Too Large");
}

// Both refusals come with the head, before any byte of the body is read: a compressed body would never be expanded.
TEST_F(HttpAttackTest, CompressedAndOversizedBodiesAreRefusedUnread) {
  const std::string bearer = std::string("Authorization: Bearer ") + kToken + "\r\n";
  struct Row { std::string extra_headers; size_t length; std::string status; };
  for (const Row& row : std::vector<Row>{
           {bearer + "Content-Encoding: gzip\r\n", 8192, "HTTP/1.1 415 Unsupported Media Type"},
           {bearer, kMaxRequestBody + 1, "HTTP/1.1 413 Payload Too Large"}}) {
    RawConnection connection(port_);
    ASSERT_TRUE(connection.Send("POST /api/call/gBusca_Arquivo_Xml HTTP/1.1\r\nHost: x\r\n" + row.extra_headers +
                                "Content-Length: " + std::to_string(row.length) + "\r\n\r\n"));
    EXPECT_EQ(connection.StatusLine(2s), row.status) << row.extra_headers;
  }
}

// Many ranges do not multiply an answer: the whole file comes back, once.
TEST_F(HttpAttackTest, RangesAreAnsweredWithTheWholeFile) {
  std::string ranges = "bytes=0-";
  for (int i = 1; i < 2600; ++i) ranges += ",0-";
  httplib::Client client = Client();
  const httplib::Result whole = client.Get("/");
  const httplib::Result ranged = client.Get("/", {{"Range", ranges}});
  ASSERT_TRUE(whole && ranged);
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
  const httplib::Result result = Client().Get("/api/methods", kAuthorized);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
}

// Statements smuggled into a report's query past the forbidden-word check are refused by the database before they
// run: the run fails with its sentence and nothing changed. /files/ then serves no file the parameter points at.
TEST_F(HttpServiceTest, AReportQueryOnlyReadsAndFilesServeOnlyExports) {
  // Every blank written as a comment, so that no forbidden word ("UPDATE ", "SET ") is found.
  const std::string update = "UPDATE/**/Tab_Parametro_Sistema/**/SET/**/Parametro='/proc/self/'"
                             "/**/WHERE/**/Tab_Parametro_Sistema_ID=23017";
  const std::filesystem::path other = database_.file().parent_path() / "outro.db";
  const std::string folder = workbooks_.string() + "/";
  struct Row { std::string method, query; };
  const std::vector<Row> rows = {
      {"gExecutar_Query", update},
      {"gTesta_Query", "SELECT 1 AS A; ATTACH DATABASE '" + other.string() + "' AS o"},
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

  // Even with the parameter pointing elsewhere, only exports are served.
  database_.SetParameter(23017, "/proc/self/");
  const httplib::Result served = Client().Get("/files/environ", kAuthorized);
  ASSERT_TRUE(served);
  EXPECT_EQ(served->status, 404);
}

// A stop ends the service within 2 s while clients trickle bytes of their heads (with the usual head deadline).
TEST_F(HttpServiceTest, AStopEndsTheServiceWhileClientsTrickle) {
  std::vector<std::unique_ptr<RawConnection>> trickling;
  for (int i = 0; i < 8; ++i) trickling.push_back(std::make_unique<RawConnection>(port_));
  const std::string head = "POST /api/call/gBusca_Arquivo_Xml HTTP/1.1\r\nHost: x\r\n";
  std::atomic<bool> stopped = false;
  std::thread stop([&] {
    StopService();
    stopped = true;
  });
  const Clock::time_point start = Clock::now();
  for (size_t i = 0; !stopped && Clock::now() - start < 2s; ++i) {
    for (auto& connection : trickling) connection->Send(head.substr(i % head.size(), 1));
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(stopped) << "still serving 2 s after the stop";
  stop.join();
}

}  // namespace
}  // namespace tpl::host
