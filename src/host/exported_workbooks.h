// The workbooks that `tpl serve` may hand out under /files/: only those its
// own exports wrote, each remembered by its full path when the export
// answered, for a bounded time. Whatever parameter 23017 says at the moment
// of a request never widens what can be read.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tpl::host {

class ExportedWorkbooks {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ExportedWorkbooks(std::chrono::seconds lifetime = std::chrono::hours(1), size_t capacity = 1000)
      : lifetime_(lifetime), capacity_(capacity) {}

  // Remembers `file` under its file name, when it is a plain file now (a
  // link is not remembered). The oldest name goes when the list is full.
  void Remember(const std::filesystem::path& file) { Remember(file.filename().string(), file); }
  // Remembers `file` under `name`, the name a client asks /files/ for.
  void Remember(const std::string& name, const std::filesystem::path& file);

  // The full path remembered under `name`, while it has not expired.
  std::optional<std::filesystem::path> Find(std::string_view name) const;

 private:
  struct Entry {
    std::filesystem::path file;
    Clock::time_point remembered;
  };
  void DropExpired(Clock::time_point now);

  std::chrono::seconds lifetime_;
  size_t capacity_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> entries_;
};

// What reading a remembered workbook gave: its bytes, or why not.
struct WorkbookContent {
  enum class Outcome { Read, Missing, TooLarge, Unreadable } outcome = Outcome::Missing;
  std::string bytes;
};

// Opens `file` without following a link in its last step and reads it
// whole when it is a regular file of at most `max_bytes`.
WorkbookContent ReadWorkbookFile(const std::filesystem::path& file, size_t max_bytes);

}  // namespace tpl::host
