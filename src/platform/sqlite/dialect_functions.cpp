#include "platform/sqlite/dialect_functions.h"

#include <string>
#include <string_view>

#include "platform/sqlite/oracle_date_mask.h"
#include "platform/sqlite/sql_date_text.h"
#include "platform/sqlite/sqlite_error.h"
#include "tpl/datetime.h"

namespace tpl::db::sqlite {
namespace {

std::string_view TextArgument(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text == nullptr ? std::string_view{} : std::string_view(text, sqlite3_value_bytes(value));
}

void ResultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void GetDate(sqlite3_context* context, int, sqlite3_value**) {
  ResultText(context, SqlDateText(LocalNow()));
}

void Nvl(sqlite3_context* context, int, sqlite3_value** arguments) {
  sqlite3_result_value(context, sqlite3_value_type(arguments[0]) == SQLITE_NULL ? arguments[1] : arguments[0]);
}

void ToDate(sqlite3_context* context, int count, sqlite3_value** arguments) {
  for (int i = 0; i < count; ++i) {
    if (sqlite3_value_type(arguments[i]) == SQLITE_NULL) return sqlite3_result_null(context);
  }
  const std::string_view text = TextArgument(arguments[0]);
  if (count == 1) {
    Date date;
    if (TryParseDate(text, date)) return ResultText(context, SqlDateText(date));
  } else {
    DateParts first_of_month = LocalNow();
    first_of_month.day = 1;
    first_of_month.hour = first_of_month.minute = first_of_month.second = 0;
    if (auto parts = ReadOracleDate(text, TextArgument(arguments[1]), first_of_month)) {
      return ResultText(context, SqlDateText(*parts));
    }
  }
  std::string message = "TO_DATE: '" + std::string(text) + "' não é uma data";
  if (count == 2) message += " na máscara '" + std::string(TextArgument(arguments[1])) + "'";
  sqlite3_result_error(context, message.c_str(), -1);
}

void RaiseError(sqlite3_context* context, int, sqlite3_value** arguments) {
  const std::string message(TextArgument(arguments[0]));
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

using Implementation = void (*)(sqlite3_context*, int, sqlite3_value**);

void Register(sqlite3* connection, const char* name, int arguments, bool deterministic,
              Implementation implementation) {
  const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
  CheckSqlite(connection,
              sqlite3_create_function_v2(connection, name, arguments, flags, nullptr, implementation,
                                         nullptr, nullptr, nullptr),
              name);
}

}  // namespace

void RegisterDialectFunctions(sqlite3* connection) {
  Register(connection, "GETDATE", 0, false, GetDate);
  Register(connection, "NVL", 2, true, Nvl);
  Register(connection, "TO_DATE", 1, false, ToDate);
  Register(connection, "TO_DATE", 2, false, ToDate);
  Register(connection, "RAISE_ERROR", 1, false, RaiseError);
}

}  // namespace tpl::db::sqlite
