#include "host/http_service.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include <httplib.h>

#include "host/call_arguments.h"
#include "host/command_line.h"
#include "host/json_document.h"
#include "host/page_support.h"
#include "host/web_assets.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl::host {

namespace {

using Clock = std::chrono::steady_clock;

// The method table names the connection string "invntConecta_db" or
// "instrConecta_db" and the Database kind "invntBanco_Dados",
// "InStrBanco_Dados" or "invntBase_dados".
bool IsConnectionParameter(std::string_view name) {
  return LCase(name).ends_with("conecta_db");
}
bool IsDatabaseKindParameter(std::string_view name) {
  const std::string lower = LCase(name);
  return lower.ends_with("banco_dados") || lower.ends_with("base_dados");
}

// Compares in a time that depends on the expected token's length only, so
// that the answer's timing tells nothing about how much of a guess was
// right.
bool SameToken(std::string_view given, std::string_view expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (size_t i = 0; i < expected.size(); ++i) {
    const char g = i < given.size() ? given[i] : '\0';
    difference |= static_cast<unsigned char>(g ^ expected[i]);
  }
  return difference == 0;
}

std::string ErrorBody(std::string_view message) {
  return AnswerText(Json{{"error", message}});
}

void Refuse(httplib::Response& response, int status, std::string_view message) {
  response.status = status;
  response.set_content(ErrorBody(message), "application/json; charset=utf-8");
}

// The body of a refusal the HTTP library answers by itself.
std::string StatusMessage(int status) {
  switch (status) {
    case 400:
      return "malformed request";
    case 404:
      return "no such path";
    case 413:
      return "the request body is larger than " + std::to_string(kMaxRequestBody) + " bytes";
    default:
      return "HTTP status " + std::to_string(status);
  }
}

// When the request began, for the log line; set on the worker thread that
// serves the request, read there when it is logged.
thread_local std::optional<Clock::time_point> request_start;

}  // namespace

std::string ReadTokenFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError("cannot read the token file " + file.string());
  std::string token{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  while (!token.empty() && std::isspace(static_cast<unsigned char>(token.back()))) token.pop_back();
  if (token.empty()) throw InputError("the token file " + file.string() + " holds no token");
  return token;
}

bool ParseListenAddress(std::string_view text, std::string& host, int& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view digits = text.substr(colon + 1);
  int number = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      number < 0 || number > 65535) {
    return false;
  }
  host = colon == 0 ? "127.0.0.1" : std::string(text.substr(0, colon));
  port = number;
  return true;
}

void ImposeServiceDatabase(const MethodInfo& method, std::vector<Variant>& arguments,
                           const ServiceOptions& options) {
  for (size_t i = 0; i < method.parameters.size() && i < arguments.size(); ++i) {
    const std::string_view name = method.parameters[i].name;
    if (IsConnectionParameter(name)) arguments[i] = Variant(options.database);
    if (IsDatabaseKindParameter(name)) arguments[i] = Variant(options.kind);
  }
}

bool IsServableFileName(std::string_view name) {
  // Quotes and control characters would break out of the name quoted in
  // the answer's Content-Disposition header.
  const auto unsafe = [](char c) {
    return c == '/' || c == '\\' || c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  };
  return !name.empty() && name.size() <= 255 && name.front() != '.' &&
         std::none_of(name.begin(), name.end(), unsafe);
}

struct HttpService::Server {
  ServiceOptions options;
  std::ostream& log;
  std::mutex log_mutex;
  httplib::Server http;

