#include "frame/value_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/oracle_literals.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

Variant D(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  Date date;
  EXPECT_TRUE(TryMakeDate({y, m, d, h, mi, s}, date));
  return Variant(date);
}

TEST(NumberNormalisation, ReplacesOneForeignSeparatorOnly) {
  struct Row {
    Variant in;
    Variant out;
  };
  std::vector<Row> rows = {
      {Variant("12.5"), Variant("12,5")},
      {Variant("1.234.567"), Variant("1.234.567")},
      {Variant("12,5"), Variant("12,5")},
      {Variant("abc"), Variant("abc")},
      {Variant::Null(), Variant::Integer(0)},
      {Variant(""), Variant::Integer(0)},
      {Variant(), Variant::Integer(0)},
      {Variant(1234.5), Variant(1234.5)},
      {Variant::Long(7), Variant::Long(7)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(mNormaliza_Numero(row.in), row.out) << CStr(mTrata_Nulo(row.in));
  }
  EXPECT_EQ(mNormaliza_Numero(Variant(Array::Vector(1))), Variant::Integer(0));
}

TEST(DecimalText, CutsPadsAndRoundsSmallValues) {
  struct Row {
    Variant value;
    const char* places;
    const char* flag;
    Variant expected;
  };
  std::vector<Row> rows = {
      {Variant(1234.5678), "2", "N", Variant("1234,56")},
      {Variant(0.125), "2", "N", Variant("0,12")},
      {Variant(0.135), "2", "N", Variant("0,14")},
      {Variant(0.004), "2", "N", Variant("")},
      {Variant(0.004), "2", "S", Variant("0,00")},
      {Variant(0.0), "3", "S", Variant("0,00")},
      {Variant(0.0), "3", "N", Variant("")},
      {Variant(12.0), "3", "N", Variant("12,000")},
      {Variant(-12.5), "2", "N", Variant("-12,50")},
      {Variant(-0.5), "2", "N", Variant("-0,50")},
      {Variant("1234,5"), "2", "N", Variant("1234,50")},
      {Variant::Null(), "2", "N", Variant("")},
      {Variant::Null(), "2", " S ", Variant("")},
      {Variant(""), "2", "S", Variant("")},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(mFormata_Decimal(row.value, Variant(""), Variant(row.places), Variant(row.flag)),
              row.expected)
        << CStr(mTrata_Nulo(row.value)) << " places " << row.places << " flag " << row.flag;
  }
  // A text that is no number fails inside and gives the Integer 0.
  EXPECT_EQ(mFormata_Decimal(Variant("abc"), Variant(""), Variant("2"), Variant("N")),
            Variant::Integer(0));
}

// Numbers take a direct path; their own text still goes the generic way.
// Both must give the same answer for every sign, size and place count.
TEST(DecimalText, NumbersAgreeWithTheirOwnText) {
  const double numbers[] = {0.0,     -0.0,      0.005,    0.015,   -0.004,  0.999,  -0.999,
                            1.0,     -1.0,      1.005,    12.345,  -99.99,  1e-7,   123456789.125,
                            1e15,    1.5e20,    -2.5e-3,  0.125,   0.135,   7.0,    2147483647.0};
  for (double number : numbers) {
    for (const char* places : {"0", "2", "4"}) {
      for (const char* flag : {"N", "S"}) {
        const Variant text(CStr(Variant(number)));
        EXPECT_EQ(mFormata_Decimal(Variant(number), Variant("-"), Variant(places), Variant(flag)),
                  mFormata_Decimal(text, Variant("-"), Variant(places), Variant(flag)))
            << number << " places " << places << " flag " << flag;
      }
      EXPECT_EQ(mFormata_Decimal_Simples(Variant(number), Variant("-"), Variant(places)),
                mFormata_Decimal_Simples(Variant(CStr(Variant(number))), Variant("-"), Variant(places)))
          << number << " places " << places;
    }
  }
  EXPECT_EQ(mFormata_Decimal(Variant::Long(-3), Variant(""), Variant("2"), Variant("N")),
            Variant("-3,00"));
}

TEST(DecimalText, SimpleFormNeverShowsZero) {
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(0.004), Variant("-"), Variant("2")), Variant("-"));
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(0.0), Variant(""), Variant("2")), Variant(""));
  EXPECT_EQ(mFormata_Decimal_Simples(Variant(3.14159), Variant(""), Variant("3")),
            Variant("3,141"));
}

