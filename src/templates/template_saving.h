// Saving a template: gGrava_Template validates it, tries its query on
// sample filter values (unless it is delivered by e-mail), and then
// creates or alters the header, the query pieces, the filters and the
// user-group links on one connection, in one transaction that is committed
// only when every step succeeded.
//
// The module routines take the open connection first, then the connection
// string, user, message slot and Database kind (for the trap's log) and
// the template identifier. Each traps its own failures: false with the
// sentence, and the caller rolls everything back.
#pragma once

#include "conventions/call_context.h"
#include "database/connection.h"
#include "tpl/variant.h"

namespace tpl {

// Result 0 when the template was saved and committed, 10 with the reason
// otherwise. IOVntTemplate_ID 0 or empty creates (and receives the new
// identifier), any other value alters that template. The title and
// subtitle come back filtered, and column 0 of each filter row receives
// the identifier the database gave the filter. OutVntSigla is read, not
// written. The Database kind "ORACLE" (exactly) reads the new identifier
// from an output parameter; any other from the first row answered.
Variant gGrava_Template(const CallContext& call, Variant& IOVntTemplate_ID,
                        Variant& InVntNome_Relatorio, Variant& InVntTitulo, Variant& InVntSubtitulo,
                        Variant& InVntQuery, Variant& InVntQtde_Lin_Grupo_Usuario,
                        Variant& InVntQtde_Col_Grupo_Usuario,
                        Variant& InVntArr_Matriz_Grupo_Usuario,
                        Variant& InVntQtde_Lin_Matriz_Filtro, Variant& InVntQtde_Col_Matriz_Filtro,
                        Variant& InVntArrMatriz_Filtro, Variant& OutVntSigla,
                        Variant& InVntFlag_Envio_Email);

// What creating and altering receive besides the connection and the
// identifier.
struct TemplateContent {
  const Variant& name;
  const Variant& title;
  const Variant& subtitle;
  const Variant& query;
  const Variant& group_line_count;
  const Variant& group_matrix;
  const Variant& filter_line_count;
  const Variant& filter_column_count;
  Variant& filter_matrix;  // column 0 receives each filter's new identifier
  const Variant& code;
  const Variant& email_flag;
};

// Creates header, query pieces, filters and group links; the new
// identifier goes to `template_id`.
bool mInclui_Template(db::Connection& connection, const CallContext& call, Variant& template_id,
                      const TemplateContent& content);

// Alters the header and replaces the query pieces, the filters (which get
// new identifiers) and the group links.
bool mAltera_Template(db::Connection& connection, const CallContext& call,
                      const Variant& template_id, const TemplateContent& content);

// Inserts one filter (columns 1 to 5 of a filter row: caption,
// placeholder, type code, mandatory flag "S" or anything else, largest
// day range) and puts the identifier the database gave it into `new_id`.
bool mInclui_Filtro_Template(db::Connection& connection, const CallContext& call,
                             const Variant& template_id, const Variant& caption,
                             const Variant& placeholder, const Variant& type_code,
                             const Variant& mandatory, const Variant& largest_interval,
                             Variant& new_id);

// Deletes every filter of the template.
bool mExclui_Filtro_Template(db::Connection& connection, const CallContext& call,
                             const Variant& template_id);

// Lets one user group run the template. A group that does not exist is
// refused by the database.
bool mInclui_Grupo_Usuario_X_Template(db::Connection& connection, const CallContext& call,
                                      const Variant& template_id, const Variant& group_id);

// Removes every group link of the template.
bool mExclui_Grupo_Usuario_X_Template(db::Connection& connection, const CallContext& call,
                                      const Variant& template_id);

}  // namespace tpl
