#include "frame/method_table.h"

#include <map>
#include <string>
#include <utility>

namespace tpl {
namespace {

// Parameters typed Variant, by name, in interface order.
std::vector<ParameterInfo> Variants(std::initializer_list<std::string_view> names) {
  std::vector<ParameterInfo> parameters;
  for (std::string_view name : names) parameters.push_back({name, ParameterType::Variant});
  return parameters;
}

Variant CallGravaFiltro(TPL& t, std::vector<Variant>& a) {
  return t.gGrava_Filtro(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                         a[11], a[12], a[13], a[14], a[15]);
}

Variant CallBuscaArquivoXml(TPL& t, std::vector<Variant>& a) {
  return t.gBusca_Arquivo_Xml(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
}


Variant CallExecutarQuery(TPL& t, std::vector<Variant>& a) {
  return t.gExecutar_Query(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                           a[11], a[12], a[13], a[14], a[15], a[16], a[17], a[18]);
}

Variant CallGeraArquivoEdi(TPL& t, std::vector<Variant>& a) {
  return Variant(t.gGera_Arquivo_EDI(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9],
                                     a[10], a[11], a[12], a[13]));
}

Variant CallVerificaJobs(TPL& t, std::vector<Variant>& a) {
  return Variant(t.mVerifica_JOBs(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9],
                                  a[10], a[11], a[12], a[13]));
}

Variant CallIncluiJob(TPL& t, std::vector<Variant>& a) {
  return Variant(t.gInclui_JOB(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                               a[11], a[12], a[13], a[14]));
}

// Typed parameters arrive already converted to Long or String (see
// Invoke); these adapters lend them to the method as int32_t or
// std::string and write the values back.
class TypedArguments {
 public:
  explicit TypedArguments(std::vector<Variant>& args) : args_(args) {}
  int32_t& Long(size_t i) {
    longs_[i] = args_[i].AsLong();
    return longs_[i];
  }
  std::string& Text(size_t i) {
    texts_[i] = args_[i].AsString();
    return texts_[i];
  }
  ~TypedArguments() {
    for (auto& [i, value] : longs_) args_[i] = Variant::Long(value);
    for (auto& [i, value] : texts_) args_[i] = Variant(std::move(value));
  }

