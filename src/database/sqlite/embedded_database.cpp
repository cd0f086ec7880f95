#include "tpl/embedded_database.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "database/sqlite/embedded_scripts.h"
#include "database/sqlite/sqlite_provider.h"
#include "database/sqlite/statements.h"
#include "database/sqlite/stored_procedure_reading.h"
#include "sentences/sentences.h"
#include "tpl/runtime_error.h"

namespace tpl::db {
namespace {

using namespace sqlite;

// The platform's number for "file already exists".
constexpr int32_t kFileAlreadyExists = 58;
// The platform's number for "path/file access error".
constexpr int32_t kFileAccessError = 75;

// Creates the file empty, failing when it exists, so that two creations of
// one file cannot both succeed. SQLite takes an empty file as an empty
// database.
void CreateEmptyFile(const std::string& file) {
  std::FILE* handle = std::fopen(file.c_str(), "wx");
  if (handle == nullptr) {
    if (errno == EEXIST) throw RuntimeError(kFileAlreadyExists, Compose(sentences::kFileAlreadyExists, file));
    throw RuntimeError(kFileAccessError, Compose(sentences::kFileNotCreated, file, std::strerror(errno)));
  }
  std::fclose(handle);
}

void RemoveDatabaseFiles(const std::string& file) noexcept {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(file + suffix, ignored);
}

void RunScripts(sqlite3* connection, bool with_demo_data, const CallLimits& limits) {
  AtomicScope scope(connection, limits);
  for (const EmbeddedScript& script : EmbeddedScripts()) {
    if (script.kind == ScriptKind::Demo && !with_demo_data) continue;
    if (script.kind != ScriptKind::Procedure) {
      ExecuteScript(connection, script.text, script.path);
      continue;
    }
    try {
      InstallProcedure(connection, script.text, limits);
    } catch (const RuntimeError& error) {
      throw RuntimeError(error.number(), std::string(script.path) + ": " + error.description());
    }
  }
  scope.Commit();
}

}  // namespace

void CreateEmbeddedDatabase(const std::string& file, bool with_demo_data) {
  CreateEmptyFile(file);
  try {
    // Creating a database is no call of the library's.
    const CallLimits limits = CallLimits::OutsideAnyCall();
    SqliteConnection connection = OpenSqliteSession(file, limits);
    ExecuteScript(connection.get(), "PRAGMA journal_mode = WAL");
    RunScripts(connection.get(), with_demo_data, limits);
    // Sessions leave the log in place when they close (OpenSqliteSession);
    // a new database is whole in its file.
    ExecuteScript(connection.get(), "PRAGMA wal_checkpoint(TRUNCATE)");
  } catch (...) {
    RemoveDatabaseFiles(file);
    throw;
  }
}

}  // namespace tpl::db
