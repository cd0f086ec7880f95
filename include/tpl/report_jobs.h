// A user's background reports: the jobs a large report was handed to and
// the e-mail requests, with how far the worker got with each. For a page
// that shows a person what is on its way to their e-mail.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tpl::jobs {

enum class ReportKind { Excel, Text, Email };
enum class ReportState { Pending, Running, Done, Failed };

struct UserReport {
  std::string id;  // "J" + job identifier, or "E" + e-mail request identifier
  ReportKind kind = ReportKind::Excel;
  std::string title;
  ReportState state = ReportState::Pending;
  std::string detail;     // the sentence of a failure or of a pending retry
  std::string requested;  // when it was asked for: YYYY-MM-DDTHH:MM:SS, local time
  std::optional<int64_t> rows;      // once done
  std::optional<std::string> file;  // the finished file's name (no folder)
};

// The user's reports, newest first. Raises RuntimeError when the database
// cannot be read.
std::vector<UserReport> ListUserReports(const std::string& connection_string, int32_t user);

}  // namespace tpl::jobs
