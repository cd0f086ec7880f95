// A folder of the test's own, removed with everything in it when the owner goes. The name comes from mkdtemp, so it is
// new even when a killed earlier run under the same process number left its folder behind.
#pragma once

#include <filesystem>
#include <string>

namespace tpl::testing {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "tpl-test-",
                      const std::filesystem::path& parent = std::filesystem::temp_directory_path());
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;  // one owner removes the folder
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tpl::testing
