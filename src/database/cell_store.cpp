#include "database/cell_store.h"

#include <bit>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "tpl/bulk_allocator.h"

namespace tpl::db {

namespace detail {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Blocks from half a huge page up are mapped.
constexpr size_t kMappedBlock = kHugePage / 2;

}  // namespace

// A full block is one huge page of its own: filling it costs one page
// fault instead of five hundred, and releasing it gives the memory back to
// the system at once (a heap block would stay with the process).
void* AllocateCellBlock(size_t bytes) {
  if (bytes < kMappedBlock) return ::operator new(bytes);
  return tpl::detail::MapHugePages(bytes);
}

void ReleaseCellBlock(void* block, size_t bytes) noexcept {
  if (bytes < kMappedBlock) {
    ::operator delete(block);
  } else {
    tpl::detail::UnmapHugePages(block, bytes);
  }
}

}  // namespace detail

namespace {

// Blocks 0 to kGrowingBlocks - 1 hold kFirstBlock << k cells; every later
// block holds kLargestBlock cells, as many as one huge page takes (2 MiB).
// A small row set costs a few small blocks; a large one gives its memory
// back 2 MiB at a time when consumed.
constexpr size_t kFirstBlock = 64;
constexpr size_t kGrowingBlocks = 10;
constexpr size_t kLargestBlock = detail::kHugePage / sizeof(Variant);
constexpr size_t kGrowingCells = kFirstBlock * ((size_t{1} << kGrowingBlocks) - 1);
static_assert(kLargestBlock >= kFirstBlock << (kGrowingBlocks - 1));

struct Place {
  size_t block;
  size_t offset;
};

// Growing block k starts at cell kFirstBlock * (2^k - 1).
Place PlaceOf(size_t index) {
  if (index >= kGrowingCells) {
    const size_t beyond = index - kGrowingCells;
    return {kGrowingBlocks + beyond / kLargestBlock, beyond % kLargestBlock};
  }
  const size_t block = static_cast<size_t>(std::bit_width(index / kFirstBlock + 1)) - 1;
  return {block, index - kFirstBlock * ((size_t{1} << block) - 1)};
}

size_t BlockCapacity(size_t block) {
  return block < kGrowingBlocks ? kFirstBlock << block : kLargestBlock;
}

}  // namespace

CellStore::CellStore(std::initializer_list<Variant> cells) {
  for (const Variant& cell : cells) push_back(cell);
}

CellStore::CellStore(const CellStore& other) {
  for (const Variant& cell : other) push_back(cell);
}

CellStore& CellStore::operator=(const CellStore& other) {
  if (this != &other) {
    CellStore copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant& CellStore::operator[](size_t index) noexcept {
  const Place place = PlaceOf(index);
  return blocks_[place.block][place.offset];
}

const Variant& CellStore::operator[](size_t index) const noexcept {
  const Place place = PlaceOf(index);
  return blocks_[place.block][place.offset];
}

Variant& CellStore::at(size_t index) {
  if (index >= size_) throw std::out_of_range("CellStore::at");
  return (*this)[index];
}

const Variant& CellStore::at(size_t index) const {
  if (index >= size_) throw std::out_of_range("CellStore::at");
  return (*this)[index];
}

void CellStore::push_back(Variant value) {
  // Most cells go into the block the last one went into.
  if (current_ < blocks_.size()) {
    Block& block = blocks_[current_];
    if (block.size() < block.capacity()) {
      block.push_back(std::move(value));
      ++size_;
      return;
    }
  }
  const Place place = PlaceOf(size_);
  current_ = place.block;
  if (place.block == blocks_.size()) blocks_.emplace_back();
  Block& block = blocks_[place.block];
  // A block kept by ClearKeepingBlocks has its room already.
  if (place.offset == 0 && block.capacity() < BlockCapacity(place.block)) {
    block.reserve(BlockCapacity(place.block));
  }
  block.push_back(std::move(value));
  ++size_;
}

void CellStore::clear() noexcept {
  blocks_.clear();
  size_ = 0;
  current_ = 0;
}

void CellStore::ClearKeepingBlocks() noexcept {
  for (Block& block : blocks_) block.clear();
  size_ = 0;
  current_ = 0;
}

CellStore::Iterator CellStore::begin() const noexcept { return Iterator(this, 0); }
CellStore::Iterator CellStore::end() const noexcept { return Iterator(this, size_); }

bool operator==(const CellStore& a, const CellStore& b) {
  if (a.size_ != b.size_) return false;
  for (size_t i = 0; i < a.size_; ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

}  // namespace tpl::db
