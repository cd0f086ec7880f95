// The keyed dictionary: text keys compared exactly (binary comparison, as
// the platform's dictionary does by default), items kept in insertion order.
// Look-ups are linear: the dictionaries of the library hold a handful of
// entries.
#include "tpl/dictionary.h"

#include <algorithm>

#include "tpl/runtime_error.h"

namespace tpl {
namespace {

template <typename Entries>
auto FindKey(Entries& entries, std::string_view key) {
  return std::find_if(entries.begin(), entries.end(),
                      [key](const auto& entry) { return entry.first == key; });
}

}  // namespace

void Dictionary::Add(std::string key, Variant item) {
  if (Exists(key)) Raise(error::kKeyAlreadyExists);
  entries_.emplace_back(std::move(key), std::move(item));
}

bool Dictionary::Exists(std::string_view key) const {
  return FindKey(entries_, key) != entries_.end();
}

const Variant& Dictionary::Item(std::string_view key) const {
  auto it = FindKey(entries_, key);
  if (it == entries_.end()) Raise(error::kItemNotFound);
  return it->second;
}

void Dictionary::Set(std::string key, Variant item) {
  auto it = FindKey(entries_, key);
  if (it != entries_.end()) {
    it->second = std::move(item);
  } else {
    entries_.emplace_back(std::move(key), std::move(item));
  }
}

}  // namespace tpl
