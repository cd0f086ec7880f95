// The error traps that turn any run-time or database failure into the
// system's result and one sentence for the user.
//
// First form, for the public methods with a Variant result: the message
// slot receives the method's sentence, the sentence plus the technical
// detail is logged as a SQL Server message, and user 1 also sees the
// detail. The result stays 10.
//
// Second form, for the job methods, gBusca_Arquivo_Xml and the module
// routines: the same, but the detail ends with the SQL text the routine was
// about to run and the row is logged with the caller's own Database kind.
// The routine then reports failure.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "conventions/call_context.h"
#include "tpl/runtime_error.h"
#include "tpl/variant.h"

namespace tpl {

inline constexpr int16_t kResultFailed = 10;
inline constexpr int16_t kResultCompleted = 0;

struct MethodTrap {
  std::string_view sentence;
  std::string_view label;        // "KMBTPL01.gGrava_Filtro ( "
  bool ends_with_sql = false;    // the detail ends with " strSq: "
};

struct RoutineTrap {
  std::string_view sentence;
  std::string_view label;
  std::string_view line_marker = " No Nº ";   // " no nº " in a few routines
  std::string_view text_marker = " Strsq: ";  // what precedes the SQL text
};

// The failure being handled, whatever was thrown.
RuntimeError CurrentFailure(std::exception_ptr failure);

// Detail texts of the two forms.
std::string MethodDetail(const MethodTrap& trap, const RuntimeError& error);
std::string RoutineDetail(const RoutineTrap& trap, const RuntimeError& error,
                          std::string_view sql);

// True when the user is the one who is shown technical details.
bool IsDetailUser(const Variant& user);

// First form: fills the call's message slot and writes the log row.
void HandleMethodFailure(const MethodTrap& trap, const RuntimeError& error,
                         const CallContext& call);

// Second form: fills the call's message slot and writes the log row with
// the call's Database kind.
void HandleRoutineFailure(const RoutineTrap& trap, const RuntimeError& error, std::string_view sql,
                          const CallContext& call);

// Runs the work of a public method inside the first-form trap. The work
// returns true when it completed; the result is the Integer 0 or 10.
template <typename Work>
Variant RunMethod(const MethodTrap& trap, const CallContext& call, Work&& work) {
  try {
    if (work()) return Variant::Integer(kResultCompleted);
  } catch (...) {
    HandleMethodFailure(trap, CurrentFailure(std::current_exception()), call);
  }
  return Variant::Integer(kResultFailed);
}

// Runs a routine inside the second-form trap; `sql` is the routine's SQL
// text variable, read when a failure is reported. False after a failure.
template <typename Work>
bool RunRoutine(const RoutineTrap& trap, const std::string& sql, const CallContext& call,
                Work&& work) {
  try {
    return work();
  } catch (...) {
    HandleRoutineFailure(trap, CurrentFailure(std::current_exception()), sql, call);
    return false;
  }
}

}  // namespace tpl
