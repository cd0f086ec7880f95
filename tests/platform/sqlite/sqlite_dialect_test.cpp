// SQL Server and Oracle functions and words in commands sent to the
// embedded database.
#include <gtest/gtest.h>

#include <string>

#include "platform/sqlite/dialect_rewriter.h"
#include "platform/sqlite/oracle_date_mask.h"
#include "platform/sqlite/sql_date_text.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

using sqlite::ReadOracleDate;
using sqlite::RewriteForeignDialect;
using sqlite::SqlDateText;
using sqlite::TryReadSqlDateText;

TEST(SqliteDialectRewriter, RewritesOnlyTheForeignWords) {
  struct Row {
    const char* sql;
    const char* rewritten;
  };
  const Row rows[] = {
      {"SELECT SYSDATE FROM dual", "SELECT GETDATE() FROM dual"},
      {"VALUES (1, sysdate)", "VALUES (1, GETDATE())"},
      {"VALUES (1, SYSDATE  )  ", "VALUES (1, GETDATE()  )  "},
      {"SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE", "SELECT 'SYSDATE', \"SYSDATE\", [SYSDATE] -- SYSDATE"},
      {"SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t", "SELECT t.SYSDATE, SYSDATE_X, MY_SYSDATE FROM t"},
      {"SELECT ISNULL(a, 0), IsNull (b,'x')", "SELECT IFNULL(a, 0), IFNULL (b,'x')"},
      {"SELECT a FROM t WHERE a ISNULL", "SELECT a FROM t WHERE a ISNULL"},
      {"SELECT 'ISNULL(a)' /* ISNULL( */", "SELECT 'ISNULL(a)' /* ISNULL( */"},
      {"SELECT 1", "SELECT 1"},
  };
  for (const Row& row : rows) EXPECT_EQ(RewriteForeignDialect(row.sql), row.rewritten) << row.sql;
}

TEST(SqliteStoredDateText, ReadsBackWhatIsWritten) {
  Date written;
  ASSERT_TRUE(TryMakeDate({2001, 10, 13, 10, 20, 30}, written));
  Date read;
  ASSERT_TRUE(TryReadSqlDateText(SqlDateText(written), read));
  EXPECT_EQ(read, written);
  for (const char* text : {"2001-10-13 10:20:30", "2001/10/13"})
    EXPECT_TRUE(TryReadSqlDateText(text, read)) << text;
  for (const char* text : {"2001/02/30", "13/10/2001", "2001/10-13", "2001/10/13 25:00:00",
                           "2001/10/13T10:20:30", "2001/10/1"})
    EXPECT_FALSE(TryReadSqlDateText(text, read)) << text;
}

