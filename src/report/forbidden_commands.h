// The command words a report query may never contain: a report reads data,
// it never changes it.
#pragma once

#include <string_view>

namespace tpl {

// True when the query, trimmed and in upper case, contains one of DELETE,
// UPDATE, INSERT, TRUNCATE, CREATE, ALTER, DROP, BEGIN, TRIGGER or SET
// followed by one blank, anywhere (so "OFFSET " counts, and a final
// "DELETE" without a blank does not).
bool ContainsForbiddenCommand(std::string_view query);

}  // namespace tpl
