#include "output/workbook_export.h"

#include <filesystem>
#include <system_error>

#include "output/report_sheet.h"
#include "platform/workbook/workbook.h"
#include "shared/error_trap.h"
#include "shared/sentences.h"
#include "shared/system_parameters.h"
#include "shared/value_helpers.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

// Read with the others; the export has no use for their values.
constexpr int32_t kUnusedParameters[] = {23022, 6408};

// The generated name, without folder or extension, is cleared from the
// current directory before the workbook is saved, as the export always
// did. The file itself is saved in the parameter's folder, where it
// replaces any file of the same name.
void RemoveBareName(const std::string& name) {
  std::error_code ignored;
  if (std::filesystem::is_regular_file(name, ignored)) std::filesystem::remove(name, ignored);
}

}  // namespace

std::string WorkbookName(Date now, const Variant& user) {
  return "RelDinamico" + FormatDate(Variant(now), "yyyyMMddhhmmss") + TextOrEmpty(user);
}

Variant gGera_Excel(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                    Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InvntTitulo_Tela,
                    Variant& InvntSub_Titulo_Tela, Variant& InvntQtde_Lin_Matriz,
                    Variant& InvntQtde_Col_Matriz, Variant& InarrvntMatriz,
                    Variant& outvntNome_Arquivo) {
  return RunMethod(traps::kGeraExcelTrap, invntConecta_db, invntUsuario_Internet_id,
                   outvntMsg_Ret, [&] {
                     return mGera_Excel(invntConecta_db, invntUsuario_Internet_id, outvntMsg_Ret,
                                        invntBanco_Dados, InvntTitulo_Tela, InvntSub_Titulo_Tela,
                                        InvntQtde_Lin_Matriz, InvntQtde_Col_Matriz,
                                        InarrvntMatriz, outvntNome_Arquivo);
                   });
}

bool mGera_Excel(Variant& invntConecta_db, Variant& invntUsuario_Internet_id,
                 Variant& outvntMsg_Ret, Variant& invntBanco_Dados, Variant& InvntTitulo_Tela,
                 Variant& InvntSub_Titulo_Tela, Variant& InvntQtde_Lin_Matriz,
                 Variant& InvntQtde_Col_Matriz, Variant& InarrvntMatriz,
                 Variant& outvntNome_Arquivo) {
  const std::string no_sql;
  return RunRoutine(
      traps::kGeraExcelRoutineTrap, no_sql, invntBanco_Dados, invntConecta_db,
      invntUsuario_Internet_id, outvntMsg_Ret, [&] {
        auto lookup = [&](int32_t parameter, Variant& value) {
          return mBusca_Tab_Parametro_Sistema(invntBanco_Dados, invntUsuario_Internet_id,
                                              invntConecta_db, outvntMsg_Ret,
                                              Variant::Long(parameter), value);
        };
        Variant folder, prefix, unused;
        if (!lookup(kWorkbookFolderParameter, folder) || !lookup(kWorkbookPrefixParameter, prefix))
          return false;
        for (int32_t parameter : kUnusedParameters) {
          if (!lookup(parameter, unused)) return false;
        }

        const std::string name = WorkbookName(Now(), invntUsuario_Internet_id);
        outvntNome_Arquivo = Variant(name);
        workbook::Workbook book(std::filesystem::path(TextOrEmpty(folder)) / (name + ".xlsx"));
        WriteReportSheet(book, InvntTitulo_Tela, InvntSub_Titulo_Tela, InvntQtde_Lin_Matriz,
                         InvntQtde_Col_Matriz, InarrvntMatriz);
        RemoveBareName(name);
        book.Save();
        outvntNome_Arquivo = Variant(TextOrEmpty(prefix) + book.FullName().filename().string());
        return true;
      });
}

}  // namespace tpl
