// TPL: the library's one public class (programmatic identifier
// "KMBTPLB11.TPL", dispatch interface _TPL). It runs dynamic reports for a
// host application: every method takes the connection string, the user's
// identifier, a message slot and the Database kind, works, releases
// everything it opened, and answers with a result code and, where something
// needs telling, one sentence in Brazilian Portuguese.
//
// Methods may be called directly (early binding) or by name or dispatch
// identifier through Invoke (late binding). Every parameter is passed by
// reference and may be written back. No method but
// gObter_Templates_do_Usuario raises to its host: every failure ends in
// the result code (16-bit 10, or false) and the message.
// Invoke itself raises RuntimeError only for calls it cannot make: an
// unknown method (438), a wrong number of arguments (450) or an argument
// that does not convert to its typed parameter (13).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tpl/variant.h"

namespace tpl {

enum class ParameterType { Variant, Long, String };
enum class ResultType { Variant, Boolean };

// What a parameter is to the call. Every method receives the connection
// string, the Database kind, the calling user and the message slot, in an
// order of its own; a host that must find one of them (to impose its own
// database, say) asks the role, never the name. Every other parameter is
// Ordinary.
enum class ParameterRole { Ordinary, Connection, DatabaseKind, MessageSlot, User };

struct ParameterInfo {
  std::string_view name;
  ParameterType type = ParameterType::Variant;
  ParameterRole role = ParameterRole::Ordinary;
};

struct MethodInfo {
  int32_t dispatch_id;
  std::string_view name;
  ResultType result;
  std::vector<ParameterInfo> parameters;  // interface order
};

class TPL {
 public:
  static constexpr std::string_view kProgId = "KMBTPLB11.TPL";

  // The dispatch interface, in interface order.
  static const std::vector<MethodInfo>& Methods();
  // Look-up by name ignores case, as automation does; nullptr when absent.
  static const MethodInfo* FindMethod(std::string_view name);
  static const MethodInfo* FindMethod(int32_t dispatch_id);

  // Late binding. `args` holds the parameters in interface order; each is
  // passed by reference, typed ones converted on the way in and written
  // back (as Long or String) on the way out.
  Variant Invoke(std::string_view name, std::vector<Variant>& args);
  Variant Invoke(int32_t dispatch_id, std::vector<Variant>& args);

  // Saves a result matrix as a formatted .xlsx workbook in the folder of
  // system parameter 23017 and returns its name, after the prefix of
  // parameter 23018, in outvntNome_Arquivo. The matrix's decimal and date
  // cells come back converted. Result 0 or 10.
  Variant gGera_Excel(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                      Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InvntTitulo_Tela,
                      Variant& InvntSub_Titulo_Tela, Variant& InvntQtde_Lin_Matriz,
                      Variant& InvntQtde_Col_Matriz, Variant& InarrvntMatriz,
                      Variant& outvntNome_Arquivo);
  // Creates (IOVntTemplate_ID 0 or empty) or alters a template with its
  // query, filters and user groups, in one transaction. Result 0 or 10.
  Variant gGrava_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                          Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                          Variant& IOVntTemplate_ID, Variant& InVntNome_Relatorio,
                          Variant& InVntTitulo, Variant& InVntSubtitulo, Variant& InVntQuery,
                          Variant& InVntQtde_Lin_Grupo_Usuario,
                          Variant& InVntQtde_Col_Grupo_Usuario,
                          Variant& InVntArr_Matriz_Grupo_Usuario,
                          Variant& InVntQtde_Lin_Matriz_Filtro,
                          Variant& InVntQtde_Col_Matriz_Filtro, Variant& InVntArrMatriz_Filtro,
                          Variant& OutVntSigla, Variant& InVntFlag_Envio_Email);

