// The worker's threads: each claims a job, produces its file, e-mails it
// and records the outcome, until the queue is empty (--once) or it is told
// to stop. While a job runs, a heartbeat renews its lease.
#include "tpl/job_worker.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stop_token>
#include <thread>
#include <vector>

#include "jobs/job_queue.h"
#include "jobs/job_request.h"
#include "jobs/report_file.h"
#include "output/workbook_export.h"
#include "database/command.h"
#include "database/connection.h"
#include "mail/mail_delivery.h"
#include "report/query_execution.h"
#include "conventions/message_log.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"
#include "tpl/runtime_error.h"

namespace tpl::jobs {
namespace {

constexpr const char* kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr const char* kTextType = "text/plain; charset=UTF-8";
constexpr auto kProgressEvery = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// How one run of a job ended.
struct Outcome {
  enum class Kind { Done, Failed, RetryLater } kind = Kind::Failed;
  int64_t rows = 0;
  std::string file;         // name, without folder
  std::string detail;       // the sentence for the user
  std::string log_detail;   // what the operator reads after it
};

class Worker {
 public:
  Worker(const WorkerOptions& options, const WorkerLog& log, const std::atomic<bool>* stop)
      : options_(options),
        log_(log),
        stop_(stop),
        database_{options.connection_string, options.database_kind},
        queue_(options.connection_string, options.database_kind, options.lease_seconds,
               options.max_attempts) {
    target_.smtp_host = options.smtp_host;
    target_.smtp_port = options.smtp_port;
    target_.outbox = options.outbox;
  }

  WorkerSummary Run() {
    // The worker's own sessions belong to no call of the library. The probe
    // raises when the database is unreachable.
    db::Connection probe(options_.connection_string, db::CallLimits::OutsideAnyCall());
    probe.Close();
    if (!options_.outbox.empty()) {
      std::error_code ignored;  // a folder that cannot be made fails each delivery, saying so
      std::filesystem::create_directories(options_.outbox, ignored);
    }
    std::vector<std::jthread> threads;
    for (int i = 0; i < std::max(1, options_.threads); ++i)
      threads.emplace_back([this, i] { Loop(i); });
    threads.clear();  // joins
    return summary_;
  }

 private:
  void Log(const std::string& line) {
    std::lock_guard lock(log_mutex_);
    if (log_) log_(line);
  }

  bool Stopping() const { return stop_ != nullptr && stop_->load(); }

  void Loop(int index) {
    const std::string base = HostName() + "-" + std::to_string(::getpid()) + "-" + std::to_string(index);
    for (int64_t claim = 1; !Stopping(); ++claim) {
      const std::string token = base + "-" + std::to_string(claim);
      std::optional<ClaimedJob> job;
      std::vector<AbandonedJob> abandoned;
      try {
        job = queue_.Claim(token, abandoned);
      } catch (const RuntimeError& e) {
        Log("worker: cannot take jobs: " + e.description() + " (" + std::to_string(e.number()) + ")");
      }
      for (const AbandonedJob& lost : abandoned) Abandon(lost);
      if (job) {
        Process(*job, token);
        continue;
      }
      if (options_.once) return;
      for (auto waited = Clock::duration::zero(); waited < std::chrono::seconds(options_.poll_seconds) && !Stopping();
           waited += std::chrono::milliseconds(200))
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }

  static std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "worker";
    return name;
  }

  void LogMessage(int32_t user, const std::string& text) {
    gGrava_Log_Msg(Variant(database_.kind), Variant(database_.connection_string),
                   Variant::Long(user), Variant::Long(kErrorMessageType), Variant(text));
  }

  void Abandon(const AbandonedJob& job) {
    const std::string sentence = Compose(sentences::kWorkerInterrupted, std::to_string(job.attempts));
    LogMessage(job.user, "tpl worker " + job.key.Name() + ": " + sentence);
    Log(job.key.Name() + ": failed: " + sentence);
    std::lock_guard lock(log_mutex_);
    ++summary_.failed;
  }