  Server(ServiceOptions service_options, std::ostream& log_stream)
      : options(std::move(service_options)), log(log_stream) {
    const size_t threads = options.threads == 0 ? 1 : options.threads;
    // The library takes the pool over and deletes it when listening ends.
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http.set_payload_max_length(kMaxRequestBody);
    // A kept-alive connection holds its worker while it waits for the next
    // request; a short wait frees workers for other clients, and for a stop.
    http.set_keep_alive_timeout(2);
    http.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
      request_start = Clock::now();
      return httplib::Server::HandlerResponse::Unhandled;
    });
    http.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
      LogRequest(request, response);
    });
    // Statuses the library answers by itself (413, 404 of an unknown path,
    // 400 of a broken request) get a JSON body like ours.
    http.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response) {
          if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
          Refuse(response, response.status, StatusMessage(response.status));
          return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr failure) {
          std::string what = "unknown failure";
          try {
            std::rethrow_exception(failure);
          } catch (const std::exception& e) {
            what = e.what();
          } catch (...) {
          }
          Refuse(response, 500, "the request failed: " + what);
        });

    http.Get("/api/methods", [this](const httplib::Request& request, httplib::Response& response) {
      if (!Authorized(request, response)) return;
      response.set_content(AnswerText(MethodTableJson()), "application/json; charset=utf-8");
    });
    http.Post("/api/call/([^/]+)",
              [this](const httplib::Request& request, httplib::Response& response) {
                if (Authorized(request, response)) Call(request, response);
              });
    // The page's own routes (host/page_support.h).
    const auto page_route = [this](auto answer) {
      return [this, answer](const httplib::Request& request, httplib::Response& response) {
        if (!Authorized(request, response)) return;
        const PageAnswer page = answer(request);
        response.status = page.status;
        response.set_content(page.body, "application/json; charset=utf-8");
      };
    };
    http.Get("/api/user-groups", page_route([this](const httplib::Request&) {
               return UserGroupsAnswer(options.database);
             }));
    http.Post("/api/query-test", page_route([this](const httplib::Request& request) {
                return QueryTestAnswer(options.database, options.kind, request.body);
              }));
    http.Get("/files/(.*)", [this](const httplib::Request& request, httplib::Response& response) {
      if (Authorized(request, response)) ServeWorkbook(request.matches[1].str(), response);
    });
    for (const WebAsset& asset : WebAssets()) {
      const std::string path = asset.path == "/index.html" ? "/" : std::string(asset.path);
      http.Get(path, [&asset](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Security-Policy", "default-src 'self'; img-src 'self' data:");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_header("Cache-Control", "no-cache");
        response.set_content(std::string(asset.body), std::string(asset.content_type));
      });
    }
  }

  bool Authorized(const httplib::Request& request, httplib::Response& response) const {
    const std::string header = request.get_header_value("Authorization");
    constexpr std::string_view kScheme = "Bearer ";
    if (header.starts_with(kScheme) &&
        SameToken(std::string_view(header).substr(kScheme.size()), options.token)) {
      return true;
    }
    response.set_header("WWW-Authenticate", "Bearer");
    Refuse(response, 401, "a valid Authorization: Bearer token is needed");
    return false;
  }

  // POST /api/call/{method}: the answer of `tpl call`, with the service's
  // database imposed. The connection string goes back as the client sent
  // it: the service's own may hold a password.
  void Call(const httplib::Request& request, httplib::Response& response) const {
    const std::string name = request.matches[1].str();
    const MethodInfo* method = TPL::FindMethod(name);
    if (method == nullptr) return Refuse(response, 404, "unknown method '" + name + "'");
    std::vector<Variant> arguments;
    try {
      arguments = DecodeCallArguments(*method, ParseJsonDocument(request.body));
    } catch (const InputError& e) {
      return Refuse(response, 400, std::string(method->name) + ": " + e.what());
    }
    // Only the connection strings sent are kept: the other arguments may be a matrix of many rows.
    std::vector<std::pair<size_t, Variant>> sent_connections;
    for (size_t i = 0; i < method->parameters.size() && i < arguments.size(); ++i) {
      if (IsConnectionParameter(method->parameters[i].name)) sent_connections.emplace_back(i, arguments[i]);
    }
    ImposeServiceDatabase(*method, arguments, options);
    Json answer = CallMethod(*method, arguments);
    for (const auto& [i, sent] : sent_connections) answer["args"][i] = EncodeCallArguments({sent})[0];
    response.set_content(AnswerText(answer), "application/json; charset=utf-8");
  }

  // The workbook folder: system parameter 23017, read through the library
  // at each request so that a change of the parameter takes effect at once.
  std::optional<std::filesystem::path> WorkbookFolder() const {
    std::vector<Variant> arguments = {options.database,   Variant::Long(0),
                                      options.kind,       "Parametro",
                                      "Tab_Parametro_Sistema", "Tab_Parametro_Sistema_ID",
                                      Variant::Long(23017), "",
                                      ""};
    TPL tpl;
    std::string folder;
    int16_t result = 10;
    if (!TryToInteger(tpl.Invoke("gBusca_Arquivo_Xml", arguments), result) || result != 0 ||
        !TryToText(arguments[7], folder) || folder.empty()) {
      return std::nullopt;
    }
    return std::filesystem::path(folder);
  }

  void ServeWorkbook(const std::string& name, httplib::Response& response) const {
    if (!IsServableFileName(name)) return Refuse(response, 400, "not a file name: " + name);
    const std::optional<std::filesystem::path> folder = WorkbookFolder();
    if (!folder) return Refuse(response, 500, "the workbook folder cannot be read");
    const std::filesystem::path file = *folder / name;
    std::error_code error;
    // A link could lead out of the folder: only plain files are served.
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
      return Refuse(response, 404, "no such workbook: " + name);
    }
    std::ifstream in(file, std::ios::binary);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) return Refuse(response, 500, "cannot read " + name);
    response.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
    response.set_content(std::move(content),
                         "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
  }

  void LogRequest(const httplib::Request& request, const httplib::Response& response) {
    long long milliseconds = 0;
    if (request_start) {
      milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                           *request_start)
                         .count();
      request_start.reset();
    }
    // The path arrives decoded: a %0A in it must not start a line of its own.
    std::string path = request.path;
    for (char& c : path) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    std::ostringstream line;
    line << request.method << ' ' << path << ' ' << response.status << ' ' << milliseconds << " ms\n";
    const std::lock_guard<std::mutex> lock(log_mutex);
    log << line.str() << std::flush;
  }
};