TEST(SqliteOracleDateMask, ReadsDatesWrittenWithTheMask) {
  const DateParts defaults{2020, 5, 1, 0, 0, 0};
  struct Row {
    const char* text;
    const char* mask;
    const char* date;
  };
  const Row rows[] = {
      {"2001/10/13 10:20:00", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 10:20:00"},
      {"2001/10/13 10:20:59", "YYYY/MM/DD hh24:mi:ss", "2001/10/13 10:20:59"},
      {"13/10/2001", "dd/mm/yyyy", "2001/10/13 00:00:00"},
      {"2001-1-5", "yyyy/mm/dd", "2001/01/05 00:00:00"},
      {"20011013", "yyyymmdd", "2001/10/13 00:00:00"},
      {"2001/10/13", "yyyy/mm/dd hh24:mi:ss", "2001/10/13 00:00:00"},
      {" 2001/10/13 ", "yyyy/mm/dd", "2001/10/13 00:00:00"},
      {"01-10-13", "yy-mm-dd", "2001/10/13 00:00:00"},
      {"99-10-13", "rr-mm-dd", "1999/10/13 00:00:00"},
      {"2000/02/29", "yyyy/mm/dd", "2000/02/29 00:00:00"},
      {"10:20", "hh24:mi", "2020/05/01 10:20:00"},
  };
  for (const Row& row : rows) {
    auto parts = ReadOracleDate(row.text, row.mask, defaults);
    ASSERT_TRUE(parts.has_value()) << row.text << " / " << row.mask;
    EXPECT_EQ(SqlDateText(*parts), row.date) << row.text << " / " << row.mask;
  }
}

TEST(SqliteOracleDateMask, RefusesTextsThatAreNoDateOfTheMask) {
  const DateParts defaults{2020, 5, 1, 0, 0, 0};
  struct Row {
    const char* text;
    const char* mask;
  };
  const Row rows[] = {
      {"2001/02/30", "yyyy/mm/dd"},  {"1900/02/29", "yyyy/mm/dd"},       {"2001/13/01", "yyyy/mm/dd"},
      {"abc", "yyyy"},               {"2001/10/13 24:00", "yyyy/mm/dd hh24:mi"},
      {"2001/10/13 x", "yyyy/mm/dd"}, {"2001/10/13 10", "yyyy/mm/dd"},   {"2001 1", "yyyy Q"},
      {"2001/10/13 10:60", "yyyy/mm/dd hh24:mi"},
  };
  for (const Row& row : rows) {
    EXPECT_FALSE(ReadOracleDate(row.text, row.mask, defaults).has_value()) << row.text << " / " << row.mask;
  }
}

class SqliteDialect : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteDialect, GetDateAndSysdateGiveTheLocalTime) {
  for (const char* sql : {"SELECT GETDATE()", "SELECT getdate ( )", "SELECT SYSDATE", "SELECT (SYSDATE )"}) {
    const std::string before = SqlDateText(sqlite::LocalNow());
    const Variant now = RunScalar(*provider_, sql);
    const std::string after = SqlDateText(sqlite::LocalNow());
    ASSERT_TRUE(now.IsString()) << sql;
    EXPECT_LE(before, now.AsString()) << sql;
    EXPECT_GE(after, now.AsString()) << sql;
  }
}

TEST_F(SqliteDialect, FunctionsGiveTheirValues) {
  struct Row {
    const char* sql;
    Variant value;
  };
  const Row rows[] = {
      {"SELECT ISNULL(NULL, 'x')", Variant("x")},
      {"SELECT ISNULL(5, 0)", Variant(5)},
      {"SELECT NVL(NULL, 2)", Variant(2)},
      {"SELECT nvl('a', 'b')", Variant("a")},
      {"SELECT TO_DATE('2001/10/13 10:20:00' , 'YYYY/MM/DD hh24:mi:ss')", Variant("2001/10/13 10:20:00")},
      {"SELECT to_date('2001/10/13 10:20:00', 'yyyy/mm/dd hh24:mi:ss')", Variant("2001/10/13 10:20:00")},
      {"SELECT TO_DATE(NULL, 'yyyy/mm/dd')", Variant::Null()},
      {"SELECT 1 WHERE TO_DATE('2001/10/13', 'yyyy/mm/dd') < '2001/10/14'", Variant(1)},
  };
  for (const Row& row : rows) EXPECT_EQ(RunScalar(*provider_, row.sql), row.value) << row.sql;
}

TEST_F(SqliteDialect, OracleInsertWithSysdateAndToDateStoresDates) {
  RunSql(*provider_,
      " Insert  Into LOG_SISTEMA (  LOG_SISTEMA_ID,  TABELA_SISTEMA_ID,  data_log )  Values ( 1 , 490 ,  SYSDATE )  ;"
      "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, DATA_LOG    , MSG01       ) VALUES ( 1 ,  "
      "TO_DATE('2002/01/01 08:09:10' , 'YYYY/MM/DD hh24:mi:ss') , 'x' ) ");
  Date expected;
  ASSERT_TRUE(TryParseDate("2002/01/01 08:09:10", expected));
  EXPECT_EQ(RunScalar(*provider_, "SELECT DATA_LOG FROM LOG_MSG"), Variant(expected));
  EXPECT_EQ(RunScalar(*provider_, "SELECT data_log FROM LOG_SISTEMA").type(), VarType::Date);
}

TEST_F(SqliteDialect, ToDateOfATextThatIsNoDateFails) {
  EXPECT_THROW(RunSql(*provider_, "SELECT TO_DATE('2001/02/30', 'yyyy/mm/dd')"), RuntimeError);
}

}  // namespace
}  // namespace tpl::db::testing
