// Trying a query before a template is saved. gTesta_Query checks the
// title, subtitle and query an author typed (mConsiste_Campos_Testa_Query)
// and runs the query as typed, returning its result matrix. mTesta_Query,
// used when a template is saved, gives every filter a sample value of its
// type and prepares the query with them, without sending it anywhere.
//
// The checks of the title, the subtitle and the query's first word are
// shared with the validation of a template that is being saved.
#pragma once

#include <string>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// Result 0 when the checks passed and the query ran (the counts, the
// matrix and, for further row sets, the dictionary are filled as a report
// run fills them); 10 with the sentence otherwise. The title and subtitle
// are written back filtered. The query may hold no filter placeholder.
Variant gTesta_Query(const CallContext& call, Variant& IOVntTemplate_ID,
                     Variant& InVntNome_Relatorio, Variant& InVntTitulo, Variant& InVntSubtitulo,
                     Variant& InVntQuery, Variant& OutvntQtde_Lin_Matriz,
                     Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                     Variant& invntTemplate_id, Variant& dicArrayMatriz);

// The title (mandatory) and subtitle (optional), each at most 100
// characters and written back filtered; a query that is present, starts
// with SELECT or EXEC, holds no data-changing command word and no "{" or
// "}". False with the sentence of the first check that failed.
bool mConsiste_Campos_Testa_Query(const CallContext& call, const Variant& InVntNome_Relatorio,
                                  Variant& InVntTitulo, Variant& InVntSubtitulo,
                                  const Variant& InVntQuery);

// Prepares the query, behind the session prelude, with a sample value for
// every filter ("D" today as yyyy/mm/dd, "N" and "U" 1, "C" "Query", "V"
// "10,00"; other codes keep the host's value) on a copy of the filter
// matrix. True without filters. The host's query and matrix are left as
// they were; the database never sees the text.
bool mTesta_Query(const CallContext& call, const Variant& InVntQuery,
                  const Variant& InVntQtde_Lin_Matriz_Filtro,
                  const Variant& InVntQtde_Col_Matriz_Filtro, const Variant& InVntArrMatriz_Filtro);

// Shared with template validation.

// The query trimmed of blanks, then with every CR LF pair removed (a lone
// CR or LF stays).
std::string QueryWithoutLineBreaks(const Variant& query);
// True when the query, trimmed and in upper case, starts with SELECT or
// EXEC.
bool StartsAsReadingStatement(const std::string& query);
// The title ("Título", mandatory) and subtitle ("Subtítulo", optional),
// each at most 100 characters, written back filtered. False with the
// sentence of the text check.
bool CheckTitleAndSubtitle(const Variant& user, Variant& message, Variant& title,
                           Variant& subtitle);

}  // namespace tpl
