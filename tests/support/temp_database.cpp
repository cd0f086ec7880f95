#include "support/temp_database.h"

#include "tpl/embedded_database.h"
#include "support/test_values.h"
#include "tpl/conversions.h"

namespace tpl::testing {

TempDatabase::TempDatabase(const std::filesystem::path& parent)
    : folder_("tpl-test-", parent), file_(folder_.path() / "tpl.db") {
  db::CreateEmbeddedDatabase(file_.string());
}

void TempDatabase::Execute(const std::string& sql) const { Query(sql); }

db::Recordset TempDatabase::Query(const std::string& sql) const {
  db::Recordset recordset;
  recordset.Open(sql, connection_string(), db::CallLimits::OutsideAnyCall());
  return recordset;
}

Variant TempDatabase::Scalar(const std::string& sql) const {
  db::Recordset recordset = Query(sql);
  if (!recordset.IsOpen() || recordset.Eof()) return Variant();
  return recordset.Value(0);
}

std::string TempDatabase::Rows(const std::string& sql) const {
  db::Recordset recordset = Query(sql);
  std::string text;
  for (int row = 0; recordset.IsOpen() && !recordset.Eof(); recordset.MoveNext(), ++row) {
    if (row > 0) text += ";";
    for (int32_t c = 0; c < recordset.FieldCount(); ++c)
      text += (c > 0 ? "|" : "") + Show(recordset.Value(c));
  }
  return text;
}

int32_t TempDatabase::Count(const std::string& from) const {
  return CLng(Scalar("SELECT COUNT(*) FROM " + from));
}

std::filesystem::path MemoryBackedFolder() {
  std::error_code ignored;
  return std::filesystem::is_directory("/dev/shm", ignored) ? std::filesystem::path("/dev/shm")
                                                             : std::filesystem::temp_directory_path();
}

void TempDatabase::RestoreFrom(const TempDatabase& other) const {
  // The write-ahead log and its index go with the file when they exist.
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const std::filesystem::path from = other.file_.string() + suffix, to = file_.string() + suffix;
    std::filesystem::remove(to);
    if (std::filesystem::exists(from)) std::filesystem::copy_file(from, to);
  }
}

void TempDatabase::SetParameter(int32_t id, const std::string& value) const {
  std::string quoted;
  for (char c : value) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  Execute("UPDATE Tab_Parametro_Sistema SET Parametro = '" + quoted +
          "' WHERE Tab_Parametro_Sistema_ID = " + std::to_string(id));
}

}  // namespace tpl::testing
