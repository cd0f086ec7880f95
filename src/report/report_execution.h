// gExecutar_Query, the report run the host calls: filter values checked
// and substituted, the query run into the result matrix, and the matrix
// either returned (0) or handed to a background job (10 with the sentence).
#pragma once

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

Variant gExecutar_Query(const CallContext& call, Variant& InVntQuery,
                        Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                        Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutvntQtde_Lin_Matriz,
                        Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                        Variant& vntfLAG_gERA_EXCEL, Variant& vntTitulo_Tela,
                        Variant& vntSub_Titulo_Tela, Variant& invntTemplate_id,
                        Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao,
                        Variant& dicArrayMatriz, Variant& InVntFlag_Envio_Email);

}  // namespace tpl