 private:
  std::vector<Variant>& args_;
  std::map<size_t, int32_t> longs_;
  std::map<size_t, std::string> texts_;
};

Variant CallIncluiParametrosJob(TPL& t, std::vector<Variant>& a) {
  bool done;
  {
    TypedArguments typed(a);
    done = t.mInclui_Parametros_JOB(typed.Long(0), typed.Text(1), typed.Text(2), typed.Text(3),
                                    typed.Long(4), a[5]);
  }
  return Variant(done);
}

Variant CallMontaParametro(TPL& t, std::vector<Variant>& a) {
  bool done;
  {
    TypedArguments typed(a);
    done = t.mMonta_Parametro(typed.Text(0), typed.Text(1), typed.Long(2), a[3], a[4], a[5],
                              typed.Text(6), typed.Long(7));
  }
  return Variant(done);
}

Variant CallIncluiJobRow(TPL& t, std::vector<Variant>& a) {
  bool done;
  {
    TypedArguments typed(a);
    done = t.mInclui_JOB(typed.Long(0), typed.Long(1), typed.Text(2), typed.Text(3), a[4],
                         typed.Text(5), typed.Text(6), typed.Text(7), typed.Text(8), a[9],
                         typed.Text(10), typed.Text(11), typed.Text(12));
  }
  return Variant(done);
}

Variant CallConsisteIncluiJob(TPL& t, std::vector<Variant>& a) {
  bool done;
  {
    TypedArguments typed(a);
    done = t.mConsiste_Inclui_JOB(typed.Text(0), typed.Text(1), typed.Long(2), a[3], a[4], a[5],
                                  a[6], a[7], a[8], a[9]);
  }
  return Variant(done);
}

// A parameter list where some are typed.
std::vector<ParameterInfo> Typed(std::initializer_list<ParameterInfo> parameters) {
  return parameters;
}

constexpr ParameterType V = ParameterType::Variant;
constexpr ParameterType L = ParameterType::Long;
constexpr ParameterType S = ParameterType::String;

std::vector<MethodEntry> BuildEntries() {
  return {
      {{0x60030005, "gExecutar_Query", ResultType::Variant,
        Variants({"invntConecta_db", "invntUsuario_Internet_id", "outvntMsg_Ret",
                  "invntBanco_Dados", "InVntQuery", "InVntarrMatrizFiltros",
                  "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro",
                  "OutvntQtde_Lin_Matriz", "OutvntQtde_Col_Matriz", "OutVntarrvntMatriz",
                  "vntfLAG_gERA_EXCEL", "vntTitulo_Tela", "vntSub_Titulo_Tela",
                  "invntTemplate_id", "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao",
                  "dicArrayMatriz", "InVntFlag_Envio_Email"})},
       CallExecutarQuery},
      {{0x60030006, "gGera_Arquivo_EDI", ResultType::Boolean,
        Variants({"invntConecta_db", "invntUsuario_Internet_id", "outvntMsg_Ret",
                  "invntBanco_Dados", "InVntQuery", "InVntarrMatrizFiltros", "vntTitulo_Tela",
                  "vntSub_Titulo_Tela", "InVntQtde_Lin_Matriz_Filtro",
                  "InVntQtde_Col_Matriz_Filtro", "OutVntarrvntMatriz", "invntTemplate_id",
                  "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao"})},
       CallGeraArquivoEdi},
      {{0x60030007, "mVerifica_JOBs", ResultType::Boolean,
        Variants({"invntConecta_db", "invntUsuario_Internet_id", "outvntMsg_Ret",
                  "invntBanco_Dados", "vntTitulo_Tela", "vntSub_Titulo_Tela",
                  "InVntQtde_Lin_Matriz_Filtro", "InVntQtde_Col_Matriz_Filtro",
                  "OutVntarrvntMatriz", "InVntQuery", "InVntarrMatrizFiltros",
                  "invntTemplate_id", "INFlag_Opcoes_Exportacao", "INvntTipo_Exibicao"})},
       CallVerificaJobs},
      {{0x60030008, "gInclui_JOB", ResultType::Boolean,
        Variants({"invntBase_dados", "invntConecta_db", "invntUsuario_Internet_id",
                  "outvntMsg_Ret", "InVntFuncao_ID", "InVntTitulo_EMail",
                  "InVntFlag_Envia_EMail", "OutVntLog_Gerador_ID", "InArrVntParametro",
                  "InVntTam_Arr_Parametro", "InVntTexto_EMail", "InVntEndereco_EMail",
                  "InVntData_Inicio", "invntEmail_Remetente", "invntEndereco_Anexo"})},
       CallIncluiJob},
      {{0x60030009, "mInclui_Parametros_JOB", ResultType::Boolean,
        Typed({{"inlngLOG_GERADOR_ID", L},
               {"InStrTxt_Query", S},
               {"instrConecta_db", S},
               {"InStrBanco_Dados", S},
               {"InLngUsuario_Internet_ID", L},
               {"outvntMsg_Ret", V}})},
       CallIncluiParametrosJob},
      {{0x6003000b, "mMonta_Parametro", ResultType::Boolean,
        Typed({{"InStrBanco_Dados", S},
               {"instrConecta_db", S},
               {"InLngUsuario_Internet_ID", L},
               {"outvntMsg_Ret", V},
               {"InArrVntParametro", V},
               {"InVntTam_Arr_Parametro", V},
               {"OutStrParametros", S},
               {"inlngLOG_GERADOR_ID", L}})},
       CallMontaParametro},
      {{0x6003000c, "mInclui_JOB", ResultType::Boolean,
        Typed({{"InLngUsuario_Internet_ID", L},
               {"InLngFuncao_ID", L},
               {"InStrTitulo_EMail", S},
               {"InStrFlag_Envia_EMail", S},
               {"OutVntLog_Gerador_ID", V},
               {"instrConecta_db", S},
               {"InStrBanco_Dados", S},
               {"InStrTexto_EMail", S},
               {"InStrEndereco_EMail", S},
               {"outvntMsg_Ret", V},
               {"InStrData_Inicio", S},
               {"instrEmail_Remetente", S},
               {"instrEndereco_anexo", S}})},
       CallIncluiJobRow},
      {{0x6003000e, "mConsiste_Inclui_JOB", ResultType::Boolean,
        Typed({{"InStrBanco_Dados", S},
               {"instrConecta_db", S},
               {"InLngUsuario_Internet_ID", L},
               {"outvntMsg_Ret", V},
               {"InVntFuncao_ID", V},
               {"InVntTitulo_EMail", V},
               {"InVntFlag_Envia_EMail", V},
               {"InVntTexto_EMail", V},
               {"InVntEndereco_EMail", V},
               {"InVntData_Inicio", V}})},
       CallConsisteIncluiJob},
      {{0x60030010, "gGrava_Filtro", ResultType::Variant,
        Variants({"invntConecta_db", "invntUsuario_Internet_id", "outvntMsg_Ret",
                  "invntBase_dados", "invntTemplate_id", "IOVntQtde_Lin_Matriz_Filtro",
                  "IOVntQtde_Col_Matriz_Filtro", "IOVntArrMatriz_Filtro", "InVntCOLUNA_ID",
                  "InVntExibir", "InVntValor", "InVntTipoVariavel", "InVntObrigatorio",
                  "InVntQtdeDiasMax", "InVntPosicao", "InVntTipo_Acao"})},
       CallGravaFiltro},
      {{0x60030013, "gBusca_Arquivo_Xml", ResultType::Variant,
        Variants({"instrConecta_db", "InLngUsuario_Internet_ID", "InStrBanco_Dados", "vntCampo",
                  "vntTabela", "vntColunaId", "vntArquivoId", "vntArquivo", "outstrMsg_ret"})},
       CallBuscaArquivoXml},
  };
}

}  // namespace

const std::vector<MethodEntry>& MethodEntries() {
  static const std::vector<MethodEntry> entries = BuildEntries();
  return entries;
}

}  // namespace tpl
