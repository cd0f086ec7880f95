// The "Meus relatórios" list of one user as the page reads it.
#pragma once

#include <cstdint>
#include <string>

#include "host/json_document.h"

namespace tpl::host {

// {"reports":[{"id":"J12","kind":"Excel"|"TXT"|"E-mail","title":"...",
//   "state":"pendente"|"em andamento"|"concluído"|"falhou","detail":"...",
//   "requested":"YYYY-MM-DDTHH:MM:SS","rows":N|null,"file":"NAME"|null},...]}
// newest first. `file` is a name in the workbook folder (parameter 23017),
// served like the exports under /files/. Raises tpl::RuntimeError when the
// database cannot be read.
Json MyReportsJson(const std::string& connection_string, int32_t user);

}  // namespace tpl::host
