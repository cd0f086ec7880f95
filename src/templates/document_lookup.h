// gBusca_Arquivo_Xml: fetches one stored document, the column vntCampo of
// the row of table vntTabela whose vntColunaId equals vntArquivoId.
// Result 0 or 10.
#pragma once

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

Variant gBusca_Arquivo_Xml(const CallContext& call, Variant& vntCampo, Variant& vntTabela,
                           Variant& vntColunaId, Variant& vntArquivoId, Variant& vntArquivo);

}  // namespace tpl
