#include "shared/sentences.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tpl {
namespace {

struct Entry { std::string name; std::string_view text; };

std::vector<Entry> Sentences() {
#define TPL_LIST_TEXT(name, text) {#name, text},
  return {TPL_SENTENCES(TPL_LIST_TEXT) TPL_LABELS(TPL_LIST_TEXT)};
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
  for (const auto& entry : std::filesystem::recursive_directory_iterator(TPL_SOURCE_DIR)) {
    const auto& path = entry.path();
    if (path.filename() == "sentences.h") continue;
    if (path.extension() != ".cpp" && path.extension() != ".h") continue;
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    all += text.str();
  }
  return all;
}

TEST(SentenceCatalogue, EveryEntryIsUsed) {
  const std::string sources = LibrarySources();
  std::set<std::string> used_traps;
  for (const TrapEntry& trap : Traps()) {
    EXPECT_NE(sources.find("traps::" + trap.name), std::string::npos) << trap.name;
    used_traps.insert(trap.sentence);
  }
  for (const Entry& sentence : Sentences()) {
    bool used = sources.find("sentences::" + sentence.name) != std::string::npos || used_traps.contains(sentence.name);
    EXPECT_TRUE(used) << sentence.name;
  }
}

TEST(SentenceCatalogue, EveryTextStandsOnce) {
  std::map<std::string_view, std::string> seen;
  for (const Entry& sentence : Sentences()) {
    auto [place, added] = seen.emplace(sentence.text, sentence.name);
    EXPECT_TRUE(added) << sentence.name << " repeats " << place->second;
  }
  for (const TrapEntry& trap : Traps()) {
    auto [place, added] = seen.emplace(trap.label, trap.name);
    EXPECT_TRUE(added) << trap.name << " repeats the label of " << place->second;
  }
}

TEST(SentenceCatalogue, ComposeFillsTheMarkersInOnePass) {
  struct Case { std::string_view sentence, first, second, expected; };
  for (const Case& c : std::initializer_list<Case>{
           {"Preencha %1", "Data", "", "Preencha Data"},
           {"%1 deve ser igual ou maior que %2", "Valor", "10", "Valor deve ser igual ou maior que 10"},
           // A name that holds a marker is never read as one.
           {"%1 e %2", "%2", "x", "%2 e x"}, {"O campo %1 é inválido.", "Ação", "", "O campo Ação é inválido."},
           {"100% certo %3", "a", "b", "100% certo %3"}, {"fim %", "a", "", "fim %"},
       }) {
    EXPECT_EQ(Compose(c.sentence, c.first, c.second), c.expected) << c.sentence;
  }
}

}  // namespace
}  // namespace tpl
