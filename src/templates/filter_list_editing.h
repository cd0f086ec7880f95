// gGrava_Filtro: edits the host's filter list before a template is saved;
// adds, edits ("ED") or deletes ("EX") one row after checking the new
// values. Result 0 or 10.
#pragma once

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

Variant gGrava_Filtro(const CallContext& call, Variant& invntTemplate_id,
                      Variant& IOVntQtde_Lin_Matriz_Filtro, Variant& IOVntQtde_Col_Matriz_Filtro,
                      Variant& IOVntArrMatriz_Filtro, Variant& InVntCOLUNA_ID, Variant& InVntExibir,
                      Variant& InVntValor, Variant& InVntTipoVariavel, Variant& InVntObrigatorio,
                      Variant& InVntQtdeDiasMax, Variant& InVntPosicao, Variant& InVntTipo_Acao);

}  // namespace tpl
