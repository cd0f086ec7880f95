// What one client may hold of `tpl serve` (see http_server.h).
#pragma once

#include <chrono>
#include <cstddef>

namespace tpl::host {

struct ServerLimits {
  size_t max_connections = 256;
  size_t max_head_bytes = 16 * 1024;  // request line and fields together
  size_t max_head_fields = 100;
  size_t max_body_bytes = 32 * 1024 * 1024;
  // A kept-alive connection waits this long for the first byte of its next request.
  std::chrono::milliseconds idle_keep_alive{5'000};
  // From its first byte, the whole head must arrive within this time, however it trickles.
  std::chrono::milliseconds head_deadline{10'000};
  std::chrono::milliseconds body_deadline{60'000};
  // The client must take the whole answer within this time.
  std::chrono::milliseconds write_deadline{60'000};
  // After a stop, a client has this long to take an answer still being sent
  // (an answer of a call that ends later has as long from its end).
  std::chrono::milliseconds stop_grace{1'000};
};

// Answers of at least this many bytes are compressed for clients that accept gzip.
inline constexpr size_t kCompressFrom = 4 * 1024;

}  // namespace tpl::host
