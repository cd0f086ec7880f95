// The cells of a row set in fetch order. They live in blocks that double in
// size, so appending never moves a value already stored: a growing vector
// would move a million-cell result once more on every doubling, and keep
// two copies of it alive while doing so.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "tpl/variant.h"

namespace tpl::db {

class CellStore {
 public:
  class Iterator;

  CellStore() = default;
  CellStore(std::initializer_list<Variant> cells);
  CellStore(const CellStore& other);
  CellStore& operator=(const CellStore& other);
  CellStore(CellStore&&) noexcept = default;
  CellStore& operator=(CellStore&&) noexcept = default;

  size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }

  Variant& operator[](size_t index) noexcept;
  const Variant& operator[](size_t index) const noexcept;
  // Raise std::out_of_range past the end.
  Variant& at(size_t index);
  const Variant& at(size_t index) const;
  Variant& front() { return at(0); }
  const Variant& front() const { return at(0); }

  void push_back(Variant value);
  void clear() noexcept;

  Iterator begin() const noexcept;
  Iterator end() const noexcept;

  friend bool operator==(const CellStore& a, const CellStore& b);

 private:
  std::vector<VariantVector> blocks_;  // block k holds kFirstBlock << k cells
  size_t size_ = 0;
};

class CellStore::Iterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Variant;
  using difference_type = std::ptrdiff_t;
  using pointer = const Variant*;
  using reference = const Variant&;

  Iterator() = default;
  Iterator(const CellStore* store, size_t index) : store_(store), index_(index) {}
  reference operator*() const { return (*store_)[index_]; }
  pointer operator->() const { return &(*store_)[index_]; }
  Iterator& operator++() {
    ++index_;
    return *this;
  }
  Iterator operator++(int) {
    Iterator before = *this;
    ++index_;
    return before;
  }
  friend bool operator==(const Iterator& a, const Iterator& b) { return a.index_ == b.index_; }

 private:
  const CellStore* store_ = nullptr;
  size_t index_ = 0;
};

}  // namespace tpl::db
