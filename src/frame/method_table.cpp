// The method table of TPL and late binding through it: look-up of a method
// by name or dispatch identifier, and calls with an argument list passed
// by reference. Each row names a method, its dispatch identifier and its
// parameters in interface order; the result kind, the parameter types and
// the adapter that makes the call come from the member itself (see
// method_binding.h). A method joins the table when it is built.
#include <algorithm>
#include <cctype>
#include <tuple>

#include "frame/method_binding.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

// Interface order. The rows are kept in a constant before they become the
// table: clang 14 miscompiles a consteval result that is converted straight
// into an element of the vector (the parameter names come out as garbage).
constexpr auto kRows = std::make_tuple(
    Bind<&TPL::gGera_Excel>(0x60030000, "gGera_Excel",
                            {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
                             MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"),
                             "InvntTitulo_Tela", "InvntSub_Titulo_Tela", "InvntQtde_Lin_Matriz",
                             "InvntQtde_Col_Matriz", "InarrvntMatriz", "outvntNome_Arquivo"}),
    Bind<&TPL::gGrava_Template>(0x60030001, "gGrava_Template",
                                {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
                                 MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"),
                                 "IOVntTemplate_ID", "InVntNome_Relatorio", "InVntTitulo",
                                 "InVntSubtitulo", "InVntQuery", "InVntQtde_Lin_Grupo_Usuario",
                                 "InVntQtde_Col_Grupo_Usuario", "InVntArr_Matriz_Grupo_Usuario",
                                 "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro",
                                 "InVntArrMatriz_Filtro", "OutVntSigla", "InVntFlag_Envio_Email"}),
    Bind<&TPL::gTesta_Query>(
        0x60030002, "gTesta_Query",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "IOVntTemplate_ID",
         "InVntNome_Relatorio", "InVntTitulo", "InVntSubtitulo", "InVntQuery",
         "OutvntQtde_Lin_Matriz", "OutvntQtde_Col_Matriz", "OutVntarrvntMatriz", "invntTemplate_id",
         "dicArrayMatriz"}),
    Bind<&TPL::gExclui_Template>(
        0x60030003, "gExclui_Template",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "invntTemplate_id"}),
    Bind<&TPL::gExclui_Filtro_Template>(
        0x60030004, "gExclui_Filtro_Template",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "invntTemplate_id",
         "InVntCOLUNA_ID"}),
    Bind<&TPL::gExecutar_Query>(
        0x60030005, "gExecutar_Query",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "InVntQuery",
         "InVntarrMatrizFiltros", "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro",
         "OutvntQtde_Lin_Matriz", "OutvntQtde_Col_Matriz", "OutVntarrvntMatriz",
         "vntfLAG_gERA_EXCEL", "vntTitulo_Tela", "vntSub_Titulo_Tela", "invntTemplate_id",
         "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao", "dicArrayMatriz",
         "InVntFlag_Envio_Email"}),
    Bind<&TPL::gGera_Arquivo_EDI>(
        0x60030006, "gGera_Arquivo_EDI",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "InVntQuery",
         "InVntarrMatrizFiltros", "vntTitulo_Tela", "vntSub_Titulo_Tela",
         "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro", "OutVntarrvntMatriz",
         "invntTemplate_id", "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao"}),
    Bind<&TPL::mVerifica_JOBs>(
        0x60030007, "mVerifica_JOBs",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "vntTitulo_Tela",
         "vntSub_Titulo_Tela", "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro",
         "OutVntarrvntMatriz", "InVntQuery", "InVntarrMatrizFiltros", "invntTemplate_id",
         "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao"}),
    Bind<&TPL::gInclui_JOB>(
        0x60030008, "gInclui_JOB",
        {Kind("invntBase_dados"), Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), "InVntFuncao_ID", "InVntTitulo_EMail",
         "InVntFlag_Envia_EMail", "OutVntLog_Gerador_ID", "InArrVntParametro",
         "InVntTam_Arr_Parametro", "InVntTexto_EMail", "InVntEndereco_EMail", "InVntData_Inicio",
         "invntEmail_Remetente", "invntEndereco_Anexo"}),
    Bind<&TPL::mInclui_Parametros_JOB>(
        0x60030009, "mInclui_Parametros_JOB",
        {"inlngLOG_GERADOR_ID", "InStrTxt_Query", Connection("instrConecta_db"),
         Kind("InStrBanco_Dados"), User("InLngUsuario_Internet_ID"), MessageSlot("outvntMsg_Ret")}),
    Bind<&TPL::mMonta_Parametro>(
        0x6003000b, "mMonta_Parametro",
        {Kind("InStrBanco_Dados"), Connection("instrConecta_db"), User("InLngUsuario_Internet_ID"),
         MessageSlot("outvntMsg_Ret"), "InArrVntParametro", "InVntTam_Arr_Parametro",
         "OutStrParametros", "inlngLOG_GERADOR_ID"}),
    Bind<&TPL::mInclui_JOB>(
        0x6003000c, "mInclui_JOB",
        {User("InLngUsuario_Internet_ID"), "InLngFuncao_ID", "InStrTitulo_EMail",
         "InStrFlag_Envia_EMail", "OutVntLog_Gerador_ID", Connection("instrConecta_db"),
         Kind("InStrBanco_Dados"), "InStrTexto_EMail", "InStrEndereco_EMail",
         MessageSlot("outvntMsg_Ret"), "InStrData_Inicio", "instrEmail_Remetente",
         "instrEndereco_anexo"}),
    Bind<&TPL::mConsiste_Inclui_JOB>(
        0x6003000e, "mConsiste_Inclui_JOB",
        {Kind("InStrBanco_Dados"), Connection("instrConecta_db"), User("InLngUsuario_Internet_ID"),
         MessageSlot("outvntMsg_Ret"), "InVntFuncao_ID", "InVntTitulo_EMail",
         "InVntFlag_Envia_EMail", "InVntTexto_EMail", "InVntEndereco_EMail", "InVntData_Inicio"}),
    Bind<&TPL::gGrava_Filtro>(
        0x60030010, "gGrava_Filtro",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBase_dados"), "invntTemplate_id",
         "IOVntQtde_Lin_Matriz_Filtro", "IOVntQtde_Col_Matriz_Filtro", "IOVntArrMatriz_Filtro",
         "InVntCOLUNA_ID", "InVntExibir", "InVntValor", "InVntTipoVariavel", "InVntObrigatorio",
         "InVntQtdeDiasMax", "InVntPosicao", "InVntTipo_Acao"}),
    Bind<&TPL::gObter_Dados_Template>(
        0x60030011, "gObter_Dados_Template",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "invntTemplate_id",
         "OutVntNome_Relatorio", "OutvntTitulo", "OutvntSub_Titulo", "OutVntarrMatrizFiltros",
         "OutvntQtde_Lin_Matriz_Filtro", "OutvntQtde_Col_Matriz_Filtro", "OutVntQuery",
         "InVntIndicativo_Busca_Grupo", "OutVntQtde_Lin_Grupo_Usuario",
         "OutVntQtde_Col_Grupo_Usuario", "OutVntArrMatrizGrupoUsuario", "OutVntSigla",
         "OutVntFlag_Envio_Email"}),
    Bind<&TPL::gObter_Templates_do_Usuario>(
        0x60030012, "gObter_Templates_do_Usuario",
        {Connection("invntConecta_db"), User("invntUsuario_Internet_id"),
         MessageSlot("outvntMsg_Ret"), Kind("invntBanco_Dados"), "InVntGrupo_Usuario_ID",
         "OutVntQtde_Registros", "OutVntArrTemplate_ID", "OutVntArrTitulo"}),
    Bind<&TPL::gBusca_Arquivo_Xml>(
        0x60030013, "gBusca_Arquivo_Xml",
        {Connection("instrConecta_db"), User("InLngUsuario_Internet_ID"), Kind("InStrBanco_Dados"),
         "vntCampo", "vntTabela", "vntColunaId", "vntArquivoId", "vntArquivo",
         MessageSlot("outstrMsg_ret")}));

