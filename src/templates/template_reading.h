// Reading templates back for the host: one template with its header, its
// whole query, its filters as the filter matrix and, when asked, its user
// groups as the group matrix (gObter_Dados_Template); and the templates
// one user group may run (gObter_Templates_do_Usuario).
//
// Every matrix built here has upper bounds equal to the counts returned
// with it: rows 0 to n and columns 0 to m, the last row and column Empty.
// Filter matrix: identifier, caption, placeholder, type code, mandatory
// indicator, largest day range, "" (the value slot); column count 7.
// Group matrix: group identifier, description; column count 2.
#pragma once

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// Result 0 when the template (and, with InVntIndicativo_Busca_Grupo "S"
// after trimming and upper-casing, its groups) was read; 10 otherwise.
// An unknown template touches no output; groups asked for but not linked
// fail after the header, query and filters were returned.
Variant gObter_Dados_Template(
    const CallContext& call, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
    Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
    Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
    Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
    Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
    Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla, Variant& OutVntFlag_Envio_Email);

// The work of gObter_Dados_Template. Failures while reading the header,
// the query or the filters are not trapped here: they reach the method's
// trap.
bool mObter_Dados_Template(
    const CallContext& call, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
    Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
    Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
    Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
    Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
    Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla, Variant& OutVntFlag_Envio_Email);

// Fills the filter matrix and its counts; a template without filters
// leaves all three as they were. True unless it raises.
bool mObter_Filtro_Template(const CallContext& call, const Variant& template_id, Variant& matrix,
                            Variant& line_count, Variant& column_count);

// Fills the group matrix and its counts. False with the sentence when no
// group is linked, or after a trapped failure.
bool mObter_Grupo_Usuario_Template(const CallContext& call, const Variant& template_id,
                                   Variant& line_count, Variant& column_count, Variant& matrix);

// Fills the count and two parallel arrays (0 to count - 1) of template
// identifiers and titles. Always returns Empty. Without templates the
// message says so and the outputs stay as they were. Nothing here is
// trapped: a database failure is raised to the host.
Variant gObter_Templates_do_Usuario(const CallContext& call, Variant& InVntGrupo_Usuario_ID,
                                    Variant& OutVntQtde_Registros, Variant& OutVntArrTemplate_ID,
                                    Variant& OutVntArrTitulo);

// The work of gObter_Templates_do_Usuario: false with the sentence when
// the group has no template.
bool mObter_Templates_do_Usuario(const CallContext& call, Variant& InVntGrupo_Usuario_ID,
                                 Variant& OutVntQtde_Registros, Variant& OutVntArrTemplate_ID,
                                 Variant& OutVntArrTitulo);

}  // namespace tpl
