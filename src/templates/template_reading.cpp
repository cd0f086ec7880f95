// Reading templates back: every read runs a stored procedure on a fresh
// connection, released before the routine returns, and takes the named
// columns of the rows it answers. Identifiers pass through the number
// normalisation (Null or empty gives 0); other columns read Null as "".
#include <cstdint>
#include <limits>
#include <string>

#include "database/connection.h"
#include "database/recordset.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/value_helpers.h"
#include "templates/template_procedures.h"
#include "templates/template_reading.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"
#include "tpl/text.h"

namespace tpl {
namespace {

constexpr int16_t kFilterMatrixColumns = 7;
constexpr int16_t kGroupMatrixColumns = 2;

// Runs a reading procedure whose one parameter is an integer.
db::Recordset ReadThrough(db::Connection& connection, const char* procedure,
                          const char* parameter, const Variant& value) {
  return ProcedureCall(connection, procedure).Integer(parameter, value).Run();
}

// True when the procedure answered at least one row.
bool HasRows(const db::Recordset& rows) { return rows.IsOpen() && !rows.Eof(); }

// Calls fill(row) for rows 0 to count - 1, counting with a 16-bit integer
// as the readers always did: a count above 32,768 overflows before the
// first row, and a count of exactly 32,768 after the last row, when the
// counter would step past 32,767. The callers have set their counts and
// dimensioned their outputs before, so what was filled stays filled.
template <typename Fill>
void ForEachRow(int32_t count, Fill&& fill) {
  const int16_t last = CInt(Variant::Long(count - 1));
  for (int32_t row = 0; row <= last; ++row) fill(row);
  if (last == std::numeric_limits<int16_t>::max()) Raise(error::kOverflow);
}

}  // namespace

Variant gObter_Dados_Template(
    const CallContext& call, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
    Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
    Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
    Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
    Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
    Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla, Variant& OutVntFlag_Envio_Email) {
  return RunMethod(traps::kObterDadosTemplateTrap, call, [&] {
    return mObter_Dados_Template(call, invntTemplate_id, OutVntNome_Relatorio, OutvntTitulo,
                                 OutvntSub_Titulo, OutVntarrMatrizFiltros,
                                 OutvntQtde_Lin_Matriz_Filtro, OutvntQtde_Col_Matriz_Filtro,
                                 OutVntQuery, InVntIndicativo_Busca_Grupo,
                                 OutVntQtde_Lin_Grupo_Usuario, OutVntQtde_Col_Grupo_Usuario,
                                 OutVntArrMatrizGrupoUsuario, OutVntSigla, OutVntFlag_Envio_Email);
  });
}

bool mObter_Dados_Template(
    const CallContext& call, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
    Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
    Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
    Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
    Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
    Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla, Variant& OutVntFlag_Envio_Email) {
  {
    db::Connection connection(CStr(call.connection_string()), call.limits());
    db::Recordset rows =
        ReadThrough(connection, "Sp_Kmb_Consulta_Template05", "pTEMPLATE_ID", invntTemplate_id);
    if (!HasRows(rows)) {
      call.message() = Variant(sentences::kTemplateNotFound);
      return false;
    }
    OutVntNome_Relatorio = mTrata_Nulo(rows.Value("NOME_RELATORIO"));
    OutvntTitulo = mTrata_Nulo(rows.Value("TITULO"));
    OutvntSub_Titulo = mTrata_Nulo(rows.Value("SUB_TIT_FILTROS"));
    OutVntSigla = mTrata_Nulo(rows.Value("TEMPLATE_DINAMICO_SIGLA"));
    OutVntFlag_Envio_Email = mTrata_Nulo(rows.Value("FLAG_ENVIO_EMAIL"));

    // One row per piece, in stored order; a Null piece adds nothing. The
    // pieces joined before a failure are the query returned.
    OutVntQuery = Variant("");
    std::string query;
    try {
      ForEachRow(rows.RecordCount(), [&](int32_t) {
        query += TextOrEmpty(rows.Value("txt_query"));
        rows.MoveNext();
      });
    } catch (...) {
      OutVntQuery = Variant(std::move(query));
      throw;
    }
    OutVntQuery = Variant(std::move(query));
  }

  mObter_Filtro_Template(call, invntTemplate_id, OutVntarrMatrizFiltros,
                         OutvntQtde_Lin_Matriz_Filtro, OutvntQtde_Col_Matriz_Filtro);

  if (UCase(TrimmedText(InVntIndicativo_Busca_Grupo)) != "S") return true;
  return mObter_Grupo_Usuario_Template(call, invntTemplate_id, OutVntQtde_Lin_Grupo_Usuario,
                                       OutVntQtde_Col_Grupo_Usuario, OutVntArrMatrizGrupoUsuario);
}

bool mObter_Filtro_Template(const CallContext& call, const Variant& template_id, Variant& matrix,
                            Variant& line_count, Variant& column_count) {
  db::Connection connection(CStr(call.connection_string()), call.limits());
  db::Recordset rows =
      ReadThrough(connection, "SP_KMB_CONS_FILTRO_TEMPLATE01", "pTEMPLATE_ID", template_id);
  if (!HasRows(rows)) return true;

  const int32_t count = rows.RecordCount();
  line_count = Variant::Long(count);
  column_count = Variant::Integer(kFilterMatrixColumns);
  matrix = Variant(Array::Matrix(count, kFilterMatrixColumns));
  Array& filters = matrix.AsArray();
  ForEachRow(count, [&](int32_t row) {
    filters.at(row, 0) = mNormaliza_Numero(rows.Value("COLUNA_TEMPLATE_DINAMICO_ID"));
    filters.at(row, 1) = mTrata_Nulo(rows.Value("NOME_EXTERNO"));
    filters.at(row, 2) = mTrata_Nulo(rows.Value("COLUNA_SELEC"));
    filters.at(row, 3) = mTrata_Nulo(rows.Value("FLAG_FORMATO_TELA"));
    filters.at(row, 4) = mTrata_Nulo(rows.Value("INDICATIVO_OBRIGATORIO"));
    filters.at(row, 5) = mTrata_Nulo(rows.Value("DIFERENCA_DE_ATE"));
    filters.at(row, 6) = Variant("");
    rows.MoveNext();
  });
  return true;
}

bool mObter_Grupo_Usuario_Template(const CallContext& call, const Variant& template_id,
                                   Variant& line_count, Variant& column_count, Variant& matrix) {
  const std::string sql = "SP_KMB_CONS_GRP_USU_X_TEMP01";
  return RunRoutine(traps::kObterGrupoUsuarioTemplateTrap, sql, call,
                    [&] {
                      db::Connection connection(CStr(call.connection_string()), call.limits());
                      db::Recordset rows =
                          ReadThrough(connection, sql.c_str(), "pTEMPLATE_ID", template_id);
                      if (!HasRows(rows)) {
                        call.message() = Variant(sentences::kTemplateGroupsNotFound);
                        return false;
                      }
                      const int32_t count = rows.RecordCount();
                      line_count = Variant::Long(count);
                      column_count = Variant::Integer(kGroupMatrixColumns);
                      matrix = Variant(Array::Matrix(count, kGroupMatrixColumns));
                      Array& groups = matrix.AsArray();
                      ForEachRow(count, [&](int32_t row) {
                        groups.at(row, 0) = mNormaliza_Numero(rows.Value("GRUPO_USUARIO_ID"));
                        groups.at(row, 1) = mTrata_Nulo(rows.Value("desc_grupo_usuario"));
                        rows.MoveNext();
                      });
                      return true;
                    });
}

Variant gObter_Templates_do_Usuario(const CallContext& call, Variant& InVntGrupo_Usuario_ID,
                                    Variant& OutVntQtde_Registros, Variant& OutVntArrTemplate_ID,
                                    Variant& OutVntArrTitulo) {
  // No trap and no result code: the host reads the count and the message,
  // and a failure reaches it as a failed call.
  mObter_Templates_do_Usuario(call, InVntGrupo_Usuario_ID, OutVntQtde_Registros,
                              OutVntArrTemplate_ID, OutVntArrTitulo);
  return Variant();
}

bool mObter_Templates_do_Usuario(const CallContext& call, Variant& InVntGrupo_Usuario_ID,
                                 Variant& OutVntQtde_Registros, Variant& OutVntArrTemplate_ID,
                                 Variant& OutVntArrTitulo) {
  db::Connection connection(CStr(call.connection_string()), call.limits());
  db::Recordset rows = ReadThrough(connection, "SP_KMB_OBTER_REL_DIN_GRP_USU1",
                                   "pGRUPO_USUARIO_ID", InVntGrupo_Usuario_ID);
  if (!HasRows(rows)) {
    call.message() = Variant(sentences::kNoTemplatesAvailable);
    return false;
  }
  const int32_t count = rows.RecordCount();
  OutVntQtde_Registros = Variant::Long(count);
  OutVntArrTemplate_ID = Variant(Array::Vector(count - 1));
  OutVntArrTitulo = Variant(Array::Vector(count - 1));
  Array& identifiers = OutVntArrTemplate_ID.AsArray();
  Array& titles = OutVntArrTitulo.AsArray();
  ForEachRow(count, [&](int32_t row) {
    identifiers.at(row) = mNormaliza_Numero(rows.Value("TEMPLATE_DINAMICO_ID"));
    titles.at(row) = mTrata_Nulo(rows.Value("TITULO"));
    rows.MoveNext();
  });
  return true;
}

}  // namespace tpl
