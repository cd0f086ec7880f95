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

// Reads the document once without building it and refuses what the host
// does not take: what the parser itself refuses, a key repeated inside one
// object, and an object of more than kMaxObjectKeys keys. The parser's own
// checking hook cannot do this: after each object it looks through every
// value of the enclosing array, so an array of n objects took n * n / 2
// steps.
class DocumentCheck {
 public:
  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(Json::number_integer_t) { return true; }
  bool number_unsigned(Json::number_unsigned_t) { return true; }
  bool number_float(Json::number_float_t, const std::string&) { return true; }
  bool string(std::string&) { return true; }
  bool binary(Json::binary_t&) { return true; }
  bool start_array(std::size_t) { return true; }
  bool end_array() { return true; }

  bool start_object(std::size_t) {
    open_objects_.emplace_back();
    return true;
  }
  bool end_object() {
    open_objects_.pop_back();
    return true;
  }
  bool key(std::string& key) {
    if (!open_objects_.back().insert(key).second) {
      throw InputError("key \"" + key + "\" appears twice in one object");
    }
    if (open_objects_.back().size() > kMaxObjectKeys) {
      throw InputError("an object holds more than " + std::to_string(kMaxObjectKeys) + " keys");
    }
    return true;
  }

  [[noreturn]] bool parse_error(std::size_t, const std::string&, const Json::exception& error) {
    // A number beyond the range of a double, such as 1e400.
    if (dynamic_cast<const Json::out_of_range*>(&error) != nullptr) {
      throw InputError(std::string("number out of range: ") + error.what());
    }
    throw InputError(std::string("malformed JSON: ") + error.what());
  }

 private:
  // One set of keys per object being read, innermost last.
  std::vector<std::set<std::string>> open_objects_;
};

}  // namespace

Json ParseJsonDocument(std::string_view text) {
  CheckNesting(text);
  DocumentCheck check;
  Json::sax_parse(text, &check);
  // Checked already, so this reading cannot fail.
  return Json::parse(text);
}

}  // namespace tpl::host