const std::vector<BoundMethod<TPL>>& MethodTable() {
  static const std::vector<BoundMethod<TPL>> table =
      std::apply([](const auto&... rows) { return std::vector<BoundMethod<TPL>>{rows...}; }, kRows);
  return table;
}

// Method names are ASCII; automation matches them without case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

const BoundMethod<TPL>* FindBound(std::string_view name) {
  for (const BoundMethod<TPL>& method : MethodTable()) {
    if (SameName(method.info.name, name)) return &method;
  }
  return nullptr;
}

const BoundMethod<TPL>* FindBound(int32_t dispatch_id) {
  for (const BoundMethod<TPL>& method : MethodTable()) {
    if (method.info.dispatch_id == dispatch_id) return &method;
  }
  return nullptr;
}

// Converts typed parameters in place, as automation does before the call,
// so that the method reads and writes back a Long or a String.
void CoerceTypedArguments(const MethodInfo& info, std::vector<Variant>& args) {
  for (size_t i = 0; i < info.parameters.size(); ++i) {
    switch (info.parameters[i].type) {
      case ParameterType::Long: args[i] = Variant::Long(CLng(args[i])); break;
      case ParameterType::String:
        if (args[i].IsNull()) Raise(error::kTypeMismatch);
        args[i] = Variant(CStr(args[i]));
        break;
      case ParameterType::Variant: break;
    }
  }
}

Variant Call(TPL& instance, const BoundMethod<TPL>* method, std::vector<Variant>& args) {
  if (method == nullptr) Raise(error::kMethodNotSupported);
  if (args.size() != method->info.parameters.size()) Raise(error::kWrongArgumentCount);
  CoerceTypedArguments(method->info, args);
  return method->call(instance, args);
}

}  // namespace

const std::vector<MethodInfo>& TPL::Methods() {
  static const std::vector<MethodInfo> methods = [] {
    std::vector<MethodInfo> infos;
    for (const BoundMethod<TPL>& method : MethodTable()) infos.push_back(method.info);
    return infos;
  }();
  return methods;
}

// The descriptions handed out point into Methods(), whatever row matched.
const MethodInfo* TPL::FindMethod(std::string_view name) {
  const BoundMethod<TPL>* method = FindBound(name);
  return method ? &Methods()[method - MethodTable().data()] : nullptr;
}

const MethodInfo* TPL::FindMethod(int32_t dispatch_id) {
  const BoundMethod<TPL>* method = FindBound(dispatch_id);
  return method ? &Methods()[method - MethodTable().data()] : nullptr;
}

Variant TPL::Invoke(std::string_view name, std::vector<Variant>& args) {
  return Call(*this, FindBound(name), args);
}

Variant TPL::Invoke(int32_t dispatch_id, std::vector<Variant>& args) {
  return Call(*this, FindBound(dispatch_id), args);
}

}  // namespace tpl
