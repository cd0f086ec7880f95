// What a command returns: the cells of a row set, the type and scale a column declares, and the cursor over the row
// sets (fields by name without case, the errors of a cursor at its end or closed). Walking rows and row sets: every
// test that reads a result (database/conformance BlocksThenTheRestOfTheBatch).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/cell_store.h"
#include "database/declared_type.h"
#include "database/recordset.h"
#include "values/error_number.h"

namespace tpl::db {
namespace {

using platform_test::ErrorNumber;

Variant CellFor(int32_t i) { return i % 3 == 0 ? Variant("texto " + std::to_string(i)) : Variant(i); }

// Enough cells to fill a dozen blocks, with values that tell their place. Growing never moves a stored cell; Consume
// hands the cells over in order and leaves the store empty, also when the receiver stops half-way with a failure.
TEST(CellStore, KeepsEveryCellAtItsPlaceAcrossBlocksAndConsumesThemInOrder) {
  constexpr int32_t kCount = 300000;
  CellStore store;
  store.push_back(CellFor(0));
  const Variant* first = &store[0];
  for (int32_t i = 1; i < kCount; ++i) store.push_back(CellFor(i));
  EXPECT_EQ(&store[0], first) << "growing moved a stored cell";
  for (int32_t i = 0; i < kCount; ++i) ASSERT_EQ(store[static_cast<size_t>(i)], CellFor(i)) << i;
  int32_t next = 0;
  const auto take_half = [&](Variant& cell) {
    ASSERT_EQ(cell, CellFor(next)) << next;
    if (++next == kCount / 2) throw std::runtime_error("parou");
  };
  EXPECT_THROW(store.Consume(take_half), std::runtime_error);
  EXPECT_EQ(next, kCount / 2);
  EXPECT_TRUE(store.empty());
}

TEST(DeclaredType, NameAndScale) {
  const struct { const char* declaration; const char* name; std::optional<int32_t> scale; } rows[] = {
      {" decimal( 10 , 3 ) ", "DECIMAL", 3}, {"NUMERIC(12)", "NUMERIC", 0}, {"numeric", "NUMERIC", std::nullopt},
      {"", "", std::nullopt},
      {"NUMERIC(12,x)", "NUMERIC", std::nullopt}, {"NUMERIC(12,-1)", "NUMERIC", std::nullopt},
      {"NUMERIC(12,2", "NUMERIC", std::nullopt}, {"double precision", "DOUBLE PRECISION", std::nullopt}};
  for (const auto& row : rows) {
    EXPECT_EQ(DeclaredTypeName(row.declaration), row.name) << row.declaration;
    EXPECT_EQ(DeclaredScale(row.declaration), row.scale) << row.declaration;
  }
}

// One row set of two rows.
std::vector<ResultSet> Batch() {
  ResultSet set;
  set.columns = {{"Id", DataType::VarChar, 0}, {"Nome", DataType::VarChar, 0}};
  set.cells = {Variant(1), Variant("a"), Variant(2), Variant("b")};
  return {set};
}

TEST(Recordset, RefusesUnknownFieldsAndMissingRows) {
  const struct { const char* name; std::function<void(Recordset&)> call; int32_t error; } rows[] = {
      {"position past the fields", [](Recordset& r) { r.Value(2); }, error::kItemNotFound},
      {"unknown name", [](Recordset& r) { r.Value("Sobrenome"); }, error::kItemNotFound},
      {"value after the last row", [](Recordset& r) { r.MoveNext(); r.MoveNext(); r.Value(0); },
       error::kNoCurrentRecord},
      {"move past the end", [](Recordset& r) { r.MoveNext(); r.MoveNext(); r.MoveNext(); }, error::kNoCurrentRecord},
      {"value once closed", [](Recordset& r) { r.Close(); r.Value(0); }, error::kObjectClosed},
  };
  for (const auto& row : rows) {
    Recordset recordset(Batch());
    EXPECT_EQ(ErrorNumber([&] { row.call(recordset); }), row.error) << row.name;
  }
  EXPECT_EQ(Recordset(Batch()).Value("NOME"), Variant("a"));
  Recordset never_opened;
  EXPECT_EQ(ErrorNumber([&] { never_opened.Eof(); }), error::kObjectClosed);
}

}  // namespace
}  // namespace tpl::db
