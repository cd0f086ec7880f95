#include "support/temp_database.h"

#include <unistd.h>

#include <atomic>

#include "platform/sqlite/embedded_database.h"

namespace tpl::testing {

TempDatabase::TempDatabase() {
  static std::atomic<int> counter{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("tpl-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(folder_);
  file_ = folder_ / "tpl.db";
  db::CreateEmbeddedDatabase(file_.string());
}

TempDatabase::~TempDatabase() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TempDatabase::Execute(const std::string& sql) const {
  db::Recordset recordset;
  recordset.Open(sql, connection_string());
}

db::Recordset TempDatabase::Query(const std::string& sql) const {
  db::Recordset recordset;
  recordset.Open(sql, connection_string());
  return recordset;
}

Variant TempDatabase::Scalar(const std::string& sql) const {
  db::Recordset recordset = Query(sql);
  if (!recordset.IsOpen() || recordset.Eof()) return Variant();
  return recordset.Value(0);
}

}  // namespace tpl::testing
