// Names as the embedded provider meets them: the ASCII helpers of the
// database layer, and parameter names with or without their marker.
#pragma once

#include <string_view>

#include "platform/database/ascii_text.h"

namespace tpl::db::sqlite {

// A parameter name without the marker that may precede it: "@pID", ":pID"
// and "pID" all name pID.
constexpr std::string_view WithoutParameterMarker(std::string_view name) noexcept {
  if (!name.empty() && (name.front() == '@' || name.front() == ':' || name.front() == '$')) {
    name.remove_prefix(1);
  }
  return name;
}

}  // namespace tpl::db::sqlite
