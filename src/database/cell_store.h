// The cells of a row set in fetch order. They live in blocks that double in
// size up to a cap and then stay the same size, so appending never moves a
// value already stored: a growing vector would move a million-cell result
// once more on every doubling, and keep two copies of it alive while doing
// so. Because no block is large, a caller that moves the cells elsewhere
// with Consume gives the memory back as it goes: the cells never stand
// twice in full.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "tpl/variant.h"

namespace tpl::db {

namespace detail {
// Raise std::bad_alloc when the memory cannot be had.
void* AllocateCellBlock(std::size_t bytes);
void ReleaseCellBlock(void* block, std::size_t bytes) noexcept;

template <class T>
struct CellBlockAllocator {
  using value_type = T;
  CellBlockAllocator() noexcept = default;
  template <class U>
  CellBlockAllocator(const CellBlockAllocator<U>&) noexcept {}
  T* allocate(std::size_t count) { return static_cast<T*>(AllocateCellBlock(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) noexcept { ReleaseCellBlock(block, count * sizeof(T)); }
  template <class U>
  friend bool operator==(const CellBlockAllocator&, const CellBlockAllocator<U>&) noexcept {
    return true;
  }
};
}  // namespace detail

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
  // Empties the store but keeps its blocks for the next cells: a store
  // filled and emptied again for every block of a fetch takes its memory
  // once.
  void ClearKeepingBlocks() noexcept;

  // Hands every cell to `visit`, in order, as a Variant& it may move from;
  // the store keeps its size and blocks.
  template <class Visit>
  void ForEach(Visit&& visit);

  // Hands every cell to `take`, in order, as a Variant& it may move from,
  // releasing each block as soon as its cells have been handed over. The
  // store is empty afterwards, also when `take` raises.
  template <class Take>
  void Consume(Take&& take);

  Iterator begin() const noexcept;
  Iterator end() const noexcept;

  friend bool operator==(const CellStore& a, const CellStore& b);

 private:
  using Block = std::vector<Variant, detail::CellBlockAllocator<Variant>>;
  std::vector<Block> blocks_;  // see BlockCapacity in cell_store.cpp
  size_t size_ = 0;
  size_t current_ = 0;  // the block the last cell went into
};

template <class Take>
void CellStore::Consume(Take&& take) {
  struct EmptyAtEnd {
    CellStore& store;
    ~EmptyAtEnd() { store.clear(); }
  } empty_at_end{*this};
  for (Block& block : blocks_) {
    for (Variant& cell : block) take(cell);
    Block().swap(block);
  }
}

template <class Visit>
void CellStore::ForEach(Visit&& visit) {
  for (Block& block : blocks_) {
    for (Variant& cell : block) visit(cell);
  }
}

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
