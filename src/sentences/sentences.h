// The catalogue of the system's own texts: every sentence it shows a user,
// every caption it names a field with, every label it logs, and the
// descriptions of the failures raised below the subsystems (the database,
// the workbook and the mail layers). The error traps, each naming its
// sentence here, are listed in conventions/error_trap.h.
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
// tests/sentences/sentences_test.cpp checks that every entry is used somewhere
// in src/ and that no two entries hold the same text.
#pragma once

#include <string>
#include <string_view>


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

// Labels written to the message log outside a trap.
#define TPL_LABELS(X)                           \
  X(kIncluiJobLogLabel, "VRL_JOB.gInclui_JOB - ") \
  X(kNoRecordsQueryLabel, " - InVntQuery = ")

// The failures raised below the subsystems: the descriptions of the
// platform's numbered errors, and what the database, workbook and mail
// layers say when they fail. They reach a user inside a trap's detail.
#define TPL_MESSAGES(X)                                                                           \
  /* The platform's numbered errors, as described under Brazilian Portuguese settings */         \
  X(kInvalidProcedureCallDescription, "Chamada de procedimento ou argumento inválido")            \
  X(kOverflowDescription, "Estouro")                                                             \
  X(kSubscriptOutOfRangeDescription, "Subscrito fora do intervalo")                              \
  X(kTypeMismatchDescription, "Tipos incompatíveis")                                             \
  X(kObjectNotSetDescription, "Variável de objeto ou variável do bloco With não definida")       \
  X(kInvalidUseOfNullDescription, "Uso inválido de Null")                                        \
  X(kMethodNotSupportedDescription, "O objeto não dá suporte para a propriedade ou método")      \
  X(kWrongArgumentCountDescription,                                                              \
    "Número de argumentos incorreto ou atribuição de propriedade inválida")                      \
  X(kKeyAlreadyExistsDescription, "Esta chave já está associada a um elemento desta coleção")    \
  X(kItemNotFoundDescription,                                                                    \
    "O item não pode ser encontrado na coleção correspondente ao nome ou ao ordinal "            \
    "solicitado.")                                                                               \
  X(kObjectClosedDescription, "A operação não é permitida quando o objeto está fechado.")        \
  X(kProviderNotFoundDescription,                                                                \
    "Provedor não encontrado. Talvez não esteja instalado corretamente.")                        \
  X(kNoCurrentRecordDescription,                                                                 \
    "BOF ou EOF é True ou o registro atual foi excluído. A operação solicitada requer um "       \
    "registro atual.")                                                                           \
  X(kUnknownErrorDescription, "Erro definido pelo aplicativo ou pelo objeto")                    \
  /* Database access */                                                                          \
  X(kLibraryLacksFunction, "%1 não tem a função %2")                                             \
  X(kDatabaseFile, "Banco de dados '%1'")                                                        \
  X(kQueryTimedOut, "Tempo limite da consulta expirado")                                         \
  X(kInjectedFailure, "Falha provocada no teste: %1")                                            \
  X(kFileAlreadyExists, "O arquivo já existe: %1")                                               \
  X(kFileNotCreated, "Não foi possível criar o arquivo %1: %2")                                  \
  X(kSqlCommandEmpty, "Comando SQL vazio")                                                       \
  X(kSqlCommandUnreadable, "Comando SQL ilegível")                                               \
  X(kSqlCommandTooLong, "Comando SQL longo demais")                                              \
  X(kSqlCommandWithNul, "Comando SQL com caractere nulo")                                        \
  X(kMoreMarkersThanParameters, "O comando tem mais marcadores \"?\" que parâmetros (%1)")        \
  X(kParameterMissing, "Parâmetro inexistente: %1")                                              \
  X(kNotADate, "TO_DATE: '%1' não é uma data")                                                   \
  X(kNotADateInMask, "TO_DATE: '%1' não é uma data na máscara '%2'")                             \
  X(kCallWithoutName, "Chamada de procedimento sem nome: %1")                                    \
  X(kCallWithoutExec, "Chamada de procedimento sem EXEC: %1")                                    \
  X(kProcedureNameInvalid, "Nome de procedimento inválido: %1")                                  \
  X(kProcedureArgumentsInvalid, "Argumentos inválidos na chamada de procedimento: %1")           \
  X(kProcedureNotFound, "Procedimento armazenado não encontrado: %1")                            \
  /* A stored procedure of the embedded database, read or run: "Procedimento X: problem" */      \
  X(kProcedureFault, "Procedimento %1: %2")                                                      \
  X(kProcedureUnnamed, "sem nome")                                                               \
  X(kCreateProcedureMissing, "a definição deve começar por CREATE PROCEDURE")                    \
  X(kProcedureNameMissing, "nome de procedimento inválido")                                      \
  X(kEmptyParameter, "parâmetro vazio na lista")                                                 \
  X(kParameterNameInvalid, "nome de parâmetro inválido: %1")                                     \
  X(kParameterRepeated, "parâmetro repetido: %1")                                                \
  X(kParameterListUnclosed, "falta ) no fim da lista de parâmetros")                             \
  X(kTextAfterParameterList, "texto inesperado depois da lista de parâmetros")                   \
  X(kAsMissing, "falta AS antes do corpo")                                                       \
  X(kProcedureBodyEmpty, "corpo vazio")                                                          \
  X(kProcedureWithoutCommands, "corpo sem comandos")                                             \
  X(kMarkerUndeclared, "o marcador %1 não é um parâmetro declarado")                             \
  X(kArgumentCountDiffers, "recebeu %1 argumentos e declara %2")                                 \
  X(kParameterUnknown, "não tem o parâmetro %1")                                                 \
  X(kParameterRowDeleted, "a linha de temp.params foi apagada")                                  \
  /* ODBC */                                                                                     \
  X(kDriverManagerNotLoaded, "Não foi possível carregar o gerenciador de drivers ODBC (%1)")      \
  X(kOdbcWithoutDiagnostics, "Falha na chamada ODBC, sem diagnóstico do driver")                 \
  X(kDriverManagerUnavailable, "Não foi possível iniciar o gerenciador de drivers ODBC")         \
  X(kConnectionStringTooLong, "Cadeia de conexão longa demais")                                  \
  X(kLoginTimedOut, "O servidor não respondeu ao pedido de conexão em %1 s: %2")                 \
  X(kTransactionAlreadyOpen, "Já existe uma transação aberta nesta conexão")                     \
  X(kNoTransactionOpen, "Nenhuma transação aberta para confirmar")                               \
  /* Workbook and mail */                                                                        \
  X(kSpreadsheetLibraryNotLoaded, "Não foi possível carregar a biblioteca de planilhas (%1)")     \
  X(kFileNotWritten, "Não foi possível gravar o arquivo %1")                                     \
  X(kMailFolderNotWritten, "Não foi possível gravar a mensagem na pasta %1")                     \
  X(kMailNotWritten, "Não foi possível gravar a mensagem %1")                                    \
  X(kMailLibraryUnavailable, "Não foi possível carregar a biblioteca de e-mail (%1)")            \
  X(kMailNotPrepared, "Não foi possível preparar o envio de e-mail")                             \
  X(kMailRefused, "O servidor de e-mail %1 não aceitou a mensagem (%2)")                         \
  X(kRecipientInvalid, "Endereço de destino inválido: %1")                                       \
  X(kSenderInvalid, "Endereço de remetente inválido: %1")

namespace tpl {

namespace sentences {
#define TPL_DECLARE_TEXT(name, text) inline constexpr std::string_view name = text;
TPL_SENTENCES(TPL_DECLARE_TEXT)
TPL_LABELS(TPL_DECLARE_TEXT)
TPL_MESSAGES(TPL_DECLARE_TEXT)
#undef TPL_DECLARE_TEXT
}  // namespace sentences

// The sentence with %1 replaced by `first` and %2 by `second`, in one pass
// over the sentence.
std::string Compose(std::string_view sentence, std::string_view first,
                    std::string_view second = {});

}  // namespace tpl
