#include "infra/value_checks.h"

#include <functional>
#include <optional>

#include "support/suite.h"

namespace tpl {
namespace {

// An empty message means the value is accepted; `after`, when given, is the value the check leaves.
struct CheckRow { Variant value, minimum, maximum, mandatory; std::string message; std::optional<Variant> after = {}; };
using Check = std::function<bool(Variant& value, const CheckRow& row, Variant& message)>;
const Variant kUser = Variant::Long(5);

// Each row must give its message, or leave the message untouched when accepted.
void ExpectOutcomes(const Check& check, const std::vector<CheckRow>& rows) {
  for (const CheckRow& row : rows) {
    Variant value = row.value, message("untouched");
    const bool accepted = row.message.empty();
    EXPECT_EQ(check(value, row, message), accepted) << testing::Show(row.value);
    EXPECT_EQ(message, Variant(accepted ? "untouched" : row.message)) << testing::Show(row.value);
    if (row.after) {
      EXPECT_EQ(testing::Show(value), testing::Show(*row.after)) << testing::Show(row.value);
    }
  }
}

TEST(ValueChecks, Dates) {
  const std::string valid = "Preencha Início com uma data válida, ";
  const std::string form = "no formato dd/mm/aaaa (Exemplo: 13/10/2001)";
  ExpectOutcomes([](Variant& value, const CheckRow& row, Variant& message) {
    Variant ymd;
    return gConsiste_Data("Início", value, row.minimum, row.maximum, kUser, message, ymd, row.mandatory);
  },
  {{"01/01/1900", "01/01/1900", "", "S", ""}, {"13/10/2001", "13/10/2001", "13/10/2001", "S", ""},
   {"31/12/1899", "01/01/1900", "", "S", "Início deve ser igual ou maior que 01/01/1900"},
   {"14/10/2001", "", "13/10/2001", "S", "Início deve ser igual ou menor que 13/10/2001"},
   {"31/02/2001", "", "", "S", valid + form}, {"1/10/2001", "", "", "S", valid + "com 10 dígitos, " + form},
   {"   ", "", "", "N", "", Variant("")},  // an optional value left blank is written back empty; Null stays
   {"10/13/2001", "", "", "S", "O mês da data do campo Início deve ser menor ou igual a 12"},
   {Variant::Null(), "", "", "N", "", Variant::Null()}, {Variant::Null(), "", "", "S", "Preencha Início"},
   {"<>", "", "", "S", "Preencha Início"}});
  // The rearranged date is checked through filter validation, which passes the value as the date's variable too.
}

TEST(ValueChecks, WholeAndDecimalNumbers) {
  const std::string no = " não permite a digitação de números com ";
  ExpectOutcomes([](Variant& value, const CheckRow& row, Variant& message) {
    return gConsiste_Inteiro("Qtde", value, row.minimum, row.maximum, kUser, message, row.mandatory);
  },
  {{"1.000", "", "", "S", "O campo Qtde" + no + "uso de separador de milhar(.)"},
   {"1,5", "", "", "S", "O campo Qtde" + no + "casas decimais(,)"}, {"", "", "", "S", "Preencha Qtde"},
   {"abc", "", "", "S", "Preencha Qtde com valor numérico"}, {"", "", "", "N", ""},
   {"0", "1", "", "S", "Qtde deve ser igual ou maior que 1"}, {"1", "1", "10", "S", ""}, {"10", "1", "10", "S", ""},
   {"11", "1", "10", "S", "Qtde deve ser igual ou menor que 10"}, {Variant::Long(12), "", "", "S", ""}});
  ExpectOutcomes([](Variant& value, const CheckRow& row, Variant& message) {
    return gConsiste_Numero("Valor", value, row.minimum, row.maximum, kUser, message, row.mandatory);
  },
  {{"1,5", "", "", "S", ""}, {"1.000,5", "", "", "S", "O campo Valor" + no + "uso de separador de milhar(.)"},
   {"0,5", "1", "", "S", "Valor deve ser igual ou maior que 1"}, {"2,5", "1", "2,5", "S", ""},
   {"x,5", "", "", "S", "Preencha Valor com valor numérico"}});
}

TEST(ValueChecks, TextLengthCountsFilteredCharacters) {
  const char* too_long = "Preencha Envia E-Mail (S/N) com, no máximo, 1 caracteres.";
  // The largest length travels in the `minimum` slot of the row.
  ExpectOutcomes([](Variant& value, const CheckRow& row, Variant& message) {
    return gConsiste_String("Envia E-Mail (S/N)", value, row.minimum, kUser, message, "S");
  },
  {{"S", "1", "", "S", ""}, {"SN", "1", "", "S", too_long}, {"qualquer tamanho", "", "", "S", ""},
   {"ação", Variant::Long(4), "", "S", ""}, {"a(b)c", Variant::Long(3), "", "S", ""}});
}

TEST(ValueChecks, UnexpectedFailureGivesSentenceAndDetailOnlyForUserOne) {
  Variant value(Array::Vector(2));  // an array has no text form
  Variant message;
  EXPECT_FALSE(gConsiste_String("Nome", value, "", kUser, message, "S"));
  EXPECT_EQ(message, Variant("Acesso a consistência de campos alfanuméricos disponível. Favor "
                             "tentar mais tarde. "));
  EXPECT_FALSE(gConsiste_Inteiro("Nome", value, "", "", Variant::Long(1), message, "S"));
  EXPECT_EQ(CStr(message).rfind("Acesso a consistência de campo inteiro não disponível. Favor "
                                "tentar mais tarde.  - VRLCCA.gConsiste_Inteiro (", 0), 0u) << CStr(message);
  EXPECT_NE(CStr(message).find(" : 13)   No Nº "), std::string::npos) << CStr(message);
}

}  // namespace
}  // namespace tpl
