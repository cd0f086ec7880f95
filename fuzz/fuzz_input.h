// The little language the fuzz inputs are written in, shared by every
// target so that the seed files stay readable and a finding can be edited
// by hand.
//
// Stretches: anywhere in an input, "{{*N:piece}}" stands for the piece
// written N times, each "~" in it replaced by the number of its repetition
// (0, 1, 2, ...). A seed of a few bytes can so describe the long lists,
// wide objects and runs of semicolons with which hostile callers look for
// work that grows faster than the input. The expanded text stops growing at
// kMaxExpandedSize.
//
// Values (one field of a line): "#null", "#empty", "#true", "#false",
// "#int:N" (16-bit Integer, wrapped), "#long:N" (32-bit Long, wrapped),
// "#dbl:X" (Double, also "inf" and "nan"), "#date:X" (a Date of serial X
// when X lies in the platform's range of dates, otherwise the Double X),
// "#arr:a,b,c" (a one-dimensional array of those texts) and "#obj" (an
// unset object reference). Anything else is a String, exactly as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tpl/variant.h"

namespace tpl::fuzz {

// Large enough that work growing with the square of the input takes
// seconds, small enough that linear work stays well under the time limit
// of one input even with the sanitizers.
inline constexpr size_t kMaxExpandedSize = size_t{1} << 20;

// Raised by a target when the code under test broke one of its rules. It
// is none of the exceptions the library or the host use for refusals, so
// nothing on the way catches it: under libFuzzer it ends the run as a
// crash, and the replay driver names the file that caused it.
class Defect : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

[[noreturn]] void Fail(const std::string& what);

std::string_view AsText(const uint8_t* data, size_t size);

// The input with its stretches written out.
std::string Expand(std::string_view input);

// Lines split at '\n' (a final '\r' kept); an empty input has one empty line.
std::vector<std::string_view> SplitLines(std::string_view text);
// Fields split at '|'.
std::vector<std::string_view> SplitFields(std::string_view line);
// The field at `index`, or the empty text past the last one.
std::string_view FieldAt(const std::vector<std::string_view>& fields, size_t index);

// A value written as above.
Variant ReadValue(std::string_view field);

}  // namespace tpl::fuzz
