// Creation of a new embedded database, as `tpl init-db FILE` performs it.
#pragma once

#include <string>

namespace tpl::db {

// Creates a new database file holding the tables, default rows and stored
// procedures of the db/ folder, in write-ahead-log mode so that readers and
// a writer of different processes do not block each other. Refuses a file
// that already exists; on failure no file is left behind. With demo data
// it also holds a small sales schema (VENDA, PRODUTO, REGIAO) with a few
// thousand rows, three user groups and users with e-mail addresses.
void CreateEmbeddedDatabase(const std::string& file, bool with_demo_data = false);

}  // namespace tpl::db
