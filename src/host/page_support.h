// What the web page needs of the service beyond the methods themselves:
// the user groups to choose from, and a query test that tells the author
// the database's own reason when the query fails. Each function takes the
// request's inputs and answers the status and JSON body, so that the
// routes in http_service.cpp are a line each.
//
//   GET  /api/user-groups  {"groups":[{"id":10,"name":"Vendas"},...]}
//   POST /api/query-test   the JSON array of gTesta_Query; the answer of
//                          /api/call/gTesta_Query plus "detail", "shown"
//                          and "limit" (below)
#pragma once

#include <string>
#include <string_view>

#include "host/json_document.h"

namespace tpl::host {

struct PageAnswer {
  int status = 200;
  std::string body;  // JSON
};

// The groups of GRUPO_USUARIO; an empty list when the database has none,
// and the page then asks for a group's number.
PageAnswer UserGroupsAnswer(const std::string& database);

// Runs gTesta_Query on the service's database (whatever connection string
// and Database kind the client sent) and answers as /api/call does, plus:
//   "detail"  when the test failed: the technical text the method's error
//             trap logged in LOG_MSG for this call (the database's message
//             and the statement), which the message slot shows only to
//             user 1; "" when the failure was a refusal of the checks.
//             Only rows written during this call, for the user the call
//             names, beginning with the call's own sentence, are read.
//   "limit"   the screen's line limit (parameter 23042; 0 when the row is
//             missing or unreadable, and then nothing is cut);
//   "shown"   the data rows the answer's matrix keeps: a result of more
//             rows than the limit comes back cut to the limit (header,
//             type and alignment rows kept), its line count untouched, so
//             the page can say how many more there were.
PageAnswer QueryTestAnswer(const std::string& database, const std::string& kind, std::string_view body);

// The technical part of a logged message: `logged` without the sentence
// `message` it begins with and without the statement text after "strsq:";
// "" when `logged` does not begin with the sentence (characters the log
// filters out, such as parentheses, are ignored in the comparison).
std::string LoggedDetail(std::string_view message, std::string_view logged);

// Keeps at most `limit` data rows of a result matrix in its JSON form
// ({"Matrix":[header, rows..., types, alignments]}); answers how many
// data rows are left.
size_t CutResultRows(Json& matrix, size_t limit);

}  // namespace tpl::host
