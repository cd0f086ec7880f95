// A fresh embedded database in a temporary folder of its own, removed with
// the object, and small helpers to run commands on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database/provider.h"

namespace tpl::db::testing {

class SqliteTestFolder {
 public:
  SqliteTestFolder();
  SqliteTestFolder(const SqliteTestFolder&) = delete;
  SqliteTestFolder& operator=(const SqliteTestFolder&) = delete;
  ~SqliteTestFolder();

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class SqliteTestDatabase {
 public:
  SqliteTestDatabase();  // creates "test.db" with CreateEmbeddedDatabase

  const std::string& file() const { return file_; }
  const SqliteTestFolder& folder() const { return folder_; }
  std::unique_ptr<Provider> Open() const;
  // Installs a procedure through the loader that init-db uses.
  void InstallProcedure(std::string_view source) const;

 private:
  SqliteTestFolder folder_;
  std::string file_;
};

std::vector<ResultSet> RunSql(Provider& provider, std::string_view sql, int32_t timeout_seconds = 0);
std::vector<ResultSet> RunSql(Provider& provider, std::string_view sql, std::vector<Parameter>& parameters);
// The only cell of a command's only row set.
Variant RunScalar(Provider& provider, std::string_view sql);

inline const Variant& Cell(const ResultSet& result, size_t row, size_t column) {
  return result.cells.at(row * result.columns.size() + column);
}

}  // namespace tpl::db::testing
