#include "workbook/xlsxwriter_library.h"

#include <mutex>
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

// Opens `file` and looks up every function; with `bind`, sets the pointers
// and keeps the library open for the process. Answers why it failed, or
// nothing.
std::string Open(const char* file, bool bind) {
  std::vector<void*> addresses;
  std::string why = OpenLibrary(file, kFunctionNames, addresses, bind);
  if (!why.empty() || !bind) return why;
  size_t next = 0;
#define TPL_XLSXWRITER_BIND(name) name = FunctionAt<decltype(name)>(addresses[next++]);
  TPL_XLSXWRITER_FUNCTIONS(TPL_XLSXWRITER_BIND)
#undef TPL_XLSXWRITER_BIND
  return {};
}

[[noreturn]] void Fail(const std::string& why) {
  throw RuntimeError(kSpreadsheetError, Compose(sentences::kSpreadsheetLibraryNotLoaded, why));
}

}  // namespace

void RequireXlsxwriter() {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] { failure = Open(kXlsxwriter, true); });
  if (!failure.empty()) Fail(failure);
}

#ifdef TPL_TESTABLE
std::string XlsxwriterFailureForTesting(const char* file) {
  const std::string why = Open(file, false);
  if (why.empty()) return why;
  try {
    Fail(why);
  } catch (const RuntimeError& error) {
    return error.description();
  }
}
#endif

}  // namespace tpl::workbook
