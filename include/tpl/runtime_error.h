// The one exception type of the library. Every run-time failure (a bad
// conversion, an index outside an array, a database error) travels as a
// RuntimeError carrying a number and a description, and is caught by the
// error trap of the routine that was running. Database errors keep the
// provider's own number; a command time-out is kCommandTimeout.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace tpl {

// Numbers of the run-time errors raised by the platform layer itself.
namespace error {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kMethodNotSupported = 438;
inline constexpr int32_t kWrongArgumentCount = 450;
inline constexpr int32_t kKeyAlreadyExists = 457;     // dictionary key added twice
inline constexpr int32_t kItemNotFound = 3265;        // field or item name unknown
inline constexpr int32_t kProviderNotFound = 3706;    // connection string names no provider
inline constexpr int32_t kObjectClosed = 3704;        // operation on a closed object
inline constexpr int32_t kNoCurrentRecord = 3021;     // BOF or EOF, or the record was deleted
inline constexpr int32_t kCommandTimeout = -2147217871;  // 0x80040E31
inline constexpr int32_t kCommandTextError = -2147217900;  // 0x80040E14: a text no server runs
}  // namespace error

class RuntimeError : public std::exception {
 public:
  RuntimeError(int32_t number, std::string description, int32_t line = 0,
               std::string sql_state = {})
      : number_(number), description_(std::move(description)), line_(line),
        sql_state_(std::move(sql_state)) {}

  int32_t number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  // Line of the failing statement where known, 0 otherwise.
  int32_t line() const noexcept { return line_; }
  // SQLSTATE of an ODBC diagnostic; empty for other errors.
  const std::string& sql_state() const noexcept { return sql_state_; }

  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
  int32_t line_;
  std::string sql_state_;
};

// Raises one of the platform's numbered errors with its standard description
// (Portuguese, as the platform's regional settings dictate). The line is the
// source line of the raising statement: __builtin_LINE, which GCC and clang
// both evaluate at the call, as std::source_location cannot be used with
// clang 14 and this standard library.
[[noreturn]] void Raise(int32_t number, int32_t line = __builtin_LINE());

// Standard description of a platform error number ("Estouro" for 6, ...).
// A number without a description of its own gives the platform's
// "Erro definido pelo aplicativo ou pelo objeto".
std::string StandardDescription(int32_t number);

}  // namespace tpl