TEST(SqlLiterals, NumbersTextsAndDates) {
  EXPECT_EQ(mTrata_Numero_SQL(Variant("0")), Variant("null"));
  EXPECT_EQ(mTrata_Numero_SQL(Variant("abc")), Variant("null"));
  EXPECT_EQ(mTrata_Numero_SQL(Variant("")), Variant("null"));
  EXPECT_EQ(mTrata_Numero_SQL(Variant("15")), Variant("15"));
  EXPECT_EQ(mTrata_Numero_SQL(Variant::Long(15)), Variant::Long(15));
  EXPECT_EQ(mTrata_Numero_SQL(Variant("10.50")), Variant("10.50"));
  EXPECT_THROW(mTrata_Numero_SQL(Variant::Null()), RuntimeError);

  EXPECT_EQ(mTrata_Texto_SQL(Variant("O'Brien")), Variant("'O'Brien'"));
  EXPECT_EQ(mTrata_Texto_SQL(Variant("")), Variant("null"));
  EXPECT_EQ(mTrata_Texto_SQL(Variant::Null()), Variant("null"));

  EXPECT_EQ(mTrata_Data_SQL(D(2001, 10, 13, 10, 20, 30)), Variant("'2001/10/13 10:20'"));
  EXPECT_EQ(mTrata_Data_SQL(Variant("13/10/2001")), Variant("'2001/10/13 00:00'"));
  EXPECT_EQ(mTrata_Data_SQL(Variant("")), Variant("null"));

  EXPECT_EQ(mTrata_Nulo(Variant::Null()), Variant(""));
  EXPECT_EQ(mTrata_Nulo(Variant::Long(3)), Variant::Long(3));

  std::string out;
  EXPECT_TRUE(mTroca_Virgula("10,50,7", out));
  EXPECT_EQ(out, "10.50.7");
}

TEST(ForbiddenCharacters, AreRemovedAndBlanksKept) {
  struct Row {
    const char* in;
    const char* out;
  };
  std::vector<Row> rows = {
      {"x<y>(z)", "xyz"},
      {"   ", ""},
      {"", ""},
      {"a 'b' \"c\"; d%e&f+g", "a b c defg"},
      {" ação ", " ação "},
      {"<>", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(mRetira_Caracteres(row.in), row.out) << row.in;
}

TEST(DateShape, AcceptsThreeShapesOfTenCharacters) {
  struct Row {
    const char* in;
    bool accepted;
  };
  std::vector<Row> rows = {
      {"13/10/2001", true},  {"2001-10-13", true},  {"2001/10/13", true},
      {"10/13/2001", true},  {"13-10-2001", true},  {"13/10/01", false},
      {"32/13/2001", false}, {"", false},           {"   ", false},
      {"abc", false},        {"31/02/2001", false}, {"13/10/1899", false},
  };
  for (const Row& row : rows) {
    Variant value(row.in);
    EXPECT_EQ(mConsiste_Formato_Data(value), row.accepted) << row.in;
  }
  Variant filtered("(13/10/2001)");
  EXPECT_TRUE(mConsiste_Formato_Data(filtered));
  EXPECT_EQ(filtered, Variant("13/10/2001"));
  Variant null_value = Variant::Null();
  EXPECT_FALSE(mConsiste_Formato_Data(null_value));
}

TEST(OracleLiterals, KeepTheirLeadingBlanks) {
  EXPECT_EQ(gMonta_Data_Oracle(Variant("2001/10/13")),
            Variant("  to_date('2001/10/13 00:00:00', 'yyyy/mm/dd hh24:mi:ss')"));
  EXPECT_EQ(gMonta_Data_Oracle(D(2001, 10, 13, 22, 5, 9)),
            Variant("  to_date('2001/10/13 22:05:09', 'yyyy/mm/dd hh24:mi:ss')"));
  EXPECT_EQ(gMonta_Data_Oracle(Variant("")), Variant(" null"));
  EXPECT_EQ(gMonta_Data_Oracle(Variant::Null()), Variant(" null"));
  EXPECT_EQ(gMonta_Numero_Oracle(Variant("15")), Variant("  15"));
  EXPECT_EQ(gMonta_Numero_Oracle(Variant("10.50")), Variant("  10.50"));
  EXPECT_EQ(gMonta_Numero_Oracle(Variant("0")), Variant(" null"));
  EXPECT_EQ(gMonta_Numero_Oracle(Variant("")), Variant(" null"));
  EXPECT_EQ(gMonta_Texto_Oracle(Variant("abc")), Variant("  'ABC'"));
  EXPECT_EQ(gMonta_Texto_Oracle(Variant("ação")), Variant("  'AÇÃO'"));
  EXPECT_EQ(gMonta_Texto_Oracle(Variant("")), Variant(" NULL"));
}

}  // namespace
}  // namespace tpl
