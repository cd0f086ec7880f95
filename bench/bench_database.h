// An embedded database for a benchmark run: made once in a folder of its
// own, filled by a SQL script, removed at exit.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tpl/embedded_database.h"

namespace tpl::bench {

class BenchDatabase {
 public:
  // `in_memory`: under /dev/shm where the machine has it, so that a
  // commit's wait for the disk does not swamp what is measured.
  BenchDatabase(const char* fill_script, bool in_memory) {
    const std::filesystem::path parent = in_memory && std::filesystem::is_directory("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    std::string name = (parent / "tpl_bench_XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    folder_ = name;
    file_ = (folder_ / "bench.db").string();
    db::CreateEmbeddedDatabase(file_);
    sqlite3* connection = nullptr;
    sqlite3_open(file_.c_str(), &connection);
    if (sqlite3_exec(connection, fill_script, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_close(connection);
  }
  BenchDatabase(const BenchDatabase&) = delete;
  BenchDatabase& operator=(const BenchDatabase&) = delete;
  ~BenchDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& file() const { return file_; }

 private:
  std::filesystem::path folder_;
  std::string file_;
};

}  // namespace tpl::bench
