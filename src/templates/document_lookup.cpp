// gBusca_Arquivo_Xml: fetches one stored document (a text column such as an
// XML file kept in a table) by column, table, identifier column and
// identifier. Any table the connection can read may be named.
#include <string>

#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "database/recordset.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "templates/document_lookup.h"

namespace tpl {
namespace {

// The names are inserted into the statement as they are, so only plain
// identifiers are let through: a name can then never change the
// statement's structure. Anything else fails like a name the database
// does not know.
void RequirePlainNames(const std::string& column, const std::string& table,
                       const std::string& id_column) {
  for (const std::string* name : {&column, &id_column}) {
    if (!IsPlainIdentifier(*name))
      throw RuntimeError(error::kInvalidProcedureCall, Compose(sentences::kInvalidColumnName, *name));
  }
  if (!IsQualifiedIdentifier(table))
    throw RuntimeError(error::kInvalidProcedureCall, Compose(sentences::kInvalidTableName, table));
}

}  // namespace

Variant gBusca_Arquivo_Xml(const CallContext& call, Variant& vntCampo, Variant& vntTabela,
                           Variant& vntColunaId, Variant& vntArquivoId, Variant& vntArquivo) {
  std::string sql;
  bool done =
      RunRoutine(traps::kBuscaArquivoXmlTrap, sql, call, [&] {
        std::string column = TextOrEmpty(vntCampo);
        std::string table = TextOrEmpty(vntTabela);
        std::string id_column = TextOrEmpty(vntColunaId);
        sql = " Select " + column + " From " + table + " WHERE " + id_column + " = " +
              CStr(mTrata_Numero_SQL(vntArquivoId)) + " ";
        RequirePlainNames(column, table, id_column);
        db::Recordset recordset;
        recordset.Open(sql, CStr(call.connection_string()), call.limits());
        if (recordset.IsOpen() && !recordset.Eof()) {
          vntArquivo = mTrata_Nulo(recordset.Value(column));
        }
        return true;
      });
  return Variant::Integer(done ? kResultCompleted : kResultFailed);
}

}  // namespace tpl
