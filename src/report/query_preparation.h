// mPrepara_Query: turns each checked filter value into the SQL text that
// stands for it and puts that text in the report's query in place of the
// filter's placeholder.
#pragma once

#include "tpl/variant.h"

namespace tpl {

// For each filter row in order: column 6 becomes the SQL text of its value
// (by type code, list or single value, and Database kind: "ORACLE" after
// trimming and upper-casing selects Oracle's literals), then every
// occurrence of the placeholder, exactly as stored, is replaced in the
// query by that text. Each row works on the query as the earlier rows left
// it, so a value holding a later placeholder is itself replaced.
//
// Refuses no value. False only after an unexpected failure, with the
// routine's sentence (logged; user 1 also sees the detail); the rows and
// replacements done before it stay done.
bool mPrepara_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                    Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                    Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                    Variant& InVntQtde_Col_Matriz_Filtro);

}  // namespace tpl
