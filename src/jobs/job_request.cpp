#include "jobs/job_request.h"

#include "output/report_handover.h"
#include "database/recordset.h"
#include "report/filters.h"
#include "report/query_preparation.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "templates/template_reading.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl::jobs {
namespace {

constexpr std::string_view kJobMarker = "__JOB__";
constexpr std::string_view kSeparator = "__";
constexpr std::string_view kValueEnd = "@@@";
constexpr const char* kDefaultSupportMailbox = "suporte@localhost";

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  size_t from = 0;
  for (size_t at; (at = text.find(separator, from)) != std::string_view::npos;
       from = at + separator.size())
    pieces.emplace_back(text.substr(from, at - from));
  pieces.emplace_back(text.substr(from));
  return pieces;
}

bool IsWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The check of a run rewrote each single date it accepted as yyyy/mm/dd,
// and that is the form the job carries; the check reads dates as typed
// (dd/mm/yyyy), so the value goes back to that form before it is checked
// again. Anything else stays as it came.
std::string TypedDate(const std::string& value) {
  const bool rewritten = value.size() == 10 && value[4] == '/' && value[7] == '/' &&
                         IsWholeNumber(value.substr(0, 4)) && IsWholeNumber(value.substr(5, 2)) &&
                         IsWholeNumber(value.substr(8, 2));
  if (!rewritten) return value;
  return value.substr(8, 2) + "/" + value.substr(5, 2) + "/" + value.substr(0, 4);
}

bool Lookup(const Database& database, const Variant& user, const SystemParameter& parameter,
            Variant& value, std::string& refusal) {
  Variant message;
  const CallContext call(Variant(database.connection_string), user, Variant(database.kind),
                         message);
  if (mBusca_Tab_Parametro_Sistema(call, parameter, value)) return true;
  refusal = TextOrEmpty(message);
  return false;
}

bool LoadJob(const Database& database, const ClaimedJob& job, ReportRequest& request,
             std::string& refusal) {
  db::Recordset row;
  row.Open("SELECT FUNCAO_ID, TXT_QUERY FROM LOG_GERADOR WHERE LOG_GERADOR_ID = " +
               std::to_string(job.key.id),
           database.connection_string, db::CallLimits::OutsideAnyCall());
  JobParameters parameters;
  if (row.Eof() || !ParseJobParameters(TextOrEmpty(row.Value("TXT_QUERY")), job.key.id, parameters)) {
    refusal = sentences::kWorkerRequestIncomplete;
    return false;
  }
  request.file_kind = CLng(row.Value("FUNCAO_ID")) == kTextFileFunction ? FileKind::Text
                                                                         : FileKind::Workbook;
  request.title = parameters.title;
  request.subtitle = parameters.subtitle;
  request.address = Trim(parameters.address);

  Variant connection(database.connection_string), user = Variant::Long(job.user), message,
      kind(database.kind), template_id = Variant::Long(std::stoi(parameters.template_id)),
      name, title, subtitle, filters, filter_lines, filter_columns, query, groups_wanted("N"),
      group_lines, group_columns, groups, abbreviation, email_only;
  // The job is one call of the routines a report run uses.
  const CallContext call(connection, user, kind, message);
  if (!mObter_Dados_Template(call, template_id, name, title, subtitle, filters, filter_lines,
                             filter_columns, query, groups_wanted, group_lines, group_columns,
                             groups, abbreviation, email_only)) {
    refusal = TextOrEmpty(message);
    return false;
  }
  if (query.IsEmpty()) {
    refusal = Compose(sentences::kWorkerTemplateMissing, parameters.template_id);
    return false;
  }
  if (filters.IsArray()) {
    Array& matrix = filters.AsArray();
    const int32_t lines = CLng(mNormaliza_Numero(filter_lines));
    for (int32_t row_index = 0; row_index < lines; ++row_index) {
      const size_t index = static_cast<size_t>(row_index);
      std::string value = index < parameters.filter_values.size() ? parameters.filter_values[index] : "";
      if (FilterTypeCode(matrix.at(row_index, kFilterTypeColumn)) == "D") value = TypedDate(value);
      matrix.at(row_index, kFilterValueColumn) = Variant(value);
    }
  }
  if (!mConsiste_Filtros(call, query, filters, filter_lines, filter_columns) ||
      !mPrepara_Query(call, query, filters, filter_lines, filter_columns)) {
    refusal = TextOrEmpty(message);
    return false;
  }
  request.query = TextOrEmpty(query);
  return true;
}

