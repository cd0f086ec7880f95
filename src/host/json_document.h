// Reading a JSON document for the host: nlohmann's parser with object keys
// kept in the order written, and two stricter rules than plain JSON: a key
// may not repeat inside one object (the last one would silently win, losing
// a dictionary item), and nothing but blanks may follow the document.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace tpl::host {

using Json = nlohmann::ordered_json;

// Raises InputError with the parser's explanation on malformed input.
Json ParseJsonDocument(std::string_view text);

}  // namespace tpl::host
