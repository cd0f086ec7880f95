// Late binding: look-up of methods by name or dispatch identifier, and
// calls with an argument list passed by reference.
#include <algorithm>
#include <cctype>

#include "frame/method_table.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

// Method names are ASCII; automation matches them without case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

const MethodEntry* FindEntry(std::string_view name) {
  for (const MethodEntry& entry : MethodEntries()) {
    if (SameName(entry.info.name, name)) return &entry;
  }
  return nullptr;
}

const MethodEntry* FindEntry(int32_t dispatch_id) {
  for (const MethodEntry& entry : MethodEntries()) {
    if (entry.info.dispatch_id == dispatch_id) return &entry;
  }
  return nullptr;
}

// Converts typed parameters in place, as automation does before the call,
// so that the method reads and writes back a Long or a String.
void CoerceTypedArguments(const MethodInfo& info, std::vector<Variant>& args) {
  for (size_t i = 0; i < info.parameters.size(); ++i) {
    switch (info.parameters[i].type) {
      case ParameterType::Long:
        args[i] = Variant::Long(CLng(args[i]));
        break;
      case ParameterType::String:
        if (args[i].IsNull()) Raise(error::kTypeMismatch);
        args[i] = Variant(CStr(args[i]));
        break;
      case ParameterType::Variant:
        break;
    }
  }
}

Variant Call(TPL& instance, const MethodEntry* entry, std::vector<Variant>& args) {
  if (entry == nullptr) Raise(error::kMethodNotSupported);
  if (args.size() != entry->info.parameters.size()) Raise(error::kWrongArgumentCount);
  CoerceTypedArguments(entry->info, args);
  return entry->call(instance, args);
}

}  // namespace

const std::vector<MethodInfo>& TPL::Methods() {
  static const std::vector<MethodInfo> methods = [] {
    std::vector<MethodInfo> specs;
    for (const MethodEntry& entry : MethodEntries()) specs.push_back(entry.info);
    return specs;
  }();
  return methods;
}

// The descriptions handed out point into Methods(), whatever entry matched.
const MethodInfo* TPL::FindMethod(std::string_view name) {
  const MethodEntry* entry = FindEntry(name);
  return entry ? &Methods()[entry - MethodEntries().data()] : nullptr;
}

const MethodInfo* TPL::FindMethod(int32_t dispatch_id) {
  const MethodEntry* entry = FindEntry(dispatch_id);
  return entry ? &Methods()[entry - MethodEntries().data()] : nullptr;
}

Variant TPL::Invoke(std::string_view name, std::vector<Variant>& args) {
  return Call(*this, FindEntry(name), args);
}

Variant TPL::Invoke(int32_t dispatch_id, std::vector<Variant>& args) {
  return Call(*this, FindEntry(dispatch_id), args);
}

}  // namespace tpl
