#include "report/filter_matrix.h"

#include <limits>

#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {

int16_t LastFilterRow(const Variant& line_count) {
  int16_t last = CInt(Subtract(mNormaliza_Numero(line_count), Variant::Integer(1)));
  // A 16-bit counter can reach 32767 but never step past it, so a loop up to
  // that row would overflow after its last turn; it is refused at once.
  if (last == std::numeric_limits<int16_t>::max()) Raise(error::kOverflow);
  return last;
}

std::string FilterTypeCode(const Variant& cell) { return UCase(TrimmedText(cell)); }

}  // namespace tpl
