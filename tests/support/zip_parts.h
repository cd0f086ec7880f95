// The parts of a saved workbook (an .xlsx is a zip), read back so that the tests can look at the XML the library wrote.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace tpl::testing {

// Every part of the zip at `path` by its name, uncompressed. Throws std::runtime_error when the file is not a readable
// zip.
std::map<std::string, std::string> ZipParts(const std::filesystem::path& path);

}  // namespace tpl::testing
