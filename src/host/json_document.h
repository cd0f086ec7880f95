// Reading a JSON document for the host: nlohmann's parser with object keys
// kept in the order written, and two stricter rules than plain JSON: a key
// may not repeat inside one object (the last one would silently win, losing
// a dictionary item), and nothing but blanks may follow the document.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tpl::host {

using Json = nlohmann::ordered_json;

// Raised when the host refuses its input: malformed JSON, a value that does
// not follow the Variant encoding, or arguments that do not fit the method
// named. The message names the place in the input (args[2].Matrix[1]) and
// what is wrong there. `tpl` answers it with exit status 2.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The deepest nesting of arrays and objects a document may have. A call's
// arguments need four levels (the list, a Matrix, its rows, a Variant).
inline constexpr size_t kMaxJsonNesting = 64;

// The most keys one object may hold. Objects keep their keys in the order
// written and find a key by looking at each one before it, as a Dictionary
// does, so an object of n keys costs n * n / 2 comparisons: a few megabytes of
// keys would take minutes. Arguments hold tagged values (one key) and
// dictionaries of a handful of matrices.
inline constexpr size_t kMaxObjectKeys = 1000;

// Raises InputError with the parser's explanation on malformed input, on a
// number out of range, on nesting deeper than kMaxJsonNesting and on an
// object with more than kMaxObjectKeys keys.
Json ParseJsonDocument(std::string_view text);

}  // namespace tpl::host
