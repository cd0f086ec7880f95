// A fresh embedded database in its own temporary folder, removed when the test ends, with helpers to run SQL on it.
#pragma once

#include <filesystem>
#include <string>

#include "database/recordset.h"
#include "support/temp_folder.h"
#include "tpl/variant.h"

namespace tpl::testing {

class TempDatabase {
 public:
  // The folder is made under `parent`; a walk that builds thousands of databases passes a memory-backed one (see
  // MemoryBackedFolder).
  explicit TempDatabase(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::filesystem::path& file() const { return file_; }
  std::string connection_string() const { return "Data Source=" + file_.string(); }

  // Runs a statement that returns nothing.
  void Execute(const std::string& sql) const;
  // The first row set of a query.
  db::Recordset Query(const std::string& sql) const;
  // The first column of the first row (Empty when there is no row).
  Variant Scalar(const std::string& sql) const;
  // Every row of a query as text: columns joined by '|', rows by ';', Null shown as <null>.
  std::string Rows(const std::string& sql) const;
  // SELECT COUNT(*) FROM `from` (a table, optionally with a WHERE clause).
  int32_t Count(const std::string& from) const;
  // Makes this database a copy of `other` (no session may be open on either): far cheaper than building a new one.
  void RestoreFrom(const TempDatabase& other) const;
  // Sets the text of one row of Tab_Parametro_Sistema.
  void SetParameter(int32_t id, const std::string& value) const;

 private:
  TempFolder folder_;
  std::filesystem::path file_;
};

// /dev/shm where it exists (no disk synchronisation on every commit), the temporary folder otherwise.
std::filesystem::path MemoryBackedFolder();

}  // namespace tpl::testing
