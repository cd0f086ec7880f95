// The system's own SQL that is not tied to one database's dialect runs on a real server too (PostgreSQL through
// ODBC): the identifier counters and the message log written with the fixed date.
#include <gtest/gtest.h>

#include <optional>

#include "infra/identifier_counters.h"
#include "database/conformance/conformance_providers.h"
#include "conventions/message_log.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

using db::conformance::PostgresTestSchema;

class SystemSqlOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string server = db::conformance::PostgresConnectionString();
    if (server.empty()) GTEST_SKIP() << db::conformance::kStartPostgresHint;
    schema_.emplace(server);
    schema_->Run(
        "CREATE TABLE infra_ids (LOG_GERADOR_ID INTEGER NOT NULL DEFAULT 0, LOG_SISTEMA_ID INTEGER NOT NULL DEFAULT 0);"
        "INSERT INTO infra_ids VALUES (0, 0);"
        "CREATE TABLE LOG_MSG (LOG_MSG_ID SERIAL PRIMARY KEY, TAB_TIPO_MSG_ID INTEGER, USUARIO_INTERNET_ID INTEGER,"
        " DATA_LOG TIMESTAMP, MSG01 VARCHAR(255), MSG02 VARCHAR(255), MSG03 VARCHAR(255), MSG04 VARCHAR(255),"
        " MSG05 VARCHAR(255))");
  }

  Variant connection() const { return Variant(schema_->connection_string()); }
  Variant Scalar(const std::string& sql) const { return schema_->Run(sql).at(0).cells.at(0); }

  std::optional<PostgresTestSchema> schema_;
};

TEST_F(SystemSqlOnServer, CountersHandOutOneIdentifierAfterAnother) {
  for (int32_t expected : {1, 2, 3}) {
    std::string message;
    int32_t identifier = 0;
    ASSERT_TRUE(gAtualiza_infra_ids("SQLSERVER", 5, "N", nullptr, CStr(connection()), "LOG_GERADOR_ID", message,
                                    identifier, db::CallLimits::OutsideAnyCall()))
        << message;
    EXPECT_EQ(identifier, expected);
  }
  EXPECT_EQ(CLng(Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), 3);
}

TEST_F(SystemSqlOnServer, MessageLogWritesTheFixedDateForAnotherKind) {
  gGrava_Log_Msg(Variant("POSTGRES"), connection(), Variant::Long(7), Variant::Long(1), Variant("Falha na ação"));
  EXPECT_EQ(Scalar("SELECT to_char(DATA_LOG, 'DD/MM/YYYY') || '|' || USUARIO_INTERNET_ID || '|' || MSG01 "
                   "FROM LOG_MSG"),
            Variant("01/01/2002|7|Falha na ação"));
}

}  // namespace
}  // namespace tpl
