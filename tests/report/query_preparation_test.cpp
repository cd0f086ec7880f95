#include "report/query_preparation.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_database.h"
#include "tpl/conversions.h"

namespace tpl {
namespace {

struct Filter {
  const char* placeholder;
  const char* type;
  const char* value;
};

struct Call {
  Variant conn{"Data Source=/nonexistent/tpl.db"}, user{Variant::Long(5)}, msg, kind;
  Variant query, matrix, lines, columns{Variant::Integer(7)};
  Call(const char* database_kind, const std::string& text, const std::vector<Filter>& filters)
      : kind(database_kind), query(text) {
    auto count = static_cast<int16_t>(filters.size());
    Array m = Array::Matrix(count, 7);
    for (int32_t r = 0; r < count; ++r) {
      m.at(r, 2) = Variant(filters[r].placeholder);
      m.at(r, 3) = Variant(filters[r].type);
      m.at(r, 6) = Variant(filters[r].value);
    }
    matrix = Variant(std::move(m));
    lines = Variant::Integer(count);
  }
  bool Run() { return mPrepara_Query(conn, user, msg, kind, query, matrix, lines, columns); }
  std::string Value(int32_t row) const { return CStr(matrix.AsArray().at(row, 6)); }
};

const std::string kDate = "  to_date('2001/10/13 00:00:00', 'yyyy/mm/dd hh24:mi:ss')";

TEST(QueryPreparation, SqlTextOfEachValue) {
  struct Row {
    Filter filter;
    std::string oracle, other;
  };
  std::vector<Row> rows = {
      {{"{D}", "D", "2001/10/13"}, kDate, "'2001/10/13'"},
      {{"{D}", "D", " 2001/10/13 "}, kDate, "'2001/10/13'"},
      {{"{D}", "D", ""}, " null", "''"},      {{"{N}", "N", "15"}, "  15", "15"},
      {{"{N}", "N", "0"}, " null", "null"},   {{"{U}", "U", ""}, " null", "null"},
      {{"{C}", " c ", "abc"}, "  'ABC'", "'abc'"}, {{"{C}", "C", ""}, " NULL", "null"},
      {{"{V}", "V", "10,50"}, "  10.50", "10.50"}, {{"{V}", "V", "0,00"}, " null", "null"},
      {{"{Z}", "Z", "a,;b"}, "a,;b", "a,;b"},
      {{"{@L@}", "D", "01/02/2020,05/02/2020"}, "'01/02/2020','05/02/2020'", ""},
      {{"{@L@}", "C", "a, b"}, "'a',' b'", ""},   {{"{@L@}", "C", "a;b,(c)"}, "'ab','c'", ""},
      {{"{@L@}", "C", ""}, "''", ""},             {{"{@L@}", "N", "1,2,3"}, "1,2,3", ""},
      {{"{@L@}", "U", "1,(2)"}, "1,2", ""},       {{"{@L@}", "V", "1,5"}, "1,5", ""},
  };
  // Database kinds, and whether they select Oracle's literals.
  std::vector<std::pair<const char*, bool>> kinds = {
      {"ORACLE", true}, {" oracle ", true}, {"SQLSERVER", false}, {"", false}, {"ORACLE8", false}};
  for (const Row& row : rows) {
    const Filter& f = row.filter;
    for (auto [kind, oracle] : kinds) {
      // Lists come out the same for every kind.
      const std::string& expected = oracle || row.other.empty() ? row.oracle : row.other;
      Call call(kind, std::string("X = ") + f.placeholder, {f});
      EXPECT_TRUE(call.Run()) << f.type << f.value << kind;
      EXPECT_EQ(call.Value(0), expected) << f.type << f.value << kind;
      EXPECT_EQ(CStr(call.query), "X = " + expected) << f.type << f.value << kind;
    }
  }
}

TEST(QueryPreparation, WorkedExample) {
  const char* query =
      "SELECT A FROM T WHERE DT >= {DATA_INI} AND CLI IN ({@CLI@}) AND NUM = {NUM}";
  std::vector<Filter> filters = {
      {"{DATA_INI}", "D", "2001/10/13"}, {"{@CLI@}", "C", "x,y"}, {"{NUM}", "N", "0"}};
  Call server("SQLSERVER", query, filters), oracle("ORACLE", query, filters);
  EXPECT_TRUE(server.Run() && oracle.Run());
  EXPECT_EQ(CStr(server.query),
            "SELECT A FROM T WHERE DT >= '2001/10/13' AND CLI IN ('x','y') AND NUM = null");
  EXPECT_EQ(CStr(oracle.query),
            "SELECT A FROM T WHERE DT >= " + kDate + " AND CLI IN ('x','y') AND NUM =  null");
}

TEST(QueryPreparation, PlaceholdersReplacedInOrderExactlyAsStored) {
  struct Row {
    const char* query;
    std::vector<Filter> filters;
    const char* expected;
  };
  std::vector<Row> rows = {
      {"{X} {X}-{X}", {{"{X}", "Z", "7"}}, "7 7-7"},
      {"{data_ini} {Y}", {{"{DATA_INI}", "Z", "7"}}, "{data_ini} {Y}"},
      {"a {X} b", {{"a {X}", "Z", "7"}}, "7 b"},
      {"{A} {B}", {{"{A}", "Z", "{B}"}, {"{B}", "N", "7"}}, "7 7"},
      {"{B} {A}", {{"{A}", "Z", "x"}, {"", "Z", "y"}}, "{B} x"},
  };
  for (const Row& row : rows) {
    Call call("SQLSERVER", row.query, row.filters);
    EXPECT_TRUE(call.Run()) << row.query;
    EXPECT_EQ(CStr(call.query), row.expected) << row.query;
  }
  Call none("ORACLE", "{X}", {});
  none.lines = Variant("");
  none.matrix = Variant();
  EXPECT_TRUE(none.Run());
  EXPECT_EQ(CStr(none.query), "{X}");
}

TEST(QueryPreparation, RunTimeFailuresGoThroughTheTrap) {
  testing::TempDatabase db;
  const std::string sentence =
      "Acesso a geração do relatório não disponível. Favor tentar mais tarde.";
  // A date that cannot be read stops Oracle's date literal; the row before stays prepared.
  Call call("ORACLE", "{N} {D}", {{"{N}", "N", "15"}, {"{D}", "D", "abc"}});
  call.conn = Variant(db.connection_string());
  EXPECT_FALSE(call.Run());
  EXPECT_EQ(CStr(call.msg), sentence);
  EXPECT_EQ(CStr(call.query), "  15 {D}");
  call.user = Variant::Long(1);
  call.lines = Variant::Long(40000);
  EXPECT_FALSE(call.Run());
  EXPECT_EQ(CStr(call.msg).rfind(sentence + " KMBTPL01.mPrepara_Query( ", 0), 0u)
      << CStr(call.msg);
  EXPECT_EQ(CLng(db.Scalar("SELECT COUNT(*) FROM LOG_MSG WHERE TAB_TIPO_MSG_ID = 1")), 2);
}

}  // namespace
}  // namespace tpl
