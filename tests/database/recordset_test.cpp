// The cursor over fetched row sets: walking rows and row sets, fields by position or by name without case, and the
// errors of a cursor at its end or closed.
#include "database/recordset.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "values/error_number.h"

namespace tpl::db {
namespace {

using platform_test::ErrorNumber;

ResultSet RowSet(std::vector<std::string> names, CellStore cells) {
  ResultSet set;
  for (std::string& name : names) set.columns.push_back({std::move(name), DataType::VarChar, 0});
  set.cells = std::move(cells);
  return set;
}

std::vector<ResultSet> Batch() {
  return {RowSet({"Id", "Nome"}, {Variant(1), Variant("a"), Variant(2), Variant("b")}), RowSet({"Vazio"}, {}),
          RowSet({"Total"}, {Variant(3)})};
}

TEST(Recordset, WalksTheRowsOfEveryRowSet) {
  Recordset recordset(Batch());
  ASSERT_TRUE(recordset.IsOpen());
  EXPECT_EQ(recordset.RecordCount(), 2);
  EXPECT_EQ(recordset.FieldCount(), 2);
  EXPECT_EQ(recordset.Value(0), Variant(1));
  EXPECT_EQ(recordset.Value("nome"), Variant("a"));
  recordset.MoveNext();
  EXPECT_EQ(recordset.Value("NOME"), Variant("b"));
  recordset.MoveNext();
  EXPECT_TRUE(recordset.Eof());

  ASSERT_TRUE(recordset.NextRecordset());
  EXPECT_TRUE(recordset.Eof()) << "an empty row set starts at its end";
  EXPECT_EQ(std::pair(recordset.RecordCount(), recordset.FieldCount()), std::pair(0, 1));

  ASSERT_TRUE(recordset.NextRecordset());
  EXPECT_EQ(recordset.Value("Total"), Variant(3));
  EXPECT_EQ(recordset.Current().cells, CellStore{Variant(3)});

  EXPECT_FALSE(recordset.NextRecordset());
  EXPECT_FALSE(recordset.IsOpen()) << "no row set left closes the cursor";
  EXPECT_FALSE(recordset.NextRecordset());
}

TEST(Recordset, RefusesUnknownFieldsAndMissingRows) {
  const struct { const char* name; std::function<void(Recordset&)> call; int32_t error; } rows[] = {
      {"position past the fields", [](Recordset& r) { r.Value(2); }, error::kItemNotFound},
      {"negative position", [](Recordset& r) { r.Value(-1); }, error::kItemNotFound},
      {"unknown name", [](Recordset& r) { r.Value("Sobrenome"); }, error::kItemNotFound},
      {"value after the last row", [](Recordset& r) { r.MoveNext(); r.MoveNext(); r.Value(0); },
       error::kNoCurrentRecord},
      {"move past the end", [](Recordset& r) { r.MoveNext(); r.MoveNext(); r.MoveNext(); }, error::kNoCurrentRecord},
      {"value once closed", [](Recordset& r) { r.Close(); r.Value(0); }, error::kObjectClosed},
      {"end test once closed", [](Recordset& r) { r.Close(); r.Eof(); }, error::kObjectClosed},
      {"count past the last row set",
       [](Recordset& r) { while (r.NextRecordset()) {} r.RecordCount(); }, error::kObjectClosed},
  };
  for (const auto& row : rows) {
    Recordset recordset(Batch());
    EXPECT_EQ(ErrorNumber([&] { row.call(recordset); }), row.error) << row.name;
  }
  Recordset never_opened;
  EXPECT_FALSE(never_opened.IsOpen());
  EXPECT_EQ(ErrorNumber([&] { never_opened.Eof(); }), error::kObjectClosed);
}

}  // namespace
}  // namespace tpl::db
