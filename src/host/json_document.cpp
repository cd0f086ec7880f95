#include "host/json_document.h"

#include <set>
#include <string>
#include <vector>

namespace tpl::host {

Json ParseJsonDocument(std::string_view text) {
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
  }
}

}  // namespace tpl::host
