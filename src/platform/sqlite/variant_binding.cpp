#include "platform/sqlite/variant_binding.h"

#include <string>

#include "platform/sqlite/sql_dialect.h"
#include "platform/sqlite/sqlite_provider.h"
#include "tpl/runtime_error.h"

namespace tpl::db::sqlite {
namespace {

int BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  return sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

void BindVariant(sqlite3* connection, sqlite3_stmt* statement, int index, const Variant& value) {
  int result = SQLITE_OK;
  switch (value.type()) {
    case VarType::Empty:
    case VarType::Null: result = sqlite3_bind_null(statement, index); break;
    case VarType::Integer: result = sqlite3_bind_int(statement, index, value.AsInteger()); break;
    case VarType::Long: result = sqlite3_bind_int(statement, index, value.AsLong()); break;
    case VarType::Double: result = sqlite3_bind_double(statement, index, value.AsDouble()); break;
    case VarType::Boolean: result = sqlite3_bind_int(statement, index, value.AsBoolean() ? 1 : 0); break;
    case VarType::Date: result = BindText(statement, index, SqlDateText(value.AsDate())); break;
    case VarType::String: result = BindText(statement, index, value.AsString()); break;
    case VarType::Object:
    case VarType::Array: Raise(error::kTypeMismatch);
  }
  CheckSqlite(connection, result);
}

}  // namespace tpl::db::sqlite
