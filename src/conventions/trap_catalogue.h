// The catalogue of the error traps: each trap of a public method or a
// routine with the sentence it shows (an entry of sentences/sentences.h)
// and the label its detail starts with. The labels are those the log
// readers know, blanks included; tests/sentences/ checks that every trap is
// used and that no label stands twice.
#pragma once

#include "conventions/error_trap.h"
#include "sentences/sentences.h"

// The error traps. A method trap (first form) names its sentence and label
// and whether its detail ends with " strSq: "; a routine trap (second form)
// names its sentence, label, the marker before the line number and the
// marker before the SQL text.
#define TPL_METHOD_TRAPS(X)                                                            \
  X(kGeraExcelTrap, kReportUnavailable, "KMBTPL01.gGera_Excel ( ", false)              \
  X(kExecutarQueryTrap, kSavingUnavailable, "KMBTPL01.gExecutar_Query ( ", true)       \
  X(kGravaFiltroTrap, kSavingUnavailable, "KMBTPL01.gGrava_Filtro ( ", false)            \
  X(kObterDadosTemplateTrap, kQueryDataUnavailable, "KMBTPL01.gObter_Dados_Template ( ", true) \
  X(kTestaQueryTrap, kSavingUnavailable, "KMBTPL01.gTesta_Query ( ", false)             \
  X(kGravaTemplateTrap, kSavingUnavailable, "KMBTPL01.gGrava_Template ( ", false)       \
  X(kExcluiTemplateTrap, kDeletionUnavailable, "KMBTPL01.gExclui_Template ( ", false)   \
  X(kExcluiFiltroTemplateMethodTrap, kSavingUnavailable,                               \
    "KMBTPL01.gExclui_Filtro_Template ( ", false)

