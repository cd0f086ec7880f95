#include "sentences/sentences.h"
#include "conventions/trap_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace tpl {
namespace {

namespace fs = std::filesystem;

struct Entry { std::string name; std::string_view text; };

std::vector<Entry> Sentences() {
#define TPL_LIST_TEXT(name, text) {#name, text},
  return {TPL_SENTENCES(TPL_LIST_TEXT) TPL_LABELS(TPL_LIST_TEXT) TPL_MESSAGES(TPL_LIST_TEXT)};
#undef TPL_LIST_TEXT
}

struct TrapEntry { std::string name; std::string sentence; std::string_view label; };

std::vector<TrapEntry> Traps() {
#define TPL_LIST_METHOD_TRAP(name, sentence, label, ends) {#name, #sentence, label},
#define TPL_LIST_ROUTINE_TRAP(name, sentence, label, line, text) {#name, #sentence, label},
  return {TPL_METHOD_TRAPS(TPL_LIST_METHOD_TRAP) TPL_ROUTINE_TRAPS(TPL_LIST_ROUTINE_TRAP)};
#undef TPL_LIST_METHOD_TRAP
#undef TPL_LIST_ROUTINE_TRAP
}

// Every source of the library but the catalogue itself, as one text.
std::string LibrarySources() {
  std::string all;
  for (const auto& entry : fs::recursive_directory_iterator(TPL_SOURCE_DIR)) {
    const auto& path = entry.path();
    if (path.filename() == "sentences.h" || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
    std::ifstream file(path);
    all.append(std::istreambuf_iterator<char>(file), {});
  }
  return all;
}

// Every entry is used by name (a sentence may be used through a trap), and every text and trap label stands once.
TEST(SentenceCatalogue, EveryEntryIsUsedAndEveryTextStandsOnce) {
  const std::string sources = LibrarySources();
  std::set<std::string> used_traps;
  std::map<std::string_view, std::string> seen;
  for (const TrapEntry& trap : Traps()) {
    EXPECT_NE(sources.find("traps::" + trap.name), std::string::npos) << trap.name;
    used_traps.insert(trap.sentence);
    auto [place, added] = seen.emplace(trap.label, trap.name);
    EXPECT_TRUE(added) << trap.name << " repeats the label of " << place->second;
  }
  for (const Entry& sentence : Sentences()) {
    EXPECT_TRUE(sources.find("sentences::" + sentence.name) != std::string::npos || used_traps.contains(sentence.name))
        << sentence.name;
    auto [place, added] = seen.emplace(sentence.text, sentence.name);
    EXPECT_TRUE(added) << sentence.name << " repeats " << place->second;
  }
}

TEST(SentenceCatalogue, ComposeFillsTheMarkersInOnePass) {
  struct Case { std::string_view sentence, first, second, expected; };
  for (const Case& c : std::initializer_list<Case>{
           {"%1 deve ser igual ou maior que %2", "Valor", "10", "Valor deve ser igual ou maior que 10"},
           // A name that holds a marker is never read as one.
           {"%1 e %2", "%2", "x", "%2 e x"}, {"100% certo %3", "a", "b", "100% certo %3"}, {"fim %", "a", "", "fim %"},
       }) {
    EXPECT_EQ(Compose(c.sentence, c.first, c.second), c.expected) << c.sentence;
  }
}

// The platform layers raise failures whose descriptions reach users inside a trap's detail: their words belong in the
// catalogue too. A string literal with a letter outside ASCII is a Portuguese text written in place (a line comment
// ends the line; a character literal such as '"' is skipped); the regional settings' month and weekday names are rules
// of the dates, not sentences.
TEST(SentenceCatalogue, ThePlatformLayersWriteNoSentenceInPlace) {
  const std::regex token_form(R"re(//.*|'(?:[^'\\]|\\.)*'|"((?:[^"\\]|\\.)*)")re");
  for (const char* folder : {"values", "database", "workbook", "mail"}) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TPL_SOURCE_DIR) / folder)) {
      const fs::path& path = entry.path();
      const bool source = path.extension() == ".cpp" || path.extension() == ".h";
      if (!source || path.filename() == "regional_settings.h") continue;
      std::ifstream file(path);
      std::string line;
      for (int number = 1; std::getline(file, line); ++number) {
        for (std::sregex_iterator token(line.begin(), line.end(), token_form), end; token != end; ++token) {
          const std::string literal = (*token)[1];
          const bool ascii = std::none_of(literal.begin(), literal.end(), [](char c) { return (c & 0x80) != 0; });
          EXPECT_TRUE(ascii) << path.string() << ":" << number << ": \"" << literal << "\"";
        }
      }
    }
  }
}

}  // namespace
}  // namespace tpl
