#include "host/my_reports.h"

#include "tpl/report_jobs.h"

namespace tpl::host {
namespace {

const char* KindName(jobs::ReportKind kind) {
  switch (kind) {
    case jobs::ReportKind::Excel:
      return "Excel";
    case jobs::ReportKind::Text:
      return "TXT";
    case jobs::ReportKind::Email:
      return "E-mail";
  }
  return "Excel";
}

const char* StateName(jobs::ReportState state) {
  switch (state) {
    case jobs::ReportState::Pending:
      return "pendente";
    case jobs::ReportState::Running:
      return "em andamento";
    case jobs::ReportState::Done:
      return "concluído";
    case jobs::ReportState::Failed:
      return "falhou";
  }
  return "pendente";
}

}  // namespace

Json MyReportsJson(const std::string& connection_string, int32_t user) {
  Json list = Json::array();
  for (const jobs::UserReport& report : jobs::ListUserReports(connection_string, user)) {
    list.push_back({{"id", report.id},
                    {"kind", KindName(report.kind)},
                    {"title", report.title},
                    {"state", StateName(report.state)},
                    {"detail", report.detail},
                    {"requested", report.requested},
                    {"rows", report.rows ? Json(*report.rows) : Json(nullptr)},
                    {"file", report.file ? Json(*report.file) : Json(nullptr)}});
  }
  return Json{{"reports", std::move(list)}};
}

}  // namespace tpl::host
