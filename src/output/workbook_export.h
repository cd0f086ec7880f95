// The spreadsheet export: gGera_Excel saves a result matrix the host holds
// as a formatted .xlsx workbook (see report_sheet.h) in the folder of
// system parameter 23017 and answers with the file's name, preceded by the
// prefix of parameter 23018, under which the host fetches it. Nothing of
// the workbook is kept but the file.
#pragma once

#include <cstdint>
#include <string>

#include "conventions/call_context.h"
#include "tpl/variant.h"

namespace tpl {

// "RelDinamico" + the time as yyyyMMddhhmmss + the user's identifier:
// RelDinamico2026120418565957 for user 57 at 04/12/2026 18:56:59. An
// export never replaces a file: when the name of the current second is
// taken (by another export of the same user in that second, or any file),
// it takes the name of the next second that is free.
std::string WorkbookName(Date now, const Variant& user);

// Result 0 when the workbook was saved, 10 otherwise with the sentence.
Variant gGera_Excel(const CallContext& call, Variant& InvntTitulo_Tela,
                    Variant& InvntSub_Titulo_Tela, Variant& InvntQtde_Lin_Matriz,
                    Variant& InvntQtde_Col_Matriz, Variant& InarrvntMatriz,
                    Variant& outvntNome_Arquivo);

// Reads the folder and the prefix (and parameters 23022 and 6408, which
// the export does not use), lays the matrix out, converting its cells in
// place, saves the workbook and puts the prefix + the file's name (with
// its .xlsx) into outvntNome_Arquivo. False with the message of a failed
// parameter lookup, or with the trap's sentence on any other failure (no
// file is left behind then).
bool mGera_Excel(const CallContext& call, Variant& InvntTitulo_Tela, Variant& InvntSub_Titulo_Tela,
                 Variant& InvntQtde_Lin_Matriz, Variant& InvntQtde_Col_Matriz,
                 Variant& InarrvntMatriz, Variant& outvntNome_Arquivo);

}  // namespace tpl
