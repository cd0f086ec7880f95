// A fresh embedded database in its own temporary folder, removed when the
// test ends, with helpers to run SQL against it.
#pragma once

#include <filesystem>
#include <string>

#include "platform/database/recordset.h"
#include "tpl/variant.h"

namespace tpl::testing {

class TempDatabase {
 public:
  TempDatabase();
  ~TempDatabase();
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

 private:
  std::filesystem::path folder_;
  std::filesystem::path file_;
};

}  // namespace tpl::testing
