// SQL Server and Oracle functions and words in commands sent to the embedded database.
#include "database/sqlite/sql_dialect.h"
#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using sqlite::ReadOracleDate;
using sqlite::SqlDateText;

TEST(SqliteDialectRewriter, RewritesOnlyTheForeignWords) {
  const std::pair<const char*, const char*> rows[] = {
      {"SELECT SYSDATE FROM dual", "SELECT GETDATE() FROM dual"}, {"VALUES (1, sysdate)", "VALUES (1, GETDATE())"},
      {"VALUES (1, SYSDATE  )  ", "VALUES (1, GETDATE()  )  "},
      {"SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE", "SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE"},
      {"SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t", "SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t"},
      {"SELECT ISNULL(a, 0), IsNull (b,'x')", "SELECT IFNULL(a, 0), IFNULL (b,'x')"},
      {"SELECT a FROM t WHERE a ISNULL", "SELECT a FROM t WHERE a ISNULL"},
      {"SELECT 'ISNULL(a)' /* ISNULL( */", "SELECT 'ISNULL(a)' /* ISNULL( */"},
  };
  for (const auto& [sql, rewritten] : rows) EXPECT_EQ(sqlite::RewriteForeignDialect(sql), rewritten) << sql;
}

TEST(SqliteStoredDateText, ReadsBackWhatIsWritten) {
  Date written, read;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, written));
  ASSERT_TRUE(sqlite::TryReadSqlDateText(SqlDateText(written), read));
  EXPECT_EQ(read, written);
  for (const char* text : {"2001-10-13 10:20:30", "2001/10/13"})
    EXPECT_TRUE(sqlite::TryReadSqlDateText(text, read)) << text;
  for (const char* text :
       {"2001/02/30", "13/10/2001", "2001/10-13", "2001/10/13 25:00:00", "2001/10/13T10:20:30", "2001/10/1"})
    EXPECT_FALSE(sqlite::TryReadSqlDateText(text, read)) << text;
}

// Parts the mask leaves out come from the defaults; "" as the date means refused.
TEST(SqliteOracleDateMask, ReadsDatesWrittenWithTheMask) {
  const struct { const char* text; const char* mask; const char* date; } rows[] = {
      {"2001/10/13 10:20:00", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 10:20:00"},
      {"2001/10/13 10:20:59", "YYYY/MM/DD hh24:mi:ss", "2001/10/13 10:20:59"},
      {"13/10/2001", "dd/mm/yyyy", "2001/10/13 00:00:00"}, {"2001-1-5", "yyyy/mm/dd", "2001/01/05 00:00:00"},
      {"2001/10/13", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 00:00:00"}, {"10:20", "hh24:mi", "2020/05/01 10:20:00"},
      {" 2001/10/13 ", "yyyy/mm/dd", "2001/10/13 00:00:00"}, {"01-10-13", "yy-mm-dd", "2001/10/13 00:00:00"},
      {"99-10-13", "rr-mm-dd", "1999/10/13 00:00:00"}, {"2000/02/29", "yyyy/mm/dd", "2000/02/29 00:00:00"},
      {"20011013", "yyyymmdd", "2001/10/13 00:00:00"},
      {"2001/02/30", "yyyy/mm/dd", ""}, {"1900/02/29", "yyyy/mm/dd", ""}, {"2001/13/01", "yyyy/mm/dd", ""},
      {"abc", "yyyy", ""}, {"2001/10/13 24:00", "yyyy/mm/dd hh24:mi", ""}, {"2001/10/13 x", "yyyy/mm/dd", ""},
      {"2001/10/13 10", "yyyy/mm/dd", ""}, {"2001/10/13 10:60", "yyyy/mm/dd hh24:mi", ""}, {"2001 1", "yyyy Q", ""},
  };
  for (const auto& row : rows) {
    const auto parts = ReadOracleDate(row.text, row.mask, DateParts{2020, 5, 1, 0, 0, 0});
    EXPECT_EQ(parts ? SqlDateText(*parts) : "", row.date) << row.text << " / " << row.mask;
  }
}

using SqliteDialect = SqliteTest;

TEST_F(SqliteDialect, GetDateAndSysdateGiveTheLocalTime) {
  for (const char* sql : {"SELECT GETDATE()", "SELECT getdate ( )", "SELECT SYSDATE", "SELECT (SYSDATE )"}) {
    const std::string before = SqlDateText(sqlite::LocalNow());
    const Variant now = Scalar(sql);
    const std::string after = SqlDateText(sqlite::LocalNow());
    EXPECT_THAT(now.IsString() ? now.AsString() : "", AllOf(::testing::Ge(before), ::testing::Le(after))) << sql;
  }
}

TEST_F(SqliteDialect, FunctionsGiveTheirValues) {
  const std::pair<const char*, Variant> rows[] = {
      {"SELECT ISNULL(NULL, 'x')", Variant("x")}, {"SELECT ISNULL(5, 0)", Variant(5)},
      {"SELECT NVL(NULL, 2)", Variant(2)}, {"SELECT nvl('a', 'b')", Variant("a")},
      {"SELECT to_date('2001/10/13 10:20:00' , 'YYYY/MM/DD hh24:mi:ss')", Variant("2001/10/13 10:20:00")},
      {"SELECT TO_DATE(NULL, 'yyyy/mm/dd')", Variant::Null()},
      {"SELECT 1 WHERE TO_DATE('2001/10/13', 'yyyy/mm/dd') < '2001/10/14'", Variant(1)},
  };
  for (const auto& [sql, value] : rows) EXPECT_EQ(Scalar(sql), value) << sql;
  EXPECT_THROW(Run("SELECT TO_DATE('2001/02/30', 'yyyy/mm/dd')"), RuntimeError);
}

TEST_F(SqliteDialect, OracleInsertWithSysdateAndToDateStoresDates) {
  Run(" Insert  Into LOG_SISTEMA (  LOG_SISTEMA_ID,  TABELA_SISTEMA_ID,  data_log )  Values ( 1 , 490 ,  "
      "SYSDATE )  ;"
      "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, DATA_LOG    , MSG01       ) VALUES ( 1 ,  "
      "TO_DATE('2002/01/01 08:09:10' , 'YYYY/MM/DD hh24:mi:ss') , 'x' ) ");
  EXPECT_EQ(Scalar("SELECT DATA_LOG FROM LOG_MSG"), DateValue("2002/01/01 08:09:10"));
  EXPECT_EQ(Scalar("SELECT data_log FROM LOG_SISTEMA").type(), VarType::Date);
}

}  // namespace
}  // namespace tpl::db::testing
