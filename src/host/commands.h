// The commands of `tpl`, one source file each, and the table that names
// them. A new command (a future `tpl run` that runs a report for a person)
// is one more function here and one more row in command_line.cpp.
#pragma once

#include "host/command.h"

namespace tpl::host {

// init-db FILE: creates a ready embedded database in a new file.
int RunInitDb(CommandArguments arguments, HostStreams& streams);

// methods [--json]: lists the dispatch interface of TPL.
int RunMethods(CommandArguments arguments, HostStreams& streams);

// call METHOD [--args FILE] [--pretty]: calls one method with arguments
// read as JSON and prints the result and every argument after the call.
int RunCall(CommandArguments arguments, HostStreams& streams);

}  // namespace tpl::host
