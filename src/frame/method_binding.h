// Binding a member function for late binding. From a member pointer such as
// &TPL::gExecutar_Query the compiler derives what the method table shows of
// it (the number of parameters, the result kind, each parameter's type) and
// one generic adapter that calls it with an argument list:
//
//   Bind<&TPL::gGrava_Filtro>(0x60030010, "gGrava_Filtro",
//                             {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
//                              MessageSlot("outvntMsg_Ret"), Kind("invntBase_dados"),
//                              "invntTemplate_id", ...})
//
// The four parameters of the call's context are marked with their role;
// a bare name is an ordinary parameter. Bind runs at compile time only. A
// name list of the wrong length, a typed parameter whose name does not say
// its type, or a method without exactly one parameter of each of the four
// roles (for TPL) stops the build.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "tpl/tpl.h"
#include "tpl/variant.h"

namespace tpl {

template <typename>
inline constexpr bool kUnsupportedType = false;

// The parameter types a public method may have, each taken by reference.
template <typename Parameter>
struct ParameterKind {
  static_assert(kUnsupportedType<Parameter>,
                "a method parameter is Variant&, int32_t& or std::string&");
};
template <>
struct ParameterKind<Variant&> {
  static constexpr ParameterType value = ParameterType::Variant;
};
template <>
struct ParameterKind<int32_t&> {
  static constexpr ParameterType value = ParameterType::Long;
};
template <>
struct ParameterKind<std::string&> {
  static constexpr ParameterType value = ParameterType::String;
};

template <typename Result>
struct ResultKind {
  static_assert(kUnsupportedType<Result>, "a method answers a Variant or a bool");
};
template <>
struct ResultKind<Variant> {
  static constexpr ResultType value = ResultType::Variant;
};
template <>
struct ResultKind<bool> {
  static constexpr ResultType value = ResultType::Boolean;
};

template <typename Member>
struct MemberSignature;

template <typename Class, typename Result, typename... Parameters>
struct MemberSignature<Result (Class::*)(Parameters...)> {
  using Object = Class;
  static constexpr size_t kArity = sizeof...(Parameters);
  static constexpr ResultType kResult = ResultKind<Result>::value;
  static constexpr std::array<ParameterType, kArity> kParameters = {
      ParameterKind<Parameters>::value...};
};

// How a typed parameter's name says its type: "lng" or "str", in any case,
// at the start or after a direction prefix ("in", "out", "io"), as in
// inlngLOG_GERADOR_ID, InStrTxt_Query, OutStrParametros. The rule holds
// one way only: Variant parameters carry such prefixes too
// (gBusca_Arquivo_Xml's instrConecta_db is a Variant).
constexpr bool StartsWithNoCase(std::string_view text, std::string_view lower_prefix) {
  if (text.size() < lower_prefix.size()) return false;
  for (size_t i = 0; i < lower_prefix.size(); ++i) {
    const char c = text[i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != lower_prefix[i]) return false;
  }
  return true;
}

constexpr bool NameSaysType(std::string_view name, ParameterType type) {
  std::string_view marker;
  switch (type) {
    case ParameterType::Variant:
      return true;
    case ParameterType::Long:
      marker = "lng";
      break;
    case ParameterType::String:
      marker = "str";
      break;
  }
  if (StartsWithNoCase(name, marker)) return true;
  for (std::string_view direction : {"in", "out", "io"}) {
    if (StartsWithNoCase(name, direction) &&
        StartsWithNoCase(name.substr(direction.size()), marker)) {
      return true;
    }
  }
  return false;
}

// Not constexpr on purpose: reaching one while Bind runs stops the build,
// and the compiler's message names it.
inline void TypedParameterNameLacksLngOrStrPrefix() {}
inline void MethodLacksOneParameterOfEachContextRole() {}

// One entry of a row's name list: a name and its role.
struct NamedParameter {
  std::string_view name;
  ParameterRole role = ParameterRole::Ordinary;
  consteval NamedParameter(const char* ordinary_name) : name(ordinary_name) {}
  consteval NamedParameter(std::string_view role_name, ParameterRole parameter_role)
      : name(role_name), role(parameter_role) {}
};

consteval NamedParameter Connection(const char* name) { return {name, ParameterRole::Connection}; }
consteval NamedParameter Kind(const char* name) { return {name, ParameterRole::DatabaseKind}; }
consteval NamedParameter MessageSlot(const char* name) {
  return {name, ParameterRole::MessageSlot};
}
consteval NamedParameter User(const char* name) { return {name, ParameterRole::User}; }

// A typed parameter lent to the member: a local int32_t or std::string
// read from the converted argument, written back into the argument when
// the call ends, also when the member throws. Variant parameters are
// passed straight through.
template <typename Parameter>
class LentArgument;

template <>
class LentArgument<Variant&> {
 public:
  explicit LentArgument(Variant& argument) : argument_(argument) {}
  Variant& get() { return argument_; }

