#include "host/page_support.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <vector>

#include "host/call_arguments.h"
#include "tpl/conversions.h"
#include "tpl/host_lookups.h"
#include "tpl/system_parameters.h"
#include "tpl/text.h"
#include "tpl/tpl.h"

namespace tpl::host {
namespace {

PageAnswer Refusal(int status, std::string_view message) {
  return {status, AnswerText(Json{{"error", message}})};
}

// The characters the message log leaves out of what it stores.
bool LeftOutByTheLog(char c) {
  return std::string_view("'<>();%&+\"").find(c) != std::string_view::npos;
}

std::string WithoutLeftOut(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (!LeftOutByTheLog(c)) kept += c;
  }
  return kept;
}

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

// Parameter 23042, the screen's line limit, read as any host reads a
// parameter: through gBusca_Arquivo_Xml.
size_t ScreenLineLimit(const std::string& database, const std::string& kind) {
  std::vector<Variant> arguments = {database,
                                    Variant::Long(0),
                                    kind,
                                    "Parametro",
                                    "Tab_Parametro_Sistema",
                                    "Tab_Parametro_Sistema_ID",
                                    Variant::Long(system_parameters::kMaxScreenLines.id),
                                    "",
                                    ""};
  TPL tpl;
  int16_t result = 10;
  int32_t limit = 0;
  if (!TryToInteger(tpl.Invoke("gBusca_Arquivo_Xml", arguments), result) || result != 0 ||
      !TryToLong(arguments[7], limit) || limit < 0) {
    return 0;
  }
  return static_cast<size_t>(limit);
}

}  // namespace

PageAnswer UserGroupsAnswer(const std::string& database) {
  Json groups = Json::array();
  for (const UserGroup& group : ReadUserGroups(database)) {
    groups.push_back(Json{{"id", group.id}, {"name", group.description}});
  }
  return {200, AnswerText(Json{{"groups", groups}})};
}

std::string LoggedDetail(std::string_view message, std::string_view logged) {
  const std::string sentence = WithoutLeftOut(message);
  if (sentence.empty() || !logged.starts_with(sentence)) return "";
  std::string detail(logged.substr(sentence.size()));
  const size_t statement = LCase(detail).find("strsq:");
  if (statement != std::string::npos) detail.erase(statement);
  detail = Trimmed(detail);
  // The trap writes "LABEL DESCRIPTION : NUMBER ) No Nº LINE" (the log drops
  // the parentheses); the person needs the description, the database's own
  // words. A detail of another shape is kept whole.
  static const std::regex kTrapDetail(R"(^\s*\S+\.\S+\s+(.*\S)\s+:\s+-?\d+\s+(no|No)\s+(nº|Nº)\s+\d+$)");
  std::smatch parts;
  if (std::regex_match(detail, parts, kTrapDetail)) return parts[1].str();
  return detail;
}

size_t CutResultRows(Json& matrix, size_t limit) {
  if (!matrix.is_object() || !matrix.contains("Matrix") || !matrix["Matrix"].is_array()) return 0;
  Json& rows = matrix["Matrix"];
  if (rows.size() < 3) return 0;
  const size_t data_rows = rows.size() - 3;
  if (data_rows <= limit) return data_rows;
  // Rows 1 .. limit stay; the rows after them up to the type row go.
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(1 + limit),
             rows.begin() + static_cast<std::ptrdiff_t>(rows.size() - 2));
  return limit;
}

PageAnswer QueryTestAnswer(const std::string& database, const std::string& kind, std::string_view body) {
  const MethodInfo* method = TPL::FindMethod("gTesta_Query");
  std::vector<Variant> arguments;
  try {
    arguments = DecodeCallArguments(*method, ParseJsonDocument(body));
  } catch (const InputError& e) {
    return Refusal(400, std::string(method->name) + ": " + e.what());
  }
  // The client never chooses the database; its own connection string goes
  // back in the answer, never the service's.
  const Variant sent_connection = arguments[0];
  arguments[0] = Variant(database);
  arguments[3] = Variant(kind);
  int32_t user = 0;
  if (!TryToLong(arguments[1], user)) user = 0;

  const int64_t last_row = LastMessageLogId(database);
  const CallOutcome outcome = MakeCall(*method, arguments);
  std::string detail;
  std::string message;
  if (!ReturnedSuccess(outcome) && TryToText(arguments[2], message)) {
    for (const std::string& logged : ReadMessageLogAfter(database, last_row, user)) {
      detail = LoggedDetail(message, logged);
      if (!detail.empty()) break;
    }
  }
  arguments[0] = sent_connection;
  Json answer = CallAnswerJson(outcome, arguments);
  const size_t limit = ScreenLineLimit(database, kind);
  size_t shown = 0;
  if (answer["args"].size() > 11) shown = CutResultRows(answer["args"][11], limit == 0 ? SIZE_MAX : limit);
  answer["detail"] = detail;
  answer["limit"] = limit;
  answer["shown"] = shown;
  return {200, AnswerText(answer)};
}

}  // namespace tpl::host
