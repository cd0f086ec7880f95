// Numbers written as text under the regional settings.
#pragma once

#include <string>

namespace tpl::detail {

// The platform's text of a Double: at most 15 significant digits, decimal
// comma, no grouping, trailing zeros dropped; scientific notation ("1E+20",
// "1,5E-07") when the decimal exponent is below -4 or above 14.
std::string DoubleText(double value);

}  // namespace tpl::detail
