#include "database/odbc/odbc_library.h"

#include <mutex>
#include <vector>

#include "database/odbc/odbc_provider.h"
#include "sentences/sentences.h"
#include "values/library_loading.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {

#define TPL_ODBC_DEFINE(name) decltype(&::name) name = nullptr;
TPL_ODBC_FUNCTIONS(TPL_ODBC_DEFINE)
#undef TPL_ODBC_DEFINE

namespace {

// unixODBC's driver manager under the name its package installs for
// programs (the unversioned name comes only with the -dev package).
constexpr const char* kDriverManager = "libodbc.so.2";

constexpr const char* kFunctionNames[] = {
#define TPL_ODBC_NAME(name) #name,
    TPL_ODBC_FUNCTIONS(TPL_ODBC_NAME)
#undef TPL_ODBC_NAME
};

// Opens `file` and looks up every function; with `bind`, sets the pointers
// and keeps the library open for the process. Answers why it failed, or
// nothing.
std::string Open(const char* file, bool bind) {
  std::vector<void*> addresses;
  std::string why = OpenLibrary(file, kFunctionNames, addresses, bind);
  if (!why.empty() || !bind) return why;
  size_t next = 0;
#define TPL_ODBC_BIND(name) name = FunctionAt<decltype(name)>(addresses[next++]);
  TPL_ODBC_FUNCTIONS(TPL_ODBC_BIND)
#undef TPL_ODBC_BIND
  return {};
}

[[noreturn]] void Fail(const std::string& why) {
  throw RuntimeError(kUnspecifiedOdbcError, Compose(sentences::kDriverManagerNotLoaded, why));
}

}  // namespace

void RequireDriverManager() {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] { failure = Open(kDriverManager, true); });
  if (!failure.empty()) Fail(failure);
}

#ifdef TPL_TESTABLE
std::string DriverManagerFailureForTesting(const char* file) {
  const std::string why = Open(file, false);
  if (why.empty()) return why;
  try {
    Fail(why);
  } catch (const RuntimeError& error) {
    return error.description();
  }
}
#endif

}  // namespace tpl::db::odbc
