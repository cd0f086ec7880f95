#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/command_line.h"
#include "host/json_document.h"
#include "tpl/tpl.h"

namespace tpl::host {
namespace {

struct Outcome {
  int exit_status;
  std::string out;
  std::string err;
};

Outcome RunTpl(const std::vector<std::string>& words, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  HostStreams streams{in, out, err};
  const int status = RunCommandLine(words, streams);
  return {status, out.str(), err.str()};
}

std::string Describe(const std::vector<std::string>& words) {
  std::string text = "tpl";
  for (const std::string& word : words) text += " " + word;
  return text;
}

// Sixteen arguments of gGrava_Filtro adding the filter "Data inicial" to an
// empty list; `lines` is the line count given.
std::string AddFirstFilterArguments(const std::string& lines) {
  return R"(["", 5, "", "SQLSERVER", "", )" + lines +
         R"(, {"Empty":null}, {"Empty":null}, "", "Data inicial", "{DATA_INI}", "D", "S",
            "30", 0, ""])";
}

struct RefusedCommand {
  std::vector<std::string> words;
  std::string input;
  std::string message;  // part of what goes to standard error
};

void ExpectRefused(const std::vector<RefusedCommand>& rows) {
  for (const RefusedCommand& row : rows) {
    const Outcome outcome = RunTpl(row.words, row.input);
    EXPECT_EQ(outcome.exit_status, kExitUsage) << Describe(row.words);
    EXPECT_NE(outcome.err.find(row.message), std::string::npos)
        << Describe(row.words) << " said: " << outcome.err;
    EXPECT_EQ(outcome.out, "") << Describe(row.words);
  }
}

TEST(HostCommandLine, RefusedCommandLinesAndInputsExitWithTwoAndSayWhy) {
  const std::string sixteen_with_bad_integer = R"(["", 5, "", "SQLSERVER", "", {"Integer":40000},
      0, {"Empty":null}, "", "a", "{A}", "D", "S", "", 0, ""])";
  const std::string ragged_matrix = R"(["", 5, "", "SQLSERVER", "", 2, 7,
      {"Matrix":[[1,2],[3]]}, "", "a", "{A}", "D", "S", "", 0, ""])";
  const std::vector<RefusedCommand> rows = {
      {{"frobnicate"}, "", "unknown command 'frobnicate'"},
      {{"methods", "--xml"}, "", "Usage: tpl methods"},
      {{"init-db"}, "", "Usage: tpl init-db FILE"},
      {{"init-db", "a.db", "b.db"}, "", "Usage: tpl init-db FILE"},
      {{"call"}, "[]", "no method named"},
      {{"call", "gGrava_Filtro", "--verbose"}, "[]", "unexpected '--verbose'"},
      {{"call", "gGrava_Filtro", "gBusca_Arquivo_Xml"}, "[]", "unexpected 'gBusca_Arquivo_Xml'"},
      {{"call", "gGrava_Filtro", "--args", "/nonexistent/args.json"}, "", "cannot read"},
      {{"call", "gGrava_Filtro", "--args"}, "[]", "--args needs a FILE"},
      {{"call", "gNao_Existe"}, "[]", "unknown method 'gNao_Existe'"},
      {{"call", "gGrava_Filtro"}, "[]", "gGrava_Filtro takes 16 arguments; 0 given"},
      {{"call", "gBusca_Arquivo_Xml"}, R"(["", 1, "SQLSERVER"])", "takes 9 arguments; 3 given"},
      {{"call", "gGrava_Filtro"}, "[1,", "malformed JSON"},
      {{"call", "gGrava_Filtro"}, "", "malformed JSON"},
      {{"call", "gGrava_Filtro"}, R"({"Array":[]})", "must be a JSON array"},
      {{"call", "gGrava_Filtro"}, sixteen_with_bad_integer,
       "args[5] (IOVntQtde_Lin_Matriz_Filtro).Integer: 40000 is outside"},
      {{"call", "gGrava_Filtro"}, ragged_matrix, "args[7] (IOVntArrMatriz_Filtro).Matrix[1]"},
  };
  ExpectRefused(rows);
}

TEST(HostCommandLine, HelpAndNoArgumentsShowUsageOnStandardOutput) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{}, {"--help"}, {"-h"}, {"help"}}) {
    const Outcome outcome = RunTpl(words);
    EXPECT_EQ(outcome.exit_status, kExitSuccess) << Describe(words);
    EXPECT_NE(outcome.out.find("Usage: tpl COMMAND"), std::string::npos) << Describe(words);
    EXPECT_NE(outcome.out.find("call METHOD"), std::string::npos) << Describe(words);
  }
}

