// Translation of ODBC diagnostics into the library's RuntimeError. Every
// failed ODBC call of this provider ends here, so the error number, the
// message and the SQLSTATE are chosen in one place.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/odbc/odbc_handle.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {

// Number given to a failure whose diagnostic carries no native error
// (driver-manager failures such as an unknown driver or DSN). It is
// 0x80004005, the "unspecified error" that ADO reports in the same case.
inline constexpr int32_t kUnspecifiedOdbcError = -2147467259;

struct DiagnosticRecord {
  std::string sql_state;  // five characters, "42S02"
  int32_t native_error = 0;
  std::string message;
};

// The diagnostic records the last call on `handle` left, in the driver's order.
std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// The error for a failed call. The first record that is not a warning
// (SQLSTATE class "01") gives the number and SQLSTATE; the description joins
// the messages of all records. SQLSTATE HYT00 or HYT01 on any record means
// the time-out expired and gives error::kCommandTimeout.
RuntimeError ToRuntimeError(const std::vector<DiagnosticRecord>& records);

// Raises the diagnostics of `handle` unless `rc` reports success.
void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle);

template <SQLSMALLINT kType>
void Check(SQLRETURN rc, const OdbcHandle<kType>& handle) {
  Check(rc, kType, handle.get());
}

}  // namespace tpl::db::odbc
