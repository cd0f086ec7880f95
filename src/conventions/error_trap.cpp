#include "conventions/error_trap.h"

#include <new>
#include <string>

#include "conventions/value_helpers.h"
#include "conventions/message_log.h"
#include "sentences/sentences.h"

namespace tpl {
namespace {

constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kInternalError = 51;

}  // namespace

RuntimeError CurrentFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(kOutOfMemory, std::string(sentences::kOutOfMemory));
  } catch (const std::exception& error) {
    return RuntimeError(kInternalError, Compose(sentences::kInternalErrorWith, error.what()));
  } catch (...) {
    return RuntimeError(kInternalError, std::string(sentences::kInternalError));
  }
}

std::string MethodDetail(const MethodTrap& trap, const RuntimeError& error) {
  std::string detail = std::string(trap.label) + error.description() + " : " +
                       std::to_string(error.number()) + " ) " + " no nº " +
                       std::to_string(error.line());
  if (trap.ends_with_sql) detail += " strSq: ";
  return detail;
}

std::string RoutineDetail(const RoutineTrap& trap, const RuntimeError& error,
                          std::string_view sql) {
  return std::string(trap.label) + error.description() + " : " + std::to_string(error.number()) +
         ")  " + std::string(trap.line_marker) + std::to_string(error.line()) +
         std::string(trap.text_marker) + std::string(sql);
}

bool IsDetailUser(const Variant& user) { return NumberEquals(user, 1); }

void HandleMethodFailure(const MethodTrap& trap, const RuntimeError& error,
                         const CallContext& call) {
  std::string sentence(trap.sentence);
  std::string detail = MethodDetail(trap, error);
  // The first form always logs as SQL Server, whatever the caller's kind.
  gGrava_Log_Msg(call, Variant(kSqlServerKind), Variant(kErrorMessageType),
                 Variant(sentence + detail));
  call.message() = Variant(IsDetailUser(call.user()) ? sentence + detail : sentence);
}

void HandleRoutineFailure(const RoutineTrap& trap, const RuntimeError& error, std::string_view sql,
                          const CallContext& call) {
  std::string sentence(trap.sentence);
  std::string detail = RoutineDetail(trap, error, sql);
  gGrava_Log_Msg(call, call.database_kind(), Variant(kErrorMessageType),
                 Variant(sentence + detail));
  call.message() = Variant(IsDetailUser(call.user()) ? sentence + detail : sentence);
}

}  // namespace tpl
