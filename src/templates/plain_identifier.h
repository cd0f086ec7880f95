// Names that may be written into a statement as they are.
#pragma once

#include <string_view>

namespace tpl {

// A letter or "_" followed by letters, digits and "_" (ASCII only).
bool IsPlainIdentifier(std::string_view name);
// Plain identifiers joined by "." (schema.table).
bool IsQualifiedIdentifier(std::string_view name);

}  // namespace tpl
