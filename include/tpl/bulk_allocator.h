// Allocator of the element blocks of arrays and row sets. A report's
// result can hold a million values or more; blocks from a few megabytes up
// are mapped straight from the system and marked for huge pages, so that
// filling 50 MB costs a few dozen page faults instead of twelve thousand.
// Smaller blocks come from the ordinary heap.
#pragma once

#include <cstddef>
#include <new>

namespace tpl {

namespace detail {
// Raise std::bad_alloc when the memory cannot be had.
void* AllocateBulk(std::size_t bytes);
void ReleaseBulk(void* block, std::size_t bytes) noexcept;
// Whole huge pages mapped from the system on a huge-page boundary, for
// `bytes` rounded up to them; released with UnmapHugePages and the same
// `bytes`. Raises std::bad_alloc.
void* MapHugePages(std::size_t bytes);
void UnmapHugePages(void* block, std::size_t bytes) noexcept;
}  // namespace detail

template <class T>
struct BulkAllocator {
  using value_type = T;

  BulkAllocator() noexcept = default;
  template <class U>
  BulkAllocator(const BulkAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(detail::AllocateBulk(count * sizeof(T)));
  }
  void deallocate(T* block, std::size_t count) noexcept {
    detail::ReleaseBulk(block, count * sizeof(T));
  }

  template <class U>
  friend bool operator==(const BulkAllocator&, const BulkAllocator<U>&) noexcept {
    return true;
  }
};

}  // namespace tpl
