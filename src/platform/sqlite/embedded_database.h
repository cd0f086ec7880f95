// Creation of the embedded database that `tpl init-db FILE` performs.
#pragma once

#include <string>

namespace tpl::db {

// Creates a new database file holding the tables, default rows and stored
// procedures of the db/ folder, in write-ahead-log mode so that readers and
// a writer of different processes do not block each other. Refuses a file
// that already exists; on failure no file is left behind.
void CreateEmbeddedDatabase(const std::string& file);

}  // namespace tpl::db
