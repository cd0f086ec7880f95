// Replays inputs through the fuzz targets without libFuzzer, so that the
// ordinary build (and its sanitizer pass) runs every corpus file again.
//
//   fuzz_replay TARGET PATH...
//
// Each PATH is a file or a folder of files. Every input is run even after
// a failure; the program fails when any input broke a rule of its target or
// let an exception out, naming the file.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_targets.h"

namespace {

namespace fs = std::filesystem;
using tpl::fuzz::Target;

const Target* FindTarget(std::string_view name) {
  for (const Target& target : tpl::fuzz::kTargets) {
    if (target.name == name) return &target;
  }
  return nullptr;
}

// The files named, folders read in name order so that runs compare.
std::vector<fs::path> InputFiles(const std::vector<std::string>& paths) {
  std::vector<fs::path> files;
  for (const std::string& path : paths) {
    if (!fs::is_directory(path)) {
      files.emplace_back(path);
      continue;
    }
    std::vector<fs::path> inside;
    for (const auto& entry : fs::directory_iterator(path)) {
      if (entry.is_regular_file()) inside.push_back(entry.path());
    }
    std::sort(inside.begin(), inside.end());
    files.insert(files.end(), inside.begin(), inside.end());
  }
  return files;
}

// True when the target kept its rules on the file's bytes.
bool Replay(const Target& target, const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << file.string() << ": cannot be read\n";
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    target.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
  } catch (const tpl::fuzz::Defect& defect) {
    std::cerr << file.string() << ": " << defect.what() << '\n';
  } catch (const std::exception& e) {
    std::cerr << file.string() << ": an exception escaped: " << e.what() << '\n';
  } catch (...) {
    std::cerr << file.string() << ": an exception of unknown type escaped\n";
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const Target* target = argc > 1 ? FindTarget(argv[1]) : nullptr;
  if (target == nullptr || argc < 3) {
    std::cerr << "Usage: fuzz_replay TARGET PATH...\nTargets:";
    for (const Target& known : tpl::fuzz::kTargets) std::cerr << ' ' << known.name;
    std::cerr << '\n';
    return 2;
  }
  const std::vector<fs::path> files = InputFiles(std::vector<std::string>(argv + 2, argv + argc));
  size_t failed = 0;
  for (const fs::path& file : files) {
    if (!Replay(*target, file)) ++failed;
  }
  std::cout << target->name << ": " << files.size() - failed << " passed, " << failed << " failed\n";
  return failed == 0 && !files.empty() ? 0 : 1;
}