bool LoadEmailRequest(const Database& database, const ClaimedJob& job, ReportRequest& request,
                      std::string& refusal) {
  db::Recordset row;
  row.Open("SELECT TITULO, TXT_QUERY FROM REL_DIN_EMAIL WHERE REL_DIN_EMAIL_ID = " +
               std::to_string(job.key.id),
           database.connection_string, db::CallLimits::OutsideAnyCall());
  if (row.Eof() || Trim(TextOrEmpty(row.Value("TXT_QUERY"))).empty()) {
    refusal = sentences::kWorkerRequestIncomplete;
    return false;
  }
  request.file_kind = FileKind::Workbook;
  request.title = TextOrEmpty(row.Value("TITULO"));
  request.query = TextOrEmpty(row.Value("TXT_QUERY"));
  row.Close();

  const Variant user = Variant::Long(job.user);
  Variant supplier_groups(""), mailbox("");
  if (!Lookup(database, user, system_parameters::kSupplierGroupLookup, supplier_groups, refusal))
    return false;
  db::Recordset address;
  address.Open(EmailLookupQuery(TextEquals(supplier_groups, "S"), job.user),
               database.connection_string, db::CallLimits::OutsideAnyCall());
  if (address.Eof()) return true;  // an unknown user: nobody to send it to
  request.address = Trim(TextOrEmpty(address.Value("EMAIL")));
  if (!request.address.empty()) return true;
  if (!Lookup(database, user, system_parameters::kSupportMailbox, mailbox, refusal)) return false;
  request.address = Trim(TextOrEmpty(mailbox));
  if (request.address.empty()) request.address = kDefaultSupportMailbox;
  return true;
}

}  // namespace

bool ParseJobParameters(std::string_view text, int32_t job_id, JobParameters& parameters) {
  const std::string head = std::to_string(job_id) + std::string(kJobMarker);
  if (!text.starts_with(head)) return false;
  std::string_view rest = text.substr(head.size());
  if (!rest.starts_with(kSeparator)) return false;
  std::vector<std::string> fields = SplitText(rest.substr(kSeparator.size()), kSeparator);
  constexpr size_t kFields = 7;
  if (fields.size() < kFields) return false;
  // Only the last parameter (the values, typed by the user) may hold "__".
  std::string values = fields[kFields - 1];
  for (size_t i = kFields; i < fields.size(); ++i) values += std::string(kSeparator) + fields[i];
  parameters.title = fields[0];
  parameters.subtitle = fields[1];
  parameters.filter_lines = Trim(fields[2]);
  parameters.filter_columns = Trim(fields[3]);
  parameters.address = fields[4];
  parameters.template_id = Trim(fields[5]);
  if (parameters.filter_lines.empty()) parameters.filter_lines = "0";
  if (!IsWholeNumber(parameters.filter_lines) || !IsWholeNumber(parameters.template_id) ||
      std::stoi(parameters.template_id) <= 0)
    return false;
  parameters.filter_values.clear();
  if (!values.empty()) {
    parameters.filter_values = SplitText(values, kValueEnd);
    parameters.filter_values.pop_back();  // after the last "@@@"
  }
  return true;
}

bool LoadReportRequest(const Database& database, const ClaimedJob& job, ReportRequest& request,
                       std::string& refusal) {
  return job.key.origin == JobOrigin::Job ? LoadJob(database, job, request, refusal)
                                          : LoadEmailRequest(database, job, request, refusal);
}

}  // namespace tpl::jobs
