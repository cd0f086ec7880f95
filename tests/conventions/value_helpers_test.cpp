#include "conventions/value_helpers.h"

#include <limits>
#include <tuple>

#include "support/suite.h"

namespace tpl {
namespace {

using testing::MakeDate;
using testing::Show;
using Rows = std::vector<std::pair<Variant, Variant>>;  // input, expected

TEST(NumberNormalisation, ReplacesOneForeignSeparatorOnly) {
  const Rows rows = {{"12.5", "12,5"}, {"1.234.567", "1.234.567"}, {"abc", "abc"}, {"", Variant::Integer(0)},
                     {Variant::Null(), Variant::Integer(0)}, {1234.5, 1234.5},
                     {Variant(Array::Vector(1)), Variant::Integer(0)}};
  for (const auto& [in, out] : rows) EXPECT_EQ(mNormaliza_Numero(in), out) << Show(in);
}

TEST(DecimalText, CutsPadsAndRoundsSmallValues) {
  struct Row { Variant value; const char *places, *flag; Variant expected; };
  const std::vector<Row> rows = {
      {1234.5678, "2", "N", "1234,56"}, {0.125, "2", "N", "0,12"}, {0.135, "2", "N", "0,14"}, {0.004, "2", "N", ""},
      {0.004, "2", "S", "0,00"}, {0.0, "3", "S", "0,00"}, {12.0, "3", "N", "12,000"}, {-0.5, "2", "N", "-0,50"},
      {"1234,5", "2", "N", "1234,50"}, {Variant::Null(), "2", " S ", ""}, {"", "2", "S", ""},
      {Variant(), "2", "S", "0,00"}, {Variant(), "2", "N", ""},
      {"abc", "2", "N", Variant::Integer(0)},  // a text that is no number fails inside
  };
  for (const Row& row : rows) {
    EXPECT_EQ(mFormata_Decimal(row.value, Variant(""), Variant(row.places), Variant(row.flag)), row.expected)
        << Show(row.value) << " places " << row.places << " flag " << row.flag;
  }
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(0.004), Variant("-"), Variant("2")), Variant("-"));
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(0.0), Variant(""), Variant("2")), Variant(""));
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(3.14159), Variant(""), Variant("3")), Variant("3,141"));
}

// The literals of filter values are checked through query preparation; here the forms it does not reach.
TEST(SqlLiterals, NumbersTextsDatesAndOracleForms) {
  using Helper = Variant (*)(const Variant&);
  const std::vector<std::tuple<Helper, Variant, Variant>> rows = {
      {mTrata_Numero_SQL, "abc", "null"}, {mTrata_Numero_SQL, "", "null"},
      // Zero is read from the value's text, so the Double 0.5 ("0,5") reads as 0.
      {mTrata_Numero_SQL, 0.5, "null"}, {mTrata_Numero_SQL, Variant::Integer(0), "null"},
      {mTrata_Numero_SQL, Variant::Long(15), Variant::Long(15)}, {mTrata_Numero_SQL, "15", "15"},
      // A number as typed keeps its digits; a decimal comma becomes a point.
      {mTrata_Numero_SQL, "12345678901234567", "12345678901234567"}, {mTrata_Numero_SQL, 1234.5, "1234.5"},
      {gMonta_Numero_Oracle, Variant::Long(15), "  15"}, {gMonta_Numero_Oracle, 0.5, " null"},
      // Anything else is written by us: a text's leading number, nothing after it.
      {mTrata_Numero_SQL, "2; DROP TABLE X", "2"}, {mTrata_Numero_SQL, "-0.5e1", "-5"},
      {mTrata_Numero_SQL, 1e20, "1e+20"}, {gMonta_Numero_Oracle, "7'--", "  7"},
      {mTrata_Texto_SQL, "O'Brien", "'O'Brien'"}, {mTrata_Texto_SQL, Variant::Null(), "null"},
      {mTrata_Data_SQL, MakeDate(2001, 10, 13, 10, 20, 30), "'2001/10/13 10:20'"},
      {mTrata_Data_SQL, "13/10/2001", "'2001/10/13 00:00'"}, {mTrata_Data_SQL, "", "null"},
      {gMonta_Data_Oracle, MakeDate(2001, 10, 13, 22, 5, 9),
       "  to_date('2001/10/13 22:05:09', 'yyyy/mm/dd hh24:mi:ss')"},
      {gMonta_Data_Oracle, Variant::Null(), " null"}, {gMonta_Texto_Oracle, "ação", "  'AÇÃO'"},
  };
  for (const auto& [helper, in, out] : rows) EXPECT_EQ(helper(in), out) << Show(in);
  EXPECT_THROW(mTrata_Numero_SQL(Variant::Null()), RuntimeError);
  EXPECT_THROW(mTrata_Numero_SQL(Variant(std::numeric_limits<double>::infinity())), RuntimeError);
}

TEST(ForbiddenCharacters, AreRemovedAndBlanksKept) {
  for (auto [in, out] : std::vector<std::pair<const char*, const char*>>{
           {"x<y>(z)", "xyz"}, {"   ", ""}, {"", ""}, {"a 'b' \"c\"; d%e&f+g", "a b c defg"},
           {" ação ", " ação "}, {"<>", ""}})
    EXPECT_EQ(mRetira_Caracteres(in), out) << in;
}

TEST(DatabaseKind, ExactAndTrimmedUpperCasedComparisons) {
  struct Row { Variant value; bool exact_oracle, loose_oracle, exact_server, loose_server; };
  const std::vector<Row> rows = {
      {"ORACLE", true, true, false, false},      {" oracle ", false, true, false, false},
      {"SQLSERVER", false, false, true, true},   {" sqlserver", false, false, false, true},
      {Variant::Null(), false, false, false, false},
      {"\tORACLE", false, false, false, false},  // only blanks are trimmed
  };
  using enum KindComparison;
  for (const Row& row : rows) {
    EXPECT_EQ(IsDatabaseKind(row.value, DatabaseKind::Oracle, Exact), row.exact_oracle) << Show(row.value);
    EXPECT_EQ(IsDatabaseKind(row.value, DatabaseKind::Oracle, TrimmedUpperCase), row.loose_oracle) << Show(row.value);
    EXPECT_EQ(IsDatabaseKind(row.value, DatabaseKind::SqlServer, Exact), row.exact_server) << Show(row.value);
    EXPECT_EQ(IsDatabaseKind(row.value, DatabaseKind::SqlServer, TrimmedUpperCase), row.loose_server) << Show(row.value);
  }
}

}  // namespace
}  // namespace tpl
