#include "infra/message_log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using testing::TempDatabase;

class MessageLog : public ::testing::Test {
 protected:
  int32_t Rows() const { return CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_MSG")); }
  TempDatabase db_;
};

TEST_F(MessageLog, CutsTheTextIntoPiecesOf255Characters) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i < 255 ? "á" : "b");
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant(db_.connection_string()), Variant::Long(7),
                 Variant::Long(1), Variant(text));
  db::Recordset row = db_.Query(
      "SELECT TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID, MSG01, MSG02, MSG03, MSG04, MSG05, DATA_LOG "
      "FROM LOG_MSG");
  ASSERT_FALSE(row.Eof());
  EXPECT_EQ(CLng(row.Value("TAB_TIPO_MSG_ID")), 1);
  EXPECT_EQ(CLng(row.Value("USUARIO_INTERNET_ID")), 7);
  EXPECT_EQ(CStr(row.Value("MSG01")), text.substr(0, 255 * 2));
  EXPECT_EQ(CStr(row.Value("MSG02")), std::string(45, 'b'));
  EXPECT_TRUE(row.Value("MSG03").IsNull());
  EXPECT_TRUE(row.Value("MSG05").IsNull());
  EXPECT_EQ(row.Value("DATA_LOG").type(), VarType::Date);
}

TEST_F(MessageLog, TextBeyond1275CharactersIsDropped) {
  std::string text(1300, 'x');
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant(db_.connection_string()), Variant::Long(7),
                 Variant::Long(1), Variant(text));
  EXPECT_EQ(CStr(db_.Scalar("SELECT MSG05 FROM LOG_MSG")), std::string(255, 'x'));
}

TEST_F(MessageLog, WritesNothingWithoutKindConnectionOrText) {
  std::string connection = db_.connection_string();
  gGrava_Log_Msg(Variant("  "), Variant(connection), Variant::Long(1), Variant::Long(1),
                 Variant("texto"));
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant(connection), Variant::Long(1), Variant::Long(1),
                 Variant("<>();"));
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant(connection), Variant::Long(1), Variant::Long(1),
                 Variant("   "));
  EXPECT_EQ(Rows(), 0);
  // A connection that cannot be opened is swallowed too.
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant("Data Source=/nonexistent/x.db"),
                 Variant::Long(1), Variant::Long(1), Variant("texto"));
}

TEST_F(MessageLog, FiltersTheTextAndWritesNonNumbersAsNull) {
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant(db_.connection_string()), Variant("abc"),
                 Variant("x"), Variant("O'Brien (erro) ; 100% & +"));
  db::Recordset row = db_.Query("SELECT USUARIO_INTERNET_ID, TAB_TIPO_MSG_ID, MSG01 FROM LOG_MSG");
  ASSERT_FALSE(row.Eof());
  EXPECT_TRUE(row.Value(0).IsNull());
  EXPECT_TRUE(row.Value(1).IsNull());
  EXPECT_EQ(CStr(row.Value(2)), "OBrien erro  100  ");
}

TEST_F(MessageLog, TimeExpressionFollowsTheDatabaseKind) {
  std::string connection = db_.connection_string();
  EXPECT_NE(MessageLogStatement(Variant("ORACLE"), Variant(connection), Variant::Long(1),
                                Variant::Long(1), Variant("m"))
                .find(" TO_DATE('"),
            std::string::npos);
  gGrava_Log_Msg(Variant("ORACLE"), Variant(connection), Variant::Long(1), Variant::Long(1),
                 Variant("oracle"));
  gGrava_Log_Msg(Variant("OUTRO"), Variant(connection), Variant::Long(1), Variant::Long(1),
                 Variant("outro"));
  Date now = Now();
  Variant oracle = db_.Scalar("SELECT DATA_LOG FROM LOG_MSG WHERE MSG01 = 'oracle'");
  ASSERT_EQ(oracle.type(), VarType::Date);
  EXPECT_NEAR(oracle.AsDate().serial, now.serial, 1.0 / 24 / 60);
  EXPECT_EQ(FormatDate(db_.Scalar("SELECT DATA_LOG FROM LOG_MSG WHERE MSG01 = 'outro'"),
                       "yyyy/mm/dd"),
            "2002/01/01");
}

TEST(MessageLogStatementText, MatchesTheColumnLayout) {
  EXPECT_EQ(MessageLogStatement(Variant("SQLSERVER"), Variant("Data Source=x"), Variant::Long(5),
                                Variant::Long(1), Variant("abc")),
            "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID ,  DATA_LOG    ,  MSG01 "
            "      ,  MSG02       ,  MSG03       ,  MSG04       ,  MSG05       )  VALUES ( 1 , 5 "
            ",  GETDATE() , 'abc' , null , null , null , null ) ");
}

}  // namespace
}  // namespace tpl
