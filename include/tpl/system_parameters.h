// The catalogue of the system parameters: the rows of the database table
// Tab_Parametro_Sistema that the library reads, one text value
// (`Parametro`) per numeric identifier. Limits, switches and folders live
// there instead of being compiled in. Each identifier stands here once,
// with what it means and what happens when its row is missing; code names
// the entry (system_parameters::kMaxScreenLines), never the number.
//
// A host that reads one of them itself (the service reads the screen limit
// and the workbook folder through gBusca_Arquivo_Xml) names the entry too.
//
// tests/conventions/system_parameters_test.cpp checks that every entry is read
// somewhere in src/ and that no source writes an identifier as a number.
#pragma once

#include <cstdint>
#include <string_view>

// X(name, identifier, meaning, when the row is missing)
#define TPL_SYSTEM_PARAMETERS(X)                                                                  \
  X(kCommandTimeout, 2001780, "time-out of a report's query, in seconds",                         \
    "90 seconds; also when the text is no number or the lookup fails")                            \
  X(kTimeoutToEmail, 15000,                                                                       \
    "\"S\": a report whose query runs out of time becomes an e-mail request",                     \
    "the time-out fails the report like any other failure")                                       \
  X(kZeroDisplay, 7018, "\"S\": a zero in a decimal column shows as 0,00 (screen and files)",     \
    "a zero shows empty")                                                                         \
  X(kMaxScreenLines, 23042,                                                                       \
    "largest line count shown on screen; a longer result goes to a background job",               \
    "reads as 0: every result with rows goes to a background job; a failed lookup stops the run") \
  X(kMaxScreenColumns, 5070,                                                                      \
    "largest number of result columns shown on screen; a wider result goes to a background job",  \
    "reads as 0: every result goes to a background job; a failed lookup stops the run")           \
  X(kWorkbookFolder, 23017,                                                                       \
    "what a workbook's file name is put after: a folder with its closing \"/\"",                  \
    "the current directory; a failed lookup stops the export")                                    \
  X(kWorkbookNamePrefix, 23018, "what the workbook name returned to the host starts with",        \
    "the bare name")                                                                              \
  X(kWorkbookUnusedA, 23022, "read by the workbook export; its value is not used",                \
    "nothing; a failed lookup stops the export")                                                  \
  X(kWorkbookUnusedB, 6408, "read by the workbook export; its value is not used",                 \
    "nothing; a failed lookup stops the export")                                                  \
  X(kSupplierGroupLookup, 2001849,                                                                \
    "\"S\": the e-mail lookup of a job hand-over also knows supplier-group users",                \
    "only the users' own addresses; a failed lookup stops the hand-over")                         \
  X(kSupportMailbox, 2001850, "address that receives the report of a user without an e-mail",     \
    "suporte@localhost")

namespace tpl {

struct SystemParameter {
  int32_t id;
  std::string_view name;
  std::string_view meaning;
  std::string_view when_missing;
};

namespace system_parameters {
#define TPL_DECLARE_SYSTEM_PARAMETER(name, id, meaning, when_missing) \
  inline constexpr SystemParameter name{id, #name, meaning, when_missing};
TPL_SYSTEM_PARAMETERS(TPL_DECLARE_SYSTEM_PARAMETER)
#undef TPL_DECLARE_SYSTEM_PARAMETER
}  // namespace system_parameters

}  // namespace tpl
