// Raising the platform's numbered errors with their standard descriptions.
#include "tpl/runtime_error.h"

#include <string_view>

#include "sentences/sentences.h"

namespace tpl {
namespace {

struct Description {
  int32_t number;
  std::string_view text;
};

// The descriptions the platform gives under Brazilian Portuguese settings.
constexpr Description kDescriptions[] = {
    {error::kInvalidProcedureCall, sentences::kInvalidProcedureCallDescription},
    {error::kOverflow, sentences::kOverflowDescription},
    {error::kSubscriptOutOfRange, sentences::kSubscriptOutOfRangeDescription},
    {error::kTypeMismatch, sentences::kTypeMismatchDescription},
    {error::kObjectNotSet, sentences::kObjectNotSetDescription},
    {error::kInvalidUseOfNull, sentences::kInvalidUseOfNullDescription},
    {error::kMethodNotSupported, sentences::kMethodNotSupportedDescription},
    {error::kWrongArgumentCount, sentences::kWrongArgumentCountDescription},
    {error::kKeyAlreadyExists, sentences::kKeyAlreadyExistsDescription},
    {error::kItemNotFound, sentences::kItemNotFoundDescription},
    {error::kObjectClosed, sentences::kObjectClosedDescription},
    {error::kProviderNotFound, sentences::kProviderNotFoundDescription},
    {error::kNoCurrentRecord, sentences::kNoCurrentRecordDescription},
};

}  // namespace

std::string StandardDescription(int32_t number) {
  for (const Description& d : kDescriptions) {
    if (d.number == number) return std::string(d.text);
  }
  return std::string(sentences::kUnknownErrorDescription);
}

void Raise(int32_t number, int32_t line) {
  throw RuntimeError(number, StandardDescription(number), line);
}

}  // namespace tpl
