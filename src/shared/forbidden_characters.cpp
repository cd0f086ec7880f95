#include <string_view>

#include "shared/value_helpers.h"
#include "tpl/text.h"

namespace tpl {

std::string mRetira_Caracteres(std::string_view text) {
  if (Trim(text).empty()) return {};
  // All the characters are ASCII, so dropping bytes never splits a UTF-8
  // sequence.
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (kForbiddenCharacters.find(c) == std::string_view::npos) kept.push_back(c);
  }
  return kept;
}

}  // namespace tpl
