#include "report/query_preparation.h"

#include <string>

#include "shared/error_trap.h"
#include "shared/sentences.h"
#include "shared/value_helpers.h"
#include "report/filters.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// a,b becomes 'a','b'; blanks after a comma stay inside the quotes.
Variant QuotedList(const Variant& value) {
  return Variant("'" + Replace(TextOrEmpty(value), ",", "','") + "'");
}

// The value of a filter as SQL text. Number and unknown-type lists go in
// as typed. A single date reaches here as yyyy/mm/dd; one that cannot be
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
    if (is_list) return value;
    return oracle ? gMonta_Numero_Oracle(value) : mTrata_Numero_SQL(value);
  }
  if (type_code == "V") {
    if (is_list) return value;
    std::string with_point;
    mTroca_Virgula(TextOrEmpty(value), with_point);
    return oracle ? gMonta_Numero_Oracle(Variant(with_point))
                  : mTrata_Numero_SQL(Variant(with_point));
  }
  return value;
}

void PrepareFilterRow(Array& matrix, int32_t row, bool oracle, Variant& query) {
  const Variant& placeholder = matrix.at(row, kFilterPlaceholderColumn);
  Variant& value = matrix.at(row, kFilterValueColumn);
  bool is_list = IsListFilter(placeholder);
  if (is_list) value = Variant(mRetira_Caracteres(TextOrEmpty(value)));
  value = SqlText(FilterTypeCode(matrix.at(row, kFilterTypeColumn)), is_list, oracle, value);
  // An empty placeholder matches nothing and leaves the query as it is.
  query = Variant(Replace(TextOrEmpty(query), TextOrEmpty(placeholder), TextOrEmpty(value)));
}

}  // namespace

bool mPrepara_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                    Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                    Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                    Variant& /*InVntQtde_Col_Matriz_Filtro*/) {
  const std::string no_sql;
  return RunRoutine(traps::kPreparaQueryTrap, no_sql, invntBanco_Dados, invntConecta_db, invntUsuario_Internet_id,
                    outvntMsg_Ret, [&] {
                      bool oracle = IsDatabaseKind(invntBanco_Dados, DatabaseKind::Oracle,
                                                  KindComparison::TrimmedUpperCase);
                      return VisitFilterRows(InVntQtde_Lin_Matriz_Filtro, InVntarrMatrizFiltros,
                                             [&](Array& matrix, int32_t row) {
                                               PrepareFilterRow(matrix, row, oracle, InVntQuery);
                                               return true;
                                             });
                    });
}

}  // namespace tpl
