#include "platform/database/cell_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tpl::db {
namespace {

// Enough cells to fill a dozen blocks, with values that tell their place.
TEST(CellStore, KeepsEveryCellAtItsPlaceAcrossBlocks) {
  constexpr int32_t kCount = 300000;
  CellStore store;
  for (int32_t i = 0; i < kCount; ++i) {
    store.push_back(i % 3 == 0 ? Variant("texto " + std::to_string(i)) : Variant(i));
  }
  ASSERT_EQ(store.size(), static_cast<size_t>(kCount));
  const Variant* first_of_block = &store[0];
  for (int32_t i = 0; i < kCount; ++i) {
    const Variant expected = i % 3 == 0 ? Variant("texto " + std::to_string(i)) : Variant(i);
    ASSERT_EQ(store[static_cast<size_t>(i)], expected) << i;
  }
  // Growing never moved what was already stored.
  EXPECT_EQ(&store[0], first_of_block);

  int32_t visited = 0;
  for (const Variant& cell : store) visited += cell.IsString() ? 1 : 0;
  EXPECT_EQ(visited, kCount / 3);
  EXPECT_THROW(store.at(kCount), std::out_of_range);
}

TEST(CellStore, CopiesCompareAndClear) {
  CellStore store{Variant(1), Variant("a"), Variant::Null()};
  CellStore copy = store;
  EXPECT_EQ(copy, store);
  copy[1] = Variant("b");
  EXPECT_FALSE(copy == store);
  EXPECT_EQ(store.at(1), Variant("a"));
  copy.clear();
  EXPECT_TRUE(copy.empty());
  EXPECT_FALSE(copy == store);
}

// Blocks of many megabytes come from their own mapping, on a huge-page
// boundary; small ones from the heap. Both must hold their values.
TEST(BulkAllocator, BigAndSmallBlocksHoldTheirValues) {
  for (size_t count : {size_t{10}, size_t{400000}}) {
    VariantVector values;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) values.emplace_back(static_cast<int32_t>(i));
    values.resize(count * 2);  // grows into a new block, moving the values
    EXPECT_EQ(values[count - 1], Variant(static_cast<int32_t>(count - 1))) << count;
    EXPECT_TRUE(values.back().IsEmpty());
    if (count > 100000) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % (size_t{2} << 20), 0u);
    }
  }
}

}  // namespace
}  // namespace tpl::db
