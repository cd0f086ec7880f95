// mConsiste_Filtros: checks every value the user typed into the filter
// matrix before a report runs, and makes sure the report's query may be run
// at all.
#pragma once

#include "tpl/variant.h"

namespace tpl {

// Visits the filter rows in order and stops at the first refusal. Each
// value is checked by its type code and written back into column 6 of the
// matrix filtered of the characters that must never reach SQL text; an
// accepted single date is rewritten as yyyy/mm/dd, list values keep the
// form they were typed in. Then the query must be non-empty and free of
// data-changing command words.
//
// False with the message for the user on a refusal, or with the routine's
// sentence after an unexpected failure (logged with the caller's Database
// kind, connection string and user; user 1 also sees the detail). Column 6
// of the rows visited keeps what was written into it.
bool mConsiste_Filtros(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                       Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                       Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                       Variant& InVntQtde_Col_Matriz_Filtro);

}  // namespace tpl
