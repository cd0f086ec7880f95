// A fresh SQLite database file reached through the SQLite ODBC driver, one
// per test, deleted when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/odbc_provider.h"
#include "tpl/runtime_error.h"

namespace tpl::db::odbc {

class OdbcTest : public ::testing::Test {
 protected:
  OdbcTest() {
    static std::atomic<int> counter{0};
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("tpl_odbc_" + std::string(test->name()) + "_" + std::to_string(getpid()) + "_" +
             std::to_string(counter++) + ".db");
    std::filesystem::remove(path_);
    connection_string_ = "Driver=SQLite3;Database=" + path_.string();
    provider_ = OpenOdbcProvider(connection_string_);
  }
  ~OdbcTest() override {
    provider_.reset();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  // A second, independent session on the same file.
  std::unique_ptr<Provider> OpenAnother() const { return OpenOdbcProvider(connection_string_); }

  std::vector<ResultSet> Run(std::string_view sql) {
    std::vector<Parameter> none;
    return Run(*provider_, sql, none);
  }
  std::vector<ResultSet> Run(std::string_view sql, std::vector<Parameter>& parameters) {
    return Run(*provider_, sql, parameters);
  }
  static std::vector<ResultSet> Run(Provider& provider, std::string_view sql,
                                    std::vector<Parameter>& parameters) {
    return provider.Execute(CommandType::Text, sql, parameters, 0);
  }
  // The single value of a one-row, one-column query.
  Variant Scalar(std::string_view sql) {
    std::vector<ResultSet> results = Run(sql);
    EXPECT_EQ(results.size(), 1u) << sql;
    EXPECT_EQ(results.at(0).cells.size(), 1u) << sql;
    return results.at(0).cells.at(0);
  }

  std::filesystem::path path_;
  std::string connection_string_;
  std::unique_ptr<Provider> provider_;
};

}  // namespace tpl::db::odbc
