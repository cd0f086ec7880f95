#include "support/test_values.h"

#include <gtest/gtest.h>

#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl::testing {

Variant MakeDate(int year, int month, int day, int hour, int minute, int second) {
  Date date;
  EXPECT_TRUE(TryMakeDate({year, month, day, hour, minute, second}, date));
  return Variant(date);
}

Variant Vector(const std::vector<Variant>& values) {
  Array array = Array::Vector(static_cast<int32_t>(values.size()) - 1);
  array.elements().assign(values.begin(), values.end());
  return Variant(std::move(array));
}

Variant Matrix(int32_t last_row, int32_t last_column, const std::vector<std::vector<Variant>>& rows) {
  Array array = Array::Matrix(last_row, last_column);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) array.at(static_cast<int32_t>(r), static_cast<int32_t>(c)) = rows[r][c];
  return Variant(std::move(array));
}

Variant FilterMatrix(const std::vector<std::vector<Variant>>& rows) {
  return Matrix(static_cast<int32_t>(rows.size()), 7, rows);
}

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

std::string Show(const Variant& value) {
  if (value.IsNull()) return "<null>";
  if (value.IsEmpty()) return "<empty>";
  if (value.IsArray()) return "<array>";
  if (value.IsObject()) return "<object>";
  return CStr(value);
}

std::string ShowRows(const Array& matrix) {
  std::string text;
  for (int32_t r = 0; r <= matrix.UBound(1); ++r) {
    if (r > 0) text += ";";
    for (int32_t c = 0; c <= matrix.UBound(2); ++c) text += (c > 0 ? "|" : "") + Show(matrix.at(r, c));
  }
  return text;
}

}  // namespace tpl::testing
