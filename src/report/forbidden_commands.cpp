#include "report/forbidden_commands.h"

#include <array>
#include <string>

#include "tpl/text.h"

namespace tpl {
namespace {

constexpr std::array<std::string_view, 10> kForbiddenWords = {
    "DELETE ", "UPDATE ", "INSERT ",  "TRUNCATE ", "CREATE ",
    "ALTER ",  "DROP ",   "BEGIN ",   "TRIGGER ",  "SET "};

}  // namespace

bool ContainsForbiddenCommand(std::string_view query) {
  std::string text = UCase(Trim(query));
  for (std::string_view word : kForbiddenWords) {
    if (InStr(text, word) > 0) return true;
  }
  return false;
}

}  // namespace tpl
