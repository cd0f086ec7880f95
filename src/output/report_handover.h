// Pieces of the report hand-over that are worth seeing on their own.
#pragma once

#include <cstdint>
#include <string>

#include "tpl/variant.h"

namespace tpl {

// System parameter holding the support mailbox that receives the reports
// of users without an e-mail address.
inline constexpr int32_t kSupportMailboxParameter = 2001850;

// The query that finds a user's e-mail address; with `supplier_groups` it
// also knows the users of supplier groups.
std::string EmailLookupQuery(bool supplier_groups, int32_t user);

// Each filter's trimmed value followed by "@@@", apostrophes removed.
std::string FilterValuesText(const Variant& filters, const Variant& line_count);

}  // namespace tpl
