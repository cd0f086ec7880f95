// The worker's queue: the jobs of LOG_GERADOR (the report hand-over's
// function codes 3016 and 80712, once their parameter text is stored) and
// the e-mail requests of REL_DIN_EMAIL not yet sent, with the worker's own
// bookkeeping in TPL_WORKER_JOB (db/tables/tpl_worker_job.sql).
//
// Claiming: one transaction notes the requests not seen before as pending,
// then a conditional UPDATE gives one of them to the claim token (pending
// and due, or running with its lease run out), and the token is read back.
// The UPDATE's row lock decides between workers: only one token lands.
// Every time is the worker's clock in milliseconds since 1970 (UTC), so
// the machines of a deployment must keep their clocks in step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tpl::jobs {

// Status codes the worker writes into LOG_GERADOR.Tab_Status_JOB_ID (the
// registration writes 1).
inline constexpr int32_t kJobStatusNew = 1;
inline constexpr int32_t kJobStatusRunning = 2;
inline constexpr int32_t kJobStatusDone = 3;
inline constexpr int32_t kJobStatusFailed = 4;

// The hand-over's function codes.
inline constexpr int32_t kTextFileFunction = 3016;
inline constexpr int32_t kSpreadsheetFunction = 80712;

enum class JobOrigin : char { Job = 'J', EmailRequest = 'E' };

struct JobKey {
  JobOrigin origin = JobOrigin::Job;
  int32_t id = 0;
  // "J12", "E3": how the job is named in logs, files and lists.
  std::string Name() const;
};

struct ClaimedJob {
  JobKey key;
  int32_t user = 0;
  int32_t attempts = 0;  // this run included
};

// A job given up because it was interrupted too often.
struct AbandonedJob {
  JobKey key;
  int32_t user = 0;
  int32_t attempts = 0;
};

class JobQueue {
 public:
  // `database_kind` "ORACLE" (exactly) writes the current time as SYSDATE,
  // any other as GETDATE().
  JobQueue(std::string connection_string, const std::string& database_kind, int lease_seconds,
           int max_attempts);

  // Takes one due job for `token`; nothing when none is due. Jobs whose
  // lease ran out after their last allowed attempt are not taken again:
  // they are marked failed here, with the sentence for the user, and
  // handed back through `abandoned` for the caller's log.
  std::optional<ClaimedJob> Claim(const std::string& token, std::vector<AbandonedJob>& abandoned);

  // Extends the lease of the job `token` holds; false when it holds none
  // any more.
  bool Renew(const std::string& token);

  // Ends the job: done (rows and file) or failed (detail). False when the
  // token no longer held it (the lease was lost and another worker took it).
  bool Finish(const ClaimedJob& job, const std::string& token, bool done, int64_t rows,
              const std::string& file, const std::string& detail);

  // Gives the job back as pending, to be tried again after one lease time,
  // keeping its file and the detail for the user.
  bool RetryLater(const ClaimedJob& job, const std::string& token, const std::string& file,
                  const std::string& detail);

  int max_attempts() const { return max_attempts_; }

 private:
  std::string connection_string_;
  std::string now_;  // the database's current time
  int64_t lease_milliseconds_;
  int max_attempts_;
};

// Milliseconds since 1970 (UTC) on this machine.
int64_t NowMilliseconds();

}  // namespace tpl::jobs
