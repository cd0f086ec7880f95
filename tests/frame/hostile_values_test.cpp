// One table of hostile values, run through every filter type of both Database kinds and through every other value the
// system writes into SQL. A value may be refused or quoted; it may never change a statement: the canary table survives,
// and a report brings back no row its filter does not allow.
#include <set>

#include "conventions/value_helpers.h"
#include "support/suite.h"
#include "templates/template_host.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::TempDatabase;

const std::vector<std::string>& HostileValues() {
  static const std::vector<std::string> values = {
      "'", "' OR '1'='1", "2 OR 1=1", "2' OR 1=1 --", "x'; DELETE FROM CANARY; --", "2; DELETE FROM CANARY",
      "2) OR (1=1", "0 UNION SELECT ID FROM CANARY", "' UNION SELECT ID FROM CANARY --", "2 /* */ -- ",
      "bia\xE2\x80\x99 OR \xE2\x80\x98" "1\xE2\x80\x99=\xE2\x80\x98" "1",  // ’ and ‘
      "\xCA\xBC; DELETE FROM CANARY; --",                                    // ʼ
      std::string("bia\0' OR 1=1 --", 15), "{Q}", "x{Q}y", "## OR 1=1 OR ##", "%' OR ''='", "bia,2,99",
      "\\' OR 1=1 --", std::string(1 << 20, 'a'), testing::Repeat("' OR 1=1; DELETE FROM CANARY; -- ", 1 << 15),
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
// inside another value were substituted again.
struct FilterType { const char *type, *placeholder, *condition, *benign; };  // benign: lets row 2 through
const FilterType kFilterTypes[] = {
    {"D", "{P}", "EMISSAO >= {P}", "01/10/2001"}, {"N", "{P}", "ID = {P}", "2"}, {"U", "{P}", "ID = {P}", "2"},
    {"C", "{P}", "CLIENTE = {P}", "BIA"}, {"V", "{P}", "VALOR = {P}", "21"}, {"X", "{P}", "ID = {P}", "2"},
    {"D", "{@P@}", "CLIENTE NOT IN ({@P@})", "01/10/2001,02/10/2001"}, {"N", "{@P@}", "ID IN ({@P@})", "2,3"},
    {"U", "{@P@}", "ID IN ({@P@})", "2"}, {"C", "{@P@}", "CLIENTE IN ({@P@})", "ANA,BIA"},
    {"V", "{@P@}", "ID IN ({@P@})", "2,5"}, {"X", "{@P@}", "ID IN ({@P@})", "2,ID"},
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
  int runs = 0;
  for (const char* kind : {"SQLSERVER", "ORACLE"}) {
    for (const FilterType& filter : kFilterTypes) {
      const std::string label = std::string(kind) + " " + filter.type + " " + filter.placeholder;
      Report control = RunFilter(db, kind, filter, filter.benign);
      EXPECT_EQ(control.result, Variant::Integer(0)) << label << ": " << control.message;
      EXPECT_EQ(control.ids, std::set<int32_t>{2}) << label;
      for (const std::string& value : HostileValues()) {
        const std::string where = label + " <" + Left(value, 40) + ">";
        Report report = RunFilter(db, kind, filter, value);
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

// The other values the system writes into SQL, each hostile value in turn.
class HostileValuesElsewhere : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { Seed(db_); }
  // Oracle texts are written in capitals.
  std::string Stored(const std::string& value) const {
    return std::string(GetParam()) == "ORACLE" ? UCase(value) : value;
  }
  TempDatabase db_{testing::MemoryBackedFolder()};
};

// The user and template identifiers of the generation log, and the title and prepared query of an e-mail request, which
// must be stored exactly.
TEST_P(HostileValuesElsewhere, GenerationLogAndEmailRequest) {
  for (const std::string& value : HostileValues()) {
    for (bool identifiers : {true, false}) {
      db_.Execute("DELETE FROM REL_DIN_EMAIL");
      const std::string query = "SELECT ID FROM VENDA WHERE CLIENTE <> {P}";
      const Variant filters = testing::FilterMatrix({{Variant::Long(100), "Filtro", "{P}", "C", 0, "", value}});
      const Variant text(value), user = identifiers ? text : Variant::Long(5),
                    template_id = identifiers ? text : Variant::Long(1), email = identifiers ? "N" : "S";
      const Report report = RunReport(db_, GetParam(), query, filters, text, user, template_id, email);
      const std::string where = (identifiers ? "identifiers <" : "e-mail <") + Left(value, 40) + ">";
      ExpectIntact(db_, where);
      EXPECT_TRUE(report.result == Variant::Integer(0) || report.result == Variant::Integer(10)) << where;
      if (identifiers) continue;
      EXPECT_LE(db_.Count("REL_DIN_EMAIL"), 1) << where;
      if (db_.Count("REL_DIN_EMAIL") == 1) {
        EXPECT_EQ(db_.Scalar("SELECT TITULO FROM REL_DIN_EMAIL"), Variant(value)) << where;
        EXPECT_EQ(db_.Scalar("SELECT TXT_QUERY FROM REL_DIN_EMAIL"), Variant(report.query)) << where;
      }
    }
  }
}

// Every text of a job request: refused, filtered by the e-mail checks, or stored exactly.
TEST_P(HostileValuesElsewhere, JobTexts) {
  int stored = 0;
  for (const std::string& value : HostileValues()) {
    db_.Execute("DELETE FROM LOG_GERADOR");
    Variant kind(GetParam()), connection(db_.connection_string()), user(Variant::Long(5)), message,
        function(Variant::Long(80712)), title(value), flag("S"), job_id, parameters(testing::Vector({value})),
        count(Variant::Integer(1)), text(value), recipient(value), start(""), sender(value), attachment(value);
    bool registered = TPL().gInclui_JOB(kind, connection, user, message, function, title, flag, job_id, parameters,
                                        count, text, recipient, start, sender, attachment);
    const std::string where = "<" + Left(value, 40) + ">";
    ExpectIntact(db_, where);
    EXPECT_LE(db_.Count("LOG_GERADOR"), 1) << where;
    if (!registered) continue;
    ++stored;
    EXPECT_EQ(db_.Rows("SELECT Email_Remetente, Endereco_anexo, TXT_QUERY FROM LOG_GERADOR"),
              Stored(value + "|" + value + "|" + CStr(job_id) + "__JOB____" + value)) << where;
  }
  EXPECT_GT(stored, 5) << "the table should reach the job row";
}

// The fields of a template travel as procedure parameters.
TEST_P(HostileValuesElsewhere, TemplateFields) {
  testing::AddUserGroups(db_);
  int saved_count = 0;
  for (const std::string& value : HostileValues()) {
    testing::TemplateToSave saved(GetParam(), db_.connection_string());
    saved.name = saved.title = saved.subtitle = saved.code = Variant(value);
    saved.SetFilters({{Variant::Long(0), value, "{NUM}", "N", "S", "", ""},
                      {Variant::Long(0), "Nome", "{NOME}", "C", Variant::Long(1), "", ""}});
    const int32_t before = db_.Count("TEMPLATE_DINAMICO");
    Variant result = saved.Save();
    saved_count += result == Variant::Integer(0);
    const std::string where = "<" + Left(value, 40) + ">";
    ExpectIntact(db_, where);
    EXPECT_EQ(db_.Count("TEMPLATE_DINAMICO"), before + (result == Variant::Integer(0) ? 1 : 0)) << where;
  }
  EXPECT_GT(saved_count, 5) << "the table should reach the template tables";
}

INSTANTIATE_TEST_SUITE_P(BothKinds, HostileValuesElsewhere, ::testing::Values("SQLSERVER", "ORACLE"));

}  // namespace
}  // namespace tpl