 private:
  Variant& argument_;
};

template <>
class LentArgument<int32_t&> {
 public:
  explicit LentArgument(Variant& argument) : argument_(argument), value_(argument.AsLong()) {}
  LentArgument(const LentArgument&) = delete;
  LentArgument& operator=(const LentArgument&) = delete;
  ~LentArgument() { argument_ = Variant::Long(value_); }
  int32_t& get() { return value_; }

 private:
  Variant& argument_;
  int32_t value_;
};

template <>
class LentArgument<std::string&> {
 public:
  explicit LentArgument(Variant& argument) : argument_(argument), value_(argument.AsString()) {}
  LentArgument(const LentArgument&) = delete;
  LentArgument& operator=(const LentArgument&) = delete;
  ~LentArgument() { argument_ = Variant(std::move(value_)); }
  std::string& get() { return value_; }

 private:
  Variant& argument_;
  std::string value_;
};

template <typename Class>
using MethodAdapter = Variant (*)(Class& instance, std::vector<Variant>& args);

// Calls Member with args, which holds exactly its parameters, typed ones
// already converted to Long or String.
template <auto Member>
Variant CallMember(typename MemberSignature<decltype(Member)>::Object& instance,
                   std::vector<Variant>& args) {
  return [&]<typename Result, typename Class, typename... Parameters>(
             Result (Class::*)(Parameters...)) {
    return [&]<size_t... Index>(std::index_sequence<Index...>) {
      std::tuple<LentArgument<Parameters>...> lent(args[Index]...);
      return Variant((instance.*Member)(std::get<Index>(lent).get()...));
    }(std::index_sequence_for<Parameters...>{});
  }(Member);
}

// What the method table keeps of a method, with its adapter.
template <typename Class>
struct BoundMethod {
  MethodInfo info;
  MethodAdapter<Class> call;
};

// The compile-time form of a table row; it becomes a BoundMethod when the
// table is built.
template <typename Class, size_t Arity>
struct MethodRow {
  int32_t dispatch_id;
  std::string_view name;
  ResultType result;
  std::array<ParameterInfo, Arity> parameters;
  MethodAdapter<Class> call;

  operator BoundMethod<Class>() const {
    return {{dispatch_id, name, result, {parameters.begin(), parameters.end()}}, call};
  }
};

// `names` are the parameter names in interface order, with their roles.
template <auto Member, size_t NameCount>
consteval auto Bind(int32_t dispatch_id, std::string_view name,
                    const NamedParameter (&names)[NameCount]) {
  using Signature = MemberSignature<decltype(Member)>;
  static_assert(NameCount == Signature::kArity,
                "the name list must name every parameter of the member, no more");
  MethodRow<typename Signature::Object, NameCount> row{
      dispatch_id, name, Signature::kResult, {}, &CallMember<Member>};
  int roles_marked[5] = {};
  for (size_t i = 0; i < NameCount; ++i) {
    const ParameterType type = Signature::kParameters[i];
    if (!NameSaysType(names[i].name, type)) TypedParameterNameLacksLngOrStrPrefix();
    row.parameters[i] = {names[i].name, type, names[i].role};
    ++roles_marked[static_cast<int>(names[i].role)];
  }
  if constexpr (std::is_same_v<typename Signature::Object, TPL>) {
    for (ParameterRole role : {ParameterRole::Connection, ParameterRole::DatabaseKind,
                               ParameterRole::MessageSlot, ParameterRole::User}) {
      if (roles_marked[static_cast<int>(role)] != 1) MethodLacksOneParameterOfEachContextRole();
    }
  }
  return row;
}

}  // namespace tpl
