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
#include <span>
#include <sstream>
#include <thread>

#include "host/call_arguments.h"
#include "host/command_line.h"
#include "host/exported_workbooks.h"
#include "host/http_server.h"  // first of the Beast headers
#include "host/json_document.h"
#include "host/my_reports.h"
#include "host/page_support.h"
#include "host/web_assets.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/system_parameters.h"

namespace tpl::host {

namespace {

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

namespace http = boost::beast::http;

// The largest workbook /files/ hands out.
constexpr size_t kMaxWorkbookBytes = 512 * 1024 * 1024;

constexpr std::string_view kJson = "application/json; charset=utf-8";
constexpr std::string_view kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr std::string_view kTextFileType = "text/plain; charset=utf-8";
// The page loads only its own files; API answers and workbooks load nothing.
constexpr std::string_view kPagePolicy = "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'";
constexpr std::string_view kDataPolicy = "default-src 'none'; frame-ancestors 'none'";

// An answer with the headers every answer carries: no framing by other
// sites, no referrer, no guessing of types. API answers and workbooks are
// never cached; the page is revalidated.
HttpResponse Answer(unsigned status, std::string body, std::string_view content_type, bool page = false) {
  HttpResponse response(static_cast<http::status>(status), 11);
  response.set(http::field::content_type, content_type);
  response.set("Content-Security-Policy", page ? kPagePolicy : kDataPolicy);
  response.set(http::field::x_frame_options, "DENY");
  response.set("Referrer-Policy", "no-referrer");
  response.set("X-Content-Type-Options", "nosniff");
  response.set(http::field::cache_control, page ? "no-cache" : "no-store");
  response.body() = std::move(body);
  return response;
}

HttpResponse Refusal(unsigned status, std::string_view message) {
  return Answer(status, AnswerText(Json{{"error", message}}), kJson);
}

// "%2F" and the like; false for a "%" not followed by two hexadecimal digits.
bool PercentDecode(std::string_view text, std::string& decoded) {
  decoded.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    int value = 0;
    if (i + 2 >= text.size()) return false;
    const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (error != std::errc() || end != text.data() + i + 3) return false;
    decoded += static_cast<char>(value);
    i += 2;
  }
  return true;
}

// The method parameter that receives the name of a saved workbook.
bool IsSavedWorkbookParameter(std::string_view name) {
  // Parameter names are ASCII words of the method table.
  constexpr std::string_view kName = "outvntnome_arquivo";
  return std::equal(name.begin(), name.end(), kName.begin(), kName.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

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
  ImposeDatabase(method, arguments, options.database, options.kind);
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

// What a route's handler receives: the request, its path decoded, its
// query string, and the part of the path after the route's prefix.
struct Incoming {
  const HttpRequest& request;
  std::string_view path;
  std::string_view query;
  std::string_view rest;
};

struct HttpService::Server {
  using Handler = HttpResponse (Server::*)(const Incoming&);
  // A route: a method and a path, exact, or a prefix when it ends with "/".
  // A new route is one more row in Routes() and one more member below.
  struct Route {
    http::verb verb;
    std::string_view path;
    bool needs_token;
    Handler handler;
  };
  static std::span<const Route> Routes();

  ServiceOptions options;
  std::ostream& log;
  std::mutex log_mutex;
  const std::string method_table = AnswerText(MethodTableJson());
  ExportedWorkbooks workbooks;
  HttpServer http;

  Server(ServiceOptions service_options, std::ostream& log_stream)
      : options(WithBodyLimit(std::move(service_options))),
        log(log_stream),
        http(options.limits, options.threads, [this](const HttpRequest& request) { return Dispatch(request); },
             Refusal,
             [this](std::string_view method, std::string_view target, unsigned status, long long ms) {
               LogRequest(method, target, status, ms);
             }) {}

  static ServiceOptions WithBodyLimit(ServiceOptions options) {
    options.limits.max_body_bytes = kMaxRequestBody;
    return options;
  }

  HttpResponse Dispatch(const HttpRequest& request) {
    const std::string_view target = request.target();
    const size_t question = target.find('?');
    std::string path;
    if (!PercentDecode(target.substr(0, question), path)) return Refusal(400, "malformed path");
    const std::string_view query = question == std::string_view::npos ? "" : target.substr(question + 1);
    for (const Route& route : Routes()) {
      const bool prefix = route.path.ends_with('/');
      if (route.verb != request.method() || !(prefix ? path.starts_with(route.path) : path == route.path)) continue;
      if (route.needs_token && !Authorized(request)) {
        HttpResponse refusal = Refusal(401, "a valid Authorization: Bearer token is needed");
        refusal.set(http::field::www_authenticate, "Bearer");
        return refusal;
      }
      const Incoming incoming{request, path, query, std::string_view(path).substr(prefix ? route.path.size() : 0)};
      return (this->*route.handler)(incoming);
    }
    if (request.method() == http::verb::get) {
      for (const WebAsset& asset : WebAssets()) {
        if (path == asset.path || (path == "/" && asset.path == "/index.html")) {
          return Answer(200, std::string(asset.body), asset.content_type, true);
        }
      }
    }
    return Refusal(404, "no such path");
  }

  bool Authorized(const HttpRequest& request) const {
    const std::string_view header = request[http::field::authorization];
    constexpr std::string_view kScheme = "Bearer ";
    return header.starts_with(kScheme) && SameToken(header.substr(kScheme.size()), options.token);
  }

  // GET /api/methods: the method table of `tpl methods --json`.
  HttpResponse Methods(const Incoming&) { return Answer(200, method_table, kJson); }

  // POST /api/call/{method}: the answer of `tpl call`, with the service's
  // database imposed. The connection string goes back as the client sent
  // it: the service's own may hold a password.
  HttpResponse Call(const Incoming& incoming) {
    const std::string name(incoming.rest);
    const MethodInfo* method = TPL::FindMethod(name);
    if (method == nullptr) return Refusal(404, "unknown method '" + name + "'");
    std::vector<Variant> arguments;
    try {
      arguments = DecodeCallArguments(*method, ParseJsonDocument(incoming.request.body()));
    } catch (const InputError& e) {
      return Refusal(400, std::string(method->name) + ": " + e.what());
    }
    // Only the connection strings sent are kept: the other arguments may be a matrix of many rows.
    std::vector<std::pair<size_t, Variant>> sent_connections;
    std::optional<size_t> saved_workbook;
    for (size_t i = 0; i < method->parameters.size() && i < arguments.size(); ++i) {
      if (method->parameters[i].role == ParameterRole::Connection)
        sent_connections.emplace_back(i, arguments[i]);
      if (IsSavedWorkbookParameter(method->parameters[i].name)) saved_workbook = i;
    }
    ImposeServiceDatabase(*method, arguments, options);
    const std::optional<std::string> folder_before = saved_workbook ? WorkbookFolderText() : std::nullopt;
    const CallOutcome outcome = MakeCall(*method, arguments);
    if (saved_workbook && folder_before && ReturnedSuccess(outcome))
      RememberWorkbook(arguments[*saved_workbook], *folder_before);
    for (auto& [i, sent] : sent_connections) arguments[i] = std::move(sent);
    return Answer(200, CallAnswerText(outcome, arguments), kJson);
  }

  // The page's own routes (host/page_support.h).
  HttpResponse UserGroups(const Incoming&) {
    const PageAnswer page = UserGroupsAnswer(options.database);
    return Answer(page.status, page.body, kJson);
  }
  HttpResponse QueryTest(const Incoming& incoming) {
    const PageAnswer page = QueryTestAnswer(options.database, options.kind, incoming.request.body());
    return Answer(page.status, page.body, kJson);
  }

  // GET /api/my-reports?user=N: the person's background jobs and e-mail
  // requests. A finished file the worker wrote in the workbook folder is
  // remembered here, so that /files/ hands it out by the same rules as an
  // export of this service: by its full path, for a bounded time.
  HttpResponse MyReports(const Incoming& incoming) {
    int32_t user = 0;
    if (!QueryUser(incoming.query, user)) return Refusal(400, "user=N (a whole number) is needed");
    Json answer;
    try {
      answer = MyReportsJson(options.database, user);
    } catch (const RuntimeError& e) {
      return Refusal(500, "cannot read the reports: " + e.description());
    }
    const std::optional<std::string> folder = WorkbookFolderText();
    if (folder) {
      for (const Json& report : answer["reports"]) {
        const Json& file = report["file"];
        if (file.is_string() && IsServableFileName(file.get<std::string>())) {
          workbooks.Remember(file.get<std::string>(), *folder + file.get<std::string>());
        }
      }
    }
    return Answer(200, AnswerText(answer), kJson);
  }

  // "user=N" among the query's fields.
  static bool QueryUser(std::string_view query, int32_t& user) {
    while (!query.empty()) {
      const size_t amp = query.find('&');
      const std::string_view field = query.substr(0, amp);
      if (field.starts_with("user=")) {
        const std::string_view digits = field.substr(5);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), user);
        return error == std::errc() && end == digits.data() + digits.size();
      }
      if (amp == std::string_view::npos) break;
      query.remove_prefix(amp + 1);
    }
    return false;
  }

  // An export that succeeded saved its workbook in the folder of parameter
  // 23017 under the name it answers (after the prefix of 23018). The path
  // is remembered only when the folder was the same before and after the
  // call, so that it is the one the export wrote into.
  void RememberWorkbook(const Variant& name, const std::string& folder_before) {
    std::string text;
    if (!TryToText(name, text)) return;
    const size_t slash = text.find_last_of("/\\");
    const std::string file_name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (!IsServableFileName(file_name) || WorkbookFolderText() != folder_before) return;
    // The parameter's text goes before the name as written, as the export
    // put it: a folder carries its own closing "/".
    workbooks.Remember(file_name, folder_before + file_name);
  }

  // The workbook folder: system parameter 23017, read through the library.
  std::optional<std::string> WorkbookFolderText() const {
    std::vector<Variant> arguments = {options.database,
                                      Variant::Long(0),
                                      options.kind,
                                      "Parametro",
                                      "Tab_Parametro_Sistema",
                                      "Tab_Parametro_Sistema_ID",
                                      Variant::Long(system_parameters::kWorkbookFolder.id),
                                      "",
                                      ""};
    TPL tpl;
    std::string folder;
    int16_t result = 10;
    if (!TryToInteger(tpl.Invoke("gBusca_Arquivo_Xml", arguments), result) || result != 0 ||
        !TryToText(arguments[7], folder) || folder.empty()) {
      return std::nullopt;
    }
    return folder;
  }

  // GET /files/{name}: a workbook an export of this service saved, by the
  // path remembered then; never a file found by name in a folder.
  HttpResponse Workbook(const Incoming& incoming) {
    const std::string name(incoming.rest);
    if (!IsServableFileName(name)) return Refusal(400, "not a file name: " + name);
    const std::optional<std::filesystem::path> file = workbooks.Find(name);
    if (!file) return Refusal(404, "no such workbook: " + name);
    WorkbookContent content = ReadWorkbookFile(*file, kMaxWorkbookBytes);
    switch (content.outcome) {
      case WorkbookContent::Outcome::Read:
        break;
      case WorkbookContent::Outcome::Missing:
        return Refusal(404, "no such workbook: " + name);
      case WorkbookContent::Outcome::TooLarge:
        return Refusal(500, "the workbook is larger than the service hands out: " + name);
      case WorkbookContent::Outcome::Unreadable:
        return Refusal(500, "cannot read " + name);
    }
    // The worker's TXT files are served beside the workbooks.
    HttpResponse response =
        Answer(200, std::move(content.bytes), name.ends_with(".txt") ? kTextFileType : kWorkbookType);
    response.set(http::field::content_disposition, "attachment; filename=\"" + name + "\"");
    return response;
  }

  void LogRequest(std::string_view method, std::string_view target, unsigned status, long long milliseconds) {
    // A %0A in the path must not start a line of its own.
    std::string path;
    if (!PercentDecode(target.substr(0, target.find('?')), path)) path = target;
    for (char& c : path) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    std::ostringstream line;
    line << method << ' ' << path << ' ' << status << ' ' << milliseconds << " ms\n";
    const std::lock_guard<std::mutex> lock(log_mutex);
    log << line.str() << std::flush;
  }
};

std::span<const HttpService::Server::Route> HttpService::Server::Routes() {
  static constexpr Route kRoutes[] = {
      {http::verb::get, "/api/methods", true, &Server::Methods},
      {http::verb::post, "/api/call/", true, &Server::Call},
      {http::verb::get, "/files/", true, &Server::Workbook},
      {http::verb::get, "/api/user-groups", true, &Server::UserGroups},
      {http::verb::post, "/api/query-test", true, &Server::QueryTest},
      {http::verb::get, "/api/my-reports", true, &Server::MyReports},
  };
  return kRoutes;
}

HttpService::HttpService(ServiceOptions options, std::ostream& log)
    : server_(std::make_unique<Server>(std::move(options), log)) {}

HttpService::~HttpService() { Stop(); }

int HttpService::Bind() { return server_->http.Bind(server_->options.host, server_->options.port); }

bool HttpService::Serve() { return server_->http.Serve(); }

void HttpService::Stop() { server_->http.Stop(); }

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
