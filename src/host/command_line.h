// The entry of `tpl`: picks the command named by the first word and runs
// it; help and usage text.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "host/command.h"

namespace tpl::host {

// `words` are the program's arguments without the program name.
int RunCommandLine(std::span<const std::string> words, HostStreams& streams);

void WriteUsage(std::ostream& out);

}  // namespace tpl::host
