// Raised when the host refuses its input: malformed JSON, a value that does
// not follow the Variant encoding, or arguments that do not fit the method
// named. The message names the place in the input (args[2].Matrix[1]) and
// what is wrong there. `tpl` answers it with exit status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace tpl::host {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tpl::host
