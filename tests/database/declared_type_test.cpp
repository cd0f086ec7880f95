#include "database/declared_type.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace tpl::db {
namespace {

TEST(DeclaredType, NameAndScale) {
  const struct { const char* declaration; const char* name; std::optional<int32_t> scale; } rows[] = {
      {"NUMERIC(12,2)", "NUMERIC", 2}, {" decimal( 10 , 3 ) ", "DECIMAL", 3}, {"NUMERIC(12)", "NUMERIC", 0},
      {"NUMBER(38,0)", "NUMBER", 0}, {"numeric", "NUMERIC", std::nullopt}, {"", "", std::nullopt},
      {"NUMERIC(12,x)", "NUMERIC", std::nullopt}, {"NUMERIC(12,-1)", "NUMERIC", std::nullopt},
      {"NUMERIC(12,2", "NUMERIC", std::nullopt}, {"double precision", "DOUBLE PRECISION", std::nullopt}};
  for (const auto& row : rows) {
    EXPECT_EQ(DeclaredTypeName(row.declaration), row.name) << row.declaration;
    EXPECT_EQ(DeclaredScale(row.declaration), row.scale) << row.declaration;
  }
}

}  // namespace
}  // namespace tpl::db
