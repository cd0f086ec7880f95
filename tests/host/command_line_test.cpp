#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/command_line.h"
#include "host/json_document.h"
#include "support/suite.h"

namespace tpl::host {
namespace {

struct Outcome { int exit_status; std::string out, err; };

Outcome RunTpl(const std::vector<std::string>& words, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  HostStreams streams{in, out, err};
  const int status = RunCommandLine(words, streams);
  return {status, out.str(), err.str()};
}

// Sixteen arguments of gGrava_Filtro adding the filter "Data inicial" to an empty list.
std::string AddFirstFilterArguments() {
  return R"(["", 5, "", "SQLSERVER", "", 0, {"Empty":null}, {"Empty":null}, "", "Data inicial", "{DATA_INI}", "D",)"
         R"( "S", "30", 0, ""])";
}

TEST(HostCommandLine, RefusalsExitWithTwoAndFailuresWithOneSayingWhy) {
  struct Row { std::vector<std::string> words; std::string input, message; };  // message: part of stderr
  const std::vector<Row> rows = {
      {{"frobnicate"}, "", "unknown command 'frobnicate'"}, {{"methods", "--xml"}, "", "Usage: tpl methods"},
      {{"init-db", "--demo"}, "", "Usage: tpl init-db [--demo] FILE"}, {{"call"}, "[]", "no method named"},
      {{"call", "gGrava_Filtro", "gBusca_Arquivo_Xml"}, "[]", "unexpected 'gBusca_Arquivo_Xml'"},
      {{"call", "gGrava_Filtro", "--args", "/nonexistent/args.json"}, "", "cannot read"},
      {{"call", "gGrava_Filtro", "--args"}, "[]", "--args needs a FILE"},
      {{"call", "gGrava_Filtro", "--kind"}, "[]", "--kind needs a value"},
      {{"call", "gGrava_Filtro"}, "[1,", "malformed JSON"},
      {{"serve"}, "", "--database, --kind and --token-file are needed"},
      {{"serve", "--database", "Data Source=x.db", "--kind", "MYSQL"}, "", "--kind is SQLSERVER or ORACLE"},
      {{"serve", "--listen", "8080"}, "", "--listen takes HOST:PORT"}, {{"serve", "--threads", "0"}, "", "1 to 256"},
      {{"serve", "--max-connections", "9x"}, "", "1 to 10000"},
      {{"serve", "--database"}, "", "--database needs a value"},
      {{"serve", "--database", "d", "--kind", "ORACLE", "--token-file", "/nonexistent/token"}, "",
       "cannot read the token file"},
      {{"worker", "--database", "a.db", "--from", "a@b"}, "", "--smtp (or --outbox) are needed"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--smtp", "h:70000"}, "", "--smtp takes HOST:PORT"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--lease", "1s"}, "", "--lease takes"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--kind", "PG"}, "", "--kind is"},
      {{"worker", "--database", "a.db", "--from", "a@b", "--outbox", "o", "--verbose", "x"}, "",
       "unexpected '--verbose'"},
      {{"worker", "--database"}, "", "--database needs a value"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.words));
    const Outcome outcome = RunTpl(row.words, row.input);
    EXPECT_EQ(outcome.exit_status, kExitUsage);
    EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    if (row.words[0] == "worker") {
      EXPECT_NE(outcome.err.find("Usage: tpl worker"), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(outcome.out, "");
  }
  // A worker whose database cannot be opened: the work failed.
  testing::TempFolder folder;
  const Outcome outcome = RunTpl(
      {"worker", "--database", "Driver=NoSuchDriver;", "--from", "a@b", "--outbox", folder.path().string(), "--once"});
  EXPECT_EQ(outcome.exit_status, kExitFailure) << outcome.err;
  EXPECT_NE(outcome.err.find("cannot open the database"), std::string::npos) << outcome.err;
}

TEST(HostCommandLine, HelpAndNoArgumentsShowUsageOnStandardOutput) {
  for (const std::vector<std::string>& words : {std::vector<std::string>{}, {"-h"}}) {
    SCOPED_TRACE(::testing::PrintToString(words));
    const Outcome outcome = RunTpl(words);
    EXPECT_EQ(outcome.exit_status, kExitSuccess);
    EXPECT_NE(outcome.out.find("Usage: tpl COMMAND"), std::string::npos);
  }
}

TEST(HostCommandLine, MethodsListTheDispatchInterfaceAsLinesOrJson) {
  const Outcome text = RunTpl({"methods"});
  ASSERT_EQ(text.exit_status, kExitSuccess);
  EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), std::ssize(TPL::Methods()));
  EXPECT_NE(text.out.find("60030013 gBusca_Arquivo_Xml Variant instrConecta_db:Variant[connection] "
                          "InLngUsuario_Internet_ID:Variant[user] InStrBanco_Dados:Variant[kind] vntCampo:Variant "
                          "vntTabela:Variant vntColunaId:Variant vntArquivoId:Variant vntArquivo:Variant "
                          "outstrMsg_ret:Variant[message]\n"),
            std::string::npos)
      << text.out;
  // The JSON form is the one the service hands to the page; gGera_Excel comes first.
  const Outcome json = RunTpl({"methods", "--json"});
  ASSERT_EQ(json.exit_status, kExitSuccess);
  EXPECT_EQ(ParseJsonDocument(json.out)[0]["parameters"][3],
            Json::parse(R"({"name":"invntBanco_Dados","type":"Variant","role":"kind"})"));
}

// The answer of a completed call: its standard output as JSON.
Json Answer(const Outcome& outcome) {
  EXPECT_EQ(outcome.exit_status, kExitSuccess) << outcome.err;
  return outcome.exit_status == kExitSuccess ? ParseJsonDocument(outcome.out) : Json();
}

TEST(HostCommandLine, CallPrintsTheResultAndEveryArgumentAfterTheCall) {
  const Json expected = Json::parse(R"({"result":{"Integer":0},"args":["",{"Long":5},"","SQLSERVER","",
      {"Integer":1},{"Integer":7},{"Matrix":[[{"Integer":0},"Data inicial","{DATA_INI}","D","S","30","",
      {"Empty":null}],[{"Empty":null},{"Empty":null},{"Empty":null},{"Empty":null},{"Empty":null},
      {"Empty":null},{"Empty":null},{"Empty":null}]]},"","Data inicial","{DATA_INI}","D","S","30",{"Long":0},
      ""]})");
  // Arguments named by file; standard input is not read then.
  const std::string file = ::testing::TempDir() + "host_call_arguments.json";
  std::ofstream(file) << AddFirstFilterArguments();
  EXPECT_EQ(Answer(RunTpl({"call", "--args", file, "gGrava_Filtro"}, "not read")), expected);
  std::remove(file.c_str());
  // A placeholder without braces is refused by the method itself: that is a completed call with result 10 and the
  // message, not a host error.
  std::string refused = AddFirstFilterArguments();
  refused.replace(refused.find("{DATA_INI}"), 10, "DATA_INI");
  const Json answer = Answer(RunTpl({"call", "gGrava_Filtro"}, refused));
  EXPECT_EQ(answer["result"], Json::parse(R"({"Integer":10})"));
  EXPECT_EQ(answer["args"][2], "O Valor do campo deve estar entre chaves. Ex: {DATA_INI}");
}

}  // namespace
}  // namespace tpl::host
