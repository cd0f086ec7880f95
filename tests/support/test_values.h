// Small builders shared by the suites: dates, arrays, matrices and a printable form of any Variant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tpl/variant.h"

namespace tpl::testing {

// A Date Variant; the test fails when the parts make no date.
Variant MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// A one-dimensional array holding the values, lower bound 0.
Variant Vector(const std::vector<Variant>& values);
// A matrix with upper bounds (last_row, last_column), each row giving columns 0.. in order; the rest stays Empty.
Variant Matrix(int32_t last_row, int32_t last_column, const std::vector<std::vector<Variant>>& rows);
// A filter matrix as the host keeps it: upper bounds (rows, 7), each row giving columns 0.. in order (identifier,
// caption, placeholder, type, obligatory, largest interval, value); missing columns stay Empty.
Variant FilterMatrix(const std::vector<std::vector<Variant>>& rows);
// `piece` `times` over.
std::string Repeat(std::string_view piece, int times);
// Text for failure messages and row comparisons; never throws. Null shows as <null>, Empty as <empty>.
std::string Show(const Variant& value);
// Every row of a matrix: cells shown as above, joined by '|', rows by ';'.
std::string ShowRows(const Array& matrix);

}  // namespace tpl::testing
