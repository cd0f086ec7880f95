// Running commands on a provider's session in a test, the same way for every provider.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

#include "database/provider.h"

namespace tpl::platform_test {

inline std::vector<db::ResultSet> RunSql(db::Provider& session, std::string_view sql, int32_t timeout_seconds = 0) {
  std::vector<db::Parameter> none;
  return session.Execute(db::CommandType::Text, sql, none, timeout_seconds);
}

// The only cell of a command's only row set.
inline Variant RunScalar(db::Provider& session, std::string_view sql) {
  const std::vector<db::ResultSet> results = RunSql(session, sql);
  const bool one = results.size() == 1 && results[0].cells.size() == 1;
  EXPECT_TRUE(one) << "expected one value from " << sql;
  return one ? results[0].cells[0] : Variant();
}

// A test's session. The fixture that opens it closes it before the database it is on goes away.
class ProviderSession {
 protected:
  // Runs a command; its parameters stay in parameters_ to be read back.
  std::vector<db::ResultSet> Run(std::string_view sql, std::vector<db::Parameter> parameters = {},
                                 db::CommandType type = db::CommandType::Text) {
    parameters_ = std::move(parameters);
    return session_->Execute(type, sql, parameters_, 0);
  }
  Variant Scalar(std::string_view sql) { return RunScalar(*session_, sql); }

  std::unique_ptr<db::Provider> session_;
  std::vector<db::Parameter> parameters_;
};

}  // namespace tpl::platform_test
