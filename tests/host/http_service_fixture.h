// A `tpl serve` on a free port of 127.0.0.1 over a fresh embedded database whose workbook folder is a folder of the
// test, and a raw client for what no well-behaved HTTP client sends.
#pragma once

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "host/http_service.h"
#include "host/json_document.h"
#include "support/suite.h"

namespace tpl::host {

inline constexpr const char* kToken = "s3gredo-de-teste";
inline const httplib::Headers kAuthorized = {{"Authorization", std::string("Bearer ") + kToken}};

// The arguments of gTesta_Query, or of gExecutar_Query with one filter {ID} of value `id` (which the query need not
// use), for `query`, user 5.
inline std::string QueryBody(const std::string& method, const std::string& query, int id = 1) {
  const Json empty = {{"Empty", nullptr}};
  if (method == "gTesta_Query") {
    return Json::array({"", 5, "", "SQLSERVER", 0, "a", "b", "c", query, 0, 0, empty, 0, empty}).dump();
  }
  const Json filters = Json::parse(R"({"Matrix":[[1,"Parâmetro","{ID}","N","1","",)" + std::to_string(id) +
                                   R"(,{"Empty":null}],[{"Empty":null},{"Empty":null},{"Empty":null},
      {"Empty":null},{"Empty":null},{"Empty":null},{"Empty":null},{"Empty":null}]]})");
  return Json::array({"", 5, "", "SQLSERVER", query, filters, 1, 7, 0, 0, empty, "", "T", "", 1, "N", "", empty, "N"})
      .dump();
}

class HttpServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(ServerLimits()); }
  void TearDown() override {
    if (service_) service_->Stop();
    if (serving_.joinable()) serving_.join();
  }

  void Start(const ServerLimits& limits) {
    workbooks_ = database_.file().parent_path() / "workbooks";
    std::filesystem::create_directory(workbooks_);
    database_.SetParameter(23017, workbooks_.string() + "/");
    service_ = std::make_unique<HttpService>(ServiceOptions{.database = database_.connection_string(),
                                                            .kind = "SQLSERVER", .port = 0, .token = kToken,
                                                            .limits = limits},
                                             log_);
    port_ = service_->Bind();
    ASSERT_GT(port_, 0);
    serving_ = std::thread([this] { service_->Serve(); });
  }

  void StopService() {
    service_->Stop();
    serving_.join();
  }

  httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }

  // POST /api/call/{method} with the token; the answer's status and JSON, awaited for a minute (a busy machine).
  std::pair<int, Json> Call(const std::string& method, const std::string& body) const {
    httplib::Client client = Client();
    client.set_read_timeout(60);
    const httplib::Result result = client.Post("/api/call/" + method, kAuthorized, body, "application/json");
    if (!result) return {0, Json()};
    return {result->status, Json::parse(result->body)};
  }

  testing::TempDatabase database_;
  std::filesystem::path workbooks_;
  std::ostringstream log_;
  std::unique_ptr<HttpService> service_;
  std::thread serving_;
  int port_ = 0;
};

// A TCP connection to 127.0.0.1 driven byte by byte.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
      ADD_FAILURE() << "cannot connect to port " << port;
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  // False once the server has closed its side (or reset the connection).
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  // The status line of the answer whose head arrives within `within`.
  std::string StatusLine(std::chrono::milliseconds within) {
    const std::string head = Read(within, true);
    return head.substr(0, head.find("\r\n"));
  }

  // Whether the server closes the connection within `within`.
  bool ClosedWithin(std::chrono::milliseconds within) {
    Read(within, false);
    return closed_;
  }

 private:
  std::string Read(std::chrono::milliseconds within, bool head_only) {
    std::string received;
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + within;
    while (!head_only || received.find("\r\n\r\n") == std::string::npos) {
      const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
      pollfd wanted{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&wanted, 1, static_cast<int>(left.count())) <= 0) break;
      char chunk[8192];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) {
        closed_ = true;
        break;
      }
      received.append(chunk, static_cast<size_t>(n));
    }
    return received;
  }

  int fd_;
  bool closed_ = false;
};

}  // namespace tpl::host
