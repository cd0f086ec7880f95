#include "jobs/job_queue.h"

#include <chrono>
#include <utility>

#include "database/command.h"
#include "database/connection.h"
#include "database/recordset.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"

namespace tpl::jobs {
namespace {

// Requests not seen before become pending rows. A job is the worker's once
// its parameter text is stored and as long as nobody else moved its status
// on; a start date in the future keeps it back.
// {NOW} stands for the database's current time.
constexpr const char* kNoteNewJobs =
    "INSERT INTO TPL_WORKER_JOB (ORIGEM, ORIGEM_ID, USUARIO_INTERNET_ID, ESTADO, TENTATIVAS) "
    "SELECT 'J', L.LOG_GERADOR_ID, L.USUARIO_INTERNET_ID, 'P', 0 FROM LOG_GERADOR L "
    "WHERE L.FUNCAO_ID IN (3016, 80712) AND L.TXT_QUERY IS NOT NULL "
    "AND L.Tab_Status_JOB_ID = 1 AND (L.Data_Inicio IS NULL OR L.Data_Inicio <= {NOW}) "
    "AND NOT EXISTS (SELECT 1 FROM TPL_WORKER_JOB W "
    "WHERE W.ORIGEM = 'J' AND W.ORIGEM_ID = L.LOG_GERADOR_ID)";
constexpr const char* kNoteNewRequests =
    "INSERT INTO TPL_WORKER_JOB (ORIGEM, ORIGEM_ID, USUARIO_INTERNET_ID, ESTADO, TENTATIVAS) "
    "SELECT 'E', R.REL_DIN_EMAIL_ID, R.USUARIO_INTERNET_ID, 'P', 0 FROM REL_DIN_EMAIL R "
    "WHERE R.DATA_ENVIO IS NULL AND NOT EXISTS (SELECT 1 FROM TPL_WORKER_JOB W "
    "WHERE W.ORIGEM = 'E' AND W.ORIGEM_ID = R.REL_DIN_EMAIL_ID)";

// The queue's bookkeeping belongs to no call of the library: its sessions
// open with CallLimits::OutsideAnyCall(), every lock wait the full limit.

int32_t LongOrZero(const Variant& value) {
  return value.IsNull() || value.IsEmpty() ? 0 : CLng(value);
}

std::string Number(int64_t value) { return std::to_string(value); }

db::Recordset Run(db::Connection& connection, const std::string& sql,
                  std::vector<std::string> texts = {}) {
  db::Command command(connection);
  command.SetCommandText(sql);
  int index = 0;
  for (std::string& text : texts) {
    command.AppendParameter("p" + std::to_string(index++), db::DataType::VarChar,
                            db::ParameterDirection::Input, 0, Variant(std::move(text)));
  }
  return command.Execute();
}

std::string KeyCondition(const JobKey& key) {
  return " ORIGEM = '" + std::string(1, static_cast<char>(key.origin)) +
         "' AND ORIGEM_ID = " + Number(key.id);
}

JobKey ReadKey(const db::Recordset& rows) {
  JobKey key;
  key.origin = TextOrEmpty(rows.Value("ORIGEM")) == "E" ? JobOrigin::EmailRequest : JobOrigin::Job;
  key.id = CLng(rows.Value("ORIGEM_ID"));
  return key;
}

// True while the claim under `token` still holds the job: a worker whose
// lease ran out and was taken over records nothing.
bool StillClaimed(db::Connection& connection, const JobKey& key, const std::string& token) {
  db::Recordset mine = Run(connection,
                           "SELECT COUNT(*) AS N FROM TPL_WORKER_JOB WHERE" + KeyCondition(key) +
                               " AND ESTADO = 'A' AND DONO = ?",
                           {token});
  return CLng(mine.Value("N")) > 0;
}

}  // namespace

std::string JobKey::Name() const { return std::string(1, static_cast<char>(origin)) + std::to_string(id); }

int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

JobQueue::JobQueue(std::string connection_string, const std::string& database_kind,
                   int lease_seconds, int max_attempts)
    : connection_string_(std::move(connection_string)),
      now_(database_kind == "ORACLE" ? "SYSDATE" : "GETDATE()"),
      lease_milliseconds_(int64_t{lease_seconds} * 1000),
      max_attempts_(max_attempts) {}

std::optional<ClaimedJob> JobQueue::Claim(const std::string& token,
                                          std::vector<AbandonedJob>& abandoned) {
  db::Connection connection(connection_string_, db::CallLimits::OutsideAnyCall());
  db::TransactionScope transaction(connection);
  std::string note_jobs = kNoteNewJobs;
  note_jobs.replace(note_jobs.find("{NOW}"), 5, now_);
  Run(connection, note_jobs);
  Run(connection, kNoteNewRequests);
  const int64_t now = NowMilliseconds();
  const std::string expired =
      "ESTADO = 'A' AND PRAZO < " + Number(now);

  // Interrupted too often: given up, never taken again.
  db::Recordset given_up = Run(
      connection, "SELECT ORIGEM, ORIGEM_ID, USUARIO_INTERNET_ID, TENTATIVAS FROM TPL_WORKER_JOB "
                  "WHERE " + expired + " AND TENTATIVAS >= " + Number(max_attempts_));
  for (; !given_up.Eof(); given_up.MoveNext()) {
    AbandonedJob job{ReadKey(given_up), LongOrZero((given_up.Value("USUARIO_INTERNET_ID"))),
                     CLng(given_up.Value("TENTATIVAS"))};
    Run(connection,
        "UPDATE TPL_WORKER_JOB SET ESTADO = 'F', DONO = NULL, PRAZO = NULL, DATA_FIM = " + now_ +
            ", DETALHE = ? WHERE" + KeyCondition(job.key) + " AND " + expired,
        {Compose(sentences::kWorkerInterrupted, std::to_string(job.attempts))});
    if (job.key.origin == JobOrigin::Job) {
      Run(connection, "UPDATE LOG_GERADOR SET Tab_Status_JOB_ID = " + Number(kJobStatusFailed) +
                          " WHERE LOG_GERADOR_ID = " + Number(job.key.id));
    }
    abandoned.push_back(job);
  }

  const std::string due = "(ESTADO = 'P' AND (PRAZO IS NULL OR PRAZO <= " + Number(now) +
                          ")) OR (" + expired + " AND TENTATIVAS < " + Number(max_attempts_) + ")";
  db::Recordset candidates = Run(
      connection, "SELECT ORIGEM, ORIGEM_ID FROM TPL_WORKER_JOB WHERE " + due +
                      " ORDER BY TENTATIVAS, ORIGEM_ID");
  std::optional<ClaimedJob> claimed;
  for (; !candidates.Eof() && !claimed; candidates.MoveNext()) {
    const JobKey key = ReadKey(candidates);
    Run(connection,
        "UPDATE TPL_WORKER_JOB SET ESTADO = 'A', DONO = ?, PRAZO = " +
            Number(now + lease_milliseconds_) +
            ", TENTATIVAS = TENTATIVAS + 1, DATA_INICIO = " + now_ + " WHERE" + KeyCondition(key) +
            " AND (" + due + ")",
        {token});
    db::Recordset mine = Run(connection,
                             "SELECT USUARIO_INTERNET_ID, TENTATIVAS FROM TPL_WORKER_JOB WHERE" +
                                 KeyCondition(key) + " AND DONO = ?",
                             {token});
    if (mine.Eof()) continue;
    claimed = ClaimedJob{key, LongOrZero((mine.Value("USUARIO_INTERNET_ID"))),
                         CLng(mine.Value("TENTATIVAS"))};
  }
  if (claimed && claimed->key.origin == JobOrigin::Job) {
    Run(connection, "UPDATE LOG_GERADOR SET Tab_Status_JOB_ID = " + Number(kJobStatusRunning) +
                        " WHERE LOG_GERADOR_ID = " + Number(claimed->key.id));
  }
  transaction.Commit();
  return claimed;
}

bool JobQueue::Renew(const std::string& token) {
  db::Connection connection(connection_string_, db::CallLimits::OutsideAnyCall());
  Run(connection,
      "UPDATE TPL_WORKER_JOB SET PRAZO = " + Number(NowMilliseconds() + lease_milliseconds_) +
          " WHERE ESTADO = 'A' AND DONO = ?",
      {token});
  db::Recordset mine =
      Run(connection, "SELECT COUNT(*) AS N FROM TPL_WORKER_JOB WHERE ESTADO = 'A' AND DONO = ?",
          {token});
  return CLng(mine.Value("N")) > 0;
}

bool JobQueue::Finish(const ClaimedJob& job, const std::string& token, bool done, int64_t rows,
                      const std::string& file, const std::string& detail) {
  db::Connection connection(connection_string_, db::CallLimits::OutsideAnyCall());
  db::TransactionScope transaction(connection);
  if (!StillClaimed(connection, job.key, token)) return false;
  Run(connection,
      std::string("UPDATE TPL_WORKER_JOB SET ESTADO = '") + (done ? "C" : "F") +
          "', DONO = NULL, PRAZO = NULL, DATA_FIM = " + now_ + ", LINHAS = " +
          (done ? Number(rows) : std::string("NULL")) + ", ARQUIVO = ?, DETALHE = ? WHERE" +
          KeyCondition(job.key),
      {file, detail});
  if (job.key.origin == JobOrigin::Job) {
    Run(connection, "UPDATE LOG_GERADOR SET Tab_Status_JOB_ID = " +
                        Number(done ? kJobStatusDone : kJobStatusFailed) +
                        ", Endereco_anexo = ? WHERE LOG_GERADOR_ID = " + Number(job.key.id),
        {file});
  } else if (done) {
    Run(connection, "UPDATE REL_DIN_EMAIL SET DATA_ENVIO = " + now_ + " WHERE REL_DIN_EMAIL_ID = " +
                        Number(job.key.id));
  }
  transaction.Commit();
  return true;
}

bool JobQueue::RetryLater(const ClaimedJob& job, const std::string& token, const std::string& file,
                          const std::string& detail) {
  db::Connection connection(connection_string_, db::CallLimits::OutsideAnyCall());
  db::TransactionScope transaction(connection);
  if (!StillClaimed(connection, job.key, token)) return false;
  Run(connection,
      "UPDATE TPL_WORKER_JOB SET ESTADO = 'P', DONO = NULL, PRAZO = " +
          Number(NowMilliseconds() + lease_milliseconds_) + ", ARQUIVO = ?, DETALHE = ? WHERE" +
          KeyCondition(job.key),
      {file, detail});
  if (job.key.origin == JobOrigin::Job) {
    Run(connection, "UPDATE LOG_GERADOR SET Tab_Status_JOB_ID = " + Number(kJobStatusNew) +
                        " WHERE LOG_GERADOR_ID = " + Number(job.key.id));
  }
  transaction.Commit();
  return true;
}

}  // namespace tpl::jobs
