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
  // Every row of a query as text: columns joined by '|', rows by ';', Null
  // shown as <null>. One comparison then checks whole rows.
  std::string Rows(const std::string& sql) const;
  // SELECT COUNT(*) FROM `from` (a table, optionally with a WHERE clause).
  int32_t Count(const std::string& from) const;
  // Sets the text of one row of Tab_Parametro_Sistema.
  void SetParameter(int32_t id, const std::string& value) const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path file_;
};

}  // namespace tpl::testing
