// The public methods of TPL. The class keeps no state: each method gathers
// its connection string, user, Database kind and message slot into the
// call's context (conventions/call_context.h) and hands it, with its other
// arguments by reference, to the routine of the subsystem that does the
// work, whose name it shares.
#include "output/job_registration.h"
#include "output/report_handover.h"
#include "output/workbook_export.h"
#include "report/query_test.h"
#include "report/report_execution.h"
#include "conventions/call_context.h"
#include "templates/document_lookup.h"
#include "templates/filter_list_editing.h"
#include "templates/template_deletion.h"
#include "templates/template_reading.h"
#include "templates/template_saving.h"
#include "database/lock_wait.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

// The context of a job method whose values come typed.
CallContext TypedCall(const std::string& connection_string, int32_t user,
                      const std::string& database_kind, Variant& message) {
  return CallContext(Variant(connection_string), Variant::Long(user), Variant(database_kind),
                     message);
}

}  // namespace

Variant TPL::gGera_Excel(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                         Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                         Variant& InvntTitulo_Tela, Variant& InvntSub_Titulo_Tela,
                         Variant& InvntQtde_Lin_Matriz, Variant& InvntQtde_Col_Matriz,
                         Variant& InarrvntMatriz, Variant& outvntNome_Arquivo) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gGera_Excel(call, InvntTitulo_Tela, InvntSub_Titulo_Tela, InvntQtde_Lin_Matriz,
                            InvntQtde_Col_Matriz, InarrvntMatriz, outvntNome_Arquivo);
}

Variant TPL::gExecutar_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                             Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                             Variant& InVntarrMatrizFiltros, Variant& InVntQtde_Lin_Matriz_Filtro,
                             Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutvntQtde_Lin_Matriz,
                             Variant& OutvntQtde_Col_Matriz, Variant& OutVntarrvntMatriz,
                             Variant& vntfLAG_gERA_EXCEL, Variant& vntTitulo_Tela,
                             Variant& vntSub_Titulo_Tela, Variant& invntTemplate_id,
                             Variant& INFlag_Opcoes_Exportacao, Variant& INvntTipo_Exibicao,
                             Variant& dicArrayMatriz, Variant& InVntFlag_Envio_Email) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gExecutar_Query(
      call, InVntQuery, InVntarrMatrizFiltros, InVntQtde_Lin_Matriz_Filtro,
      InVntQtde_Col_Matriz_Filtro, OutvntQtde_Lin_Matriz, OutvntQtde_Col_Matriz, OutVntarrvntMatriz,
      vntfLAG_gERA_EXCEL, vntTitulo_Tela, vntSub_Titulo_Tela, invntTemplate_id,
      INFlag_Opcoes_Exportacao, INvntTipo_Exibicao, dicArrayMatriz, InVntFlag_Envio_Email);
}

bool TPL::gGera_Arquivo_EDI(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                            Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InVntQuery,
                            Variant& InVntarrMatrizFiltros, Variant& vntTitulo_Tela,
                            Variant& vntSub_Titulo_Tela, Variant& InVntQtde_Lin_Matriz_Filtro,
                            Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutVntarrvntMatriz,
                            Variant& invntTemplate_id, Variant& INFlag_Opcoes_Exportacao,
                            Variant& INvntTipo_Exibicao) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gGera_Arquivo_EDI(call, InVntQuery, InVntarrMatrizFiltros, vntTitulo_Tela,
                                  vntSub_Titulo_Tela, InVntQtde_Lin_Matriz_Filtro,
                                  InVntQtde_Col_Matriz_Filtro, OutVntarrvntMatriz, invntTemplate_id,
                                  INFlag_Opcoes_Exportacao, INvntTipo_Exibicao);
}

bool TPL::mVerifica_JOBs(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                         Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& vntTitulo_Tela,
                         Variant& vntSub_Titulo_Tela, Variant& InVntQtde_Lin_Matriz_Filtro,
                         Variant& InVntQtde_Col_Matriz_Filtro, Variant& OutVntarrvntMatriz,
                         Variant& InVntQuery, Variant& InVntarrMatrizFiltros,
                         Variant& invntTemplate_id, Variant& INFlag_Opcoes_Exportacao,
                         Variant& INvntTipo_Exibicao) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::mVerifica_JOBs(call, vntTitulo_Tela, vntSub_Titulo_Tela,
                               InVntQtde_Lin_Matriz_Filtro, InVntQtde_Col_Matriz_Filtro,
                               OutVntarrvntMatriz, InVntQuery, InVntarrMatrizFiltros,
                               invntTemplate_id, INFlag_Opcoes_Exportacao, INvntTipo_Exibicao);
}

