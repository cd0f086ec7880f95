// Read-only look-ups a host's screens need and no method of TPL answers:
// the list of user groups to choose from, and the message-log rows a
// failed call wrote (the technical cause the error traps log for every
// user but show only to user 1). Neither writes anything; both run plain
// SELECTs whose only values are whole numbers written by the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tpl {

struct UserGroup {
  int32_t id = 0;
  std::string description;  // DESC_GRUPO_USUARIO, "" when Null
};

// Every row of GRUPO_USUARIO, by identifier. Empty when the database has no
// such table or it cannot be read: the host then asks for a number.
std::vector<UserGroup> ReadUserGroups(const std::string& connection_string);

// The largest LOG_MSG_ID, 0 when the log is empty or cannot be read. A host
// reads it before a call and passes it to ReadMessageLogAfter afterwards.
int64_t LastMessageLogId(const std::string& connection_string);

// The texts (MSG01 to MSG05 joined) of the LOG_MSG rows above `after_id`
// written for `user`, oldest first, at most `limit` rows. Empty when none
// or when the log cannot be read.
std::vector<std::string> ReadMessageLogAfter(const std::string& connection_string, int64_t after_id,
                                             int32_t user, int32_t limit = 20);

}  // namespace tpl
