// The scripts of the db/ folder, compiled into the library by
// db/CMakeLists.txt so that a database can be created from any folder.
#pragma once

#include <span>
#include <string_view>

namespace tpl::db::sqlite {

enum class ScriptKind {
  Tables,     // db/tables/*.sql: CREATE TABLE and the like
  Rows,       // db/rows/*.sql: default rows
  Procedure,  // db/procedures/*.sql: one stored procedure each
  Demo,       // db/demo/*.sql: demo schema and rows, run only when asked
};

struct EmbeddedScript {
  ScriptKind kind;
  std::string_view path;  // relative to db/, "tables/log_msg.sql"
  std::string_view text;
};

// Tables first, then rows, then procedures, then the demo; by file name
// within each kind.
std::span<const EmbeddedScript> EmbeddedScripts();

}  // namespace tpl::db::sqlite
