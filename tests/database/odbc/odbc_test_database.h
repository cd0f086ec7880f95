// A fresh SQLite database file reached through the SQLite ODBC driver, one per test, deleted when the test ends.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "values/error_number.h"
#include "database/odbc/odbc_provider.h"
#include "database/provider_session.h"
#include "support/temp_folder.h"
#include "tpl/datetime.h"

namespace tpl::db::odbc {

using platform_test::ErrorNumber;
using platform_test::Failure;

class OdbcTest : public ::testing::Test, protected platform_test::ProviderSession {
 protected:
  OdbcTest() { session_ = OpenOdbcProvider("Driver=SQLite3;Database=" + path_.string(), CallLimits::OutsideAnyCall()); }
  using ProviderSession::Run;  // not gtest's own
  ~OdbcTest() override { session_.reset(); }

  tpl::testing::TempFolder folder_{"tpl_odbc_"};
  std::filesystem::path path_ = folder_.path() / "test.db";
};

}  // namespace tpl::db::odbc
