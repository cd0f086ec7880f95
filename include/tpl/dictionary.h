// The keyed dictionary object: text keys, Variant items, kept in insertion
// order. Held by a Variant as a reference-counted Object (the dictionary of
// additional matrices travels this way).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tpl/variant.h"

namespace tpl {

class Dictionary : public Object {
 public:
  std::string TypeName() const override { return "Dictionary"; }

  // Adds a new key; raises 457 when the key is already present.
  void Add(std::string key, Variant item);
  bool Exists(std::string_view key) const;
  // The item of a key; raises 3265 when the key is absent.
  const Variant& Item(std::string_view key) const;
  // Sets the item of a key, adding the key at the end when it is new.
  void Set(std::string key, Variant item);
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

  const std::vector<std::pair<std::string, Variant>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, Variant>> entries_;
};

}  // namespace tpl
