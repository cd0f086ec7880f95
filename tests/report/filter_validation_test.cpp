#include "report/filter_validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/runtime_error.h"

namespace tpl {
namespace {

struct Filter {
  const char* placeholder;
  const char* type;
  Variant mandatory;
  Variant value;
  const char* expected;  // column 6 when accepted, the message when refused
};

// The arguments of one call; the rows are captioned F0, F1, ...
struct Call {
  Variant conn{"Data Source=/nonexistent/tpl.db"}, user{Variant::Long(5)}, msg, kind{"SQLSERVER"};
  Variant query{"SELECT A FROM T WHERE X = {X}"}, matrix, lines, columns{Variant::Integer(7)};
  explicit Call(const std::vector<Filter>& filters) {
    auto count = static_cast<int16_t>(filters.size());
    Array m = Array::Matrix(count, 7);
    for (int32_t r = 0; r < count; ++r) {
      m.at(r, 1) = Variant("F" + std::to_string(r));
      m.at(r, 2) = Variant(filters[r].placeholder);
      m.at(r, 3) = Variant(filters[r].type);
      m.at(r, 4) = filters[r].mandatory;
      m.at(r, 6) = filters[r].value;
    }
    matrix = Variant(std::move(m));
    lines = Variant::Integer(count);
  }
  bool Run() { return mConsiste_Filtros(conn, user, msg, kind, query, matrix, lines, columns); }
  std::string Value(int32_t row) const { return CStr(matrix.AsArray().at(row, 6)); }
};

const Variant kOne(Variant::Long(1));

TEST(FilterValidation, AcceptedValuesAreWrittenBack) {
  std::vector<Filter> rows = {
      {"{D}", "D", kOne, "13/10/2001", "2001/10/13"},
      {"{D}", " d ", "1", "13/10/2001", "2001/10/13"},
      {"{D}", "D", 0, "", ""},            {"{N}", "N", kOne, "15", "15"},
      {"{U}", "U", "1", "-7", "-7"},      {"{N}", "N", "S", "", ""},
      {"{C}", "C", kOne, "a<b>c", "abc"}, {"{C}", "C", 0, Variant(), ""},
      {"{V}", "V", kOne, "10,50", "10,50"}, {"{Z}", "Z", kOne, "x;y", "xy"},
      {"{@L@}", "N", kOne, "1,2", "1,2"}, {"{@ç@}", "N", kOne, "1, 2", "1, 2"},
      {"{@L@}", "U", kOne, " 7 ", " 7 "}, {"{@L@}", "V", kOne, "1,5", "1,5"},
      {"{@L@}", "D", kOne, "01/02/2020,05/02/2020", "01/02/2020,05/02/2020"},
      {"{@L@}", "D", kOne, "01/02/2020", "01/02/2020"}, {"{@L@}", "C", kOne, "a,(b)", "a,b"},
      {"{@L@}", "Z", kOne, "", ""},       {" {@L@} ", "N", kOne, "1,2", "1,2"},
  };
  for (const Filter& row : rows) {
    Call call({row});
    EXPECT_TRUE(call.Run()) << row.placeholder << row.type << CStr(row.value) << CStr(call.msg);
    EXPECT_EQ(call.Value(0), row.expected) << row.placeholder << row.type << CStr(row.value);
  }
}

TEST(FilterValidation, RefusedValuesGiveTheirMessage) {
  const char* comma = "Valor inválido para o Filtro F0. Esse tipo de filtro não pode iniciar nem "
                      "terminar com vírgula.";
  const char* invalid = "O campo F0 é inválido.";
  const char* decimals = "O campo F0 não permite a digitação de números com casas decimais(,)";
  std::vector<Filter> rows = {
      {"{D}", "D", kOne, "", "Preencha F0"}, {"{N}", "N", "1", "", "Preencha F0"},
      {"{C}", "C", kOne, "<>", "Preencha F0"},
      {"{U}", "U", kOne, "abc", "Preencha F0 com valor numérico"},
      {"{D}", "D", kOne, "31/12/1899", "F0 deve ser igual ou maior que 01/01/1900"},
      {"{N}", "N", kOne, "1,5", decimals}, {"{@X}", "N", kOne, "1,2", decimals},
      {"{V}", "V", kOne, "1.5", "O campo F0 não permite a digitação de números com uso de "
                                "separador de milhar(.)"},
      {"{@L@}", "N", kOne, ",1,2", comma}, {"{@L@}", "N", kOne, "1,2,", comma},
      {"{@}", "N", kOne, " ,1 ", comma},   {"{@L@}", "N", kOne, "1,x", invalid},
      {"{@L@}", "N", kOne, "1,,2", invalid}, {"{@L@}", "C", kOne, "a,<>", invalid},
      {"{@L@}", "D", kOne, "01/02/2020,31/02/2020", invalid},
      {"{@L@}", "d", kOne, "31/12/1899", invalid},
      {"{@L@}", "D", 0, "", invalid}, {"{@L@}", "N", 0, "", invalid},
      {"{@L@}", "U", 0, "", invalid}, {"{@L@}", "C", 0, "", invalid},
      {"{@L@}", "V", 0, "", invalid},
  };
  for (const Filter& row : rows) {
    Call call({row});
    EXPECT_FALSE(call.Run()) << row.placeholder << row.type << CStr(row.value);
    EXPECT_EQ(CStr(call.msg), row.expected) << row.placeholder << row.type << CStr(row.value);
  }
  Call date({{"{D}", "D", kOne, "31/12/1899", ""}});
  date.Run();
  EXPECT_EQ(date.Value(0), "1899/12/31");  // rearranged before the lower bound refused it
  Call twice({{"{@L@}", "N", kOne, "( )", ""}});  // a second filter pass empties the blank
  EXPECT_FALSE(twice.Run());
  EXPECT_EQ(twice.Value(0), "");
}

TEST(FilterValidation, QueryChecks) {
  const std::string empty = "Esse relatório não possui uma query definida.";
  const std::string forbidden = "Comando não permitido por essa função.";
  std::vector<std::pair<Variant, std::string>> rows = {
      {"SELECT A FROM T WHERE DT >= {DATA_INI}", ""}, {"SELECT A FROM T; DELETE", ""},
      {"SELECT A FROM T WHERE X = 'delete'", ""}, {"DELETE\tFROM T", ""},
      {"", empty}, {"   ", empty}, {Variant(), empty},
      {"SELECT A FROM T; delete from T", forbidden}, {"select a from t offset 10 rows", forbidden}};
  for (const char* word :
       {"update ", "INSERT ", "Truncate ", "CREATE ", "ALTER ", "DROP ", "BEGIN ", "TRIGGER "})
    rows.push_back({std::string("SELECT 1; ") + word + "x", forbidden});
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
    Call call({{"{A}", "Z", 1, "a;", ""}, {"{B}", "Z", 1, "b;", ""}, {"{C}", "Z", 1, "c;", ""}});
    call.lines = count;
    EXPECT_TRUE(call.Run()) << CStr(count);
    EXPECT_EQ(call.Value(1) + call.Value(2), "bc;") << CStr(count);
  }
  Call call({{"{A}", "N", 1, "x", ""}, {"{B}", "Z", 1, "b;", ""}});
  call.query = Variant("");
  EXPECT_FALSE(call.Run());
  EXPECT_EQ(CStr(call.msg), "Preencha F0 com valor numérico");  // not the empty query
  EXPECT_EQ(call.Value(1), "b;");
  for (Variant count : {Variant::Integer(0), Variant(), Variant(""), Variant::Null()}) {
    Call none({});
    none.lines = count;
    none.matrix = Variant();  // not touched without rows
    EXPECT_TRUE(none.Run()) << CStr(count);
  }
}

TEST(FilterValidation, RunTimeFailuresGoThroughTheTrap) {
  testing::TempDatabase db;
  const std::string sentence =
      "Acesso a consistência dos dados não disponível. Favor tentar mais tarde.";
  const std::string overflow = sentence + " KMBTPL01.mConsiste_Filtros( " +
                               StandardDescription(error::kOverflow) + " : 6)   No Nº ";
  // With a count of 1 the failure is the matrix that is not an array.
  for (int32_t count : {32768, 40000, 1}) {
    Call call({});
    call.conn = Variant(db.connection_string());
    call.user = kOne;
    call.lines = Variant::Long(count);
    call.matrix = Variant("not a matrix");
    EXPECT_FALSE(call.Run()) << count;
    EXPECT_EQ(CStr(call.msg).rfind(count > 1 ? overflow : sentence, 0), 0u) << CStr(call.msg);
    call.user = Variant::Long(5);
    EXPECT_FALSE(call.Run()) << count;
    EXPECT_EQ(CStr(call.msg), sentence) << count;
  }
  EXPECT_EQ(CLng(db.Scalar("SELECT COUNT(*) FROM LOG_MSG WHERE TAB_TIPO_MSG_ID = 1")), 6);
}

}  // namespace
}  // namespace tpl
