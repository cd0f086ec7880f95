#include "report/query_preparation.h"

#include <string>
#include <vector>

#include "shared/error_trap.h"
#include "shared/sentences.h"
#include "shared/value_helpers.h"
#include "report/filters.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// a,b becomes 'a','b'; blanks after a comma stay inside the quotes.
Variant QuotedList(const Variant& value) {
  return Variant("'" + Replace(TextOrEmpty(value), ",", "','") + "'");
}

// A list of numbers as SQL text: each element's number, written by us, so
// that only digits, signs, points and the separating commas reach the
// statement ("1, 2" gives "1,2"; "1 OR 1=1" could only give "1").
Variant NumberList(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (Trim(text).empty()) return Variant(text);
  std::string list;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    if (!list.empty() || start > 0) list += ",";
    list += SqlNumberText(Val(text.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return Variant(list);
}

// The value of a filter as SQL text. Unknown-type lists go in as typed
// (their elements were checked to be single tokens). A single date reaches here as yyyy/mm/dd; one that cannot be
// read as a date makes Oracle's date literal raise, and the trap reports
// it.
Variant SqlText(const std::string& type_code, bool is_list, bool oracle, const Variant& value) {
  if (type_code == "D") {
    if (is_list) return QuotedList(value);
    if (oracle) return gMonta_Data_Oracle(value);
    return Variant("'" + TrimmedText(value) + "'");
  }
  if (type_code == "C") {
    if (is_list) return QuotedList(value);
    return oracle ? gMonta_Texto_Oracle(value) : mTrata_Texto_SQL(value);
  }
  if (type_code == "N" || type_code == "U") {
    if (is_list) return NumberList(value);
    return oracle ? gMonta_Numero_Oracle(value) : mTrata_Numero_SQL(value);
  }
  if (type_code == "V") {
    if (is_list) return NumberList(value);
    std::string with_point;
    mTroca_Virgula(TextOrEmpty(value), with_point);
    return oracle ? gMonta_Numero_Oracle(Variant(with_point))
                  : mTrata_Numero_SQL(Variant(with_point));
  }
  return value;
}

// Turns one row's value into its SQL text, in place in column 6, and
// gives the placeholder it stands for.
Substitution PrepareFilterRow(Array& matrix, int32_t row, bool oracle) {
  const Variant& placeholder = matrix.at(row, kFilterPlaceholderColumn);
  Variant& value = matrix.at(row, kFilterValueColumn);
  bool is_list = IsListFilter(placeholder);
  if (is_list) value = Variant(mRetira_Caracteres(TextOrEmpty(value)));
  value = SqlText(FilterTypeCode(matrix.at(row, kFilterTypeColumn)), is_list, oracle, value);
  return {TextOrEmpty(placeholder), TextOrEmpty(value)};
}

}  // namespace

bool mPrepara_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                    Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                    Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                    Variant& /*InVntQtde_Col_Matriz_Filtro*/) {
  const std::string no_sql;
  return RunRoutine(
      traps::kPreparaQueryTrap, no_sql, invntBanco_Dados, invntConecta_db,
      invntUsuario_Internet_id, outvntMsg_Ret, [&] {
        bool oracle = IsDatabaseKind(invntBanco_Dados, DatabaseKind::Oracle,
                                     KindComparison::TrimmedUpperCase);
        std::vector<Substitution> substitutions;
        try {
          VisitFilterRows(InVntQtde_Lin_Matriz_Filtro, InVntarrMatrizFiltros,
                          [&](Array& matrix, int32_t row) {
                            substitutions.push_back(PrepareFilterRow(matrix, row, oracle));
                            return true;
                          });
        } catch (...) {
          // The rows prepared before the failure still take their place.
          InVntQuery = Variant(SubstitutePlaceholders(TextOrEmpty(InVntQuery), substitutions));
          throw;
        }
        InVntQuery = Variant(SubstitutePlaceholders(TextOrEmpty(InVntQuery), substitutions));
        return true;
      });
}

std::string SubstitutePlaceholders(const std::string& query,
                                   const std::vector<Substitution>& substitutions) {
  std::string result;
  result.reserve(query.size());
  size_t position = 0;
  while (position < query.size()) {
    const Substitution* found = nullptr;
    for (const Substitution& substitution : substitutions) {
      // An empty placeholder matches nothing.
      if (!substitution.placeholder.empty() &&
          query.compare(position, substitution.placeholder.size(), substitution.placeholder) ==
              0) {
        found = &substitution;
        break;
      }
    }
    if (found != nullptr) {
      result += found->value;
      position += found->placeholder.size();
    } else {
      result += query[position++];
    }
  }
  return result;
}

}  // namespace tpl
