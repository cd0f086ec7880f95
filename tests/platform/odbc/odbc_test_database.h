// A fresh SQLite database file reached through the SQLite ODBC driver, one per test, deleted when the test ends.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error_number.h"
#include "platform/odbc/odbc_provider.h"
#include "support/temp_folder.h"
#include "tpl/datetime.h"

namespace tpl::db::odbc {

using platform_test::ErrorNumber;
using platform_test::Failure;

class OdbcTest : public ::testing::Test {
 protected:
  OdbcTest() { provider_ = OpenAnother(); }

  // A new, independent session on the same file.
  std::unique_ptr<Provider> OpenAnother() const {
    return OpenOdbcProvider("Driver=SQLite3;Database=" + path_.string());
  }

  // Runs a command; its parameters stay in parameters_ to be read back.
  std::vector<ResultSet> Run(std::string_view sql, std::vector<Parameter> parameters = {},
                             CommandType type = CommandType::Text) {
    parameters_ = std::move(parameters);
    return provider_->Execute(type, sql, parameters_, 0);
  }
  // The single value of a one-row, one-column query.
  Variant Scalar(std::string_view sql) {
    std::vector<ResultSet> results = Run(sql);
    EXPECT_EQ(results.size(), 1u) << sql;
    EXPECT_EQ(results.at(0).cells.size(), 1u) << sql;
    return results.at(0).cells.at(0);
  }

  tpl::testing::TempFolder folder_{"tpl_odbc_"};  // declared first: the sessions close before it goes
  std::filesystem::path path_ = folder_.path() / "test.db";
  std::unique_ptr<Provider> provider_;
  std::vector<Parameter> parameters_;
};

}  // namespace tpl::db::odbc
