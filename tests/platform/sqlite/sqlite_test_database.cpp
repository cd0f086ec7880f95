#include "platform/sqlite/sqlite_test_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <random>

#include "platform/sqlite/embedded_database.h"
#include "platform/sqlite/procedure_catalog.h"
#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/sqlite_session.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {

SqliteTestFolder::SqliteTestFolder() {
  static std::atomic<int> counter{0};
  const std::string name = "tpl_sqlite_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
                           std::to_string(std::random_device{}());
  path_ = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(path_);
}

SqliteTestFolder::~SqliteTestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

SqliteTestDatabase::SqliteTestDatabase() : file_((folder_.path() / "test.db").string()) {
  CreateEmbeddedDatabase(file_);
}

std::unique_ptr<Provider> SqliteTestDatabase::Open() const { return OpenSqliteProvider(file_); }

void SqliteTestDatabase::InstallProcedure(std::string_view source) const {
  auto session = sqlite::OpenSqliteSession(file_);
  sqlite::InstallProcedure(session.get(), source);
}

std::vector<ResultSet> RunSql(Provider& provider, std::string_view sql, int32_t timeout_seconds) {
  std::vector<Parameter> none;
  return provider.Execute(CommandType::Text, sql, none, timeout_seconds);
}

std::vector<ResultSet> RunSql(Provider& provider, std::string_view sql, std::vector<Parameter>& parameters) {
  return provider.Execute(CommandType::Text, sql, parameters, 0);
}

Variant RunScalar(Provider& provider, std::string_view sql) {
  auto results = RunSql(provider, sql);
  if (results.size() != 1 || results.front().cells.size() != 1) {
    ADD_FAILURE() << "expected one value from " << sql;
    return Variant();
  }
  return results.front().cells.front();
}

}  // namespace tpl::db::testing
