#include "host/json_document.h"

#include <set>
#include <string>
#include <vector>

namespace tpl::host {
namespace {

// Refuses a document nested deeper than the limit before the parser sees
// it: the parser recurses once per level and its error texts grow with the
// depth, so a hostile document could otherwise exhaust the stack or take
// minutes to be refused. Brackets inside strings do not count.
void CheckNesting(std::string_view text) {
  size_t depth = 0;
  bool in_string = false;
  bool escaped = false;
  for (char c : text) {
    if (in_string) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        in_string = false;
      }
      continue;
    }
    if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonNesting)
        throw InputError("JSON nested deeper than " + std::to_string(kMaxJsonNesting) +
                         " levels");
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
}

}  // namespace

Json ParseJsonDocument(std::string_view text) {
  CheckNesting(text);
  // One set of keys per object being read, innermost last.
  std::vector<std::set<std::string>> open_objects;
  auto reject_repeated_keys = [&open_objects](int, Json::parse_event_t event, Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start:
        open_objects.emplace_back();
        break;
      case Json::parse_event_t::object_end:
        open_objects.pop_back();
        break;
      case Json::parse_event_t::key: {
        const auto& key = parsed.get_ref<const std::string&>();
        if (!open_objects.back().insert(key).second) {
          throw InputError("key \"" + key + "\" appears twice in one object");
        }
        if (open_objects.back().size() > kMaxObjectKeys) {
          throw InputError("an object holds more than " + std::to_string(kMaxObjectKeys) + " keys");
        }
        break;
      }
      default:
        break;
    }
    return true;
  };
  try {
    return Json::parse(text, reject_repeated_keys);
  } catch (const Json::parse_error& e) {
    throw InputError(std::string("malformed JSON: ") + e.what());
  } catch (const Json::out_of_range& e) {
    // A number beyond the range of a double, such as 1e400.
    throw InputError(std::string("number out of range: ") + e.what());
  }
}

}  // namespace tpl::host
