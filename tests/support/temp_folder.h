// A folder of the test's own, removed with everything in it when the owner goes. The name comes from mkdtemp, so it is
// new even when a killed earlier run under the same process number left its folder behind.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

namespace tpl::testing {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "tpl-test-",
                      const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
    std::string name = (parent / (prefix + "XXXXXX")).string();
    if (mkdtemp(name.data()) == nullptr)
      throw std::system_error(errno, std::generic_category(), "no temporary folder " + name);
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;  // one owner removes the folder
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tpl::testing
