#include "host/json_document.h"

#include <string>
#include <utility>
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

// Reads the document in one pass, building it and refusing what the host
// does not take: what the parser itself refuses, a key repeated inside one
// object, and an object of more than kMaxObjectKeys keys. The parser's own
// checking hook cannot do this: after each object it looks through every
// value of the enclosing array, so an array of n objects took n * n / 2
// steps.
class DocumentReader {
 public:
  Json& document() { return document_; }

  bool null() { return Put(nullptr); }
  bool boolean(bool value) { return Put(value); }
  bool number_integer(Json::number_integer_t value) { return Put(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return Put(value); }
  bool number_float(Json::number_float_t value, const std::string&) { return Put(value); }
  bool string(std::string& value) { return Put(std::move(value)); }
  bool binary(Json::binary_t& value) { return Put(std::move(value)); }

  bool start_array(std::size_t) { return Open(Json::array()); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool end_array() { return Close(); }
  bool end_object() { return Close(); }

  bool key(std::string& key) {
    // Objects are small, and never larger than kMaxObjectKeys: looking
    // through the keys read so far costs less than a set of them.
    const auto& object = open_.back()->get_ref<const Json::object_t&>();
    for (const auto& entry : object) {
      if (entry.first == key) throw InputError("key \"" + key + "\" appears twice in one object");
    }
    if (object.size() >= kMaxObjectKeys) {
      throw InputError("an object holds more than " + std::to_string(kMaxObjectKeys) + " keys");
    }
    key_ = std::move(key);
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
  // Places a value where the document stands: the document itself, the
  // next element of the open array, or the open object's item under the
  // key just read (known to be new, so it is appended without a search).
  Json* Place(Json value) {
    if (open_.empty()) {
      document_ = std::move(value);
      return &document_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    auto& object = parent.get_ref<Json::object_t&>();
    object.emplace_back(std::move(key_), std::move(value));
    return &object.back().second;
  }
  bool Put(Json value) {
    Place(std::move(value));
    return true;
  }
  // Containers still open, innermost last. Only the innermost grows, so the
  // places of the others stay put.
  bool Open(Json container) {
    open_.push_back(Place(std::move(container)));
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }

  Json document_;
  std::vector<Json*> open_;
  std::string key_;
};

}  // namespace

Json ParseJsonDocument(std::string_view text) {
  CheckNesting(text);
  DocumentReader reader;
  Json::sax_parse(text, &reader);
  return std::move(reader.document());
}

}  // namespace tpl::host
