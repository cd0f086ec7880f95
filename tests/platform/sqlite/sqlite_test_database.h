// A fresh embedded database in a temporary folder of its own, removed with the object, and small helpers to run
// commands on it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "platform/database/provider.h"
#include "platform/error_number.h"
#include "platform/sqlite/sqlite_provider.h"
#include "platform/sqlite/stored_procedures.h"
#include "support/temp_folder.h"
#include "tpl/datetime.h"
#include "tpl/embedded_database.h"

namespace tpl::db::testing {

using platform_test::ErrorNumber;
using platform_test::Failure;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// "test.db", made by CreateEmbeddedDatabase.
class SqliteTestDatabase {
 public:
  SqliteTestDatabase() { CreateEmbeddedDatabase(file_); }
  const std::string& file() const { return file_; }
  std::unique_ptr<Provider> Open() const { return OpenSqliteProvider(file_); }
  // Installs a procedure through the loader that init-db uses.
  void InstallProcedure(std::string_view source) const {
    sqlite::InstallProcedure(sqlite::OpenSqliteSession(file_).get(), source);
  }

 private:
  tpl::testing::TempFolder folder_;
  std::string file_ = (folder_.path() / "test.db").string();
};

inline std::vector<ResultSet> RunSql(Provider& provider, std::string_view sql, int32_t timeout_seconds = 0) {
  std::vector<Parameter> none;
  return provider.Execute(CommandType::Text, sql, none, timeout_seconds);
}
// The only cell of a command's only row set.
inline Variant RunScalar(Provider& provider, std::string_view sql) {
  const std::vector<ResultSet> results = RunSql(provider, sql);
  const bool one = results.size() == 1 && results[0].cells.size() == 1;
  EXPECT_TRUE(one) << "expected one value from " << sql;
  return one ? results[0].cells[0] : Variant();
}

inline Parameter Param(Variant value, std::string name = {}, ParameterDirection direction = ParameterDirection::Input) {
  return {std::move(name), DataType::VarChar, direction, 0, std::move(value)};
}

// A test with a fresh database and a provider open on it.
class SqliteTest : public ::testing::Test {
 protected:
  std::vector<ResultSet> Run(std::string_view sql) { return RunSql(*provider_, sql); }
  Variant Scalar(std::string_view sql) { return RunScalar(*provider_, sql); }
  // Runs a command; its parameters stay in parameters_ to be read back.
  std::vector<ResultSet> Run(std::string_view sql, std::vector<Parameter> parameters,
                             CommandType type = CommandType::Text) {
    parameters_ = std::move(parameters);
    return provider_->Execute(type, sql, parameters_, 0);
  }

  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
  std::vector<Parameter> parameters_;
};

}  // namespace tpl::db::testing
