#include "infra/value_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tpl/conversions.h"

namespace tpl {
namespace {

struct CheckRow {
  Variant value;
  const char* minimum;
  const char* maximum;
  const char* mandatory;
  bool accepted;
  const char* message;  // expected message when refused
};

std::string Describe(const Variant& v) { return v.IsNull() ? "<Null>" : CStr(v); }

TEST(DateCheck, AcceptedAndRefusedValues) {
  std::vector<CheckRow> rows = {
      {Variant("13/10/2001"), "", "", "S", true, ""},
      {Variant("01/01/1900"), "01/01/1900", "", "S", true, ""},
      {Variant("31/12/1899"), "01/01/1900", "", "S", false,
       "Início deve ser igual ou maior que 01/01/1900"},
      {Variant("14/10/2001"), "", "13/10/2001", "S", false,
       "Início deve ser igual ou menor que 13/10/2001"},
      {Variant("13/10/2001"), "13/10/2001", "13/10/2001", "S", true, ""},
      {Variant("1/10/2001"), "", "", "S", false,
       "Preencha Início com uma data válida, com 10 dígitos, no formato dd/mm/aaaa "
       "(Exemplo: 13/10/2001)"},
      {Variant("31/02/2001"), "", "", "S", false,
       "Preencha Início com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)"},
      {Variant("10/13/2001"), "", "", "S", false,
       "O mês da data do campo Início deve ser menor ou igual a 12"},
      {Variant::Null(), "", "", "N", true, ""},
      {Variant::Null(), "", "", "S", false, "Preencha Início"},
      {Variant("   "), "", "", "S", false, "Preencha Início"},
      {Variant("<>"), "", "", "S", false, "Preencha Início"},
      {Variant("   "), "", "", "N", true, ""},
  };
  for (const CheckRow& row : rows) {
    Variant value = row.value;
    Variant message("untouched");
    Variant ymd;
    bool ok = gConsiste_Data(Variant("Início"), value, Variant(row.minimum),
                             Variant(row.maximum), Variant::Long(5), message, ymd,
                             Variant(row.mandatory));
    EXPECT_EQ(ok, row.accepted) << Describe(row.value);
    EXPECT_EQ(message, Variant(ok ? "untouched" : row.message)) << Describe(row.value);
  }
}

TEST(DateCheck, RewritesTheValueAsYearMonthDay) {
  Variant value("13/10/2001");
  Variant message;
  // The same variable as value and as the rearranged date, as filter
  // validation passes it.
  EXPECT_TRUE(gConsiste_Data(Variant("Data"), value, Variant("01/01/1900"), Variant(""),
                             Variant::Long(1), message, value, Variant("S")));
  EXPECT_EQ(value, Variant("2001/10/13"));

  Variant blanks("   ");
  Variant ymd;
  EXPECT_TRUE(gConsiste_Data(Variant("Data"), blanks, Variant(""), Variant(""), Variant::Long(1),
                             message, ymd, Variant("N")));
  EXPECT_EQ(blanks, Variant(""));
  Variant null_value = Variant::Null();
  EXPECT_TRUE(gConsiste_Data(Variant("Data"), null_value, Variant(""), Variant(""),
                             Variant::Long(1), message, ymd, Variant("N")));
  EXPECT_TRUE(null_value.IsNull());
}

TEST(NumberChecks, WholeAndDecimalNumbers) {
  std::vector<CheckRow> whole = {
      {Variant("15"), "", "", "S", true, ""},
      {Variant("1.000"), "", "", "S", false,
       "O campo Qtde não permite a digitação de números com uso de separador de milhar(.)"},
      {Variant("1,5"), "", "", "S", false,
       "O campo Qtde não permite a digitação de números com casas decimais(,)"},
      {Variant("abc"), "", "", "S", false, "Preencha Qtde com valor numérico"},
      {Variant("0"), "1", "", "S", false, "Qtde deve ser igual ou maior que 1"},
      {Variant("1"), "1", "10", "S", true, ""},
      {Variant("10"), "1", "10", "S", true, ""},
      {Variant("11"), "1", "10", "S", false, "Qtde deve ser igual ou menor que 10"},
      {Variant::Long(12), "", "", "S", true, ""},
      {Variant(""), "", "", "S", false, "Preencha Qtde"},
      {Variant(""), "", "", "N", true, ""},
  };
  for (const CheckRow& row : whole) {
    Variant value = row.value;
    Variant message("untouched");
    bool ok = gConsiste_Inteiro(Variant("Qtde"), value, Variant(row.minimum),
                                Variant(row.maximum), Variant::Long(5), message,
                                Variant(row.mandatory));
    EXPECT_EQ(ok, row.accepted) << Describe(row.value);
    EXPECT_EQ(message, Variant(ok ? "untouched" : row.message)) << Describe(row.value);
  }

  std::vector<CheckRow> decimal = {
      {Variant("1,5"), "", "", "S", true, ""},
      {Variant("1.000,5"), "", "", "S", false,
       "O campo Valor não permite a digitação de números com uso de separador de milhar(.)"},
      {Variant("0,5"), "1", "", "S", false, "Valor deve ser igual ou maior que 1"},
      {Variant("2,5"), "1", "2,5", "S", true, ""},
      {Variant("x,5"), "", "", "S", false, "Preencha Valor com valor numérico"},
  };
  for (const CheckRow& row : decimal) {
    Variant value = row.value;
    Variant message("untouched");
    bool ok = gConsiste_Numero(Variant("Valor"), value, Variant(row.minimum),
                               Variant(row.maximum), Variant::Long(5), message,
                               Variant(row.mandatory));
    EXPECT_EQ(ok, row.accepted) << Describe(row.value);
    EXPECT_EQ(message, Variant(ok ? "untouched" : row.message)) << Describe(row.value);
  }
}

TEST(TextCheck, LengthCountsFilteredCharacters) {
  struct Row {
    const char* value;
    Variant limit;
    bool accepted;
  };
  std::vector<Row> rows = {
      {"S", Variant("1"), true},
      {"SN", Variant("1"), false},
      {"qualquer tamanho", Variant(""), true},
      {"ação", Variant::Long(4), true},
      {"a(b)c", Variant::Long(3), true},
      {"abcd", Variant::Long(0), true},
  };
  for (const Row& row : rows) {
    Variant value(row.value);
    Variant message;
    bool ok = gConsiste_String(Variant("Envia E-Mail (S/N)"), value, row.limit, Variant::Long(5),
                               message, Variant("S"));
    EXPECT_EQ(ok, row.accepted) << row.value;
    if (!ok) {
      EXPECT_EQ(message, Variant("Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres."))
          << row.value;
    }
  }
}

TEST(CheckTraps, UnexpectedFailureGivesSentenceAndDetailOnlyForUserOne) {
  Variant value(Array::Vector(2));  // an array has no text form
  Variant message;
  EXPECT_FALSE(gConsiste_String(Variant("Nome"), value, Variant(""), Variant::Long(5), message,
                                Variant("S")));
  EXPECT_EQ(message, Variant("Acesso a consistência de campos alfanuméricos disponível. Favor "
                             "tentar mais tarde. "));
  Variant value_for_one(Array::Vector(2));
  EXPECT_FALSE(gConsiste_Inteiro(Variant("Nome"), value_for_one, Variant(""), Variant(""),
                                 Variant::Long(1), message, Variant("S")));
  EXPECT_EQ(CStr(message).rfind("Acesso a consistência de campo inteiro não disponível. Favor "
                                "tentar mais tarde.  - VRLCCA.gConsiste_Inteiro (",
                                0),
            0u)
      << CStr(message);
  EXPECT_NE(CStr(message).find(" : 13)   No Nº "), std::string::npos) << CStr(message);
}

}  // namespace
}  // namespace tpl
