// A saved workbook read back, so that the tests can look at what the
// library wrote: the parts of the zip (an .xlsx is one) and the cells of a
// sheet with their number formats.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace tpl::testing {

// Every part of the zip at `path` by its name, uncompressed. Throws
// std::runtime_error when the file is not a readable zip.
std::map<std::string, std::string> ZipParts(const std::filesystem::path& path);

class SavedSheet {
 public:
  // The sheet `sheet` (from 1) of the workbook at `path`.
  explicit SavedSheet(const std::filesystem::path& path, int sheet = 1);

  // One cell as "kind value | format": kind n(umber), s(tring), b(oolean)
  // or blank; the value as stored; the number format's code ("" for
  // General). "none" when the sheet has no such cell.
  std::string Cell(const std::string& reference) const;
  // The sheet's XML.
  const std::string& xml() const { return xml_; }

 private:
  std::map<std::string, std::string> parts_;
  std::string xml_;
};

}  // namespace tpl::testing