  void Process(const ClaimedJob& job, const std::string& token) {
    const auto start = Clock::now();
    const std::string name = job.key.Name();
    Log(name + ": started (user " + std::to_string(job.user) + ", attempt " +
        std::to_string(job.attempts) + ")");
    Outcome outcome;
    {
      std::jthread heartbeat([&](std::stop_token stopping) { Heartbeat(stopping, name, token, start); });
      try {
        outcome = Produce(job);
      } catch (const RuntimeError& e) {
        // The database failed beneath the job: worth another try.
        outcome.kind = Outcome::Kind::RetryLater;
        outcome.detail = sentences::kReportUnavailable;
        outcome.log_detail = e.description() + " (" + std::to_string(e.number()) + ")";
      } catch (const std::exception& e) {
        outcome.kind = Outcome::Kind::RetryLater;
        outcome.detail = sentences::kReportUnavailable;
        outcome.log_detail = e.what();
      }
      heartbeat.request_stop();
    }
    if (outcome.kind == Outcome::Kind::RetryLater && job.attempts >= options_.max_attempts) {
      outcome.kind = Outcome::Kind::Failed;
      if (outcome.detail == sentences::kWorkerMailRetry)
        outcome.detail = Compose(sentences::kWorkerMailFailed, std::to_string(job.attempts));
    }
    if (outcome.kind != Outcome::Kind::Done) {
      LogMessage(job.user, "tpl worker " + name + ": " + outcome.detail +
                               (outcome.log_detail.empty() ? "" : " : " + outcome.log_detail));
    }
    bool recorded = false;
    try {
      recorded = outcome.kind == Outcome::Kind::RetryLater
                     ? queue_.RetryLater(job, token, outcome.file, outcome.detail)
                     : queue_.Finish(job, token, outcome.kind == Outcome::Kind::Done, outcome.rows,
                                     outcome.file, outcome.detail);
    } catch (const RuntimeError& e) {
      Log(name + ": the outcome could not be recorded: " + e.description());
    }
    const char* state = outcome.kind == Outcome::Kind::Done     ? "done"
                        : outcome.kind == Outcome::Kind::Failed ? "failed"
                                                                : "retry later";
    std::string line = name + ": " + std::to_string(outcome.rows) + " rows, " +
                       OneDecimal(SecondsSince(start)) + " s, " + state;
    if (!outcome.detail.empty()) line += ": " + outcome.detail;
    if (!outcome.log_detail.empty()) line += " (" + outcome.log_detail + ")";
    if (!recorded) line += " [not recorded: the claim was lost]";
    Log(line);
    std::lock_guard lock(log_mutex_);
    (outcome.kind == Outcome::Kind::Done     ? summary_.done
     : outcome.kind == Outcome::Kind::Failed ? summary_.failed
                                             : summary_.retried)++;
  }

  // Renews the claim every third of the lease and says how long the job
  // has run, until the job ends.
  void Heartbeat(std::stop_token stopping, const std::string& name, const std::string& token,
                 Clock::time_point start) {
    const auto every = std::chrono::milliseconds(std::max(200, options_.lease_seconds * 1000 / 3));
    std::mutex mutex;
    std::condition_variable_any wake;  // woken only by the stop request
    std::unique_lock lock(mutex);
    while (!wake.wait_for(lock, stopping, every, [] { return false; })) {
      if (stopping.stop_requested()) return;
      try {
        if (!queue_.Renew(token)) Log(name + ": the claim was lost to another worker");
      } catch (const RuntimeError& e) {
        Log(name + ": the claim could not be renewed: " + e.description());
      }
      if (SecondsSince(start) >= 30) Log(name + ": running for " + OneDecimal(SecondsSince(start)) + " s");
    }
  }

  std::string Parameter(int32_t user, const SystemParameter& parameter) {
    Variant value(""), message;
    const CallContext call(Variant(database_.connection_string), Variant::Long(user),
                           Variant(database_.kind), message);
    if (!mBusca_Tab_Parametro_Sistema(call, parameter, value))
      throw RuntimeError(0, TextOrEmpty(message));
    return TextOrEmpty(value);
  }

  static Outcome Failed(Outcome outcome, std::string_view sentence, const RuntimeError& e) {
    outcome.detail = sentence;
    outcome.log_detail = e.description() + " (" + std::to_string(e.number()) + ")";
    outcome.file.clear();
    outcome.rows = 0;
    return outcome;
  }