bool TPL::gInclui_JOB(Variant& invntBase_dados, Variant& invntConecta_db,
                      Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
                      Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                      Variant& InVntFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                      Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                      Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail,
                      Variant& InVntData_Inicio, Variant& invntEmail_Remetente,
                      Variant& invntEndereco_Anexo) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBase_dados, outvntMsg_Ret);
  return ::tpl::gInclui_JOB(call, InVntFuncao_ID, InVntTitulo_EMail, InVntFlag_Envia_EMail,
                            OutVntLog_Gerador_ID, InArrVntParametro, InVntTam_Arr_Parametro,
                            InVntTexto_EMail, InVntEndereco_EMail, InVntData_Inicio,
                            invntEmail_Remetente, invntEndereco_Anexo);
}

bool TPL::mInclui_Parametros_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                                 std::string& instrConecta_db, std::string& InStrBanco_Dados,
                                 int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret) {
  const CallContext call =
      TypedCall(instrConecta_db, InLngUsuario_Internet_ID, InStrBanco_Dados, outvntMsg_Ret);
  return ::tpl::mInclui_Parametros_JOB(inlngLOG_GERADOR_ID, InStrTxt_Query, call);
}

bool TPL::mMonta_Parametro(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                           int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                           Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                           std::string& OutStrParametros, int32_t& inlngLOG_GERADOR_ID) {
  const CallContext call =
      TypedCall(instrConecta_db, InLngUsuario_Internet_ID, InStrBanco_Dados, outvntMsg_Ret);
  return ::tpl::mMonta_Parametro(call, InArrVntParametro, InVntTam_Arr_Parametro, OutStrParametros,
                                 inlngLOG_GERADOR_ID);
}

bool TPL::mInclui_JOB(int32_t& InLngUsuario_Internet_ID, int32_t& InLngFuncao_ID,
                      std::string& InStrTitulo_EMail, std::string& InStrFlag_Envia_EMail,
                      Variant& OutVntLog_Gerador_ID, std::string& instrConecta_db,
                      std::string& InStrBanco_Dados, std::string& InStrTexto_EMail,
                      std::string& InStrEndereco_EMail, Variant& outvntMsg_Ret,
                      std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                      std::string& instrEndereco_anexo) {
  const CallContext call =
      TypedCall(instrConecta_db, InLngUsuario_Internet_ID, InStrBanco_Dados, outvntMsg_Ret);
  return ::tpl::mInclui_JOB(call, InLngFuncao_ID, InStrTitulo_EMail, InStrFlag_Envia_EMail,
                            OutVntLog_Gerador_ID, InStrTexto_EMail, InStrEndereco_EMail,
                            InStrData_Inicio, instrEmail_Remetente, instrEndereco_anexo);
}

bool TPL::mConsiste_Inclui_JOB(std::string& InStrBanco_Dados, std::string& instrConecta_db,
                               int32_t& InLngUsuario_Internet_ID, Variant& outvntMsg_Ret,
                               Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                               Variant& InVntFlag_Envia_EMail, Variant& InVntTexto_EMail,
                               Variant& InVntEndereco_EMail, Variant& InVntData_Inicio) {
  const CallContext call =
      TypedCall(instrConecta_db, InLngUsuario_Internet_ID, InStrBanco_Dados, outvntMsg_Ret);
  return ::tpl::mConsiste_Inclui_JOB(call, InVntFuncao_ID, InVntTitulo_EMail, InVntFlag_Envia_EMail,
                                     InVntTexto_EMail, InVntEndereco_EMail, InVntData_Inicio);
}

Variant TPL::gGrava_Filtro(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                           Variant& outvntMsg_Ret, Variant& invntBase_dados,
                           Variant& invntTemplate_id, Variant& IOVntQtde_Lin_Matriz_Filtro,
                           Variant& IOVntQtde_Col_Matriz_Filtro, Variant& IOVntArrMatriz_Filtro,
                           Variant& InVntCOLUNA_ID, Variant& InVntExibir, Variant& InVntValor,
                           Variant& InVntTipoVariavel, Variant& InVntObrigatorio,
                           Variant& InVntQtdeDiasMax, Variant& InVntPosicao,
                           Variant& InVntTipo_Acao) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBase_dados, outvntMsg_Ret);
  return ::tpl::gGrava_Filtro(call, invntTemplate_id, IOVntQtde_Lin_Matriz_Filtro,
                              IOVntQtde_Col_Matriz_Filtro, IOVntArrMatriz_Filtro, InVntCOLUNA_ID,
                              InVntExibir, InVntValor, InVntTipoVariavel, InVntObrigatorio,
                              InVntQtdeDiasMax, InVntPosicao, InVntTipo_Acao);
}

Variant TPL::gBusca_Arquivo_Xml(Variant& instrConecta_db, Variant& InLngUsuario_Internet_ID,
                                Variant& InStrBanco_Dados, Variant& vntCampo, Variant& vntTabela,
                                Variant& vntColunaId, Variant& vntArquivoId, Variant& vntArquivo,
                                Variant& outstrMsg_ret) {
  const CallContext call(instrConecta_db, InLngUsuario_Internet_ID, InStrBanco_Dados,
                         outstrMsg_ret);
  return ::tpl::gBusca_Arquivo_Xml(call, vntCampo, vntTabela, vntColunaId, vntArquivoId,
                                   vntArquivo);
}

