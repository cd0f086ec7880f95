// One table of hostile values, run through every filter type of both Database kinds and through the report's other
// values written into SQL. A value may be refused or quoted; it may never change a statement: the canary table
// survives, and a report brings back no row its filter does not allow. Job and template texts keep their apostrophes
// in their own tests: the same quoting, with its sharpest spelling.
#include <set>

#include "conventions/value_helpers.h"
#include "support/suite.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::TempDatabase;

const std::vector<std::string>& HostileValues() {
  // One spelling per defence: quoting, numbers, lists, look-alike quotes, NUL, placeholders, markers, backslashes,
  // and lengths (a long value, and one whose quotes double past the limit).
  static const std::vector<std::string> values = {
      "' OR '1'='1", "2 OR 1=1", "2) OR (1=1", "bia,2,99", "x{Q}y", "## OR 1=1 OR ##", "\\' OR 1=1 --",
      "bia\xE2\x80\x99 OR \xE2\x80\x98" "1\xE2\x80\x99=\xE2\x80\x98" "1",  // ’ and ‘
      std::string("bia\0' OR 1=1 --", 15), std::string(1 << 20, 'a'),
      testing::Repeat("' OR 1=1; DELETE FROM CANARY; -- ", 1 << 15),
  };
  return values;
}

// The sales rows every query reads (clients in capitals, as Oracle texts are written), and the canary no statement may
// touch.
void Seed(const TempDatabase& db) {
  db.Execute("CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(20), EMISSAO DATETIME, VALOR NUMERIC(10,2))");
  db.Execute("INSERT INTO VENDA VALUES (1, 'ANA', '2001/10/01 08:00:00', 10.5), "
             "(2, 'BIA', '2001/10/02 08:00:00', 21), (3, 'CAIO', '2001/10/03 08:00:00', 31.5)");
  db.Execute("CREATE TABLE CANARY (ID INTEGER, DOC VARCHAR(20))");
  db.Execute("INSERT INTO CANARY VALUES (99, 'canario')");
}

void ExpectIntact(const TempDatabase& db, const std::string& where) {
  EXPECT_EQ(db.Rows("SELECT * FROM CANARY"), "99|canario") << where;
  EXPECT_EQ(db.Count("VENDA"), 3) << where;
}

// Every query keeps row 2 alone; a second filter {Q} holds a value that would open the statement if a placeholder
// inside another value were substituted again. Lists of type U and V are read and written as lists of type N, and
// single values of type U as those of type N.
struct FilterType { const char *type, *placeholder, *condition, *benign; };  // benign: lets row 2 through
const FilterType kFilterTypes[] = {
    {"D", "{P}", "EMISSAO >= {P}", "01/10/2001"}, {"N", "{P}", "ID = {P}", "2"}, {"C", "{P}", "CLIENTE = {P}", "BIA"},
    {"V", "{P}", "VALOR = {P}", "21"}, {"X", "{P}", "ID = {P}", "2"},
    {"D", "{@P@}", "CLIENTE NOT IN ({@P@})", "01/10/2001,02/10/2001"}, {"N", "{@P@}", "ID IN ({@P@})", "2,3"},
    {"C", "{@P@}", "CLIENTE IN ({@P@})", "ANA,BIA"}, {"X", "{@P@}", "ID IN ({@P@})", "2,ID"},
};

struct Report { Variant result; std::string message, query; std::set<int32_t> ids; };

// One run of gExecutar_Query: its result, message and prepared query, and the ids of the detail rows shown.
Report RunReport(const TempDatabase& db, const char* kind, const std::string& query, Variant filters,
                 Variant title = "Vendas", Variant user = Variant::Long(5), Variant template_id = Variant::Long(1),
                 Variant email = "N") {
  Variant connection(db.connection_string()), message, database_kind(kind), sql(query), subtitle, export_wish("N");
  Variant lines(Variant::Integer(filters.AsArray().UBound(1))), columns(Variant::Integer(7)), out_lines, out_columns,
      matrix, flag, display, extra;
  Report report;
  report.result = TPL().gExecutar_Query(connection, user, message, database_kind, sql, filters, lines, columns,
                                        out_lines, out_columns, matrix, flag, title, subtitle, template_id,
                                        export_wish, display, extra, email);
  report.message = TextOrEmpty(message);
  report.query = RTrim(CStr(sql));
  if (matrix.IsArray()) {
    const Array& cells = matrix.AsArray();
    for (int32_t r = 0; r <= cells.UBound(1); ++r)
      if (cells.at(r, 1) == Variant("DET")) report.ids.insert(CLng(cells.at(r, 0)));
  }
  return report;
}

