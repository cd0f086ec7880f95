// Deleting stored template data: a whole template through one procedure
// (gExclui_Template), or every filter of a template inside a transaction
// (gExclui_Filtro_Template). What a template's deletion takes with it
// (query pieces, filters, group links) is the procedure's business.
#pragma once

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// Result 0 when the procedure ran, 10 otherwise. An identifier that is
// empty or blank is refused ("Informe o relatório para exclusão.") before
// the database is touched; an identifier without a template is not.
Variant gExclui_Template(const CallContext& call, Variant& invntTemplate_id);

// Runs the deletion procedure on a connection of its own. False after a
// trapped failure.
bool mExclui_Template(const CallContext& call, const Variant& template_id);

// Result 0 when every filter of the template was deleted and committed, 10
// otherwise (nothing deleted). InVntCOLUNA_ID is not read. The identifier
// is not checked: one that is no number fails in the procedure call.
Variant gExclui_Filtro_Template(const CallContext& call, Variant& invntTemplate_id,
                                Variant& InVntCOLUNA_ID);

}  // namespace tpl
