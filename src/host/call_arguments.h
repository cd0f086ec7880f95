// A call made from JSON, as `tpl call` and `tpl serve` make it: the JSON
// array read to the Variants handed to TPL::Invoke, the call, and the
// answer. Everything Invoke would refuse as a call it cannot make (wrong
// count, a typed parameter given a value that does not convert) is refused
// here first, so that an error raised by Invoke always comes from inside
// the method.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/json_document.h"
#include "tpl/runtime_error.h"
#include "tpl/tpl.h"
#include "tpl/variant.h"

namespace tpl::host {

// Raises InputError naming the argument at fault.
std::vector<Variant> DecodeCallArguments(const MethodInfo& method, const Json& document);

// What a call came to: the method's result, or the error it raised.
struct CallOutcome {
  Variant result;
  std::optional<RuntimeError> raised;
};

// Makes the call on a TPL of its own; the arguments hold what the method
// left in them.
CallOutcome MakeCall(const MethodInfo& method, std::vector<Variant>& arguments);

// True when the method returned the Integer 0, the result code of success.
bool ReturnedSuccess(const CallOutcome& outcome);

// The answer of a call: {"result":V,"args":[...]}, or
// {"raised":{"number":N,"description":"..."},"args":[...]} when the method
// raised (an error raised by the method is part of the answer). As compact
// text written directly, or as a tree for answers changed before they are
// written.
std::string CallAnswerText(const CallOutcome& outcome, const std::vector<Variant>& arguments);
Json CallAnswerJson(const CallOutcome& outcome, const std::vector<Variant>& arguments);

// The answer as text. Texts coming back from a database need not be valid
// UTF-8; such bytes are replaced rather than losing the whole answer.
std::string AnswerText(const Json& answer, bool pretty = false);

// The method table as `tpl methods --json` prints it.
Json MethodTableJson();

// Names of parameter and result types as `tpl` shows them, in refusals and
// in `tpl methods`, and of the parameters' roles ("connection", "kind",
// "message", "user"; `tpl methods` names no role for an ordinary one).
std::string_view TypeName(ParameterType type);
std::string_view TypeName(ResultType type);
std::string_view RoleName(ParameterRole role);

// Overwrites the parameters of the connection-string and Database-kind
// roles with `connection` and `kind`, each when given: the database a host
// imposes on every call (`tpl serve`, `tpl call --database`).
void ImposeDatabase(const MethodInfo& method, std::vector<Variant>& arguments,
                    const std::optional<std::string>& connection,
                    const std::optional<std::string>& kind);

// Dispatch identifiers as the interface description writes them: eight
// hexadecimal digits, 60030010.
std::string HexDispatchId(int32_t id);

}  // namespace tpl::host
