// The catalogue of the system's own texts: every sentence it shows a user,
// every caption it names a field with, and every error trap with its label.
// Each text stands here once; a routine names the entry instead of writing
// the text again, so that two routines that share a sentence cannot drift
// apart. The texts are exactly those the users and the log readers know,
// blanks included (some end in a blank, one has a typing slip in
// "parãmetros"): they are part of the interface, not ours to tidy.
//
// A sentence that names something holds %1 (and %2) where the name goes;
// Compose fills them in one pass over the sentence, so a name that itself
// holds "%2" is never read as a marker.
//
// tests/shared/sentences_test.cpp checks that every entry is used somewhere
// in src/ and that no two entries hold the same text.
#pragma once

#include <string>
#include <string_view>

#include "shared/error_trap.h"

// The sentences and fragments shown to users, and the captions of the
// fields whose values the system checks.
#define TPL_SENTENCES(X)                                                                         \
  /* Sentences of the error traps */                                                             \
  X(kSavingUnavailable,                                                                          \
    "Acesso a chamada de rotina de Gravação não disponível. Favor tentar mais tarde.")           \
  X(kReportUnavailable, "Acesso a geração do relatório não disponível. Favor tentar mais tarde.") \
  X(kReportLogUnavailable,                                                                       \
    "Acesso a geração do relatório não disponível. Favor tentar mais tarde (e-mail).")           \
  X(kEmailRequestUnavailable,                                                                    \
    "Acesso a gravação do agendamento de envio de email não disponível. Favor tentar mais "      \
    "tarde.")                                                                                    \
  X(kFilterCheckUnavailable,                                                                     \
    "Acesso a consistência dos dados não disponível. Favor tentar mais tarde.")                  \
  X(kDocumentUnavailable, "Acesso aos arquivo XML não disponível. Favor tentar mais tarde.")     \
  X(kFileGenerationUnavailable,                                                                  \
    "Acesso a geração dos arquivos não disponível. Favor tentar mais tarde.")                    \
  X(kJobSchedulingUnavailable,                                                                   \
    "Acesso ao agendamento da geração do arquivo não disponível. Favor tentar mais tarde. ")     \
  X(kJobInsertUnavailable, "Acesso a inclusão do JOB não disponível. Favor tentar mais tarde.")  \
  X(kJobParametersUnavailable,                                                                   \
    "Acesso a inclusão dos parâmetros do JOB não disponível. Favor tentar mais tarde.")          \
  X(kOracleJobParametersUnavailable,                                                             \
    "Acesso a inclusão dos parãmetros do JOB não disponível. Favor tentar mais tarde.")          \
  X(kJobParameterTextUnavailable,                                                                \
    "Acesso a montagem dos parâmetros do JOB não disponível. Favor tentar mais tarde.")          \
  X(kJobCheckUnavailable,                                                                        \
    "Acesso a consistência dos dados para a inclusão do JOB não disponível. Favor tentar mais "  \
    "tarde.")                                                                                    \
  X(kSystemParametersUnavailable,                                                                \
    "Acesso aos dados dos parâmetros do sistema não disponível. Favor tentar mais tarde.")       \
  X(kCountersUnavailable, "Acesso aos SQL não disponível. Favor tentar mais tarde.")             \
  X(kDateCheckUnavailable,                                                                       \
    "Acesso a consistência de datas não disponível. Favor tentar mais tarde. ")                  \
  X(kIntegerCheckUnavailable,                                                                    \
    "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. ")          \
  X(kNumberCheckUnavailable,                                                                     \
    "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. ")         \
  X(kTextCheckUnavailable,                                                                       \
    "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. ")       \
  /* Descriptions of failures that did not come as a numbered error */                          \
  X(kOutOfMemory, "Memória insuficiente")                                                        \
  X(kInternalError, "Erro interno")                                                              \
  X(kInternalErrorWith, "Erro interno: %1")                                                      \
  X(kInvalidColumnName, "Nome de coluna inválido: %1")                                           \
  X(kInvalidTableName, "Nome de tabela inválido: %1")                                            \
  /* Value checks */                                                                             \
  X(kFillIn, "Preencha %1")                                                                      \
  X(kFillInNumber, "Preencha %1 com valor numérico")                                             \
  X(kFillInTenDigitDate,                                                                         \
    "Preencha %1 com uma data válida, com 10 dígitos, no formato dd/mm/aaaa (Exemplo: "          \
    "13/10/2001)")                                                                               \
  X(kFillInDate, "Preencha %1 com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)") \
  X(kFillInAtMost, "Preencha %1 com, no máximo, %2 caracteres.")                                 \
  X(kNoThousandsSeparator,                                                                       \
    "O campo %1 não permite a digitação de números com uso de separador de milhar(.)")           \
  X(kNoDecimalPlaces, "O campo %1 não permite a digitação de números com casas decimais(,)")     \
  X(kMonthAtMostTwelve, "O mês da data do campo %1 deve ser menor ou igual a 12")                \
  X(kAtLeast, "%1 deve ser igual ou maior que %2")                                               \
  X(kAtMost, "%1 deve ser igual ou menor que %2")                                                \
  /* Report runs */                                                                              \
  X(kFieldInvalid, "O campo %1 é inválido.")                                                     \
  X(kListFilterComma,                                                                            \
    "Valor inválido para o Filtro %1. Esse tipo de filtro não pode iniciar nem terminar com "    \
    "vírgula.")                                                                                  \
  X(kNoQuery, "Esse relatório não possui uma query definida.")                                   \
  X(kCommandNotAllowed, "Comando não permitido por essa função.")                                \
  X(kNoRecords, "Não foram encontrados registros para esse relatório.")                          \
  /* The background worker's outcomes, shown in the list of a user's reports */               \
  X(kWorkerQueryFailed, "Não foi possível gerar o relatório: a consulta falhou.")                \
  X(kWorkerTemplateMissing, "O modelo de relatório %1 não foi encontrado.")                      \
  X(kWorkerRequestIncomplete, "O pedido do relatório está incompleto e não pode ser gerado.")    \
  X(kWorkerNoAddress, "Não há endereço de e-mail para enviar o relatório.")                      \
  X(kWorkerFileFailed, "Não foi possível gravar o arquivo do relatório.")                        \
  X(kWorkerMailRetry, "O e-mail não pôde ser enviado; o sistema tentará de novo.")                \
  X(kWorkerMailFailed, "O e-mail não pôde ser enviado depois de %1 tentativas.")                 \
  X(kWorkerInterrupted, "A geração foi interrompida %1 vezes; o relatório não foi gerado.")      \
  X(kWorkerMailBody,                                                                             \
    "Segue em anexo o relatório \"%1\", com %2 linhas.")                                        \
  X(kReportLogProblem,                                                                           \
    "Problemas na gravação do log do relatório. Contacte administrador do sistema.")             \
  X(kEmailRequestRecorded,                                                                       \
    "Solicitação gravada com sucesso. O sistema enviará o relatório por email.")                 \
  X(kServerTimeOut,                                                                              \
    "Tempo de resposta do servidor excedido. O sistema enviará o relatório por email.")          \
  X(kSpreadsheetSent, "Enviado para seu e-mail a planilha com as informações solicitadas.")      \
  X(kTextFileSent, "Enviado para seu e-mail o arquivo TXT com as informações solicitadas.")      \
  X(kTooLargeForScreen,                                                                          \
    "A quantidade de informações é superior ao permitido na tela. Foi enviado para seu e-mail "  \
    "com as informações solicitadas")                                                            \
  /* Filter list editing */                                                                      \
  X(kCaptionExists, "Já existe um filtro com a descrição %1.")                                   \
  X(kPlaceholderExists, "Já existe um filtro com valor %1.")                                     \
  X(kPlaceholderBraces, "O Valor do campo deve estar entre chaves. Ex: {DATA_INI}")              \
  X(kTypeMissing, "Informe o tipo do campo.")                                                    \
  X(kRangeOnlyForDates,                                                                          \
    "O intervalo deve ser informado somente quando o tipo informado for uma data.")              \
  X(kCaptionShow, "Exibir")                                                                      \
  X(kCaptionPlaceholder, "Valor")                                                                \
  /* Jobs */                                                                                     \
  X(kStartDateInvalid, "Informe uma data de início válida.")                                     \
  X(kJobInsertProblem, "Problemas na inclusão do JOB")                                           \
  X(kJobParametersProblem, "Problemas na inclusão dos parâmetros do JOB")                        \
  X(kCaptionFunction, "Código da Função")                                                        \
  X(kCaptionSendEmail, "Envia E-Mail (S/N)")                                                     \
  X(kCaptionEmailTitle, "Título do E-Mail")                                                      \
  X(kCaptionEmailRecipient, "Destinatário do E-Mail")                                            \
  X(kCaptionEmailText, "Texto do E-Mail")                                                        \
  /* Template administration */                                                                  \
  X(kQueryDataUnavailable, "Acesso a consulta dos dados não disponível. Favor tentar mais tarde.") \
  X(kDataSavingUnavailable, "Acesso a gravação dos dados não disponível. Favor tentar mais tarde.") \
  X(kDeletionUnavailable,                                                                        \
    "Acesso a chamada de rotina de exclusão não disponível. Favor tentar mais tarde.")           \
  X(kDataDeletionUnavailable,                                                                    \
    "Acesso a exclusão dos dados não disponível. Favor tentar mais tarde.")                      \
  X(kQueryTestFailed,                                                                            \
    "Não foi possível validar a query no banco de dados. Verifique se a query é válida e se "    \
    "todos os filtros foram cadastrados corretamente.")                                          \
  X(kTemplateNotFound, "Não foi possível recuperar as informações do relatório.")                \
  X(kTemplateGroupsNotFound, "Não foi possível recuperar as informações de grupo de usuários.")  \
  X(kNoTemplatesAvailable, "Não existem relatórios disponíveis.")                                \
  X(kFillInQuery, "Preencha o campo Query.")                                                     \
  X(kNoFilterBracesInTest,                                                                       \
    "Não é permitido usar os caracteres de filtro para função TESTE. Ex: as Chaves { e }.")      \
  X(kInconsistentFilters,                                                                        \
    "Filtros inconsistentes. Verifique se estão cadastrados de acordo com os informados na "     \
    "query.")                                                                                    \
  X(kRegisterAllFilters, "Cadastre todos os filtros da query.")                                  \
  X(kDuplicateCaption, "O filtro com a descrição %1 está em duplicidade.")                       \
  X(kDuplicatePlaceholder, "O filtro com valor %1 está em duplicidade.")                         \
  X(kFilterWithoutBraces,                                                                        \
    "O filtro %1 não foi definido corretamente. Deve estar entre chaves. Ex: {DATA_INI}")        \
  X(kFilterNotInQuery, "O filtro %1 não é utilizado pela Query.")                                \
  X(kGroupsMissing, "Informe os grupos de usuários que terão acesso a esse relatório.")          \
  X(kTemplateToDeleteMissing, "Informe o relatório para exclusão.")                              \
  X(kCaptionTitle, "Título")                                                                     \
  X(kCaptionSubtitle, "Subtítulo")                                                               \
  /* Identifier counters */                                                                      \
  X(kNoCounterRow, "Não há registro no banco de dados na tabela Infra_ids. ")                    \
  X(kNoAuditCounterRow, "Não hã registro na tabela Infra_ids.")

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

// Labels written to the message log outside a trap.
#define TPL_LABELS(X)                           \
  X(kIncluiJobLogLabel, "VRL_JOB.gInclui_JOB - ") \
  X(kNoRecordsQueryLabel, " - InVntQuery = ")

namespace tpl {

namespace sentences {
#define TPL_DECLARE_TEXT(name, text) inline constexpr std::string_view name = text;
TPL_SENTENCES(TPL_DECLARE_TEXT)
TPL_LABELS(TPL_DECLARE_TEXT)
#undef TPL_DECLARE_TEXT
}  // namespace sentences

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

// The sentence with %1 replaced by `first` and %2 by `second`, in one pass
// over the sentence.
std::string Compose(std::string_view sentence, std::string_view first,
                    std::string_view second = {});

}  // namespace tpl
