// Registration of a background job, for the job processor outside the
// system: gInclui_JOB validates the request (mConsiste_Inclui_JOB), inserts
// the job row (mInclui_JOB), builds its parameter text (mMonta_Parametro)
// and stores it (mInclui_Parametros_JOB). On Oracle the two procedures are
// replaced by mTrataSP_KMB_INC_JOB and mTrataSP_KMB_INCLUI_PARAMETRO_JOB,
// which write the row themselves and answer, in `OutStrSQL`, the text whose
// row set the caller reads in place of the procedure's answer.
// Every routine answers true when it did its work.
#pragma once

#include <cstdint>
#include <string>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

bool gInclui_JOB(const CallContext& call, Variant& InVntFuncao_ID, Variant& InVntTitulo_EMail,
                 Variant& InVntFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                 Variant& InArrVntParametro, Variant& InVntTam_Arr_Parametro,
                 Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail, Variant& InVntData_Inicio,
                 Variant& invntEmail_Remetente, Variant& invntEndereco_Anexo);

bool mConsiste_Inclui_JOB(const CallContext& call, Variant& InVntFuncao_ID,
                          Variant& InVntTitulo_EMail, Variant& InVntFlag_Envia_EMail,
                          Variant& InVntTexto_EMail, Variant& InVntEndereco_EMail,
                          Variant& InVntData_Inicio);

bool mInclui_JOB(const CallContext& call, int32_t& InLngFuncao_ID, std::string& InStrTitulo_EMail,
                 std::string& InStrFlag_Envia_EMail, Variant& OutVntLog_Gerador_ID,
                 std::string& InStrTexto_EMail, std::string& InStrEndereco_EMail,
                 std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                 std::string& instrEndereco_anexo);

bool mMonta_Parametro(const CallContext& call, Variant& InArrVntParametro,
                      Variant& InVntTam_Arr_Parametro, std::string& OutStrParametros,
                      int32_t& inlngLOG_GERADOR_ID);

bool mInclui_Parametros_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                            const CallContext& call);

bool mTrataSP_KMB_INC_JOB(const CallContext& call, int32_t& inlngLOG_GERADOR_ID_Out,
                          int32_t& InLngFuncao_ID, std::string& InStrTitulo_EMail,
                          std::string& InStrFlag_Envia_EMail, std::string& InStrTexto_EMail,
                          std::string& InStrEndereco_EMail, int32_t& InLngStatus,
                          std::string& InStrData_Inicio, std::string& instrEmail_Remetente,
                          std::string& instrEndereco_anexo, std::string& OutStrSQL);

bool mTrataSP_KMB_INCLUI_PARAMETRO_JOB(int32_t& inlngLOG_GERADOR_ID, std::string& InStrTxt_Query,
                                       const CallContext& call, std::string& OutStrSQL);

}  // namespace tpl
