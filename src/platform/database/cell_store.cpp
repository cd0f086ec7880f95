#include "platform/database/cell_store.h"

#include <bit>
#include <stdexcept>

namespace tpl::db {
namespace {

constexpr size_t kFirstBlock = 64;

struct Place {
  size_t block;
  size_t offset;
};

// Block k starts at cell kFirstBlock * (2^k - 1).
Place PlaceOf(size_t index) {
  const size_t block = static_cast<size_t>(std::bit_width(index / kFirstBlock + 1)) - 1;
  return {block, index - kFirstBlock * ((size_t{1} << block) - 1)};
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
  const Place place = PlaceOf(size_);
  if (place.block == blocks_.size()) {
    blocks_.emplace_back().reserve(kFirstBlock << place.block);
  }
  blocks_[place.block].push_back(std::move(value));
  ++size_;
}

void CellStore::clear() noexcept {
  blocks_.clear();
  size_ = 0;
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
