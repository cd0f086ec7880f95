// gBusca_Arquivo_Xml: fetches one stored document, the column vntCampo of
// the row of table vntTabela whose vntColunaId equals vntArquivoId.
// Result 0 or 10.
#pragma once

#include "tpl/variant.h"

namespace tpl {

Variant gBusca_Arquivo_Xml(Variant& instrConecta_db, Variant& InLngUsuario_Internet_ID,
                           Variant& InStrBanco_Dados, Variant& vntCampo, Variant& vntTabela,
                           Variant& vntColunaId, Variant& vntArquivoId, Variant& vntArquivo,
                           Variant& outstrMsg_ret);

}  // namespace tpl
