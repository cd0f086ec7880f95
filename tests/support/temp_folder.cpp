#include "support/temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <system_error>

namespace tpl::testing {

TempFolder::TempFolder(const std::string& prefix, const std::filesystem::path& parent) {
  std::string name = (parent / (prefix + "XXXXXX")).string();
  if (mkdtemp(name.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(), "no temporary folder " + name);
  path_ = name;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace tpl::testing
