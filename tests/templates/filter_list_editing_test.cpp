#include "support/suite.h"

namespace tpl {
namespace {

using testing::ShowRows;

// The host's variables around gGrava_Filtro calls; `in` holds the call's own values: caption, placeholder, type,
// obligatory, largest interval, position, action.
struct Host {
  Variant connection{"Data Source=/nonexistent/tpl.db"}, user{Variant::Long(5)}, message,
      kind{"SQLSERVER"}, template_id{Variant::Long(3)}, lines, columns, matrix, column_id;
  std::vector<Variant> in;

  // With three filters shaped as read from the database: identifiers 11, 12, 13.
  explicit Host(bool three_filters = true) {
    if (!three_filters) return;
    lines = Variant::Integer(3);
    columns = Variant::Integer(7);
    const Variant one = Variant::Long(1);
    matrix = testing::FilterMatrix({{Variant::Long(11), "Data inicial", "{DATA_INI}", "D", one, "", ""},
                                    {Variant::Long(12), "Cliente", "{@CLIENTES@}", "C", one, "", ""},
                                    {Variant::Long(13), "Valor mínimo", "{VALOR}", "V", one, "", ""}});
  }
  Variant Apply(std::vector<Variant> values) {
    in = std::move(values);
    return TPL().gGrava_Filtro(connection, user, message, kind, template_id, lines, columns, matrix,
                               column_id, in[0], in[1], in[2], in[3], in[4], in[5], in[6]);
  }
  // The line count, then every row.
  std::string Rows() const { return testing::Show(lines) + ":" + ShowRows(matrix.AsArray()); }
};

// The spare last row, and the first two of the three filters, as ShowRows gives them.
const std::string kEmptyRow = "<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>";
const std::string kOldRows = "11|Data inicial|{DATA_INI}|D|1|||<empty>;12|Cliente|{@CLIENTES@}|C|1|||<empty>;";

TEST(FilterListEditing, FirstFilterStartsTheList) {
  for (Variant empty_count : {Variant(), Variant::Integer(0), Variant("")}) {
    Host host(false);
    host.lines = empty_count;
    ASSERT_EQ(host.Apply({"Data", " {DATA_INI} ", "D", "", "30", {}, "AD"}), Variant::Integer(0)) << CStr(host.message);
    EXPECT_EQ(host.columns, Variant::Integer(7));
    EXPECT_EQ(host.Rows(), "1:0|Data| {DATA_INI} |D|N|30||<empty>;" + kEmptyRow);
  }
}

// Lower case is no action code: "ed" adds, whatever the position.
TEST(FilterListEditing, AddKeepsTheOldRowsAndADateMayCarryAnInterval) {
  Host host;
  ASSERT_EQ(host.Apply({"Data final", "{DATA_FIM}", " D ", "S", "30", Variant::Long(0), "ed"}), Variant::Integer(0))
      << CStr(host.message);
  EXPECT_EQ(host.Rows(), "4:" + kOldRows + "13|Valor mínimo|{VALOR}|V|1|||<empty>;"
                         "0|Data final|{DATA_FIM}| D |S|30||<empty>;" + kEmptyRow);
  EXPECT_EQ(host.matrix.AsArray().at(3, 0), Variant::Integer(0));
}

TEST(FilterListEditing, EditWritesColumnsOneToFiveOnlyAndDeleteShiftsRowsUp) {
  Host host;
  // Its own caption is no duplicate: its own row is skipped.
  ASSERT_EQ(host.Apply({"Valor mínimo", "{VALOR_MIN}", "V", "N", "", "2", " ED "}), Variant::Integer(0))
      << CStr(host.message);
  EXPECT_EQ(host.Rows(), "3:" + kOldRows + "13|Valor mínimo|{VALOR_MIN}|V|N|||<empty>;" + kEmptyRow);
  // A deletion needs no values.
  ASSERT_EQ(host.Apply({"", "", "", "", "", Variant::Long(1), "EX"}), Variant::Integer(0));
  EXPECT_EQ(host.Rows(), "2:11|Data inicial|{DATA_INI}|D|1|||<empty>;13|Valor mínimo|{VALOR_MIN}|V|N|||"
                         "<empty>;" + kEmptyRow);
  ASSERT_EQ(host.Apply({"", "", "", "", "", Variant::Long(0), "EX"}), Variant::Integer(0));
  EXPECT_EQ(host.Rows(), "1:13|Valor mínimo|{VALOR_MIN}|V|N|||<empty>;" + kEmptyRow);
}

TEST(FilterListEditing, RefusalsLeaveTheListAsItWas) {
  struct Row { std::vector<Variant> in; std::string message; };
  const std::string exists = "Já existe um filtro com ";
  const std::vector<Row> rows = {
      {{"", "{X}", "N", "S", "", {}, ""}, "Preencha Exibir"}, {{"Novo", "  ", "N", "S", "", {}, ""}, "Preencha Valor"},
      {{"Novo", "DATA_INI", "N", "S", "", {}, ""}, "O Valor do campo deve estar entre chaves. Ex: {DATA_INI}"},
      {{"Novo", "{X}", " ", "S", "", {}, ""}, "Informe o tipo do campo."}, {{"Novo", "{X}", "N", "S", "30", {}, ""},
       "O intervalo deve ser informado somente quando o tipo informado for uma data."},
      {{" cliente ", "{X}", "N", "S", "", {}, ""}, exists + "a descrição  cliente ."},
      {{"Novo", "{valor}", "N", "S", "", {}, ""}, exists + "valor {valor}."},
      {{"Cliente", "{X}", "N", "S", "", Variant::Long(0), "ED"}, exists + "a descrição Cliente."},
  };
  for (const Row& row : rows) {
    Host host;
    const std::string before = host.Rows();
    EXPECT_EQ(host.Apply(row.in), Variant::Integer(10)) << row.message;
    EXPECT_EQ(host.message, Variant(row.message));
    EXPECT_EQ(host.Rows(), before) << row.message;
  }
  // The forbidden characters are filtered out even when the values are refused.
  Host host(false);
  EXPECT_EQ(host.Apply({"Data; (inicial)", "DATA<INI>", "D", "", "", {}, ""}), Variant::Integer(10));
  // The checks stopped before the flag.
  EXPECT_EQ(CStr(host.in[0]) + "|" + CStr(host.in[1]) + "|" + CStr(host.in[3]), "Data inicial|DATAINI|");
}

TEST(FilterListEditing, PositionOutsideTheListIsARunTimeFailure) {
  for (Variant position : {Variant::Long(3), Variant::Long(-1), Variant("x")}) {
    for (const char* action : {"ED", "EX"}) {
      Host host;
      const Variant before = host.matrix;
      EXPECT_EQ(host.Apply({"Novo", "{NOVO}", "N", "S", "", position, action}), Variant::Integer(10)) << action;
      EXPECT_EQ(host.message, Variant("Acesso a chamada de rotina de Gravação não disponível. "
                                      "Favor tentar mais tarde.")) << action;
      EXPECT_EQ(host.matrix, before) << action;
    }
  }
}

}  // namespace
}  // namespace tpl
