#include "report/filters.h"

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "infra/value_checks.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {

int16_t LastFilterRow(const Variant& line_count) {
  int16_t last = CInt(Subtract(mNormaliza_Numero(line_count), Variant::Integer(1)));
  // A 16-bit counter can reach 32767 but never step past it, so a loop up to
  // that row would overflow after its last turn; it is refused at once.
  if (last == std::numeric_limits<int16_t>::max()) Raise(error::kOverflow);
  return last;
}

std::string FilterTypeCode(const Variant& cell) { return UCase(TrimmedText(cell)); }

bool IsListFilter(const Variant& placeholder) {
  std::string text = TrimmedText(placeholder);
  size_t length = Len(text);
  // Placeholders are always written between braces; a shorter one has no
  // second-to-last character to look at.
  if (length < 2) return false;
  return Mid(text, 2, 1) == "@" && Mid(text, length - 1, 1) == "@";
}

namespace {

constexpr std::array<std::string_view, 10> kForbiddenWords = {
    "DELETE ", "UPDATE ", "INSERT ",  "TRUNCATE ", "CREATE ",
    "ALTER ",  "DROP ",   "BEGIN ",   "TRIGGER ",  "SET "};

}  // namespace

bool ContainsForbiddenCommand(std::string_view query) {
  std::string text = UCase(Trim(query));
  for (std::string_view word : kForbiddenWords) {
    if (InStr(text, word) > 0) return true;
  }
  return false;
}

namespace {

// Dates before this one are refused; there is no upper bound.
const Variant kEarliestDate("01/01/1900");
const Variant kNoBound("");
// The value checks report their own failures with technical detail for
// this user, whoever is calling.
const Variant kCheckDetailUser(Variant::Integer(1));
const Variant kMandatory("S");
const Variant kOptional("N");

// The parts of one filter row a check needs.
struct FilterRow {
  const Variant& caption;
  Variant& value;
  std::string type_code;
};

FilterRow ReadRow(Array& matrix, int32_t row) {
  return FilterRow{matrix.at(row, kFilterCaptionColumn), matrix.at(row, kFilterValueColumn),
                   FilterTypeCode(matrix.at(row, kFilterTypeColumn))};
}

void FilterValueCharacters(Variant& value) {
  value = Variant(mRetira_Caracteres(TextOrEmpty(value)));
}

// A filter of no known type goes into the query as typed. Authors use such
// filters for a number, a column or table name, or a keyword such as ASC or
// DESC, so that is all they accept: one number or one plain (dotted)
// identifier. Anything else could change what the statement does.
bool IsSingleToken(const Variant& value) {
  std::string text = TrimmedText(value);
  return IsPlainNumber(text) || IsQualifiedIdentifier(text);
}

// The check of a single value by its type code. A value of no known type
// must be empty or a single token. An accepted date replaces the typed one
// as yyyy/mm/dd.
bool CheckSingleValue(const FilterRow& filter, const Variant& mandatory, Variant& message) {
  const std::string& code = filter.type_code;
  if (code == "D")
    return gConsiste_Data(filter.caption, filter.value, kEarliestDate, kNoBound, kCheckDetailUser,
                          message, filter.value, mandatory);
  if (code == "N" || code == "U")
    return gConsiste_Inteiro(filter.caption, filter.value, kNoBound, kNoBound, kCheckDetailUser,
                             message, mandatory);
  if (code == "C")
    return gConsiste_String(filter.caption, filter.value, kNoBound, kCheckDetailUser, message,
                            mandatory);
  if (code == "V")
    return gConsiste_Numero(filter.caption, filter.value, kNoBound, kNoBound, kCheckDetailUser,
                            message, mandatory);
  if (TrimmedText(filter.value).empty() || IsSingleToken(filter.value)) return true;
  message = Variant(Compose(sentences::kFieldInvalid, TextOrEmpty(filter.caption)));
  return false;
}

// The check of one element of a list value. Every element must be filled;
// dates keep the form they were typed in.
bool CheckListElement(const FilterRow& filter, Variant& element, Variant& message) {
  const std::string& code = filter.type_code;
  if (code == "D") {
    Variant unused_date;
    return gConsiste_Data(filter.caption, element, kEarliestDate, kNoBound, kCheckDetailUser,
                          message, unused_date, kMandatory);
  }
  if (code == "C")
    return gConsiste_String(filter.caption, element, kNoBound, kCheckDetailUser, message,
                            kMandatory);
  if (code == "N" || code == "U" || code == "V") return IsNumeric(element);
  // A value of no known type: each element one token; an empty value
  // passes as it does for a single value.
  return IsSingleToken(element) || TrimmedText(filter.value).empty();
}

bool StartsOrEndsWithComma(const std::string& text) {
  return !text.empty() && (Left(text, 1) == "," || Right(text, 1) == ",");
}

// The comma is one byte in UTF-8 and never part of another character, so
// the text is cut at its bytes: one pass, however long the list.
std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  return parts;
}