Variant TPL::gGrava_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                             Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                             Variant& IOVntTemplate_ID, Variant& InVntNome_Relatorio,
                             Variant& InVntTitulo, Variant& InVntSubtitulo, Variant& InVntQuery,
                             Variant& InVntQtde_Lin_Grupo_Usuario,
                             Variant& InVntQtde_Col_Grupo_Usuario,
                             Variant& InVntArr_Matriz_Grupo_Usuario,
                             Variant& InVntQtde_Lin_Matriz_Filtro,
                             Variant& InVntQtde_Col_Matriz_Filtro, Variant& InVntArrMatriz_Filtro,
                             Variant& OutVntSigla, Variant& InVntFlag_Envio_Email) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gGrava_Template(call, IOVntTemplate_ID, InVntNome_Relatorio, InVntTitulo,
                                InVntSubtitulo, InVntQuery, InVntQtde_Lin_Grupo_Usuario,
                                InVntQtde_Col_Grupo_Usuario, InVntArr_Matriz_Grupo_Usuario,
                                InVntQtde_Lin_Matriz_Filtro, InVntQtde_Col_Matriz_Filtro,
                                InVntArrMatriz_Filtro, OutVntSigla, InVntFlag_Envio_Email);
}

Variant TPL::gTesta_Query(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                          Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                          Variant& IOVntTemplate_ID, Variant& InVntNome_Relatorio,
                          Variant& InVntTitulo, Variant& InVntSubtitulo, Variant& InVntQuery,
                          Variant& OutvntQtde_Lin_Matriz, Variant& OutvntQtde_Col_Matriz,
                          Variant& OutVntarrvntMatriz, Variant& invntTemplate_id,
                          Variant& dicArrayMatriz) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gTesta_Query(call, IOVntTemplate_ID, InVntNome_Relatorio, InVntTitulo,
                             InVntSubtitulo, InVntQuery, OutvntQtde_Lin_Matriz,
                             OutvntQtde_Col_Matriz, OutVntarrvntMatriz, invntTemplate_id,
                             dicArrayMatriz);
}

Variant TPL::gExclui_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                              Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                              Variant& invntTemplate_id) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gExclui_Template(call, invntTemplate_id);
}

Variant TPL::gExclui_Filtro_Template(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                                     Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                                     Variant& invntTemplate_id, Variant& InVntCOLUNA_ID) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gExclui_Filtro_Template(call, invntTemplate_id, InVntCOLUNA_ID);
}

Variant TPL::gObter_Dados_Template(
    Variant& invntConecta_db, Variant& invntUsuario_Internet_id, Variant& outvntMsg_Ret,
    Variant& invntBanco_Dados, Variant& invntTemplate_id, Variant& OutVntNome_Relatorio,
    Variant& OutvntTitulo, Variant& OutvntSub_Titulo, Variant& OutVntarrMatrizFiltros,
    Variant& OutvntQtde_Lin_Matriz_Filtro, Variant& OutvntQtde_Col_Matriz_Filtro,
    Variant& OutVntQuery, Variant& InVntIndicativo_Busca_Grupo,
    Variant& OutVntQtde_Lin_Grupo_Usuario, Variant& OutVntQtde_Col_Grupo_Usuario,
    Variant& OutVntArrMatrizGrupoUsuario, Variant& OutVntSigla, Variant& OutVntFlag_Envio_Email) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gObter_Dados_Template(
      call, invntTemplate_id, OutVntNome_Relatorio, OutvntTitulo, OutvntSub_Titulo,
      OutVntarrMatrizFiltros, OutvntQtde_Lin_Matriz_Filtro, OutvntQtde_Col_Matriz_Filtro,
      OutVntQuery, InVntIndicativo_Busca_Grupo, OutVntQtde_Lin_Grupo_Usuario,
      OutVntQtde_Col_Grupo_Usuario, OutVntArrMatrizGrupoUsuario, OutVntSigla,
      OutVntFlag_Envio_Email);
}

Variant TPL::gObter_Templates_do_Usuario(Variant& invntConecta_db,
                                         Variant& invntUsuario_Internet_id,
                                         Variant& outvntMsg_Ret, Variant& invntBanco_Dados,
                                         Variant& InVntGrupo_Usuario_ID,
                                         Variant& OutVntQtde_Registros,
                                         Variant& OutVntArrTemplate_ID,
                                         Variant& OutVntArrTitulo) {
  const CallContext call(invntConecta_db, invntUsuario_Internet_id, invntBanco_Dados,
                         outvntMsg_Ret);
  return ::tpl::gObter_Templates_do_Usuario(call, InVntGrupo_Usuario_ID, OutVntQtde_Registros,
                                            OutVntArrTemplate_ID, OutVntArrTitulo);
}

}  // namespace tpl
