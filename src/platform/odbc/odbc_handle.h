// Owner of one ODBC handle (environment, connection or statement): frees
// it when destroyed. Moving transfers ownership; copying is not allowed.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <utility>

namespace tpl::db::odbc {

template <SQLSMALLINT kHandleType>
class OdbcHandle {
 public:
  static constexpr SQLSMALLINT kType = kHandleType;

  OdbcHandle() noexcept = default;
  explicit OdbcHandle(SQLHANDLE handle) noexcept : handle_(handle) {}
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;
  OdbcHandle(OdbcHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OdbcHandle& operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
      Free();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~OdbcHandle() { Free(); }

  SQLHANDLE get() const noexcept { return handle_; }

 private:
  void Free() noexcept {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(kHandleType, handle_);
    handle_ = SQL_NULL_HANDLE;
  }

  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

using EnvironmentHandle = OdbcHandle<SQL_HANDLE_ENV>;
using ConnectionHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StatementHandle = OdbcHandle<SQL_HANDLE_STMT>;

}  // namespace tpl::db::odbc
