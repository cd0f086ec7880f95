#include "report/filter_validation.h"

#include <string>
#include <vector>

#include "shared/error_trap.h"
#include "shared/value_helpers.h"
#include "infra/value_checks.h"
#include "report/filter_matrix.h"
#include "report/forbidden_commands.h"
#include "report/list_filter.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

const RoutineTrap kTrap{
    "Acesso a consistência dos dados não disponível. Favor tentar mais tarde.",
    " KMBTPL01.mConsiste_Filtros( "};

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

// The check of a single value by its type code; unknown codes pass. An
// accepted date replaces the typed one as yyyy/mm/dd.
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
  return true;
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
  return true;
}

bool StartsOrEndsWithComma(const std::string& text) {
  return !text.empty() && (Left(text, 1) == "," || Right(text, 1) == ",");
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 1;
  for (size_t comma; (comma = InStr(text, ",", start)) > 0; start = comma + 1)
    parts.push_back(Mid(text, start, comma - start));
  parts.push_back(Mid(text, start));
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
    message = Variant("O campo " + TextOrEmpty(filter.caption) + " é inválido.");
  return accepted;
}

bool CheckFilterRow(Array& matrix, int32_t row, Variant& message) {
  bool is_list = IsListFilter(matrix.at(row, kFilterPlaceholderColumn));
  FilterRow filter = ReadRow(matrix, row);

  if (is_list) {
    if (StartsOrEndsWithComma(TrimmedText(filter.value))) {
      message = Variant("Valor inválido para o Filtro " + TextOrEmpty(filter.caption) +
                        ". Esse tipo de filtro não pode iniciar nem terminar com vírgula.");
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
    message = Variant("Esse relatório não possui uma query definida.");
    return false;
  }
  if (ContainsForbiddenCommand(text)) {
    message = Variant("Comando não permitido por essa função.");
    return false;
  }
  return true;
}

}  // namespace

bool mConsiste_Filtros(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                       Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                       Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                       Variant& /*InVntQtde_Col_Matriz_Filtro*/) {
  const std::string no_sql;
  return RunRoutine(kTrap, no_sql, invntBanco_Dados, invntConecta_db, invntUsuario_Internet_id,
                    outvntMsg_Ret, [&] {
                      bool rows_accepted = VisitFilterRows(
                          InVntQtde_Lin_Matriz_Filtro, InVntarrMatrizFiltros,
                          [&](Array& matrix, int32_t row) {
                            return CheckFilterRow(matrix, row, outvntMsg_Ret);
                          });
                      return rows_accepted && CheckQuery(InVntQuery, outvntMsg_Ret);
                    });
}

}  // namespace tpl
