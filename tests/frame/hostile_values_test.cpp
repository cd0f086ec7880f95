// One table of hostile values, run through every filter type of both
// Database kinds and through every other value the system writes into SQL.
// A value may be refused or quoted; it may never change a statement: the
// canary table survives, and a report brings back no row its filter does
// not allow.
#include <set>

#include "shared/value_helpers.h"
#include "support/suite.h"
#include "templates/template_host.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::TempDatabase;

std::string Repeated(std::string_view piece, size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += piece;
  return text;
}

const std::vector<std::string>& HostileValues() {
  static const std::vector<std::string> values = {
      "'",
      "' OR '1'='1",
      "2 OR 1=1",
      "2' OR 1=1 --",
      "x'; DELETE FROM CANARY; --",
      "2; DELETE FROM CANARY",
      "2) OR (1=1",
      "0 UNION SELECT ID FROM CANARY",
      "' UNION SELECT ID FROM CANARY --",
      "2 /* */ -- ",
      "bia\xE2\x80\x99 OR \xE2\x80\x98" "1\xE2\x80\x99=\xE2\x80\x98" "1",  // ’ and ‘
      "\xCA\xBC; DELETE FROM CANARY; --",                                    // ʼ
      std::string("bia\0' OR 1=1 --", 15),
      "{Q}",
      "x{Q}y",
      "## OR 1=1 OR ##",
      "%' OR ''='",
      "bia,2,99",
      "\\' OR 1=1 --",
      Repeated("a", 1 << 20),
      Repeated("' OR 1=1; DELETE FROM CANARY; -- ", 1 << 20),
  };
  return values;
}

// The sales rows every query reads (clients in capitals, as Oracle texts
// are written), and the canary no statement may touch.
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

// Every query keeps row 2 alone; a second filter {Q} holds a value that
// would open the statement if a placeholder inside another value were
// substituted again.
struct FilterType {
  const char* type;
  const char* placeholder;
  const char* condition;  // on the placeholder
  const char* benign;     // a value that lets row 2 through
};
const FilterType kFilterTypes[] = {
    {"D", "{P}", "EMISSAO >= {P}", "01/10/2001"},
    {"N", "{P}", "ID = {P}", "2"},
    {"U", "{P}", "ID = {P}", "2"},
    {"C", "{P}", "CLIENTE = {P}", "BIA"},
    {"V", "{P}", "VALOR = {P}", "21"},
    {"X", "{P}", "ID = {P}", "2"},
    {"D", "{@P@}", "CLIENTE NOT IN ({@P@})", "01/10/2001,02/10/2001"},
    {"N", "{@P@}", "ID IN ({@P@})", "2,3"},
    {"U", "{@P@}", "ID IN ({@P@})", "2"},
    {"C", "{@P@}", "CLIENTE IN ({@P@})", "ANA,BIA"},
    {"V", "{@P@}", "ID IN ({@P@})", "2,5"},
    {"X", "{@P@}", "ID IN ({@P@})", "2,ID"},
};

struct Report {
  Variant result;
  std::string message;
  std::set<int32_t> ids;
};

Report RunReport(const TempDatabase& db, const char* kind, const FilterType& filter, const std::string& value) {
  Variant connection(db.connection_string()), user(Variant::Long(5)), message, database_kind(kind);
  Variant query(std::string("SELECT ID FROM VENDA WHERE ID = 2 AND ") + filter.condition +
                " AND CLIENTE <> {Q} ORDER BY ID");
  Variant filters = testing::FilterMatrix({{Variant::Long(100), "Filtro", filter.placeholder, filter.type, 0, "", value},
                                           {Variant::Long(101), "Outro", "{Q}", "C", 0, "", " OR 1=1 OR "}});
  Variant lines(Variant::Integer(2)), columns(Variant::Integer(7)), out_lines, out_columns, matrix, flag;
  Variant title("Vendas"), subtitle, template_id(Variant::Long(1)), export_wish("N"), display, extra, email("N");
  Report report;
  report.result = TPL().gExecutar_Query(connection, user, message, database_kind, query, filters, lines, columns,
                                        out_lines, out_columns, matrix, flag, title, subtitle, template_id,
                                        export_wish, display, extra, email);
  report.message = TextOrEmpty(message);
  if (matrix.IsArray()) {
    const Array& cells = matrix.AsArray();
    for (int32_t r = 0; r <= cells.UBound(1); ++r)
      if (cells.at(r, 1) == Variant("DET")) report.ids.insert(CLng(cells.at(r, 0)));
  }
  return report;
}

TEST(HostileValues, NoFilterValueChangesTheReportQuery) {
  TempDatabase db(testing::MemoryBackedFolder());
  Seed(db);
  int runs = 0;
  for (const char* kind : {"SQLSERVER", "ORACLE"}) {
    for (const FilterType& filter : kFilterTypes) {
      const std::string label = std::string(kind) + " " + filter.type + " " + filter.placeholder;
      Report control = RunReport(db, kind, filter, filter.benign);
      EXPECT_EQ(control.result, Variant::Integer(0)) << label << ": " << control.message;
      EXPECT_EQ(control.ids, std::set<int32_t>{2}) << label;
      for (const std::string& value : HostileValues()) {
        const std::string where = label + " <" + Left(value, 40) + ">";
        Report report = RunReport(db, kind, filter, value);
        ++runs;
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
  std::cout << "Hostile values: " << HostileValues().size() << " values, " << runs << " report runs" << std::endl;
}

}  // namespace
}  // namespace tpl
