#include "host/exported_workbooks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tpl::host {

void ExportedWorkbooks::Remember(const std::string& name, const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) return;
  const Clock::time_point now = Clock::now();
  const std::lock_guard<std::mutex> lock(mutex_);
  DropExpired(now);
  if (entries_.size() >= capacity_ && !entries_.contains(name)) {
    const auto oldest = std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
      return a.second.remembered < b.second.remembered;
    });
    entries_.erase(oldest);
  }
  entries_.insert_or_assign(name, Entry{file, now});
}

std::optional<std::filesystem::path> ExportedWorkbooks::Find(std::string_view name) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(name);
  if (found == entries_.end() || Clock::now() - found->second.remembered >= lifetime_) return std::nullopt;
  return found->second.file;
}

void ExportedWorkbooks::DropExpired(Clock::time_point now) {
  std::erase_if(entries_, [&](const auto& entry) { return now - entry.second.remembered >= lifetime_; });
}

namespace {

// Closes the descriptor whatever the reading does.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

WorkbookContent ReadWorkbookFile(const std::filesystem::path& file, size_t max_bytes) {
  using Outcome = WorkbookContent::Outcome;
  WorkbookContent content;
  // O_NOFOLLOW: a link put in the workbook's place is not followed;
  // O_NONBLOCK: a pipe put there does not hold the thread.
  const FileDescriptor descriptor{::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK)};
  if (descriptor.fd < 0) return content;
  struct stat status {};
  if (::fstat(descriptor.fd, &status) != 0 || !S_ISREG(status.st_mode)) return content;
  if (static_cast<unsigned long long>(status.st_size) > max_bytes) {
    content.outcome = Outcome::TooLarge;
    return content;
  }
  content.bytes.resize(static_cast<size_t>(status.st_size));
  size_t done = 0;
  while (done < content.bytes.size()) {
    const ssize_t n = ::read(descriptor.fd, content.bytes.data() + done, content.bytes.size() - done);
    if (n < 0) {
      content.outcome = Outcome::Unreadable;
      content.bytes.clear();
      return content;
    }
    if (n == 0) break;  // shortened while read: what there is
    done += static_cast<size_t>(n);
  }
  content.bytes.resize(done);
  content.outcome = Outcome::Read;
  return content;
}

}  // namespace tpl::host
