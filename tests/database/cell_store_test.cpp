#include "database/cell_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tpl::db {
namespace {

Variant CellFor(int32_t i) { return i % 3 == 0 ? Variant("texto " + std::to_string(i)) : Variant(i); }

// Enough cells to fill a dozen blocks, with values that tell their place. Consume hands them over in order and leaves
// the store empty, also when the receiver stops half-way with a failure.
TEST(CellStore, KeepsEveryCellAtItsPlaceAcrossBlocksAndConsumesThemInOrder) {
  constexpr int32_t kCount = 300000;
  CellStore store;
  store.push_back(CellFor(0));
  const Variant* first = &store[0];
  for (int32_t i = 1; i < kCount; ++i) store.push_back(CellFor(i));
  ASSERT_EQ(store.size(), static_cast<size_t>(kCount));
  EXPECT_EQ(&store[0], first) << "growing moved a stored cell";
  for (int32_t i = 0; i < kCount; ++i) ASSERT_EQ(store[static_cast<size_t>(i)], CellFor(i)) << i;
  int32_t texts = 0;
  for (const Variant& cell : store) texts += cell.IsString() ? 1 : 0;
  EXPECT_EQ(texts, kCount / 3);
  EXPECT_THROW(store.at(kCount), std::out_of_range);

  const CellStore copy = store;
  int32_t next = 0;
  store.Consume([&](Variant& cell) {
    ASSERT_EQ(cell, CellFor(next)) << next;
    Variant taken = std::move(cell);
    ++next;
  });
  EXPECT_EQ(next, kCount);
  EXPECT_TRUE(store.empty());
  store = copy;
  EXPECT_THROW(store.Consume([](Variant& cell) {
    if (cell == CellFor(150000)) throw std::runtime_error("parou");
  }),
               std::runtime_error);
  EXPECT_TRUE(store.empty());
  store.push_back(Variant(1));
  EXPECT_EQ(store.at(0), Variant(1));
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

// Blocks of many megabytes come from their own mapping, on a huge-page boundary; small ones from the heap. Both must
// hold their values.
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
