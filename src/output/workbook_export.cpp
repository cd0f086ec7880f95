#include "output/workbook_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "output/report_sheet.h"
#include "workbook/workbook.h"
#include "conventions/error_trap.h"
#include "conventions/trap_catalogue.h"
#include "sentences/sentences.h"
#include "conventions/system_parameters.h"
#include "conventions/value_helpers.h"
#include "tpl/datetime.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

// Read with the others; the export has no use for their values.
constexpr const SystemParameter* kUnusedParameters[] = {&system_parameters::kWorkbookUnusedA,
                                                        &system_parameters::kWorkbookUnusedB};

// The generated name, without folder or extension, is cleared from the
// current directory before the workbook is saved, as the export always
// did. The file itself never replaces another: see ClaimedFile.
void RemoveBareName(const std::string& name) {
  std::error_code ignored;
  if (std::filesystem::is_regular_file(name, ignored)) std::filesystem::remove(name, ignored);
}

constexpr double kSecondsPerDay = 86400;
// How many seconds past the current one a name is looked for.
constexpr int kSecondsAhead = 3600;

// The workbook's file, taken for this export alone: the first name, from
// the current second on, under which nothing exists yet, created empty at
// once (O_CREAT | O_EXCL), so that no other export, of this process or
// another, can take it in between. The saved workbook replaces the empty
// file; an export that fails removes it.
class ClaimedFile {
 public:
  ClaimedFile(const std::string& folder, Date now, const Variant& user) {
    for (int second = 0; second < kSecondsAhead; ++second) {
      name_ = WorkbookName(Date{now.serial + second / kSecondsPerDay}, user);
      path_ = folder + name_ + ".xlsx";
      const int file = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (file >= 0) {
        ::close(file);
        claimed_ = true;
        return;
      }
      if (errno != EEXIST) CannotWrite(std::generic_category().message(errno));
    }
    CannotWrite("todos os nomes da próxima hora existem");
  }
  ~ClaimedFile() {
    std::error_code ignored;
    if (claimed_) std::filesystem::remove(path_, ignored);
  }
  ClaimedFile(const ClaimedFile&) = delete;
  ClaimedFile& operator=(const ClaimedFile&) = delete;

  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // The workbook now lives in the file: it stays.
  void Keep() { claimed_ = false; }

 private:
  [[noreturn]] void CannotWrite(const std::string& reason) const {
    throw RuntimeError(workbook::kSpreadsheetError,
                       "Não foi possível gravar o arquivo " + path_ + " (" + reason + ")");
  }

  std::string name_;
  std::string path_;
  bool claimed_ = false;
};

}  // namespace

std::string WorkbookName(Date now, const Variant& user) {
  return "RelDinamico" + FormatDate(Variant(now), "yyyyMMddhhmmss") + TextOrEmpty(user);
}

Variant gGera_Excel(const CallContext& call, Variant& InvntTitulo_Tela,
                    Variant& InvntSub_Titulo_Tela, Variant& InvntQtde_Lin_Matriz,
                    Variant& InvntQtde_Col_Matriz, Variant& InarrvntMatriz,
                    Variant& outvntNome_Arquivo) {
  return RunMethod(traps::kGeraExcelTrap, call, [&] {
    return mGera_Excel(call, InvntTitulo_Tela, InvntSub_Titulo_Tela, InvntQtde_Lin_Matriz,
                       InvntQtde_Col_Matriz, InarrvntMatriz, outvntNome_Arquivo);
  });
}

bool mGera_Excel(const CallContext& call, Variant& InvntTitulo_Tela, Variant& InvntSub_Titulo_Tela,
                 Variant& InvntQtde_Lin_Matriz, Variant& InvntQtde_Col_Matriz,
                 Variant& InarrvntMatriz, Variant& outvntNome_Arquivo) {
  const std::string no_sql;
  return RunRoutine(traps::kGeraExcelRoutineTrap, no_sql, call, [&] {
    auto lookup = [&](const SystemParameter& parameter, Variant& value) {
      return mBusca_Tab_Parametro_Sistema(call, parameter, value);
    };
    Variant folder, prefix, unused;
    if (!lookup(system_parameters::kWorkbookFolder, folder) ||
        !lookup(system_parameters::kWorkbookNamePrefix, prefix))
      return false;
    for (const SystemParameter* parameter : kUnusedParameters) {
      if (!lookup(*parameter, unused)) return false;
    }

    // The file is the parameter's text followed by the name, as written:
    // a folder with its closing "/", or a folder and a prefix.
    ClaimedFile file(TextOrEmpty(folder), Now(), call.user());
    outvntNome_Arquivo = Variant(file.name());
    workbook::Workbook book(file.path());
    WriteReportSheet(book, InvntTitulo_Tela, InvntSub_Titulo_Tela, InvntQtde_Lin_Matriz,
                     InvntQtde_Col_Matriz, InarrvntMatriz);
    RemoveBareName(file.name());
    book.Save();
    file.Keep();
    outvntNome_Arquivo = Variant(TextOrEmpty(prefix) + book.FullName().filename().string());
    return true;
  });
}

}  // namespace tpl
