// Creation of a new embedded database, as `tpl init-db FILE` performs it.
#pragma once

#include <string>

namespace tpl::db {

// Creates a new database file holding the tables, default rows and stored
// procedures of the db/ folder, in write-ahead-log mode so that readers and
// a writer of different processes do not block each other. Refuses a file
// that already exists; on failure no file is left behind.
void CreateEmbeddedDatabase(const std::string& file);

}  // namespace tpl::db
