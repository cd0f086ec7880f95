#include "infra/value_checks.h"

#include <optional>
#include <string>
#include <string_view>

#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

struct CheckTrap {
  std::string_view routine;
  std::string_view sentence;
};

constexpr CheckTrap kDateTrap{
    "gConsiste_Data", "Acesso a consistência de datas não disponível. Favor tentar mais tarde. "};
constexpr CheckTrap kIntegerTrap{
    "gConsiste_Inteiro",
    "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. "};
constexpr CheckTrap kNumberTrap{
    "gConsiste_Numero",
    "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. "};
constexpr CheckTrap kStringTrap{
    "gConsiste_String",
    "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. "};

// Runs a check; an unexpected failure leaves the check's sentence (and the
// detail for the detail user) and gives false. Nothing is logged.
template <typename Check>
bool RunCheck(const CheckTrap& trap, const Variant& detail_user, Variant& message, Check&& check) {
  try {
    return check();
  } catch (...) {
    RuntimeError error = CurrentFailure(std::current_exception());
    std::string text(trap.sentence);
    if (IsDetailUser(detail_user)) {
      text += " - VRLCCA." + std::string(trap.routine) + " (" + error.description() + " : " +
              std::to_string(error.number()) + ")  " + " No Nº " + std::to_string(error.line());
    }
    message = Variant(text);
    return false;
  }
}

bool ReadsEmpty(const Variant& value) { return TextOrEmpty(value).empty(); }

// The opening shared by every check: filter a non-empty value, let an
// optional empty value pass, refuse a mandatory empty one. Gives the
// outcome when the check ends here.
std::optional<bool> CommonOpening(const Variant& caption, Variant& value,
                                  const Variant& mandatory, Variant& message) {
  if (!ReadsEmpty(value)) value = Variant(mRetira_Caracteres(CStr(value)));
  if (TextEquals(mandatory, "N") && ReadsEmpty(value)) return true;
  if (ReadsEmpty(value)) {
    message = Variant("Preencha " + TextOrEmpty(caption));
    return false;
  }
  return std::nullopt;
}

// dd/mm/yyyy rearranged as yyyy/mm/dd, by character positions.
std::string YearMonthDay(const std::string& text) {
  return Mid(text, 7, 4) + "/" + Mid(text, 4, 2) + "/" + Mid(text, 1, 2);
}

bool NumberInBounds(const Variant& caption, const Variant& value, const Variant& minimum,
                    const Variant& maximum, Variant& message) {
  double number = CDbl(mNormaliza_Numero(value));
  if (!ReadsEmpty(minimum) && number < CDbl(mNormaliza_Numero(minimum))) {
    message = Variant(TextOrEmpty(caption) + " deve ser igual ou maior que " + CStr(minimum));
    return false;
  }
  if (!ReadsEmpty(maximum) && number > CDbl(mNormaliza_Numero(maximum))) {
    message = Variant(TextOrEmpty(caption) + " deve ser igual ou menor que " + CStr(maximum));
    return false;
  }
  return true;
}

bool CheckNumber(const Variant& caption, Variant& value, const Variant& minimum,
                 const Variant& maximum, Variant& message, const Variant& mandatory,
                 bool whole) {
  if (auto outcome = CommonOpening(caption, value, mandatory, message)) return *outcome;
  std::string text = CStr(value);
  std::string name = TextOrEmpty(caption);
  if (InStr(text, ".") > 0) {
    message = Variant("O campo " + name +
                      " não permite a digitação de números com uso de separador de milhar(.)");
    return false;
  }
  if (whole && InStr(text, ",") > 0) {
    message = Variant("O campo " + name +
                      " não permite a digitação de números com casas decimais(,)");
    return false;
  }
  if (!IsNumeric(value)) {
    message = Variant("Preencha " + name + " com valor numérico");
    return false;
  }
  return NumberInBounds(caption, value, minimum, maximum, message);
}

}  // namespace

bool gConsiste_Data(const Variant& caption, Variant& value, const Variant& minimum,
                    const Variant& maximum, const Variant& detail_user, Variant& message,
                    Variant& date_ymd, const Variant& mandatory) {
  return RunCheck(kDateTrap, detail_user, message, [&] {
    if (auto outcome = CommonOpening(caption, value, mandatory, message)) return *outcome;
    std::string name = TextOrEmpty(caption);
    std::string text = CStr(value);
    if (Len(Trim(text)) != 10) {
      message = Variant("Preencha " + name +
                        " com uma data válida, com 10 dígitos, no formato dd/mm/aaaa "
                        "(Exemplo: 13/10/2001)");
      return false;
    }
    if (!IsDate(value)) {
      message = Variant("Preencha " + name +
                        " com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)");
      return false;
    }
    if (Val(Mid(text, 4, 2)) > 12) {
      message = Variant("O mês da data do campo " + name + " deve ser menor ou igual a 12");
      return false;
    }
    // `value` and `date_ymd` may be one variable: everything needed from
    // the typed text was read above.
    std::string ymd = YearMonthDay(text);
    date_ymd = Variant(ymd);
    if (!ReadsEmpty(minimum) && ymd < YearMonthDay(CStr(minimum))) {
      message = Variant(name + " deve ser igual ou maior que " + CStr(minimum));
      return false;
    }
    if (!ReadsEmpty(maximum) && ymd > YearMonthDay(CStr(maximum))) {
      message = Variant(name + " deve ser igual ou menor que " + CStr(maximum));
      return false;
    }
    return true;
  });
}

bool gConsiste_Inteiro(const Variant& caption, Variant& value, const Variant& minimum,
                       const Variant& maximum, const Variant& detail_user, Variant& message,
                       const Variant& mandatory) {
  return RunCheck(kIntegerTrap, detail_user, message, [&] {
    return CheckNumber(caption, value, minimum, maximum, message, mandatory, true);
  });
}

bool gConsiste_Numero(const Variant& caption, Variant& value, const Variant& minimum,
                      const Variant& maximum, const Variant& detail_user, Variant& message,
                      const Variant& mandatory) {
  return RunCheck(kNumberTrap, detail_user, message, [&] {
    return CheckNumber(caption, value, minimum, maximum, message, mandatory, false);
  });
}

bool gConsiste_String(const Variant& caption, Variant& value, const Variant& maximum_length,
                      const Variant& detail_user, Variant& message, const Variant& mandatory) {
  return RunCheck(kStringTrap, detail_user, message, [&] {
    if (auto outcome = CommonOpening(caption, value, mandatory, message)) return *outcome;
    double limit = Val(TextOrEmpty(maximum_length));
    if (limit > 0 && static_cast<double>(Len(CStr(value))) > limit) {
      message = Variant("Preencha " + TextOrEmpty(caption) + " com, no máximo, " +
                        CStr(Variant(limit)) + " caracteres.");
      return false;
    }
    return true;
  });
}

}  // namespace tpl
