// Checks of one value typed by an end user against the rules of its field.
// They are the one place where the system's wording for a missing value, a
// bad date, a bad number and a too long text lives; callers pass the
// sentence on unchanged.
//
// Each returns true when the value is acceptable. Wrong input never raises:
// it gives false and the sentence of the first check that failed. A
// non-empty value is written back filtered of the characters that must
// never reach SQL text. An unexpected failure gives false and the check's
// fixed sentence (with the technical detail when `detail_user` is 1); these
// checks write no log row.
#pragma once

#include "tpl/variant.h"

namespace tpl {

// A date typed dd/mm/yyyy, with optional bounds typed the same way; the
// accepted date goes to `date_ymd` as yyyy/mm/dd. `value` and `date_ymd`
// may be the same variable.
bool gConsiste_Data(const Variant& caption, Variant& value, const Variant& minimum,
                    const Variant& maximum, const Variant& detail_user, Variant& message,
                    Variant& date_ymd, const Variant& mandatory);
// A whole number without thousand or decimal separators, optional bounds.
bool gConsiste_Inteiro(const Variant& caption, Variant& value, const Variant& minimum,
                       const Variant& maximum, const Variant& detail_user, Variant& message,
                       const Variant& mandatory);
// A number with an optional decimal comma and no thousand separator.
bool gConsiste_Numero(const Variant& caption, Variant& value, const Variant& minimum,
                      const Variant& maximum, const Variant& detail_user, Variant& message,
                      const Variant& mandatory);
// A text with an optional largest number of characters (0 or less: none).
bool gConsiste_String(const Variant& caption, Variant& value, const Variant& maximum_length,
                      const Variant& detail_user, Variant& message, const Variant& mandatory);

}  // namespace tpl
