// `tpl serve`: the methods of TPL as an HTTP JSON service, with the web
// page of src/host/web at "/".
//
//   POST /api/call/{method}  the JSON array of `tpl call`, its answer
//   GET  /api/methods        the method table of `tpl methods --json`
//   GET  /files/{name}       a workbook an export of this service saved, or
//                            a finished file /api/my-reports listed
//   GET  /api/user-groups    the user groups, for the page
//   POST /api/query-test     gTesta_Query with the database's reason
//   GET  /api/my-reports?user=N  a person's background jobs and e-mails
//   GET  /, /app.js, ...     the page
//
// The API and the files need `Authorization: Bearer TOKEN`. The client
// never chooses the database: every connection-string parameter receives
// the service's connection string and every Database-kind parameter its
// kind, whatever the client sent. Each request runs on a worker thread
// with a TPL of its own (the class keeps no state); the network side, its
// limits and deadlines are http_server.h's.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/server_limits.h"
#include "tpl/tpl.h"
#include "tpl/variant.h"

namespace tpl::host {

// The largest request body; a larger one is answered 413. A shown result
// sent back for export is at most the screen limit of rows (parameter
// 23042, 1000 by default) by the column limit (5070, 50), a few megabytes.
inline constexpr size_t kMaxRequestBody = 32 * 1024 * 1024;

struct ServiceOptions {
  std::string database;  // the connection string every call receives
  std::string kind;      // the Database kind every call receives
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  std::string token;
  size_t threads = 8;
  ServerLimits limits;  // its max_body_bytes is kMaxRequestBody
};

// Reads the token: the file's text without trailing blanks and line ends.
// Raises InputError when the file cannot be read or the token is empty.
std::string ReadTokenFile(const std::filesystem::path& file);

// "HOST:PORT" (or ":PORT", meaning 127.0.0.1); false when it is not one.
bool ParseListenAddress(std::string_view text, std::string& host, int& port);

// Overwrites the connection-string and Database-kind parameters of a call,
// found by their roles in the method table, with the service's own.
void ImposeServiceDatabase(const MethodInfo& method, std::vector<Variant>& arguments,
                           const ServiceOptions& options);

// A name /files/ serves: a plain file name, no folder, no dot-file, no
// quote or control character.
bool IsServableFileName(std::string_view name);

class HttpService {
 public:
  // `log` receives one line per request (method, path, status,
  // milliseconds); it must outlive the service.
  HttpService(ServiceOptions options, std::ostream& log);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds the listening socket and returns its port (the one chosen when
  // the options ask for port 0); -1 when the address cannot be bound.
  int Bind();
  // Serves until Stop(); returns once the calls in flight have finished.
  // False when the service could not run.
  bool Serve();
  // Stops accepting requests and closes idle connections; safe from any
  // thread.
  void Stop();

 private:
  struct Server;
  std::unique_ptr<Server> server_;
};

// Binds, says where it listens on `log`, and serves until SIGINT or
// SIGTERM. The exit status of `tpl serve`.
int RunServiceUntilSignalled(const ServiceOptions& options, std::ostream& log);

}  // namespace tpl::host