// A value without commas is checked in place, so it is written back
// filtered; the elements of a longer list are checked as copies and are not
// trimmed. Whatever the check said, a refusal names the whole filter.
bool CheckListValue(const FilterRow& filter, Variant& message) {
  std::string trimmed = TrimmedText(filter.value);
  bool accepted = true;
  if (InStr(trimmed, ",") == 0) {
    accepted = CheckListElement(filter, filter.value, message);
  } else {
    for (const std::string& part : SplitAtCommas(trimmed)) {
      Variant element(part);
      accepted = CheckListElement(filter, element, message);
      if (!accepted) break;
    }
  }
  if (!accepted)
    message = Variant(Compose(sentences::kFieldInvalid, TextOrEmpty(filter.caption)));
  return accepted;
}

bool CheckFilterRow(Array& matrix, int32_t row, Variant& message) {
  bool is_list = IsListFilter(matrix.at(row, kFilterPlaceholderColumn));
  FilterRow filter = ReadRow(matrix, row);

  if (is_list) {
    if (StartsOrEndsWithComma(TrimmedText(filter.value))) {
      message = Variant(Compose(sentences::kListFilterComma, TextOrEmpty(filter.caption)));
      return false;
    }
    FilterValueCharacters(filter.value);
  }
  // List values of the two number types pass the filter twice: a value left
  // blank by the first pass becomes empty on the second.
  if (!is_list || filter.type_code == "N" || filter.type_code == "V")
    FilterValueCharacters(filter.value);

  if (is_list) return CheckListValue(filter, message);
  bool mandatory = NumberEquals(matrix.at(row, kFilterMandatoryColumn), 1);
  return CheckSingleValue(filter, mandatory ? kMandatory : kOptional, message);
}

bool CheckQuery(const Variant& query, Variant& message) {
  std::string text = TextOrEmpty(query);
  if (Trim(text).empty()) {
    message = Variant(sentences::kNoQuery);
    return false;
  }
  if (ContainsForbiddenCommand(text)) {
    message = Variant(sentences::kCommandNotAllowed);
    return false;
  }
  return true;
}

}  // namespace

bool mConsiste_Filtros(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                       Variant& InVntQtde_Lin_Matriz_Filtro,
                       Variant& /*InVntQtde_Col_Matriz_Filtro*/) {
  const std::string no_sql;
  return RunRoutine(traps::kConsisteFiltrosTrap, no_sql, call, [&] {
    bool rows_accepted = VisitFilterRows(
        InVntQtde_Lin_Matriz_Filtro, InVntarrMatrizFiltros,
        [&](Array& matrix, int32_t row) { return CheckFilterRow(matrix, row, call.message()); });
    return rows_accepted && CheckQuery(InVntQuery, call.message());
  });
}

}  // namespace tpl
