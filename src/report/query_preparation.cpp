#include "report/query_preparation.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "report/filters.h"
#include "tpl/conversions.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// a,b becomes 'a','b'; blanks after a comma stay inside the quotes.
Variant QuotedList(const Variant& value) {
  return Variant("'" + Replace(TextOrEmpty(value), ",", "','") + "'");
}

// A list of numbers as SQL text: each element as typed when it is a plain
// number ("1, 2" stays), otherwise its number written by us, so that only
// digits, signs, points, blanks and the separating commas reach the
// statement ("1 OR 1=1" could only give "1").
Variant NumberList(const Variant& value) {
  std::string text = TextOrEmpty(value);
  if (Trim(text).empty()) return Variant(text);
  std::string list;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    if (!list.empty() || start > 0) list += ",";
    list += SqlNumberLiteral(Variant(text.substr(start, comma - start)));
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

bool mPrepara_Query(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                    Variant& InVntQtde_Lin_Matriz_Filtro,
                    Variant& /*InVntQtde_Col_Matriz_Filtro*/) {
  const std::string no_sql;
  return RunRoutine(
      traps::kPreparaQueryTrap, no_sql, call, [&] {
        bool oracle = IsDatabaseKind(call.database_kind(), DatabaseKind::Oracle,
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
  // For each place of the query, the earliest row whose placeholder starts
  // there. The placeholders are grouped by length; for each length one
  // rolling hash walks the query, and only a hash that belongs to a
  // placeholder of that length is compared byte by byte. The work is the
  // query's length times the number of distinct lengths, not times the
  // number of rows.
  constexpr uint64_t kBase = 1099511628211ULL;
  std::map<size_t, std::unordered_multimap<uint64_t, size_t>> by_length;
  auto hash_of = [&](std::string_view text) {
    uint64_t hash = 0;
    for (unsigned char c : text) hash = hash * kBase + c;
    return hash;
  };
  for (size_t row = 0; row < substitutions.size(); ++row) {
    const std::string& placeholder = substitutions[row].placeholder;
    // An empty placeholder matches nothing.
    if (!placeholder.empty()) by_length[placeholder.size()].emplace(hash_of(placeholder), row);
  }
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<size_t> first_row(query.size(), kNone);
  for (const auto& [length, rows] : by_length) {
    if (length > query.size()) break;
    uint64_t power = 1;  // kBase to the power length - 1
    for (size_t i = 1; i < length; ++i) power *= kBase;
    uint64_t hash = hash_of(std::string_view(query).substr(0, length));
    for (size_t place = 0;; ++place) {
      auto [begin, end] = rows.equal_range(hash);
      for (auto it = begin; it != end; ++it) {
        if (it->second < first_row[place] &&
            query.compare(place, length, substitutions[it->second].placeholder) == 0)
          first_row[place] = it->second;
      }
      if (place + length >= query.size()) break;
      hash = (hash - static_cast<unsigned char>(query[place]) * power) * kBase +
             static_cast<unsigned char>(query[place + length]);
    }
  }

  std::string result;
  result.reserve(query.size());
  for (size_t place = 0; place < query.size();) {
    if (first_row[place] == kNone) {
      result += query[place++];
      continue;
    }
    const Substitution& found = substitutions[first_row[place]];
    result += found.value;
    place += found.placeholder.size();
  }
  return result;
}

}  // namespace tpl
