// libxlsxwriter, opened when the first workbook is made rather than linked.
//
// Linked, it would be loaded with every program of the library at start,
// and with it minizip and the TLS library's libcrypto, though only a
// spreadsheet export or a worker's workbook needs it. So the functions
// workbook.cpp calls are pointers of the same names and types as those of
// <xlsxwriter.h>, declared in this namespace, where they hide the global
// ones: the code calls them as it would call libxlsxwriter, and a call that
// slipped past them would name the global function and fail to link,
// libxlsxwriter being no longer on the link line. They are set by
// RequireXlsxwriter and stay null until then. For workbook.cpp alone.
#pragma once

#include <xlsxwriter.h>

#include <string>

namespace tpl::workbook {

// Opens libxlsxwriter once per process and binds the functions below.
// Raises the spreadsheet's error 1004 with a sentence saying that the
// library could not be loaded, and why, when it or one of its functions is
// missing (then every later call raises the same).
void RequireXlsxwriter();

#define TPL_XLSXWRITER_FUNCTIONS(X)                                                        \
  X(format_set_align) X(format_set_bold) X(format_set_num_format)                          \
  X(format_set_num_format_index) X(lxw_strerror) X(lxw_workbook_free) X(workbook_add_format) \
  X(workbook_add_worksheet) X(workbook_close) X(workbook_new_opt) X(worksheet_activate)      \
  X(worksheet_add_table) X(worksheet_autofilter) X(worksheet_merge_range)                    \
  X(worksheet_set_column) X(worksheet_set_selection) X(worksheet_write_blank)              \
  X(worksheet_write_boolean) X(worksheet_write_number) X(worksheet_write_string)

#define TPL_XLSXWRITER_DECLARE(name) extern decltype(&::name) name;
TPL_XLSXWRITER_FUNCTIONS(TPL_XLSXWRITER_DECLARE)
#undef TPL_XLSXWRITER_DECLARE

#ifdef TPL_TESTABLE
// What RequireXlsxwriter would answer if libxlsxwriter were the library
// `file`: empty when it opens and has every function, otherwise the
// description of the error it would raise. Binds nothing.
std::string XlsxwriterFailureForTesting(const char* file);
#endif

}  // namespace tpl::workbook
