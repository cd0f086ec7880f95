// mPrepara_Query: turns each checked filter value into the SQL text that
// stands for it and puts that text in the report's query in place of the
// filter's placeholder.
#pragma once

#include <string>
#include <vector>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// For each filter row in order: column 6 becomes the SQL text of its value
// (by type code, list or single value, and Database kind: "ORACLE" after
// trimming and upper-casing selects Oracle's literals), then every
// occurrence of the placeholder, exactly as stored, is replaced in the
// query by that text. The replacements are made in one pass over the
// template's own text, never over text that came from a value, so a value
// holding another filter's placeholder stays as typed and cannot step out
// of its quotes. Where two placeholders start at the same place, the
// earlier row wins.
//
// Refuses no value. False only after an unexpected failure, with the
// routine's sentence (logged; user 1 also sees the detail); the rows and
// replacements done before it stay done.
bool mPrepara_Query(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                    Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro);

// One filter's placeholder and the SQL text that stands for it.
struct Substitution {
  std::string placeholder;
  std::string value;
};

// The query with every occurrence of each placeholder replaced by its
// value, in one pass from the first character; at each place the first
// substitution in the list whose placeholder starts there wins.
std::string SubstitutePlaceholders(const std::string& query,
                                   const std::vector<Substitution>& substitutions);

}  // namespace tpl
