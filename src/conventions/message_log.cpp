#include "conventions/message_log.h"

#include <mutex>
#include <utility>
#include <vector>

#include "conventions/value_helpers.h"
#include "database/recordset.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/text.h"

namespace tpl {
namespace {

constexpr size_t kPieceLength = 255;
constexpr size_t kPieceCount = 5;

Variant WholeNumberOrZero(const Variant& value) {
  if (!IsNumeric(value)) return Variant::Long(0);
  return Variant::Long(CLng(value));
}

std::string TimeExpression(const Variant& database_kind) {
  if (IsDatabaseKind(database_kind, DatabaseKind::SqlServer, KindComparison::Exact)) return " GETDATE() , ";
  if (IsDatabaseKind(database_kind, DatabaseKind::Oracle, KindComparison::Exact)) {
    return " TO_DATE('" + FormatDate(Variant(Now()), "YYYY/MM/DD hh:mm:ss") +
           "' , 'YYYY/MM/DD hh24:mi:ss') , ";
  }
  return " '2002/01/01' , ";
}

void WriteRow(const std::string& sql, const std::string& connection_string,
              const db::CallLimits& limits) noexcept {
  try {
    db::Recordset recordset;
    recordset.Open(sql, connection_string, limits);
  } catch (...) {
    // The log is a trace of failures; failing to write it must not become
    // a failure of the caller.
  }
}

}  // namespace

MessageLogHold::MessageLogHold(const CallContext& call) noexcept
    : held_(call.held_log()), limits_(call.limits()) {
  const std::lock_guard lock(held_.mutex);
  ++held_.holds;
}

MessageLogHold::~MessageLogHold() {
  std::vector<std::pair<std::string, std::string>> rows;
  {
    const std::lock_guard lock(held_.mutex);
    if (--held_.holds > 0) return;
    rows.swap(held_.rows);
  }
  for (const auto& [sql, connection_string] : rows) WriteRow(sql, connection_string, limits_);
}

std::string MessageLogStatement(const Variant& database_kind, const Variant& connection_string,
                                const Variant& user, const Variant& message_type,
                                const Variant& text) {
  if (TrimmedText(database_kind).empty() || TrimmedText(connection_string).empty()) return {};
  Variant user_number = WholeNumberOrZero(user);
  Variant type_number = WholeNumberOrZero(message_type);
  std::string filtered = mRetira_Caracteres(TextOrEmpty(text));
  if (filtered.empty()) return {};

  std::string sql = std::string("INSERT INTO LOG_MSG ") + "( TAB_TIPO_MSG_ID," +
                    " USUARIO_INTERNET_ID , " + " DATA_LOG    , " + " MSG01       , " +
                    " MSG02       , " + " MSG03       , " + " MSG04       , " +
                    " MSG05       ) " + " VALUES ( ";
  sql += CStr(mTrata_Numero_SQL(type_number)) + " , ";
  sql += CStr(mTrata_Numero_SQL(user_number)) + " , ";
  sql += TimeExpression(database_kind);
  for (size_t piece = 0; piece < kPieceCount; ++piece) {
    if (piece > 0) sql += " , ";
    sql += CStr(mTrata_Texto_SQL(Variant(Mid(filtered, piece * kPieceLength + 1, kPieceLength))));
  }
  sql += " ) ";
  return sql;
}

void gGrava_Log_Msg(const Variant& database_kind, const Variant& connection_string,
                    const Variant& user, const Variant& message_type, const Variant& text) {
  try {
    std::string sql =
        MessageLogStatement(database_kind, connection_string, user, message_type, text);
    if (sql.empty()) return;
    WriteRow(sql, CStr(connection_string), db::CallLimits::OutsideAnyCall());
  } catch (...) {
    // The log is a trace of failures; failing to write it must not become
    // a failure of the caller.
  }
}

void gGrava_Log_Msg(const CallContext& call, const Variant& database_kind,
                    const Variant& message_type, const Variant& text) {
  try {
    std::string sql = MessageLogStatement(database_kind, call.connection_string(), call.user(),
                                          message_type, text);
    if (sql.empty()) return;
    HeldLogRows& held = call.held_log();
    {
      const std::lock_guard lock(held.mutex);
      if (held.holds > 0) {
        held.rows.emplace_back(std::move(sql), CStr(call.connection_string()));
        return;
      }
    }
    WriteRow(sql, CStr(call.connection_string()), call.limits());
  } catch (...) {
    // The log is a trace of failures; failing to write it must not become
    // a failure of the caller.
  }
}

}  // namespace tpl