  Outcome Produce(const ClaimedJob& job) {
    Outcome outcome;
    ReportRequest request;
    std::string refusal;
    if (!LoadReportRequest(database_, job, request, refusal)) {
      outcome.detail = refusal;
      return outcome;
    }
    if (!mail::IsPlainAddress(request.address)) {
      outcome.detail = sentences::kWorkerNoAddress;
      outcome.log_detail = "'" + request.address + "'";
      return outcome;
    }
    const std::string folder = Parameter(job.user, system_parameters::kWorkbookFolder);
    FileContent content;
    content.title = request.title;
    content.subtitle = request.subtitle;
    content.zero_display_flag = Variant(Parameter(job.user, system_parameters::kZeroDisplay));

    const bool text = request.file_kind == FileKind::Text;
    outcome.file = WorkbookName(Now(), Variant::Long(job.user)) + "-" + job.key.Name() +
                   (text ? ".txt" : ".xlsx");
    // As an export does, the parameter's text goes before the name as it is
    // written: a folder carries its own closing "/".
    const std::filesystem::path path = folder + outcome.file;
    auto last_report = Clock::now();
    content.progress = [&](int64_t written) {
      if (Clock::now() - last_report < kProgressEvery) return;
      last_report = Clock::now();
      Log(job.key.Name() + ": " + std::to_string(written) + " rows written");
    };

    // The file is written from the rows as they are fetched; it is opened
    // with the first row, so that a result without rows leaves no file. A
    // failure of the file stops the fetch and is told apart from one of
    // the query.
    std::unique_ptr<ReportFileWriter> writer;
    std::optional<RuntimeError> file_failure;
    auto write_block = [&](db::ResultSet& block) {
      if (block.row_count() == 0) return;
      try {
        if (!writer)
          writer = text ? OpenTextFile(block.columns, path, content)
                        : OpenWorkbookFile(block.columns, path, content);
        outcome.rows += static_cast<int64_t>(block.row_count());
        writer->Write(block);
      } catch (const RuntimeError& e) {
        file_failure = e;
        throw;
      }
    };
    try {
      db::Connection connection(database_.connection_string, db::CallLimits::OutsideAnyCall());
      db::Command command(connection);
      command.SetCommandText(ReportCommandText(request.query));
      // The template's query only reads, as on screen.
      command.RestrictToReading();
      command.SetCommandTimeout(options_.query_timeout_seconds);
      command.ExecuteInBlocks(static_cast<size_t>(kRowsPerBlock), write_block);
    } catch (const RuntimeError& e) {
      return Failed(outcome,
                    file_failure ? sentences::kWorkerFileFailed : sentences::kWorkerQueryFailed, e);
    }
    if (!writer) {
      outcome.detail = sentences::kNoRecords;
      outcome.log_detail = std::string(sentences::kNoRecordsQueryLabel) + request.query;
      outcome.file.clear();
      return outcome;
    }
    try {
      writer->Finish();
    } catch (const RuntimeError& e) {
      return Failed(outcome, sentences::kWorkerFileFailed, e);
    }
    writer.reset();

    mail::Message message;
    message.from = options_.sender;
    message.to = request.address;
    message.subject = request.title.empty() ? outcome.file : request.title;
    message.body = Compose(sentences::kWorkerMailBody, request.title, std::to_string(outcome.rows));
    message.attachment.file_name = outcome.file;
    message.attachment.content_type = text ? kTextType : kWorkbookType;
    {
      std::ifstream file(path, std::ios::binary);
      message.attachment.content.assign(std::istreambuf_iterator<char>(file), {});
    }
    try {
      const std::string where = mail::Deliver(message, target_, outcome.file.substr(0, outcome.file.rfind('.')));
      outcome.kind = Outcome::Kind::Done;
      outcome.log_detail = outcome.file + " to " + request.address + " via " + where;
    } catch (const RuntimeError& e) {
      outcome.kind = Outcome::Kind::RetryLater;
      outcome.detail = sentences::kWorkerMailRetry;
      outcome.log_detail = e.description();
    }
    return outcome;
  }

  const WorkerOptions& options_;
  const WorkerLog& log_;
  const std::atomic<bool>* stop_;
  Database database_;
  JobQueue queue_;
  mail::DeliveryTarget target_;
  std::mutex log_mutex_;
  WorkerSummary summary_;
};

}  // namespace

WorkerSummary RunWorker(const WorkerOptions& options, const WorkerLog& log,
                        const std::atomic<bool>* stop) {
  Worker worker(options, log, stop);
  return worker.Run();
}

}  // namespace tpl::jobs
