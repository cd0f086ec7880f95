// The background worker: takes the jobs that large reports were handed to
// (LOG_GERADOR) and the e-mail requests (REL_DIN_EMAIL) from the database,
// produces each report's file and e-mails it to the address the hand-over
// looked up. Several workers, in one process or many, may work on one
// database: each job is claimed by one of them with a lease, and a job
// whose worker died is taken again once its lease has run out.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tpl::jobs {

struct WorkerOptions {
  std::string connection_string;  // as every method receives it
  std::string database_kind = "SQLSERVER";
  // Where the e-mails go: the SMTP server, or, when `outbox` is set, one
  // .eml file per message in that folder.
  std::string smtp_host = "127.0.0.1";
  int smtp_port = 25;
  std::string outbox;
  std::string sender;  // the From address
  // Work until nothing is left to take, then return (else until `stop`).
  bool once = false;
  int threads = 1;
  // How long a claim holds without being renewed; a running job renews it
  // every third of that. Also the wait before a failed e-mail is tried again.
  int lease_seconds = 300;
  // Times a job is taken up (interrupted runs and e-mail failures
  // included) before it is given up as failed.
  int max_attempts = 3;
  // Longest run of one report query (the screen's own limit is what sent
  // many of these reports here).
  int query_timeout_seconds = 3600;
  // Wait between looks at an empty queue.
  int poll_seconds = 5;
};

struct WorkerSummary {
  int64_t done = 0;
  int64_t failed = 0;
  int64_t retried = 0;  // e-mails that failed and wait for another try
};

// Receives the worker's log lines (one per job, progress of long jobs),
// from any of its threads, one call at a time.
using WorkerLog = std::function<void(const std::string& line)>;

// Runs the worker until `stop` becomes true (or, with `once`, until no job
// is left). Raises RuntimeError when the database cannot be reached at all
// at start.
WorkerSummary RunWorker(const WorkerOptions& options, const WorkerLog& log,
                        const std::atomic<bool>* stop = nullptr);

}  // namespace tpl::jobs
