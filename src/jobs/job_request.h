// What a claimed job asks for, read from the database: the report's query
// ready to run, its titles, the kind of file and the address it goes to.
//
// A job of LOG_GERADOR carries the hand-over's parameter text,
//   ID__JOB____title__subtitle__filter lines__filter columns__address__template__values
// where values is each filter's value followed by "@@@". The template's
// query and filters are read again, the values put back into the filter
// matrix, checked and substituted exactly as a run on screen does. A title
// or subtitle holding "__" cannot be told apart from the separators; such a
// job is refused as incomplete.
//
// An e-mail request of REL_DIN_EMAIL carries the query as it will run and
// a title; the address is the user's, looked up as the hand-over does (the
// support mailbox of parameter 2001850 when the user has none).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/job_queue.h"

namespace tpl::jobs {

enum class FileKind { Workbook, Text };

struct JobParameters {
  std::string title;
  std::string subtitle;
  std::string filter_lines;
  std::string filter_columns;
  std::string address;
  std::string template_id;
  std::vector<std::string> filter_values;
};

// False when the text is not a parameter text of job `job_id` with the
// hand-over's seven parameters (the template a whole number above 0).
bool ParseJobParameters(std::string_view text, int32_t job_id, JobParameters& parameters);

struct ReportRequest {
  FileKind file_kind = FileKind::Workbook;
  std::string title;
  std::string subtitle;
  std::string address;  // empty: nobody to send it to
  std::string query;    // prepared, placeholders replaced
};

struct Database {
  std::string connection_string;
  std::string kind;
};

// Reads the request of `job`. False with the sentence for the user in
// `refusal` (a filter check's own sentence, a template that is gone, an
// incomplete request); raises on a database failure.
bool LoadReportRequest(const Database& database, const ClaimedJob& job, ReportRequest& request,
                       std::string& refusal);

}  // namespace tpl::jobs
