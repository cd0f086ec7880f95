// The command line of `tpl`: picks the command named by the first word and
// runs it (init-db, methods, call); help and usage text. Commands take the
// three standard streams as parameters so that tests can run them on
// strings.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

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

// `words` are the program's arguments without the program name.
int RunCommandLine(std::span<const std::string> words, HostStreams& streams);

void WriteUsage(std::ostream& out);

}  // namespace tpl::host
