#include "output/workbook_export.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <thread>

#include "support/suite.h"
#include "support/zip_parts.h"
#include "tpl/system_parameters.h"

namespace tpl {
namespace {

namespace fs = std::filesystem;

const std::string kTrapped = "Acesso a geração do relatório não disponível. Favor tentar mais tarde.";

// A report as a report run returns it, with every type code: whole numbers (one as text), text, decimals (one blank),
// dates (one that is not), no code (the first value's format) and an unknown code (none).
Variant SalesMatrix() {
  return testing::Matrix(4, 7, {{"Código", "Cliente", "Valor", "Emissão", "Peso", "Situação"},
                                {Variant::Long(1), "Ana Luíza", "1234,50", "13/10/2001 10:20", "12,345", "A", "DET"},
                                {"2", "Bruno & Cia <Ltda>", "", "não informada", "0,5", Variant(), "DET"},
                                {"I", "T", "V", "D", "", "X"}, {"Center", "Left", "Right", "Center", "Right", "Left"}});
}

// A database whose workbook folder is its own temporary folder, and the arguments of one export.
struct Exporter {
  Exporter() {
    db.SetParameter(system_parameters::kWorkbookFolder.id, folder.string() + "/");
    db.SetParameter(system_parameters::kWorkbookNamePrefix.id, "https://relatorios/");
  }
  Variant Export(int32_t user_id = 57, int32_t line_count = 4) {
    Variant connection(db.connection_string()), user = Variant::Long(user_id), kind("SQLSERVER"),
        title(" Vendas "), subtitle("Outubro de 2001"), lines(Variant::Long(line_count)), columns(Variant::Long(7));
    return TPL().gGera_Excel(connection, user, message, kind, title, subtitle, lines, columns, matrix, name);
  }
  std::vector<fs::path> Saved() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".xlsx") files.push_back(entry.path());
    return files;
  }
  testing::TempDatabase db;
  fs::path folder = db.file().parent_path();
  Variant message, name{"antes"}, matrix = SalesMatrix();
};

// The parts of the saved workbook are compared with the stored ones but for the document's times (docProps/core.xml).
// TPL_UPDATE_GOLDEN=1 rewrites them.
TEST(WorkbookExport, SavesTheStoredWorkbookInTheFolderAndAnswersWithPrefixAndName) {
  Exporter e;
  ASSERT_EQ(e.Export(), Variant::Integer(0)) << testing::Show(e.message);
  EXPECT_TRUE(e.message.IsEmpty());
  const std::string name = CStr(e.name);
  ASSERT_TRUE(std::regex_match(name, std::regex("https://relatorios/RelDinamico[0-9]{14}57\\.xlsx"))) << name;
  EXPECT_EQ(e.Saved(), std::vector<fs::path>{e.folder / name.substr(19)});
  EXPECT_EQ(WorkbookName(testing::MakeDate(2026, 12, 4, 18, 56, 59).AsDate(), Variant::Long(57)),
            "RelDinamico2026120418565957");
  const fs::path golden = TPL_GOLDEN_DIR;
  const bool update = std::getenv("TPL_UPDATE_GOLDEN") != nullptr;
  std::string names;
  for (const auto& [part, content] : testing::ZipParts(e.folder / name.substr(19))) {
    names += part + " ";
    if (part == "docProps/core.xml") continue;
    if (update) {
      fs::create_directories((golden / part).parent_path());
      std::ofstream(golden / part, std::ios::binary) << content;
      continue;
    }
    std::ifstream stored(golden / part, std::ios::binary);
    EXPECT_EQ(content, std::string(std::istreambuf_iterator<char>(stored), {})) << part;
  }
  EXPECT_EQ(names, "[Content_Types].xml _rels/.rels docProps/app.xml docProps/core.xml "
            "xl/_rels/workbook.xml.rels xl/sharedStrings.xml xl/styles.xml xl/tables/table1.xml "
            "xl/theme/theme1.xml xl/workbook.xml xl/worksheets/_rels/sheet1.xml.rels "
            "xl/worksheets/sheet1.xml xl/worksheets/sheet2.xml ");

  // The file is the parameter's text followed by the name, as written: a folder and the start of a name is a prefix.
  Exporter prefixed;
  prefixed.db.SetParameter(system_parameters::kWorkbookFolder.id, prefixed.folder.string() + "/rel_");
  ASSERT_EQ(prefixed.Export(), Variant::Integer(0)) << testing::Show(prefixed.message);
  EXPECT_EQ(prefixed.Saved(), std::vector<fs::path>{prefixed.folder / CStr(prefixed.name).substr(19)});
  EXPECT_EQ(CStr(prefixed.name).substr(19, 15), "rel_RelDinamico");
}

