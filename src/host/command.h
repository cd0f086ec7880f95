// What every command of `tpl` gets and gives back: its own arguments (the
// words after the command name), the three standard streams, and an exit
// status. Commands take their streams as parameters so that tests can run
// them on strings.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace tpl::host {

struct HostStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

inline constexpr int kExitSuccess = 0;
// The command was understood but its work failed (database not created).
inline constexpr int kExitFailure = 1;
// The command line or the input was refused before any work was done.
inline constexpr int kExitUsage = 2;

using CommandArguments = std::span<const std::string>;

struct Command {
  std::string_view name;
  std::string_view synopsis;  // the arguments, as shown in the usage text
  std::string_view summary;
  int (*run)(CommandArguments arguments, HostStreams& streams);
};

}  // namespace tpl::host
