// The host's JSON encoding of Variants, used both ways by `tpl call`.
//
//   String "text"            Boolean true / false       Null null
//   Empty {"Empty":null}     Integer {"Integer":10}     Long {"Long":7}
//   Double {"Double":1.5}    Date {"Date":"2001-10-13T10:20:00"}
//   one-dimensional array    {"Array":[V, ...]}
//   two-dimensional array    {"Matrix":[[V, ...], ...]}, row by row
//   Dictionary               {"Dictionary":{"KEY":V, ...}}, in key order
//   any other object         {"Object":"TypeName"} ("Nothing" when unset)
//
// Output always uses the tagged forms for numbers and dates; a Double that
// is not finite is written as the text "NaN", "Infinity" or "-Infinity".
// Input also accepts a bare number (a Long when it is whole and fits in 32
// bits, otherwise a Double), a date without its time ("2001-10-13"), and
// {"Object":"Nothing"} for an unset object reference. Dates are read in
// these two exact shapes only, never guessed at.
#pragma once

#include <string>
#include <string_view>

#include "host/json_document.h"
#include "tpl/variant.h"

namespace tpl::host {

// Appends the encoding of `value` as compact JSON text, byte for byte what
// nlohmann's dump would write for it (texts that are not UTF-8 get U+FFFD
// in place of their bad bytes), without building a JSON tree first: a call
// answers whole result matrices this way.
void AppendVariantJson(const Variant& value, std::string& out);
void AppendJsonString(std::string_view text, std::string& out);

// The same encoding as a JSON tree, for answers that are changed before
// they are written.
Json EncodeVariant(const Variant& value);

// Raises InputError naming `where` (and the place inside the value) when
// the JSON does not follow the encoding above.
Variant DecodeVariant(const Json& json, const std::string& where = "value");

}  // namespace tpl::host
