#include "platform/odbc/odbc_error.h"

#include <sqlext.h>

#include <algorithm>

namespace tpl::db::odbc {
namespace {

bool IsWarning(const DiagnosticRecord& record) { return record.sql_state.starts_with("01"); }

bool IsTimeout(const DiagnosticRecord& record) {
  return record.sql_state == "HYT00" || record.sql_state == "HYT01";
}

}  // namespace

std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    std::string message(512, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handle_type, handle, number, state, &native,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (length >= static_cast<SQLSMALLINT>(message.size())) {
      // The message did not fit: ask again with room for all of it.
      message.assign(static_cast<size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handle_type, handle, number, state, &native,
                         reinterpret_cast<SQLCHAR*>(message.data()),
                         static_cast<SQLSMALLINT>(message.size()), &length);
      if (!SQL_SUCCEEDED(rc)) break;
    }
    message.resize(std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)),
                                    message.size() - 1));
    records.push_back({reinterpret_cast<const char*>(state), native, std::move(message)});
  }
  return records;
}

RuntimeError ToRuntimeError(const std::vector<DiagnosticRecord>& records) {
  if (records.empty()) {
    return RuntimeError(kUnspecifiedOdbcError, "Falha na chamada ODBC, sem diagnóstico do driver");
  }
  auto primary = std::find_if(records.begin(), records.end(),
                              [](const DiagnosticRecord& r) { return !IsWarning(r); });
  if (primary == records.end()) primary = records.begin();

  std::string description;
  for (const DiagnosticRecord& record : records) {
    if (record.message.empty()) continue;
    if (!description.empty()) description += "; ";
    description += record.message;
  }

  auto timeout = std::find_if(records.begin(), records.end(), IsTimeout);
  if (timeout != records.end()) {
    return RuntimeError(error::kCommandTimeout, std::move(description), 0, timeout->sql_state);
  }
  const int32_t number = primary->native_error != 0 ? primary->native_error : kUnspecifiedOdbcError;
  return RuntimeError(number, std::move(description), 0, primary->sql_state);
}

void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle) {
  if (SQL_SUCCEEDED(rc)) return;
  throw ToRuntimeError(ReadDiagnostics(handle_type, handle));
}

}  // namespace tpl::db::odbc
