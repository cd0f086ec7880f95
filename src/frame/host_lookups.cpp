#include "tpl/host_lookups.h"

#include "database/recordset.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

// The look-ups serve the host between calls: they belong to none.
db::CallLimits NoCall() { return db::CallLimits::OutsideAnyCall(); }

std::string TextOrEmpty(const Variant& value) {
  std::string text;
  return TryToText(value, text) ? text : std::string();
}

}  // namespace

std::vector<UserGroup> ReadUserGroups(const std::string& connection_string) {
  std::vector<UserGroup> groups;
  try {
    db::Recordset recordset;
    recordset.Open("SELECT GRUPO_USUARIO_ID, DESC_GRUPO_USUARIO FROM GRUPO_USUARIO ORDER BY GRUPO_USUARIO_ID",
                   connection_string, NoCall());
    for (; !recordset.Eof(); recordset.MoveNext()) {
      UserGroup group;
      if (!TryToLong(recordset.Value(0), group.id)) continue;
      group.description = TextOrEmpty(recordset.Value(1));
      groups.push_back(std::move(group));
    }
  } catch (...) {
    // No table of groups (or no database): the host falls back to a number.
    groups.clear();
  }
  return groups;
}

int64_t LastMessageLogId(const std::string& connection_string) {
  try {
    db::Recordset recordset;
    recordset.Open("SELECT MAX(LOG_MSG_ID) FROM LOG_MSG", connection_string, NoCall());
    double last = 0;
    if (!recordset.Eof() && TryToDouble(recordset.Value(0), last)) return static_cast<int64_t>(last);
  } catch (...) {
  }
  return 0;
}

std::vector<std::string> ReadMessageLogAfter(const std::string& connection_string, int64_t after_id,
                                             int32_t user, int32_t limit) {
  std::vector<std::string> texts;
  try {
    db::Recordset recordset;
    recordset.Open("SELECT MSG01, MSG02, MSG03, MSG04, MSG05 FROM LOG_MSG WHERE LOG_MSG_ID > " +
                       std::to_string(after_id) + " AND USUARIO_INTERNET_ID = " + std::to_string(user) +
                       " ORDER BY LOG_MSG_ID",
                   connection_string, NoCall());
    for (; !recordset.Eof() && static_cast<int32_t>(texts.size()) < limit; recordset.MoveNext()) {
      std::string text;
      for (int32_t piece = 0; piece < 5; ++piece) text += TextOrEmpty(recordset.Value(piece));
      texts.push_back(std::move(text));
    }
  } catch (...) {
    texts.clear();
  }
  return texts;
}

}  // namespace tpl
