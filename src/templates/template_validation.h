// The checks a template passes before it is created or altered
// (mConsiste_Campos), and the count of opening braces in its query
// (mConta_Chaves). They keep the stored query a read-only statement, make
// the filters and the query's placeholders agree and require at least one
// user group. Nothing here touches the database.
#pragma once

#include <cstdint>
#include <string_view>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// Runs the checks in order and stops at the first that fails, leaving its
// sentence in the message slot: title (mandatory, at most 100 characters)
// and subtitle (optional, at most 100), both written back filtered; the
// query present, starting with SELECT or EXEC and free of data-changing
// command words; no more filters than opening braces, and no braces
// without filters; per filter, no caption or placeholder repeated by
// another filter, the placeholder between braces and used by the query;
// and a group count that is not empty or 0. A run-time failure (a line
// count larger than the matrix, say) gives false and the routine's
// sentence, logged.
bool mConsiste_Campos(const CallContext& call, const Variant& InVntNome_Relatorio,
                      Variant& InVntTitulo, Variant& InVntSubtitulo, const Variant& InVntQuery,
                      const Variant& InVntQtde_Lin_Grupo_Usuario,
                      const Variant& InVntQtde_Lin_Matriz_Filtro,
                      const Variant& InVntQtde_Col_Matriz_Filtro,
                      const Variant& InVntArrMatriz_Filtro, const Variant& OutVntSigla);

// How many "{" the text holds, as a 16-bit integer (closing braces are not
// counted).
int16_t mConta_Chaves(std::string_view text);

}  // namespace tpl
