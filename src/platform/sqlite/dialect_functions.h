// SQL functions that every session of the embedded database knows, so that
// texts written for SQL Server or Oracle, and procedure bodies, run as they
// are:
//   GETDATE()             the local date and time, 'YYYY/MM/DD HH:MM:SS'
//   NVL(a, b)             a, or b when a is null (Oracle's IFNULL)
//   TO_DATE(text, mask)   a date read with an Oracle mask, as 'YYYY/MM/DD HH:MM:SS';
//   TO_DATE(text)         the same, recognising the usual date shapes
//   RAISE_ERROR(message)  fails the statement with the message, so that a
//                         procedure body can refuse its call
#pragma once

#include <sqlite3.h>

namespace tpl::db::sqlite {

void RegisterDialectFunctions(sqlite3* connection);

}  // namespace tpl::db::sqlite
