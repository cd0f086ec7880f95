#include "database/odbc/odbc_library.h"

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

// Why the library could not be loaded, as the error's description.
std::string Description(const std::string& why) { return Compose(sentences::kDriverManagerNotLoaded, why); }

}  // namespace

void RequireDriverManager() {
  // Opened and bound once per process (a static's initialisation is
  // thread-safe); a failure is kept and raised again at every later call.
  static const std::string failure = [] {
    std::vector<void*> addresses;
    std::string why = OpenLibrary(kDriverManager, kFunctionNames, addresses, true);
    if (why.empty()) {
      size_t next = 0;
#define TPL_ODBC_BIND(name) name = FunctionAt<decltype(name)>(addresses[next++]);
      TPL_ODBC_FUNCTIONS(TPL_ODBC_BIND)
#undef TPL_ODBC_BIND
    }
    return why;
  }();
  if (!failure.empty()) throw RuntimeError(kUnspecifiedOdbcError, Description(failure));
}

#ifdef TPL_TESTABLE
std::string DriverManagerFailureForTesting(const char* file) {
  std::vector<void*> unused;
  const std::string why = OpenLibrary(file, kFunctionNames, unused, false);
  return why.empty() ? why : Description(why);
}
#endif

}  // namespace tpl::db::odbc
