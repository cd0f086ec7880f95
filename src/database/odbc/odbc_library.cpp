#include "database/odbc/odbc_library.h"

#include <dlfcn.h>

#include <mutex>

#include "database/odbc/odbc_provider.h"
#include "sentences/sentences.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {

#define TPL_ODBC_DEFINE(name) decltype(&::name) name = nullptr;
TPL_ODBC_FUNCTIONS(TPL_ODBC_DEFINE)
#undef TPL_ODBC_DEFINE

namespace {

// unixODBC's driver manager under the name its package installs for
// programs (the unversioned name comes only with the -dev package).
constexpr const char* kDriverManager = "libodbc.so.2";

// Opens `file` and looks up every function; with `bind`, sets the pointers
// and keeps the library open for the process. Answers why it failed, or
// nothing. RTLD_LOCAL: the drivers the manager loads find their own entry
// points (named like the manager's) rather than the manager's.
std::string Open(const char* file, bool bind) {
  void* library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    return why != nullptr ? why : file;
  }
  std::string missing;
#define TPL_ODBC_BIND(name)                                     \
  if (void* function = dlsym(library, #name)) {                 \
    if (bind) name = reinterpret_cast<decltype(name)>(function); \
  } else if (missing.empty()) {                                 \
    missing = #name;                                            \
  }
  TPL_ODBC_FUNCTIONS(TPL_ODBC_BIND)
#undef TPL_ODBC_BIND
  if (!bind) dlclose(library);
  if (!missing.empty()) return Compose(sentences::kLibraryLacksFunction, file, missing);
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
