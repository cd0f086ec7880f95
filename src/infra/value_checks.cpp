#include "infra/value_checks.h"

#include <optional>
#include <string>
#include <string_view>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// Runs a check; an unexpected failure leaves the check's sentence (and the
// detail for the detail user) and gives false. Nothing is logged.
template <typename Check>
bool RunCheck(const RoutineTrap& trap, const Variant& detail_user, Variant& message, Check&& check) {
  try {
    return check();
  } catch (...) {
    RuntimeError error = CurrentFailure(std::current_exception());
    std::string text(trap.sentence);
    if (IsDetailUser(detail_user)) text += RoutineDetail(trap, error, "");
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
    message = Variant(Compose(sentences::kFillIn, TextOrEmpty(caption)));
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
    message = Variant(Compose(sentences::kAtLeast, TextOrEmpty(caption), CStr(minimum)));
    return false;
  }
  if (!ReadsEmpty(maximum) && number > CDbl(mNormaliza_Numero(maximum))) {
    message = Variant(Compose(sentences::kAtMost, TextOrEmpty(caption), CStr(maximum)));
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
    message = Variant(Compose(sentences::kNoThousandsSeparator, name));
    return false;
  }
  if (whole && InStr(text, ",") > 0) {
    message = Variant(Compose(sentences::kNoDecimalPlaces, name));
    return false;
  }
  if (!IsNumeric(value)) {
    message = Variant(Compose(sentences::kFillInNumber, name));
    return false;
  }
  return NumberInBounds(caption, value, minimum, maximum, message);
}

}  // namespace

bool gConsiste_Data(const Variant& caption, Variant& value, const Variant& minimum,
                    const Variant& maximum, const Variant& detail_user, Variant& message,
                    Variant& date_ymd, const Variant& mandatory) {
  return RunCheck(traps::kConsisteDataTrap, detail_user, message, [&] {
    if (auto outcome = CommonOpening(caption, value, mandatory, message)) return *outcome;
    std::string name = TextOrEmpty(caption);
    std::string text = CStr(value);
    if (Len(Trim(text)) != 10) {
      message = Variant(Compose(sentences::kFillInTenDigitDate, name));
      return false;
    }
    if (!IsDate(value)) {
      message = Variant(Compose(sentences::kFillInDate, name));
      return false;
    }
    if (Val(Mid(text, 4, 2)) > 12) {
      message = Variant(Compose(sentences::kMonthAtMostTwelve, name));
      return false;
    }
    // `value` and `date_ymd` may be one variable: everything needed from
    // the typed text was read above.
    std::string ymd = YearMonthDay(text);
    date_ymd = Variant(ymd);
    if (!ReadsEmpty(minimum) && ymd < YearMonthDay(CStr(minimum))) {
      message = Variant(Compose(sentences::kAtLeast, name, CStr(minimum)));
      return false;
    }
    if (!ReadsEmpty(maximum) && ymd > YearMonthDay(CStr(maximum))) {
      message = Variant(Compose(sentences::kAtMost, name, CStr(maximum)));
      return false;
    }
    return true;
  });
}

bool gConsiste_Inteiro(const Variant& caption, Variant& value, const Variant& minimum,
                       const Variant& maximum, const Variant& detail_user, Variant& message,
                       const Variant& mandatory) {
  return RunCheck(traps::kConsisteInteiroTrap, detail_user, message, [&] {
    return CheckNumber(caption, value, minimum, maximum, message, mandatory, true);
  });
}

bool gConsiste_Numero(const Variant& caption, Variant& value, const Variant& minimum,
                      const Variant& maximum, const Variant& detail_user, Variant& message,
                      const Variant& mandatory) {
  return RunCheck(traps::kConsisteNumeroTrap, detail_user, message, [&] {
    return CheckNumber(caption, value, minimum, maximum, message, mandatory, false);
  });
}

bool gConsiste_String(const Variant& caption, Variant& value, const Variant& maximum_length,
                      const Variant& detail_user, Variant& message, const Variant& mandatory) {
  return RunCheck(traps::kConsisteStringTrap, detail_user, message, [&] {
    if (auto outcome = CommonOpening(caption, value, mandatory, message)) return *outcome;
    double limit = Val(TextOrEmpty(maximum_length));
    if (limit > 0 && static_cast<double>(Len(CStr(value))) > limit) {
      message = Variant(Compose(sentences::kFillInAtMost, TextOrEmpty(caption), CStr(Variant(limit))));
      return false;
    }
    return true;
  });
}

}  // namespace tpl
