// Conversions that say why they failed, so that TryTo... can answer false
// and C... can raise the platform's own error number for the same failure.
#pragma once

#include <cstdint>
#include <string>

#include "tpl/variant.h"

namespace tpl::detail {

enum class Conversion { kOk, kTypeMismatch, kOverflow, kNull };

Conversion ToDouble(const Variant& v, double& out);
Conversion ToInteger(const Variant& v, int16_t& out);
Conversion ToLong(const Variant& v, int32_t& out);
Conversion ToText(const Variant& v, std::string& out);
Conversion ToBoolean(const Variant& v, bool& out);
Conversion ToDate(const Variant& v, Date& out);

// Raises 13, 6 or 94 for a failed conversion.
[[noreturn]] void RaiseFor(Conversion failure);

}  // namespace tpl::detail
