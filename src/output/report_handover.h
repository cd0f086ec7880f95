// Hand-over of a report too large for the screen, or asked for as a file,
// to a background job that e-mails it. gGera_Arquivo_EDI answers false when
// the job was registered and true when the hand-over did not happen;
// mVerifica_JOBs finds the user's e-mail address and registers the job.
#pragma once

#include <cstdint>
#include <string>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// The query that finds a user's e-mail address; with `supplier_groups` it
// also knows the users of supplier groups.
std::string EmailLookupQuery(bool supplier_groups, int32_t user);

// Each filter's trimmed value followed by "@@@", apostrophes removed.
std::string FilterValuesText(const Variant& filters, const Variant& line_count);

bool gGera_Arquivo_EDI(const CallContext& call, Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                       Variant& vntTitulo_Tela, Variant& vntSub_Titulo_Tela,
                       Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                       Variant& OutVntarrvntMatriz, Variant& invntTemplate_id,
                       Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao);

bool mVerifica_JOBs(const CallContext& call, Variant& vntTitulo_Tela, Variant& vntSub_Titulo_Tela,
                    Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                    Variant& OutVntarrvntMatriz, Variant& InVntQuery,
                    Variant& InVntarrMatrizFiltros, Variant& invntTemplate_id,
                    Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao);

}  // namespace tpl
