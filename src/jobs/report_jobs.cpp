// A user's background reports for the "Meus relatórios" list: the jobs of
// the report hand-over and the e-mail requests, each with the worker's
// bookkeeping when it has taken the request up.
#include "tpl/report_jobs.h"

#include <algorithm>

#include "jobs/job_queue.h"
#include "jobs/job_request.h"
#include "database/recordset.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl::jobs {
namespace {

ReportState StateOf(const Variant& state) {
  const std::string code = TrimmedText(state);
  if (code == "A") return ReportState::Running;
  if (code == "C") return ReportState::Done;
  if (code == "F") return ReportState::Failed;
  return ReportState::Pending;
}

// The stored time as YYYY-MM-DDTHH:MM:SS; empty when there is none.
std::string IsoTime(const Variant& value) {
  Date date;
  if (value.type() == VarType::Date) {
    date = value.AsDate();
  } else if (!TryParseDate(TextOrEmpty(value), date)) {
    return {};
  }
  return FormatDate(Variant(date), "yyyy-MM-dd") + "T" + FormatDate(Variant(date), "hh:mm:ss");
}

void ReadWorkerColumns(const db::Recordset& rows, UserReport& report) {
  report.state = StateOf(rows.Value("ESTADO"));
  report.detail = TextOrEmpty(rows.Value("DETALHE"));
  if (report.state == ReportState::Done) {
    const Variant& count = rows.Value("LINHAS");
    if (!count.IsNull() && !count.IsEmpty()) report.rows = static_cast<int64_t>(CDbl(count));
    const std::string file = TextOrEmpty(rows.Value("ARQUIVO"));
    if (!file.empty()) report.file = file;
  }
}

}  // namespace

std::vector<UserReport> ListUserReports(const std::string& connection_string, int32_t user) {
  std::vector<UserReport> reports;
  const std::string who = std::to_string(user);
  // The list serves the host's page, in no call of the library.
  const db::CallLimits outside = db::CallLimits::OutsideAnyCall();
  db::Recordset jobs;
  jobs.Open("SELECT L.LOG_GERADOR_ID, L.FUNCAO_ID, L.TXT_QUERY, L.DATA_INCLUSAO, "
            "W.ESTADO, W.DETALHE, W.LINHAS, W.ARQUIVO FROM LOG_GERADOR L "
            "LEFT JOIN TPL_WORKER_JOB W ON W.ORIGEM = 'J' AND W.ORIGEM_ID = L.LOG_GERADOR_ID "
            "WHERE L.USUARIO_INTERNET_ID = " + who + " AND L.FUNCAO_ID IN (3016, 80712)",
            connection_string, outside);
  for (; !jobs.Eof(); jobs.MoveNext()) {
    UserReport report;
    const int32_t id = CLng(jobs.Value("LOG_GERADOR_ID"));
    report.id = JobKey{JobOrigin::Job, id}.Name();
    report.kind = CLng(jobs.Value("FUNCAO_ID")) == kTextFileFunction ? ReportKind::Text : ReportKind::Excel;
    JobParameters parameters;
    if (ParseJobParameters(TextOrEmpty(jobs.Value("TXT_QUERY")), id, parameters))
      report.title = parameters.title;
    report.requested = IsoTime(jobs.Value("DATA_INCLUSAO"));
    ReadWorkerColumns(jobs, report);
    reports.push_back(std::move(report));
  }
  jobs.Close();

  db::Recordset requests;
  requests.Open("SELECT R.REL_DIN_EMAIL_ID, R.TITULO, R.DATA_SOLICITACAO, R.DATA_ENVIO, "
                "W.ESTADO, W.DETALHE, W.LINHAS, W.ARQUIVO FROM REL_DIN_EMAIL R "
                "LEFT JOIN TPL_WORKER_JOB W ON W.ORIGEM = 'E' AND W.ORIGEM_ID = R.REL_DIN_EMAIL_ID "
                "WHERE R.USUARIO_INTERNET_ID = " + who,
                connection_string, outside);
  for (; !requests.Eof(); requests.MoveNext()) {
    UserReport report;
    report.id = JobKey{JobOrigin::EmailRequest, CLng(requests.Value("REL_DIN_EMAIL_ID"))}.Name();
    report.kind = ReportKind::Email;
    report.title = TextOrEmpty(requests.Value("TITULO"));
    report.requested = IsoTime(requests.Value("DATA_SOLICITACAO"));
    ReadWorkerColumns(requests, report);
    // Sent by another processor, without the worker's bookkeeping.
    const Variant& sent = requests.Value("DATA_ENVIO");
    if (requests.Value("ESTADO").IsNull() && !sent.IsNull() && !sent.IsEmpty())
      report.state = ReportState::Done;
    reports.push_back(std::move(report));
  }

  std::stable_sort(reports.begin(), reports.end(), [](const UserReport& a, const UserReport& b) {
    return a.requested > b.requested;
  });
  return reports;
}

}  // namespace tpl::jobs
