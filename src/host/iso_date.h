// Dates in the host's JSON: "yyyy-mm-ddThh:mm:ss", or "yyyy-mm-dd" for
// midnight on input. Only these two exact shapes are read, so that a value
// typed by hand is never guessed at the way the platform's lenient date
// recognition would.
#pragma once

#include <string>
#include <string_view>

#include "tpl/variant.h"

namespace tpl::host {

// Always with the time, to the second.
std::string FormatIsoDate(Date date);

// False when the text has another shape or names no real date and time.
bool TryParseIsoDate(std::string_view text, Date& out);

}  // namespace tpl::host