  // Checks and runs a query typed by a template author (no placeholders)
  // and returns its result matrix. Result 0 or 10.
  Variant gTesta_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                       Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                       Variant& IOVntTemplate_ID, Variant& InVntNome_Relatorio,
                       Variant& InVntTitulo, Variant& InVntSubtitulo, Variant& InVntQuery,
                       Variant& OutvntQtde_Lin_Matriz, Variant& OutvntQtde_Col_Matriz,
                       Variant& OutVntarrvntMatriz, Variant& invntTemplate_id,
                       Variant& dicArrayMatriz);

  // Deletes a template with its query, filters and group links. Result 0
  // or 10.
  Variant gExclui_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                           Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                           Variant& invntTemplate_id);

  // Deletes every filter of a template (InVntCOLUNA_ID is not read).
  // Result 0 or 10.
  Variant gExclui_Filtro_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                                  Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                                  Variant& invntTemplate_id, Variant& InVntCOLUNA_ID);

  // Edits the host's filter list: adds, edits ("ED") or deletes ("EX") one
  // row after checking the new values. Result 0 or 10.
  Variant gGrava_Filtro(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                        Variant& outvntMsg_Ret, Variant& invntBase_dados,
                        Variant& invntTemplate_id, Variant& IOVntQtde_Lin_Matriz_Filtro,
                        Variant& IOVntQtde_Col_Matriz_Filtro, Variant& IOVntArrMatriz_Filtro,
                        Variant& InVntCOLUNA_ID, Variant& InVntExibir, Variant& InVntValor,
                        Variant& InVntTipoVariavel, Variant& InVntObrigatorio,
                        Variant& InVntQtdeDiasMax, Variant& InVntPosicao,
                        Variant& InVntTipo_Acao);

  // Reads one template: header, query, filter matrix and, when
  // InVntIndicativo_Busca_Grupo is "S", the group matrix. Result 0 or 10.
  Variant gObter_Dados_Template(
      Variant& invntConecta_db, Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
      Variant& invntBanco_Dados, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
      Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
      Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
      Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
      Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
      Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla,
      Variant& OutVntFlag_Envio_Email);

  // Lists the templates a user group may run: count, identifiers, titles.
  // Always returns Empty. The one method without an error trap: a database
  // failure while listing is raised to the host as a RuntimeError.
  Variant gObter_Templates_do_Usuario(Variant& invntConecta_db,
                                      Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
                                      Variant& invntBanco_Dados, Variant& InVntGrupo_Usuario_ID,
                                      Variant& OutVntQtde_Registros, Variant& OutVntArrTemplate_ID,
                                      Variant& OutVntArrTitulo);

  // Fetches one stored document: the column vntCampo of the row of table
  // vntTabela whose vntColunaId equals vntArquivoId. Result 0 or 10.
  Variant gBusca_Arquivo_Xml(Variant& instrConecta_db, Variant& InLngUsuario_Internet_ID,
                             Variant& InStrBanco_Dados, Variant& vntCampo, Variant& vntTabela,
                             Variant& vntColunaId, Variant& vntArquivoId, Variant& vntArquivo,
                             Variant& outstrMsg_ret);

  // Runs a report: checks and substitutes the user's filter values, runs
  // the query into the result matrix and either returns it (0) or hands it
  // to a background job or an e-mail request (10 with the sentence).
  Variant gExecutar_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                          Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                          Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                          Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutvntQtde_Lin_Matriz,
                          Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                          Variant& vntfLAG_gERA_EXCEL, Variant& vntTitulo_Tela,
                          Variant& vntSub_Titulo_Tela, Variant& invntTemplate_id,
                          Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao,
                          Variant& dicArrayMatriz, Variant& InVntFlag_Envio_Email);

  // Hands an oversized report to background file generation. False when
  // the job was registered; true when the hand-over did not happen.
  bool gGera_Arquivo_EDI(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                         Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                         Variant& InVntarrMatrizFiltros, Variant& vntTitulo_Tela,
                         Variant& vntSub_Titulo_Tela, Variant& InVntQtde_Lin_Matriz_Filtro,
                         Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutVntarrvntMatriz,
                         Variant& invntTemplate_id, Variant& INFlag_Opcoes_Exportacao,
                         Variant& INvntTipo_Exibicao);

  // Finds the user's e-mail address and registers the report's background
  // job. True when the job was registered.
  bool mVerifica_JOBs(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                      Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& vntTitulo_Tela,
                      Variant& vntSub_Titulo_Tela, Variant& InVntQtde_Lin_Matriz_Filtro,
                      Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutVntarrvntMatriz,
                      Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                      Variant& invntTemplate_id, Variant& INFlag_Opcoes_Exportacao,
                      Variant& INvntTipo_Exibicao);

  // Registers a background job: validation, job row, parameter text.
  bool gInclui_JOB(Variant& invntBase_dados, Variant& invntConecta_db,
                   Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
                   Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                   Variant& InVntFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                   Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                   Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail,
                   Variant& InVntData_Inicio, Variant& invntEmail_Remetente,
                   Variant& invntEndereco_Anexo);

  // Stores a job's parameter text in its row.
  bool mInclui_Parametros_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                              std::string& instrConecta_db, std::string& InStrBanco_Dados,
                              int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret);

  // Builds a job's parameter text: the identifier, "__JOB__", then "__"
  // and each parameter.
  bool mMonta_Parametro(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                        int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                        Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                        std::string& OutStrParametros, int32_t& inlngLOG_GERADOR_ID);

  // Inserts the job row and returns its identifier.
  bool mInclui_JOB(int32_t& InLngUsuario_Internet_ID, int32_t& InLngFuncao_ID,
                   std::string& InStrTitulo_EMail, std::string& InStrFlag_Envia_EMail,
                   Variant& OutVntLog_Gerador_ID, std::string& instrConecta_db,
                   std::string& InStrBanco_Dados, std::string& InStrTexto_EMail,
                   std::string& InStrEndereco_EMail, Variant& outvntMsg_Ret,
                   std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                   std::string& instrEndereco_anexo);

  // Checks a job request; may rewrite the e-mail fields and the start date.
  bool mConsiste_Inclui_JOB(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                            int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                            Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                            Variant& InVntFlag_Envia_EMail, Variant& InVntTexto_EMail,
                            Variant& InVntEndereco_EMail, Variant& InVntData_Inicio);
};

}  // namespace tpl
