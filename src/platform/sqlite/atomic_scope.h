// Makes a group of statements all-or-nothing. Outside a transaction it
// opens an immediate one (taking the write lock at once, so that a
// read-then-update cannot interleave with another process); inside the
// caller's transaction it opens a savepoint, so that only the group is
// undone. Unless Commit is called, the destructor undoes the group.
#pragma once

#include <sqlite3.h>

namespace tpl::db::sqlite {

class AtomicScope {
 public:
  explicit AtomicScope(sqlite3* connection);
  AtomicScope(const AtomicScope&) = delete;
  AtomicScope& operator=(const AtomicScope&) = delete;
  ~AtomicScope();

  void Commit();

 private:
  sqlite3* connection_;
  bool savepoint_;
  bool open_ = true;
};

}  // namespace tpl::db::sqlite
