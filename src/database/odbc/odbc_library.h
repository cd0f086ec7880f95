// The ODBC driver manager (unixODBC's libodbc), opened when the first ODBC
// session is made rather than linked.
//
// Linked, it would be loaded with every program of the library at start,
// `tpl call` on the embedded database included, though only "Driver=" and
// "DSN=" connection strings use it. So the functions the provider calls are
// pointers of the same names and types as those of <sql.h>, declared in
// this namespace, where they hide the global ones: the provider's code calls
// them as it would call the driver manager, and a call that slipped past
// them would name the global function and fail to link, the driver manager
// being no longer on the link line. They are set by RequireDriverManager
// and stay null until then.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace tpl::db::odbc {

// Opens the driver manager once per process and binds the functions below.
// Raises a RuntimeError with a sentence saying that the driver manager could
// not be loaded, and why, when the library or one of its functions is
// missing (then every later call raises the same).
void RequireDriverManager();

#define TPL_ODBC_FUNCTIONS(X)                                                                      \
  X(SQLAllocHandle) X(SQLBindParameter) X(SQLCancel) X(SQLColAttribute) X(SQLColumns)              \
  X(SQLDescribeCol) X(SQLDisconnect) X(SQLDriverConnect) X(SQLEndTran) X(SQLExecDirect) X(SQLFetch) \
  X(SQLFreeHandle) X(SQLGetConnectAttr) X(SQLGetData) X(SQLGetDiagRec) X(SQLGetInfo)               \
  X(SQLGetStmtAttr) X(SQLMoreResults) X(SQLNumResultCols) X(SQLSetConnectAttr) X(SQLSetEnvAttr)     \
  X(SQLSetStmtAttr)

#define TPL_ODBC_DECLARE(name) extern decltype(&::name) name;
TPL_ODBC_FUNCTIONS(TPL_ODBC_DECLARE)
#undef TPL_ODBC_DECLARE

#ifdef TPL_TESTABLE
// What RequireDriverManager would answer if the driver manager were the
// library `file`: empty when it opens and has every function, otherwise
// the description of the error it would raise. Binds nothing.
std::string DriverManagerFailureForTesting(const char* file);
#endif

}  // namespace tpl::db::odbc
