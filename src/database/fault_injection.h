// A test facility: makes one chosen database operation of this thread
// fail, and counts operations and open connections, so that a test can
// move a failure over every operation of a call and check what the call
// leaves behind.
//
// The operations are those of this folder (a connection opened, a
// transaction begun or committed, a command run) and, inside the embedded
// provider, each statement prepared and each statement stepped. While no
// FaultInjection lives on the thread, an operation costs one thread-local
// test and nothing is counted.
//
// Only a testable build (TPL_TESTABLE) has any of it; in a release build
// the points below are empty inline functions and compile to nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tpl::db {

#ifdef TPL_TESTABLE

// Number of the RuntimeError raised by an operation made to fail.
inline constexpr int32_t kInjectedFailure = -2147467259;  // 0x80004005, unspecified failure

class FaultInjection {
 public:
  // Counts the operations of this thread from 1; operation `fail_at`
  // raises RuntimeError(kInjectedFailure). 0 only counts. One injection at
  // a time per thread.
  explicit FaultInjection(int fail_at = 0) noexcept;
  ~FaultInjection();
  FaultInjection(const FaultInjection&) = delete;
  FaultInjection& operator=(const FaultInjection&) = delete;

  int operations() const noexcept;
  // What the failed operation was ("prepare: INSERT ... [in EXEC SP_X 1]");
  // empty while none has failed.
  const std::string& failed() const noexcept;

  // Connections open on this thread, counted whether or not an injection
  // lives (a connection is opened and closed on one thread).
  static int LiveConnections() noexcept;
};

// ---- For the access layer and the providers

// Called before each operation; raises when it is the one chosen.
// `kind` names the operation ("open", "execute", "prepare", ...), `text`
// its SQL where it has one.
void FaultPoint(std::string_view kind, std::string_view text = {});
// The same with a C string, read only when the operation fails.
void FaultPoint(std::string_view kind, const char* text);

// Names the command a group of operations belongs to (the opening of the
// session that runs it included), for the description of a failure.
class FaultContext {
 public:
  explicit FaultContext(std::string_view command) noexcept;
  ~FaultContext();
  FaultContext(const FaultContext&) = delete;
  FaultContext& operator=(const FaultContext&) = delete;

 private:
  std::string_view outer_;
  bool active_;
};

void NoteConnectionOpened() noexcept;
void NoteConnectionClosed() noexcept;

#else  // no test hooks

inline void FaultPoint(std::string_view, std::string_view = {}) noexcept {}
inline void FaultPoint(std::string_view, const char*) noexcept {}

class FaultContext {
 public:
  explicit FaultContext(std::string_view) noexcept {}
  FaultContext(const FaultContext&) = delete;
  FaultContext& operator=(const FaultContext&) = delete;
};

inline void NoteConnectionOpened() noexcept {}
inline void NoteConnectionClosed() noexcept {}

#endif  // TPL_TESTABLE

}  // namespace tpl::db
