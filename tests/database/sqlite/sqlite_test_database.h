// A fresh embedded database in a temporary folder of its own, removed with the object, and a test with a session on
// one.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "database/provider.h"
#include "values/error_number.h"
#include "database/provider_session.h"
#include "database/sqlite/sqlite_provider.h"
#include "database/sqlite/stored_procedure_reading.h"
#include "support/temp_folder.h"
#include "tpl/datetime.h"
#include "tpl/embedded_database.h"

namespace tpl::db::testing {

using platform_test::ErrorNumber;
using platform_test::Failure;
using platform_test::RunScalar;
using platform_test::RunSql;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// "test.db", made by CreateEmbeddedDatabase.
class SqliteTestDatabase {
 public:
  SqliteTestDatabase() { CreateEmbeddedDatabase(file_); }
  const std::string& file() const { return file_; }
  std::unique_ptr<Provider> Open() const { return OpenSqliteProvider(file_, CallLimits::OutsideAnyCall()); }
  // Installs a procedure through the loader that init-db uses.
  void InstallProcedure(std::string_view source) const {
    const CallLimits outside = CallLimits::OutsideAnyCall();
    sqlite::InstallProcedure(sqlite::OpenSqliteSession(file_, outside).get(), source, outside);
  }

 private:
  tpl::testing::TempFolder folder_;
  std::string file_ = (folder_.path() / "test.db").string();
};

// The date a text names, as the platform reads it.
inline Variant DateValue(std::string_view text) {
  Date date;
  EXPECT_TRUE(TryParseDate(text, date)) << text;
  return Variant(date);
}

inline Parameter Param(Variant value, std::string name = {}, ParameterDirection direction = ParameterDirection::Input) {
  return {std::move(name), DataType::VarChar, direction, 0, std::move(value)};
}

// A test with a fresh database and a session open on it.
class SqliteTest : public ::testing::Test, protected platform_test::ProviderSession {
 protected:
  SqliteTest() { session_ = database_.Open(); }
  using ProviderSession::Run;  // not gtest's own
  ~SqliteTest() override { session_.reset(); }

  SqliteTestDatabase database_;
};

}  // namespace tpl::db::testing
