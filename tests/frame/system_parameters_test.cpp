#include "frame/system_parameters.h"

#include <gtest/gtest.h>

#include "support/temp_database.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

using testing::TempDatabase;

TEST(SystemParameterQuery, DependsOnTheExactKind) {
  EXPECT_EQ(SystemParameterQuery(Variant("SQLSERVER"), Variant::Long(23042)),
            " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  "
            "23042 ");
  EXPECT_EQ(SystemParameterQuery(Variant("ORACLE"), Variant::Long(23042)),
            " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  "
            "  23042 ");
  // Only the exact word selects the Oracle form.
  EXPECT_EQ(SystemParameterQuery(Variant("oracle"), Variant::Long(23042)),
            SystemParameterQuery(Variant("SQLSERVER"), Variant::Long(23042)));
  EXPECT_EQ(SystemParameterQuery(Variant("ORACLE"), Variant("0")),
            " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  "
            " null ");
}

class SystemParameters : public ::testing::Test {
 protected:
  bool Lookup(const Variant& kind, const Variant& id, Variant& value, Variant& message) {
    return mBusca_Tab_Parametro_Sistema(kind, Variant::Long(5), Variant(db_.connection_string()),
                                        message, id, value);
  }
  TempDatabase db_;
};

TEST_F(SystemParameters, ReadsDefaultRowsForBothKinds) {
  for (const char* kind : {"SQLSERVER", "ORACLE", "oracle"}) {
    Variant value;
    Variant message;
    ASSERT_TRUE(Lookup(Variant(kind), Variant::Long(2001780), value, message)) << kind;
    EXPECT_EQ(value, Variant("90")) << kind;
  }
}

TEST_F(SystemParameters, MissingRowLeavesTheValueAndNullGivesEmpty) {
  Variant value("antes");
  Variant message;
  ASSERT_TRUE(Lookup(Variant("SQLSERVER"), Variant::Long(999999), value, message));
  EXPECT_EQ(value, Variant("antes"));

  db_.Execute("UPDATE Tab_Parametro_Sistema SET Parametro = NULL "
              "WHERE Tab_Parametro_Sistema_ID = 23042");
  ASSERT_TRUE(Lookup(Variant("SQLSERVER"), Variant::Long(23042), value, message));
  EXPECT_EQ(value, Variant(""));
}

TEST_F(SystemParameters, FailureKeepsTheValueAndLogs) {
  db_.Execute("DROP TABLE Tab_Parametro_Sistema");
  Variant value("antes");
  Variant message;
  EXPECT_FALSE(Lookup(Variant("ORACLE"), Variant::Long(23042), value, message));
  EXPECT_EQ(value, Variant("antes"));
  EXPECT_EQ(message, Variant("Acesso aos dados dos parâmetros do sistema não disponível. Favor "
                             "tentar mais tarde."));
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_MSG")), 1);
}

}  // namespace
}  // namespace tpl
