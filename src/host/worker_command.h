// `tpl worker`: the background worker on the command line.
#pragma once

#include <span>
#include <string>

#include "host/command_line.h"

namespace tpl::host {

inline constexpr const char* kWorkerSynopsis =
    "--database FILE|CONNECTION --smtp HOST:PORT --from ADDRESS [--outbox DIR] [--once] "
    "[--threads N] [--kind SQLSERVER|ORACLE] [--lease SECONDS]";

// Parses the options and runs the worker until SIGINT or SIGTERM (or, with
// --once, until no job is left). Exit status 0, 1 when the database cannot
// be reached, 2 for a command line it refuses.
int RunWorkerCommand(std::span<const std::string> words, HostStreams& streams);

}  // namespace tpl::host
