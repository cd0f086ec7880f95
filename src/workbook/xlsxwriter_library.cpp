#include "workbook/xlsxwriter_library.h"

#include <vector>

#include "workbook/workbook.h"
#include "sentences/sentences.h"
#include "values/library_loading.h"
#include "tpl/runtime_error.h"

namespace tpl::workbook {

#define TPL_XLSXWRITER_DEFINE(name) decltype(&::name) name = nullptr;
TPL_XLSXWRITER_FUNCTIONS(TPL_XLSXWRITER_DEFINE)
#undef TPL_XLSXWRITER_DEFINE

namespace {

// The name Debian's libxlsxwriter4 installs for programs (the unversioned
// name comes only with the -dev package).
constexpr const char* kXlsxwriter = "libxlsxwriter.so.4";

constexpr const char* kFunctionNames[] = {
#define TPL_XLSXWRITER_NAME(name) #name,
    TPL_XLSXWRITER_FUNCTIONS(TPL_XLSXWRITER_NAME)
#undef TPL_XLSXWRITER_NAME
};

// Why the library could not be loaded, as the error's description.
std::string Description(const std::string& why) { return Compose(sentences::kSpreadsheetLibraryNotLoaded, why); }

}  // namespace

void RequireXlsxwriter() {
  // Opened and bound once per process (a static's initialisation is
  // thread-safe); a failure is kept and raised again at every later call.
  static const std::string failure = [] {
    std::vector<void*> addresses;
    std::string why = OpenLibrary(kXlsxwriter, kFunctionNames, addresses, true);
    if (why.empty()) {
      size_t next = 0;
#define TPL_XLSXWRITER_BIND(name) name = FunctionAt<decltype(name)>(addresses[next++]);
      TPL_XLSXWRITER_FUNCTIONS(TPL_XLSXWRITER_BIND)
#undef TPL_XLSXWRITER_BIND
    }
    return why;
  }();
  if (!failure.empty()) throw RuntimeError(kSpreadsheetError, Description(failure));
}

#ifdef TPL_TESTABLE
std::string XlsxwriterFailureForTesting(const char* file) {
  std::vector<void*> unused;
  const std::string why = OpenLibrary(file, kFunctionNames, unused, false);
  return why.empty() ? why : Description(why);
}
#endif

}  // namespace tpl::workbook