// Exports by one user in the same second never share a file: each claims the first free second's name. Through the
// service, one person's download must never be another's report.
TEST(WorkbookExport, ParallelExportsOfOneUserEachKeepTheirOwnFile) {
  Exporter e;
  constexpr int kExports = 8;
  std::vector<Variant> names(kExports), results(kExports);
  std::vector<std::thread> threads;
  for (int i = 0; i < kExports; ++i) {
    threads.emplace_back([&, i] {
      Variant connection(e.db.connection_string()), user(Variant::Long(57)), message, kind("SQLSERVER"),
          title("Relatório " + std::to_string(i)), subtitle(""), lines(Variant::Long(4)), columns(Variant::Long(7)),
          matrix = SalesMatrix();
      matrix.AsArray().at(1, 1) = Variant("Cliente " + std::to_string(i));
      results[i] = TPL().gGera_Excel(connection, user, message, kind, title, subtitle, lines, columns, matrix,
                                     names[i]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> distinct;
  for (int i = 0; i < kExports; ++i) {
    ASSERT_EQ(results[i], Variant::Integer(0)) << i;
    const std::string file = CStr(names[i]).substr(19);
    distinct.insert(file);
    const std::string strings = testing::ZipParts(e.folder / file).at("xl/sharedStrings.xml");
    EXPECT_NE(strings.find("<t>Relatório " + std::to_string(i) + "</t>"), std::string::npos) << file;
    EXPECT_NE(strings.find("<t>Cliente " + std::to_string(i) + "</t>"), std::string::npos) << file;
  }
  EXPECT_EQ(distinct.size(), static_cast<size_t>(kExports));
  EXPECT_EQ(e.Saved().size(), static_cast<size_t>(kExports));

  // A file already there under the name of this second is never replaced, whoever put it there.
  Exporter taken;
  const Date now = Now();
  for (int second = 0; second < 3; ++second)
    std::ofstream(taken.folder / (WorkbookName(Date{now.serial + second / 86400.0}, Variant::Long(57)) + ".xlsx"))
        << "alheio";
  ASSERT_EQ(taken.Export(), Variant::Integer(0)) << testing::Show(taken.message);
  EXPECT_EQ(taken.Saved().size(), 4u);
  for (const fs::path& file : taken.Saved())
    EXPECT_TRUE(file.filename().string() == CStr(taken.name).substr(19) || fs::file_size(file) == 6u) << file;
}

// Each failure answers 10 with the sentence, writes one log row, shows the detail to user 1 only and leaves no file.
TEST(WorkbookExport, FailuresAnswerTenWithTheSentenceAndOneLogRow) {
  const struct { const char* what; const char* folder; int32_t lines; std::string detail; } cases[] = {
      {"folder missing", "falta/", 4, " KMBTPL01.mGera_Excel( Não foi possível gravar o arquivo "},
      {"more rows than a sheet holds", "", 1048574,
       " KMBTPL01.mGera_Excel( Erro definido pelo aplicativo ou pelo objeto : 1004)   No Nº "},
  };
  for (const auto& c : cases) {
    Exporter t;
    t.db.SetParameter(system_parameters::kWorkbookFolder.id, t.folder.string() + "/" + c.folder);
    EXPECT_EQ(t.Export(5, c.lines), Variant::Integer(10)) << c.what;
    EXPECT_EQ(t.message, Variant(kTrapped)) << c.what;
    EXPECT_EQ(CStr(t.name).find(".xlsx"), std::string::npos) << c.what << ": never the name of a file";
    EXPECT_EQ(t.db.Count("LOG_MSG WHERE TAB_TIPO_MSG_ID = 1 AND USUARIO_INTERNET_ID = 5"), 1) << c.what;
    EXPECT_EQ(t.Export(1, c.lines), Variant::Integer(10));
    EXPECT_EQ(CStr(t.message).rfind(kTrapped + c.detail, 0), 0u) << c.what << ": " << CStr(t.message);
    for (const auto& entry : fs::directory_iterator(t.folder))
      EXPECT_EQ(entry.path().string().find("RelDinamico"), std::string::npos) << c.what << ": " << entry.path();
  }
}

}  // namespace
}  // namespace tpl
