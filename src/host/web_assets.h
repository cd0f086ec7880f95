// The files of the web page (src/host/web), built into the program by a
// generated source so that `tpl serve` needs nothing beside itself.
#pragma once

#include <span>
#include <string_view>

namespace tpl::host {

struct WebAsset {
  std::string_view path;  // "/index.html", "/app.js", ...
  std::string_view content_type;
  std::string_view body;
};

std::span<const WebAsset> WebAssets();

}  // namespace tpl::host
