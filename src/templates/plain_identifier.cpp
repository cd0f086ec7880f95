#include "templates/plain_identifier.h"

namespace tpl {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsPlainIdentifier(std::string_view name) {
  if (name.empty() || !IsLetter(name.front())) return false;
  for (char c : name) {
    if (!IsLetter(c) && !IsDigit(c)) return false;
  }
  return true;
}

bool IsQualifiedIdentifier(std::string_view name) {
  size_t start = 0;
  while (true) {
    size_t dot = name.find('.', start);
    if (!IsPlainIdentifier(name.substr(start, dot == std::string_view::npos ? dot : dot - start)))
      return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

}  // namespace tpl