TEST(HostCommandLine, MethodsListsTheDispatchInterfaceOneLineEach) {
  const Outcome outcome = RunTpl({"methods"});
  ASSERT_EQ(outcome.exit_status, kExitSuccess);
  std::istringstream lines(outcome.out);
  std::vector<std::string> listed;
  for (std::string line; std::getline(lines, line);) listed.push_back(line);
  EXPECT_EQ(listed.size(), TPL::Methods().size());
  EXPECT_NE(outcome.out.find("60030013 gBusca_Arquivo_Xml Variant instrConecta_db:Variant "
                             "InLngUsuario_Internet_ID:Variant InStrBanco_Dados:Variant "
                             "vntCampo:Variant vntTabela:Variant vntColunaId:Variant "
                             "vntArquivoId:Variant vntArquivo:Variant outstrMsg_ret:Variant\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("60030010 gGrava_Filtro Variant invntConecta_db:Variant "),
            std::string::npos);
}

TEST(HostCommandLine, MethodsAsJsonCarryTheSameTable) {
  const Outcome outcome = RunTpl({"methods", "--json"});
  ASSERT_EQ(outcome.exit_status, kExitSuccess);
  const Json methods = ParseJsonDocument(outcome.out);
  ASSERT_EQ(methods.size(), TPL::Methods().size());
  const auto filter = std::find_if(methods.begin(), methods.end(),
                                   [](const Json& m) { return m["name"] == "gGrava_Filtro"; });
  ASSERT_NE(filter, methods.end());
  EXPECT_EQ((*filter)["dispatch_id"], "60030010");
  EXPECT_EQ((*filter)["result"], "Variant");
  ASSERT_EQ((*filter)["parameters"].size(), 16u);
  EXPECT_EQ((*filter)["parameters"][0], Json({{"name", "invntConecta_db"}, {"type", "Variant"}}));
  EXPECT_EQ((*filter)["parameters"][15], Json({{"name", "InVntTipo_Acao"}, {"type", "Variant"}}));
}

TEST(HostCommandLine, CallAddingAFirstFilterPrintsResultAndEveryArgumentAfterTheCall) {
  for (const std::string& lines : std::vector<std::string>{R"({"Empty":null})", "0"}) {
    const Outcome outcome = RunTpl({"call", "gGrava_Filtro"}, AddFirstFilterArguments(lines));
    ASSERT_EQ(outcome.exit_status, kExitSuccess) << lines << ": " << outcome.err;
    const Json answer = ParseJsonDocument(outcome.out);
    EXPECT_EQ(answer["result"], Json::parse(R"({"Integer":0})")) << lines;
    const Json& args = answer["args"];
    ASSERT_EQ(args.size(), 16u) << lines;
    EXPECT_EQ(args[5], Json::parse(R"({"Integer":1})")) << lines;
    EXPECT_EQ(args[6], Json::parse(R"({"Integer":7})")) << lines;
    EXPECT_EQ(args[7], Json::parse(R"({"Matrix":[
        [{"Integer":0}, "Data inicial", "{DATA_INI}", "D", "S", "30", "", {"Empty":null}],
        [{"Empty":null}, {"Empty":null}, {"Empty":null}, {"Empty":null},
         {"Empty":null}, {"Empty":null}, {"Empty":null}, {"Empty":null}]]})"))
        << lines;
  }
}

TEST(HostCommandLine, CallReadsItsArgumentsFromAFileWhenNamed) {
  const std::string file = ::testing::TempDir() + "host_call_arguments.json";
  {
    std::ofstream out(file);
    out << AddFirstFilterArguments("0");
  }
  const Outcome outcome = RunTpl({"call", "--args", file, "gGrava_Filtro"}, "not read");
  std::remove(file.c_str());
  ASSERT_EQ(outcome.exit_status, kExitSuccess) << outcome.err;
  EXPECT_EQ(ParseJsonDocument(outcome.out)["result"], Json::parse(R"({"Integer":0})"));
}

TEST(HostCommandLine, CallWithARefusedValueReportsTheMethodsOwnAnswer) {
  // A placeholder without braces is refused by the method itself: that is a
  // completed call with result 10 and the message, not a host error.
  std::string arguments = AddFirstFilterArguments("0");
  arguments.replace(arguments.find("{DATA_INI}"), 10, "DATA_INI");
  const Outcome outcome = RunTpl({"call", "gGrava_Filtro"}, arguments);
  ASSERT_EQ(outcome.exit_status, kExitSuccess) << outcome.err;
  const Json answer = ParseJsonDocument(outcome.out);
  EXPECT_EQ(answer["result"], Json::parse(R"({"Integer":10})"));
  EXPECT_EQ(answer["args"][2], "O Valor do campo deve estar entre chaves. Ex: {DATA_INI}");
}

TEST(HostCommandLine, AnErrorRaisedByTheMethodIsPartOfTheAnswer) {
  if (TPL::FindMethod("gObter_Templates_do_Usuario") == nullptr) {
    GTEST_SKIP() << "gObter_Templates_do_Usuario is not in the method table yet";
  }
  // The one method without an error trap lets a connection failure through.
  const Outcome outcome =
      RunTpl({"call", "gObter_Templates_do_Usuario"},
             R"(["Provider=Nenhum;Data Source=x", 5, "", "SQLSERVER", 3, 0, null, null])");
  ASSERT_EQ(outcome.exit_status, kExitSuccess) << outcome.err;
  const Json answer = ParseJsonDocument(outcome.out);
  EXPECT_FALSE(answer.contains("result"));
  ASSERT_TRUE(answer.contains("raised"));
  EXPECT_NE(answer["raised"]["number"], 0);
  EXPECT_TRUE(answer["raised"]["description"].is_string());
  EXPECT_EQ(answer["args"].size(), 8u);
}

TEST(HostCommandLine, InitDbCreatesADatabaseOnceAndRefusesAnExistingFile) {
  const std::string file = ::testing::TempDir() + "host_init_db_test.db";
  std::remove(file.c_str());
  const Outcome created = RunTpl({"init-db", file});
  EXPECT_EQ(created.exit_status, kExitSuccess) << created.err;
  EXPECT_NE(created.out.find(file), std::string::npos);

  const Outcome again = RunTpl({"init-db", file});
  EXPECT_EQ(again.exit_status, kExitFailure);
  EXPECT_NE(again.err.find("cannot create the database " + file), std::string::npos)
      << again.err;
  std::remove(file.c_str());
}

}  // namespace
}  // namespace tpl::host
