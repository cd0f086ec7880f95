#include "conventions/system_parameters.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/suite.h"

namespace tpl {
namespace {

std::vector<SystemParameter> Catalogue() {
#define TPL_LIST_SYSTEM_PARAMETER(name, id, meaning, when_missing) system_parameters::name,
  return {TPL_SYSTEM_PARAMETERS(TPL_LIST_SYSTEM_PARAMETER)};
#undef TPL_LIST_SYSTEM_PARAMETER
}

// The code of every source above the platform layers (which lie below the
// lookup and cannot read the table), without its line comments: comments
// may say "parameter 23017", code may not.
std::string CodeAboveThePlatform() {
  std::string all;
  const std::filesystem::path source(TPL_SOURCE_DIR);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
    const auto& path = entry.path();
    if (path.extension() != ".cpp" && path.extension() != ".h") continue;
    const std::string layer = path.lexically_relative(source).begin()->string();
    if (layer == "sentences" || layer == "values" || layer == "database" || layer == "workbook" || layer == "mail") continue;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) all += line.substr(0, line.find("//")) + '\n';
  }
  return all;
}

// Every entry is read somewhere, none by its bare number, and each identifier stands once.
TEST(SystemParameterCatalogue, EveryEntryIsReadByNameAndStandsOnce) {
  const std::string code = CodeAboveThePlatform();
  std::set<int32_t> ids;
  for (const SystemParameter& parameter : Catalogue()) {
    EXPECT_NE(code.find("system_parameters::" + std::string(parameter.name)), std::string::npos) << parameter.name;
    const std::regex bare("(^|[^0-9])" + std::to_string(parameter.id) + "([^0-9]|$)");
    EXPECT_FALSE(std::regex_search(code, bare)) << parameter.id << " is written as a number";
    EXPECT_TRUE(ids.insert(parameter.id).second) << parameter.id;
  }
}

// Rows are read on both kinds by every report run, which reads its screen limits.
TEST(SystemParameters, MissingRowKeepsTheValueNullGivesEmptyAndFailuresAreTrapped) {
  testing::TempDatabase db;
  Variant value("antes"), message;
  auto lookup = [&](const char* kind, const SystemParameter& parameter) {
    const CallContext call(Variant(db.connection_string()), Variant::Long(5), Variant(kind), message);
    return mBusca_Tab_Parametro_Sistema(call, parameter, value);
  };
  ASSERT_TRUE(lookup("SQLSERVER", {999999, "kNone", "a row no database holds", "left as it was"}));
  EXPECT_EQ(value, Variant("antes"));
  const SystemParameter& lines = system_parameters::kMaxScreenLines;
  db.Execute("UPDATE Tab_Parametro_Sistema SET Parametro = NULL WHERE Tab_Parametro_Sistema_ID = " +
             std::to_string(lines.id));
  ASSERT_TRUE(lookup("SQLSERVER", lines));
  EXPECT_EQ(value, Variant(""));

  db.Execute("DROP TABLE Tab_Parametro_Sistema");
  value = Variant("antes");
  EXPECT_FALSE(lookup("ORACLE", lines));
  EXPECT_EQ(value, Variant("antes"));
  EXPECT_EQ(message, Variant("Acesso aos dados dos parâmetros do sistema não disponível. Favor "
                             "tentar mais tarde."));
  EXPECT_EQ(db.Count("LOG_MSG"), 1);
}

}  // namespace
}  // namespace tpl
