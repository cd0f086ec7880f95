// A small report (gExecutar_Query, ten rows, no filters, the embedded
// database in memory) asked of `tpl serve` over kept-alive HTTP connections
// by 1, 4 and 16 clients at once, beside the same call made the other way a
// host without the service would make it: one `tpl call` process per call.
//
// The service runs in this process on 127.0.0.1 with its default number of
// workers (TPL_BENCH_SERVICE_THREADS=N sets another); each benchmark thread is one client with one connection. The
// rate to compare is items_per_second (all clients together); p50_ms and
// p99_ms are each client's latency percentiles, averaged over the clients.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_database.h"
#include "host/http_service.h"

namespace tpl {
namespace {

constexpr const char* kToken = "bench-token";

const bench::BenchDatabase& Database() {
  static const bench::BenchDatabase database(
      "CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(20), EMISSAO DATETIME, VALOR NUMERIC(10,2));"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) "
      "INSERT INTO VENDA SELECT i, 'cliente ' || i, '2001/10/13 08:00:00', i * 10.5 FROM n;"
      "UPDATE Tab_Parametro_Sistema SET Parametro = '100' WHERE Tab_Parametro_Sistema_ID = 23042;",
      true);
  return database;
}

// The JSON arguments of the call, for `tpl call` and the service alike.
std::string CallArguments() {
  return R"(["Data Source=)" + Database().file() +
         R"(", 5, "", "SQLSERVER", "SELECT ID, CLIENTE, EMISSAO, VALOR FROM VENDA WHERE ID <= 10 ORDER BY ID",
            {"Empty":null}, {"Integer":0}, {"Integer":7}, {"Empty":null}, {"Empty":null}, {"Empty":null},
            {"Empty":null}, "Vendas", "Outubro", 12, "N", "", {"Empty":null}, "N"])";
}

// The service, started once for the whole run and stopped at exit.
class Service {
 public:
  Service() {
    host::ServiceOptions options;
    options.database = "Data Source=" + Database().file();
    options.kind = "SQLSERVER";
    options.port = 0;
    options.token = kToken;
    if (const char* threads = std::getenv("TPL_BENCH_SERVICE_THREADS")) options.threads = std::stoul(threads);
    service_ = std::make_unique<host::HttpService>(options, log_);
    port_ = service_->Bind();
    if (port_ <= 0) std::abort();
    serving_ = std::thread([this] { service_->Serve(); });
  }
  ~Service() {
    service_->Stop();
    serving_.join();
  }
  int port() const { return port_; }

 private:
  std::ostringstream log_;
  std::unique_ptr<host::HttpService> service_;
  std::thread serving_;
  int port_ = 0;
};

Service& SharedService() {
  static Service service;
  return service;
}

// One kept-alive connection: a request out, the whole answer in.
class KeptAliveClient {
 public:
  explicit KeptAliveClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) std::abort();
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~KeptAliveClient() { ::close(fd_); }

  // The answer's status, 0 when the connection failed.
  int Post(const std::string& path, const std::string& body) {
    const std::string request = "POST " + path + " HTTP/1.1\r\nHost: bench\r\nAuthorization: Bearer " + kToken +
                                "\r\nContent-Type: application/json\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return 0;
    received_.clear();
    size_t head_end = std::string::npos;
    size_t length = 0;
    while (head_end == std::string::npos || received_.size() < head_end + 4 + length) {
      char chunk[16384];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) return 0;
      received_.append(chunk, static_cast<size_t>(n));
      if (head_end == std::string::npos && (head_end = received_.find("\r\n\r\n")) != std::string::npos) {
        const size_t field = received_.find("Content-Length: ");
        if (field == std::string::npos || field > head_end) return 0;
        length = std::stoul(received_.substr(field + 16));
      }
    }
    return std::stoi(received_.substr(9, 3));
  }

 private:
  int fd_;
  std::string received_;
};

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())))];
}

void BM_HttpSmallReport(benchmark::State& state) {
  const int port = SharedService().port();
  const std::string body = CallArguments();
  KeptAliveClient client(port);
  if (client.Post("/api/call/gExecutar_Query", body) != 200) state.SkipWithError("the service did not answer 200");
  std::vector<double> milliseconds;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (client.Post("/api/call/gExecutar_Query", body) != 200) {
      state.SkipWithError("the service did not answer 200");
      break;
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["p50_ms"] = benchmark::Counter(Percentile(milliseconds, 0.50), benchmark::Counter::kAvgThreads);
  state.counters["p99_ms"] = benchmark::Counter(Percentile(milliseconds, 0.99), benchmark::Counter::kAvgThreads);
}
BENCHMARK(BM_HttpSmallReport)->Threads(1)->Threads(4)->Threads(16)->UseRealTime()->MinTime(2.0);

// The same call as one `tpl call` process, its arguments from a file and its answer thrown away.
void BM_ProcessPerCall(benchmark::State& state) {
  const std::filesystem::path arguments = std::filesystem::path(Database().file()).parent_path() / "args.json";
  std::ofstream(arguments) << CallArguments();
  const std::string file = arguments.string();
  for (auto _ : state) {
    const pid_t child = ::fork();
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::execl(TPL_PROGRAM, "tpl", "call", "gExecutar_Query", "--args", file.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("tpl call failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessPerCall)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace tpl

BENCHMARK_MAIN();