Report RunFilter(const TempDatabase& db, const char* kind, const FilterType& filter, const std::string& value) {
  return RunReport(db, kind,
                   std::string("SELECT ID FROM VENDA WHERE ID = 2 AND ") + filter.condition +
                       " AND CLIENTE <> {Q} ORDER BY ID",
                   testing::FilterMatrix({{Variant::Long(100), "Filtro", filter.placeholder, filter.type, 0, "", value},
                                          {Variant::Long(101), "Outro", "{Q}", "C", 0, "", " OR 1=1 OR "}}));
}

TEST(HostileValues, NoFilterValueChangesTheReportQuery) {
  TempDatabase db(testing::MemoryBackedFolder());
  Seed(db);
  for (const char* kind : {"SQLSERVER", "ORACLE"}) {
    for (const FilterType& filter : kFilterTypes) {
      const std::string label = std::string(kind) + " " + filter.type + " " + filter.placeholder;
      Report control = RunFilter(db, kind, filter, filter.benign);
      EXPECT_EQ(control.result, Variant::Integer(0)) << label << ": " << control.message;
      EXPECT_EQ(control.ids, std::set<int32_t>{2}) << label;
      for (const std::string& value : HostileValues()) {
        const std::string where = label + " <" + Left(value, 40) + ">";
        Report report = RunFilter(db, kind, filter, value);
        ExpectIntact(db, where);
        if (report.result == Variant::Integer(0)) {
          EXPECT_TRUE(report.ids.empty() || report.ids == std::set<int32_t>{2}) << where;
        } else {
          EXPECT_EQ(report.result, Variant::Integer(10)) << where;
          EXPECT_FALSE(report.message.empty()) << where;
        }
      }
    }
  }
}

// The user and template identifiers of the generation log, and the title and prepared query of an e-mail request, which
// must be stored exactly.
TEST(HostileValues, GenerationLogAndEmailRequest) {
  TempDatabase db(testing::MemoryBackedFolder());
  Seed(db);
  const std::string query = "SELECT ID FROM VENDA WHERE CLIENTE <> {P}";
  int requests_read = 0;  // the checks of the stored request must have run
  for (const char* kind : {"SQLSERVER", "ORACLE"}) {
    for (const std::string& value : HostileValues()) {
      const std::string where = std::string(kind) + " <" + Left(value, 40) + ">";
      const Variant text(value), filters = testing::FilterMatrix({{Variant::Long(100), "F", "{P}", "C", 0, "", value}});
      const Report logged = RunReport(db, kind, query, filters, text, text, text);
      ExpectIntact(db, "identifiers " + where);
      EXPECT_TRUE(logged.result == Variant::Integer(0) || logged.result == Variant::Integer(10)) << where;
      db.Execute("DELETE FROM REL_DIN_EMAIL");
      const Report emailed = RunReport(db, kind, query, filters, text, Variant::Long(5), Variant::Long(1), "S");
      ExpectIntact(db, "e-mail " + where);
      EXPECT_LE(db.Count("REL_DIN_EMAIL"), 1) << where;
      if (db.Count("REL_DIN_EMAIL") == 0) continue;
      ++requests_read;
      EXPECT_EQ(db.Scalar("SELECT TITULO FROM REL_DIN_EMAIL"), Variant(value)) << where;
      EXPECT_EQ(db.Scalar("SELECT TXT_QUERY FROM REL_DIN_EMAIL"), Variant(emailed.query)) << where;
    }
  }
  EXPECT_GT(requests_read, 0);
}

}  // namespace
}  // namespace tpl