#define TPL_ROUTINE_TRAPS(X)                                                                    \
  X(kBuscaArquivoXmlTrap, kDocumentUnavailable, " KMBICC.gBusca_Arquivo_Xml ( ", " No Nº ",     \
    " Strsq: ")                                                                                 \
  X(kParametroSistemaTrap, kSystemParametersUnavailable,                                       \
    " KMBICC.mBusca_Tab_Parametro_Sistema ( ", " No Nº ", " Strsq: ")                           \
  X(kConsisteFiltrosTrap, kFilterCheckUnavailable, " KMBTPL01.mConsiste_Filtros( ", " No Nº ",  \
    " Strsq: ")                                                                                 \
  X(kPreparaQueryTrap, kReportUnavailable, " KMBTPL01.mPrepara_Query( ", " No Nº ", " Strsq: ") \
  X(kExecutarQueryRoutineTrap, kReportUnavailable, " KMBTPL01.mExecutar_Query( ", " No Nº ",    \
    " Strsq: ")                                                                                 \
  X(kMatrizAdicionalTrap, kReportUnavailable, " KMBTPL01.mMonta_ArrayMatriz_Adicional( ",       \
    " No Nº ", " Strsq: ")                                                                      \
  X(kGeraExcelRoutineTrap, kReportUnavailable, " KMBTPL01.mGera_Excel( ", " No Nº ", " Strsq: ") \
  X(kLogTemplateTrap, kReportLogUnavailable, " - VRLARR.mGrava_Log_Template_Dinamico (",        \
    " No Nº ", " - ")                                                                           \
  X(kEnviaEmailTrap, kEmailRequestUnavailable, " KMBTPL.mEnvia_Rel_Din_Email ( ", " No Nº ",    \
    "Query: ")                                                                                  \
  X(kGeraArquivoTrap, kFileGenerationUnavailable, " KMBGAEF.gGera_Arquivo ( ", " no nº ",       \
    " strsq: ")                                                                                 \
  X(kVerificaJobsTrap, kJobSchedulingUnavailable, "KMBTPL.mVerifica_JOBs ( ", " no nº ",        \
    ", strSq: ")                                                                                \
  X(kIncluiJobTrap, kJobInsertUnavailable, " Vrl_JOGB.gInclui_JOB ( ", " No Nº ", " Strsq: ")   \
  X(kConsisteIncluiJobTrap, kJobCheckUnavailable, " Vrl_JOGB.mConsiste_Inclui_JOB ( ",          \
    " No Nº ", " Strsq: ")                                                                      \
  X(kIncluiJobRowTrap, kJobInsertUnavailable, " Vrl_JOGB.mInclui_JOB ( ", " No Nº ",            \
    " Strsq: ")                                                                                 \
  X(kMontaParametroTrap, kJobParameterTextUnavailable, " Vrl_JOGB.mMonta_Parametro ( ",         \
    " No Nº ", " Strsq: ")                                                                      \
  X(kIncluiParametrosJobTrap, kJobParametersUnavailable, " Vrl_JOGB.mInclui_Parametros_JOB ( ", \
    " No Nº ", " Strsq: ")                                                                      \
  X(kOracleIncluiJobTrap, kJobInsertUnavailable, " Vrl_JOGB.mTrataSP_KMB_INC_JOB ( ",           \
    " No Nº ", " Strsq: ")                                                                      \
  X(kOracleIncluiParametroTrap, kOracleJobParametersUnavailable,                               \
    " Vrl_JOGB.mTrataSP_KMB_INCLUI_PARAMETRO_JOB ( ", " No Nº ", " Strsq: ")                    \
  X(kInfraIdsTrap, kCountersUnavailable, " VRL_SQL1.gAtualiza_infra_ids ( ", " no nº ",         \
    " strsq: ")                                                                                 \
  X(kObterGrupoUsuarioTemplateTrap, kQueryDataUnavailable, " KMBTPL01.mObter_Dados_Template( ", \
    " No Nº ", " Strsq: ")                                                                      \
  X(kConsisteCamposTestaQueryTrap, kFilterCheckUnavailable,                                    \
    " KMBTPL01.mConsiste_Campos_Testa_Query( ", " No Nº ", " Strsq: ")                          \
  X(kTestaQueryRoutineTrap, kQueryTestFailed, " KMBTPL01.mTesta_Query( ", " No Nº ", " Strsq: ") \
  X(kConsisteCamposTrap, kFilterCheckUnavailable, " KMBTPL01.mConsiste_Campos( ", " No Nº ",    \
    " Strsq: ")                                                                                 \
  X(kIncluiTemplateTrap, kDataSavingUnavailable, " KMBTPL01.mInclui_Template( ", " No Nº ",     \
    " Strsq: ")                                                                                 \
  X(kAlteraTemplateTrap, kDataSavingUnavailable, " KMBTPL01.mAltera_Template( ", " No Nº ",     \
    " Strsq: ")                                                                                 \
  X(kIncluiFiltroTemplateTrap, kDataSavingUnavailable, " KMBTPL01.mInclui_Filtro_Template( ",   \
    " No Nº ", " Strsq: ")                                                                      \
  X(kExcluiFiltroTemplateTrap, kDataSavingUnavailable, " KMBTPL01.mExclui_Filtro_Template( ",   \
    " No Nº ", " Strsq: ")                                                                      \
  X(kIncluiGrupoTemplateTrap, kDataSavingUnavailable,                                          \
    " KMBTPL01.mInclui_Grupo_Usuario_X_Template( ", " No Nº ", " Strsq: ")                      \
  X(kExcluiGrupoTemplateTrap, kDataSavingUnavailable,                                          \
    " KMBTPL01.mExclui_Grupo_Usuario_X_Template( ", " No Nº ", " Strsq: ")                      \
  X(kExcluiTemplateRoutineTrap, kDataDeletionUnavailable, " KMBTPL01.mExclui_Template( ",       \
    " No Nº ", " Strsq: ")                                                                      \
  /* The value checks log nothing and end their detail with the line number */                 \
  X(kConsisteDataTrap, kDateCheckUnavailable, " - VRLCCA.gConsiste_Data (", " No Nº ", "")      \
  X(kConsisteInteiroTrap, kIntegerCheckUnavailable, " - VRLCCA.gConsiste_Inteiro (", " No Nº ", \
    "")                                                                                         \
  X(kConsisteNumeroTrap, kNumberCheckUnavailable, " - VRLCCA.gConsiste_Numero (", " No Nº ",    \
    "")                                                                                         \
  X(kConsisteStringTrap, kTextCheckUnavailable, " - VRLCCA.gConsiste_String (", " No Nº ", "")

namespace tpl {

namespace traps {
#define TPL_DECLARE_METHOD_TRAP(name, sentence, label, ends_with_sql) \
  inline constexpr MethodTrap name{sentences::sentence, label, ends_with_sql};
#define TPL_DECLARE_ROUTINE_TRAP(name, sentence, label, line_marker, text_marker) \
  inline constexpr RoutineTrap name{sentences::sentence, label, line_marker, text_marker};
TPL_METHOD_TRAPS(TPL_DECLARE_METHOD_TRAP)
TPL_ROUTINE_TRAPS(TPL_DECLARE_ROUTINE_TRAP)
#undef TPL_DECLARE_METHOD_TRAP
#undef TPL_DECLARE_ROUTINE_TRAP
}  // namespace traps

}  // namespace tpl
