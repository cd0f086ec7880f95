#include <exception>
#include <ostream>

#include "host/commands.h"
#include "tpl/embedded_database.h"
#include "tpl/runtime_error.h"

namespace tpl::host {

int RunInitDb(CommandArguments arguments, HostStreams& streams) {
  if (arguments.size() != 1 || arguments.front().starts_with("-")) {
    streams.err << "Usage: tpl init-db FILE\n";
    return kExitUsage;
  }
  const std::string& file = arguments.front();
  try {
    db::CreateEmbeddedDatabase(file);
  } catch (const RuntimeError& e) {
    streams.err << "tpl init-db: cannot create the database " << file << ": " << e.description()
                << " (" << e.number() << ")\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    streams.err << "tpl init-db: cannot create the database " << file << ": " << e.what() << '\n';
    return kExitFailure;
  }
  streams.out << "Created the embedded database " << file << ".\n";
  return kExitSuccess;
}

}  // namespace tpl::host
