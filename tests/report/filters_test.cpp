// The two filter steps of a report run: validation of the user's values and their substitution into the query.
#include "report/filters.h"
#include "report/query_preparation.h"
#include "support/suite.h"

namespace tpl {
namespace {

// `expected` is column 6 when the value is accepted, the message when it is refused.
struct Filter { const char *placeholder, *type; Variant mandatory, value; std::string expected = ""; };

// The arguments of one call of either step; the rows are captioned F0, F1, ...
struct Call {
  Variant conn{"Data Source=/nonexistent/tpl.db"}, user{Variant::Long(5)}, msg, kind, query, matrix,
      lines, columns{Variant::Integer(7)};
  explicit Call(const std::vector<Filter>& filters, const char* database_kind = "SQLSERVER",
                const std::string& text = "SELECT A FROM T WHERE X = {X}")
      : kind(database_kind), query(text), lines(static_cast<int16_t>(filters.size())) {
    std::vector<std::vector<Variant>> m;
    for (const Filter& f : filters)
      m.push_back({{}, "F" + std::to_string(m.size()), f.placeholder, f.type, f.mandatory, {}, f.value});
    matrix = testing::FilterMatrix(m);
  }
  bool Run() { return mConsiste_Filtros(CallContext(conn, user, kind, msg), query, matrix, lines, columns); }
  bool Prepare() { return mPrepara_Query(CallContext(conn, user, kind, msg), query, matrix, lines, columns); }
  std::string Value(int32_t row) const { return CStr(matrix.AsArray().at(row, 6)); }
};

const Variant kOne(Variant::Long(1));

TEST(FilterValidation, EachValueIsWrittenBackOrRefusedWithItsMessage) {
  const std::vector<Filter> accepted = {  // expected: the value written back
      {"{D}", " d ", "1", "13/10/2001", "2001/10/13"}, {"{D}", "D", 0, "", ""},
      {"{U}", "U", "1", "-7", "-7"}, {"{N}", "N", "S", "", ""}, {"{C}", "C", kOne, "a<b>c", "abc"},
      {"{V}", "V", kOne, "10,50", "10,50"}, {"{Z}", "Z", kOne, "x;y", "xy"},
      {"{@ç@}", "N", kOne, "1, 2", "1, 2"}, {"{@L@}", "V", kOne, "1,5", "1,5"},
      {"{@L@}", "D", kOne, "01/02/2020,05/02/2020", "01/02/2020,05/02/2020"},
      {"{@L@}", "C", kOne, "a,(b)", "a,b"}, {"{@L@}", "Z", kOne, "", ""}, {" {@L@} ", "N", kOne, "1,2", "1,2"},
      // A value of no known type is one number or one plain identifier.
      {"{Z}", "Z", kOne, " DESC ", " DESC "}, {"{Z}", "Z", kOne, "dbo.VENDA", "dbo.VENDA"},
      {"{Z}", "Z", kOne, "-12.5", "-12.5"}, {"{@L@}", "Z", kOne, "a,b.c,3", "a,b.c,3"},
  };
  const std::string comma = "Valor inválido para o Filtro F0. Esse tipo de filtro não pode iniciar nem "
                            "terminar com vírgula.";
  const std::string no = "O campo F0 não permite a digitação de números com ";
  const std::string invalid = "O campo F0 é inválido.";
  const std::string decimals = no + "casas decimais(,)";
  const std::vector<Filter> refused = {  // expected: the message
      {"{D}", "D", kOne, "", "Preencha F0"}, {"{C}", "C", kOne, "<>", "Preencha F0"},
      {"{U}", "U", kOne, "abc", "Preencha F0 com valor numérico"},
      {"{D}", "D", kOne, "31/12/1899", "F0 deve ser igual ou maior que 01/01/1900"},
      {"{N}", "N", kOne, "1,5", decimals}, {"{@X}", "N", kOne, "1,2", decimals},
      {"{V}", "V", kOne, "1.5", no + "uso de separador de milhar(.)"}, {"{@L@}", "N", kOne, ",1,2", comma},
      {"{@}", "N", kOne, " ,1 ", comma}, {"{@L@}", "N", kOne, "1,x", invalid}, {"{@L@}", "N", kOne, "1,,2", invalid},
      {"{@L@}", "C", kOne, "a,<>", invalid}, {"{@L@}", "D", kOne, "01/02/2020,31/02/2020", invalid},
      {"{@L@}", "d", kOne, "31/12/1899", invalid}, {"{@L@}", "N", 0, "", invalid},
      {"{Z}", "Z", kOne, "2 OR 1=1", invalid}, {"{Z}", "X", 0, "1,5", invalid}, {"{@L@}", "Z", kOne, "a,b c", invalid},
  };
  for (bool ok : {true, false}) {
    for (const Filter& row : ok ? accepted : refused) {
      Call call({row});
      const std::string label = row.placeholder + std::string(row.type) + CStr(row.value);
      EXPECT_EQ(call.Run(), ok) << label << " " << CStr(call.msg);
      EXPECT_EQ(ok ? call.Value(0) : CStr(call.msg), row.expected) << label;
    }
  }
  Call date({{"{D}", "D", kOne, "31/12/1899"}}), twice({{"{@L@}", "N", kOne, "( )"}});
  EXPECT_FALSE(date.Run());
  EXPECT_FALSE(twice.Run());
  EXPECT_EQ(date.Value(0), "1899/12/31");  // rearranged before the lower bound refused it
  EXPECT_EQ(twice.Value(0), "");           // a second filter pass empties the blank
}

TEST(FilterValidation, QueryChecks) {
  const std::string empty = "Esse relatório não possui uma query definida.";
  const std::string forbidden = "Comando não permitido por essa função.";
  std::vector<std::pair<Variant, std::string>> rows = {
      {"SELECT A FROM T WHERE DT >= {DATA_INI}", ""}, {"SELECT A FROM T; DELETE", ""},
      {"SELECT A FROM T WHERE X = 'delete'", ""}, {"DELETE\tFROM T", ""}, {"   ", empty}, {Variant(), empty},
      {"SELECT A FROM T; delete from T", forbidden}, {"select a from t offset 10 rows", forbidden}};
  for (std::string word : {"update", "INSERT", "Truncate", "CREATE", "ALTER", "DROP", "BEGIN", "TRIGGER"})
    rows.push_back({"SELECT 1; " + word + " x", forbidden});
  for (const auto& [query, message] : rows) {
    Call call({});
    call.query = query;
    call.msg = Variant("untouched");
    EXPECT_EQ(call.Run(), message.empty()) << CStr(query);
    EXPECT_EQ(CStr(call.msg), message.empty() ? "untouched" : message) << CStr(query);
  }
}

TEST(FilterValidation, RowsUpToTheLineCountUntilTheFirstFailure) {
  for (Variant count : {Variant::Integer(2), Variant("2"), Variant(2.0)}) {
    Call call({{"{A}", "Z", 1, "a;"}, {"{B}", "Z", 1, "b;"}, {"{C}", "Z", 1, "c;"}});
    call.lines = count;
    EXPECT_TRUE(call.Run()) << CStr(count);
    EXPECT_EQ(call.Value(1) + call.Value(2), "bc;") << CStr(count);
  }
  Call call({{"{A}", "N", 1, "x"}, {"{B}", "Z", 1, "b;"}});
  call.query = Variant("");
  EXPECT_FALSE(call.Run());
  EXPECT_EQ(CStr(call.msg), "Preencha F0 com valor numérico");  // not the empty query
  EXPECT_EQ(call.Value(1), "b;");
  // Without rows neither step touches the matrix or the query.
  for (Variant count : {Variant::Integer(0), Variant(), Variant(""), Variant::Null()}) {
    Call none({}, "ORACLE");
    none.lines = count;
    none.matrix = Variant();
    EXPECT_TRUE(none.Run()) << CStr(count);
    EXPECT_TRUE(none.Prepare()) << CStr(count);
    EXPECT_EQ(CStr(none.query), "SELECT A FROM T WHERE X = {X}") << CStr(count);
  }
}

// At each place the earliest row whose placeholder starts there wins, whatever the lengths; placeholders match
// exactly as stored and a value put in is never searched again. (That many rows over a long query stay a single pass
// is replayed from the fuzz corpus, long_query_times_many_rows.)
TEST(QueryPreparation, SubstitutionTakesTheEarliestRowAtEachPlace) {
  const std::vector<Substitution> rows = {{"{AB}", "1"}, {"{A", "2"}, {"", "x"}, {"{AB}", "3"}, {"B}", "{A"}};
  const std::pair<const char*, const char*> cases[] = {
      {"{AB} {A} B} {ABC", "1 2} {A 2BC"}, {"", ""}, {"{", "{"}, {"{AB}{AB}", "11"}, {"B}{A", "{A2"},
      {"{ab}", "{ab}"}};
  for (const auto& [query, expected] : cases) EXPECT_EQ(SubstitutePlaceholders(query, rows), expected) << query;
}

TEST(QueryPreparation, SqlTextOfEachValue) {
  const std::string date = "  to_date('2001/10/13 00:00:00', 'yyyy/mm/dd hh24:mi:ss')";
  // Without an `other` text the value comes out the same for every kind, as lists do.
  struct Row { const char *placeholder, *type, *value; std::string oracle, other; };
  const std::vector<Row> rows = {
      {"{D}", "D", " 2001/10/13 ", date, "'2001/10/13'"}, {"{D}", "D", "", " null", "''"},
      {"{N}", "N", "0", " null", "null"}, {"{U}", "U", "", " null", "null"},
      {"{C}", " c ", "abc", "  'ABC'", "'abc'"}, {"{C}", "C", "", " NULL", "null"},
      // A number as typed keeps every digit; only its separator becomes a point.
      {"{N}", "N", "-12345678901234567890", "  -12345678901234567890", "-12345678901234567890"},
      {"{V}", "V", "0,00001", "  0.00001", "0.00001"}, {"{N}", "N", "0,00001", " null", "null"},
      {"{U}", "U", " +7 ", "   +7 ", " +7 "},
      // Anything else is written by us from its number, never as the caller's text.
      {"{N}", "N", "1e3", "  1000", "1000"}, {"{Z}", "Z", "a,;b", "a,;b", "a,;b"},
      {"{@L@}", "D", "01/02/2020,05/02/2020", "'01/02/2020','05/02/2020'", ""},
      {"{@L@}", "C", "a;b, (c)", "'ab',' c'", ""}, {"{@L@}", "C", "", "''", ""}, {"{@L@}", "U", "1,(2)", "1,2", ""},
      {"{@L@}", "N", " 1, 2 ,-3", " 1, 2 ,-3", ""}, {"{@L@}", "N", "1 OR 1=1,2", "1,2", ""},
      {"{@L@}", "N", "", "", ""},
  };
  // Database kinds, and whether they select Oracle's literals.
  const std::vector<std::pair<const char*, bool>> kinds = {
      {"ORACLE", true}, {" oracle ", true}, {"SQLSERVER", false}, {"", false}, {"ORACLE8", false}};
  for (const Row& row : rows) {
    for (auto [kind, oracle] : kinds) {
      const std::string& expected = oracle || row.other.empty() ? row.oracle : row.other;
      const std::string label = std::string(row.type) + row.value + kind;
      Call call({{row.placeholder, row.type, {}, row.value}}, kind, std::string("X = ") + row.placeholder);
      EXPECT_TRUE(call.Prepare()) << label;
      EXPECT_EQ(call.Value(0), expected) << label;
      EXPECT_EQ(CStr(call.query), "X = " + expected) << label;
    }
  }
}

// Both steps trap run-time failures: every user gets the sentence, user 1 also the detail, and each failure leaves one
// log row.
TEST(FilterSteps, RunTimeFailuresGoThroughTheTrap) {
  testing::TempDatabase db;
  const std::string checking = "Acesso a consistência dos dados não disponível. Favor tentar mais tarde.";
  // A line count beyond an Integer overflows.
  Call call({});
  call.conn = Variant(db.connection_string());
  call.user = kOne;
  call.lines = Variant::Long(32768);
  EXPECT_FALSE(call.Run());
  const std::string detail = " KMBTPL01.mConsiste_Filtros( " + StandardDescription(error::kOverflow) + " : 6)   No Nº ";
  EXPECT_EQ(CStr(call.msg).rfind(checking + detail, 0), 0u) << CStr(call.msg);
  // A date that cannot be read stops Oracle's date literal.
  Call prepare({{"{D}", "D", {}, "abc"}}, "ORACLE", "{D}");
  prepare.conn = Variant(db.connection_string());
  EXPECT_FALSE(prepare.Prepare());
  EXPECT_EQ(db.Count("LOG_MSG WHERE TAB_TIPO_MSG_ID = 1"), 2);
}

}  // namespace
}  // namespace tpl