HttpService::HttpService(ServiceOptions options, std::ostream& log)
    : server_(std::make_unique<Server>(std::move(options), log)) {}

HttpService::~HttpService() { Stop(); }

int HttpService::Bind() {
  const ServiceOptions& options = server_->options;
  if (options.port == 0) return server_->http.bind_to_any_port(options.host);
  return server_->http.bind_to_port(options.host, options.port) ? options.port : -1;
}

bool HttpService::Serve() { return server_->http.listen_after_bind(); }

void HttpService::Stop() { server_->http.stop(); }

int RunServiceUntilSignalled(const ServiceOptions& options, std::ostream& log) {
  // The signals are blocked in every thread (the workers inherit the mask)
  // and taken by one watcher, which stops the service the ordinary way.
  sigset_t stop_signals, previous;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, &previous);

  int status = kExitSuccess;
  {
    HttpService service(options, log);
    const int port = service.Bind();
    if (port < 0) {
      log << "tpl serve: cannot listen on " << options.host << ':' << options.port << '\n';
      status = kExitFailure;
    } else {
      log << "tpl serve: listening on http://" << options.host << ':' << port << "/ ("
          << options.kind << ", " << options.threads << " threads)" << std::endl;
      std::atomic<bool> served{false};
      std::thread watcher([&] {
        const timespec pause{0, 200'000'000};
        while (!served) {
          const int signal = sigtimedwait(&stop_signals, nullptr, &pause);
          if (signal == SIGINT || signal == SIGTERM) {
            // A signal that came before the service was running would
            // find nothing to stop: stop until the serving has ended.
            while (!served) {
              service.Stop();
              std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
          }
        }
      });
      if (!service.Serve()) status = kExitFailure;
      served = true;
      watcher.join();
      log << "tpl serve: stopped" << std::endl;
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return status;
}

}  // namespace tpl::host
