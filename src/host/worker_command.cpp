#include "host/worker_command.h"

#include <csignal>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "tpl/job_worker.h"
#include "tpl/runtime_error.h"

namespace tpl::host {
namespace {

std::atomic<bool> stop_requested{false};

extern "C" void RequestStop(int) { stop_requested.store(true); }

// A whole number within [low, high], or nothing.
std::optional<int> Whole(const std::string& text, int low, int high) {
  const int value = std::atoi(text.c_str());
  if (std::to_string(value) != text || value < low || value > high) return std::nullopt;
  return value;
}

// A FILE becomes the embedded database's connection string; a text with
// "=" is a connection string already.
std::string ConnectionString(const std::string& database) {
  return database.find('=') == std::string::npos ? "Data Source=" + database : database;
}

// HOST:PORT, the port from 1 to 65535.
bool ParseHostPort(const std::string& text, std::string& host, int& port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  const std::optional<int> number = Whole(text.substr(colon + 1), 1, 65535);
  if (!number) return false;
  host = text.substr(0, colon);
  port = *number;
  return true;
}

bool ReadOptions(std::span<const std::string> words, jobs::WorkerOptions& options,
                 std::ostream& err) {
  bool have_smtp = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--once") {
      options.once = true;
      continue;
    }
    if (i + 1 == words.size()) {
      err << "tpl worker: " << (word.starts_with("--") ? word + " needs a value" : "unexpected '" + word + "'")
          << '\n';
      return false;
    }
    const std::string& value = words[++i];
    if (word == "--database") {
      options.connection_string = ConnectionString(value);
    } else if (word == "--smtp") {
      std::string host;
      int port = 0;
      if (!ParseHostPort(value, host, port)) {
        err << "tpl worker: --smtp takes HOST:PORT, such as 127.0.0.1:25\n";
        return false;
      }
      options.smtp_host = host;
      options.smtp_port = port;
      have_smtp = true;
    } else if (word == "--from") {
      options.sender = value;
    } else if (word == "--outbox") {
      options.outbox = value;
    } else if (word == "--kind") {
      if (value != "SQLSERVER" && value != "ORACLE") {
        err << "tpl worker: --kind is SQLSERVER or ORACLE\n";
        return false;
      }
      options.database_kind = value;
    } else if (word == "--threads" || word == "--lease") {
      const std::optional<int> number = word == "--threads" ? Whole(value, 1, 64) : Whole(value, 1, 86400);
      if (!number) {
        err << "tpl worker: " << word << (word == "--threads" ? " takes a number from 1 to 64\n"
                                                              : " takes seconds from 1 to 86400\n");
        return false;
      }
      (word == "--threads" ? options.threads : options.lease_seconds) = *number;
    } else {
      err << "tpl worker: unexpected '" << word << "'\n";
      return false;
    }
  }
  if (options.connection_string.empty() || options.sender.empty() ||
      (!have_smtp && options.outbox.empty())) {
    err << "tpl worker: --database, --from and --smtp (or --outbox) are needed\n";
    return false;
  }
  return true;
}

}  // namespace

int RunWorkerCommand(std::span<const std::string> words, HostStreams& streams) {
  jobs::WorkerOptions options;
  if (!ReadOptions(words, options, streams.err)) {
    streams.err << "Usage: tpl worker " << kWorkerSynopsis << '\n';
    return kExitUsage;
  }
  stop_requested.store(false);
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::ostream& log = streams.err;
  try {
    const jobs::WorkerSummary summary = jobs::RunWorker(
        options, [&log](const std::string& line) { log << "tpl worker: " << line << std::endl; },
        &stop_requested);
    log << "tpl worker: " << summary.done << " done, " << summary.failed << " failed, "
        << summary.retried << " waiting to be tried again\n";
  } catch (const RuntimeError& e) {
    streams.err << "tpl worker: cannot open the database: " << e.description() << " ("
                << e.number() << ")\n";
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace tpl::host
