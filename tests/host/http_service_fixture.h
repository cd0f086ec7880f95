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
    ServiceOptions options;
    options.database = database_.connection_string();
    options.kind = "SQLSERVER";
    options.port = 0;
    options.token = kToken;
    options.limits = limits;
    service_ = std::make_unique<HttpService>(options, log_);
    port_ = service_->Bind();
    ASSERT_GT(port_, 0);
    serving_ = std::thread([this] { service_->Serve(); });
  }

  void StopService() {
    service_->Stop();
    serving_.join();
  }

  httplib::Client Client() const { return httplib::Client("127.0.0.1", port_); }

  // POST /api/call/{method} with the token; the answer's status and JSON.
  std::pair<int, Json> Call(const std::string& method, const std::string& body) const {
    httplib::Client client = Client();
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
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }

  // False once the server has closed its side (or reset the connection).
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  // What arrives until the server closes or `within` passes.
  std::string ReadUntilClosed(std::chrono::milliseconds within) {
    return ReadUntil(within, [](const std::string&) { return false; });
  }

  // What arrives within `within`, without waiting for more once something came and `enough` says so.
  template <typename Enough>
  std::string ReadUntil(std::chrono::milliseconds within, Enough enough) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!enough(received) && WaitReadable(deadline)) {
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

  // Whether the server closed the connection (seen by a read).
  bool closed() const { return closed_; }

 private:
  bool WaitReadable(std::chrono::steady_clock::time_point deadline) const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd wanted{fd_, POLLIN, 0};
    return ::poll(&wanted, 1, static_cast<int>(left.count())) > 0;
  }

  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

}  // namespace tpl::host
