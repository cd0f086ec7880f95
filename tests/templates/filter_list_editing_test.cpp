#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tpl/conversions.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

// The host's variables around one gGrava_Filtro call.
struct Host {
  Variant connection{"Data Source=/nonexistent/tpl.db"};
  Variant user{Variant::Long(5)};
  Variant message;
  Variant kind{"SQLSERVER"};
  Variant template_id{Variant::Long(3)};
  Variant lines;
  Variant columns;
  Variant matrix;
  Variant column_id;

  Variant Apply(const char* caption, const char* placeholder, const char* type,
                const char* mandatory, const char* days, Variant position, const char* action) {
    caption_ = Variant(caption);
    placeholder_ = Variant(placeholder);
    type_ = Variant(type);
    mandatory_ = Variant(mandatory);
    days_ = Variant(days);
    position_ = std::move(position);
    action_ = Variant(action);
    TPL tpl;
    return tpl.gGrava_Filtro(connection, user, message, kind, template_id, lines, columns, matrix,
                             column_id, caption_, placeholder_, type_, mandatory_, days_,
                             position_, action_);
  }
  Variant Add(const char* caption, const char* placeholder, const char* type = "N") {
    return Apply(caption, placeholder, type, "S", "", Variant(), "");
  }
  const Variant& Cell(int32_t row, int32_t column) const {
    return matrix.AsArray().at(row, column);
  }

  Variant caption_, placeholder_, type_, mandatory_, days_, position_, action_;
};

// Three filters shaped as read from the database: identifiers 11, 12, 13.
Host HostWithThreeFilters() {
  Host host;
  host.lines = Variant::Integer(3);
  host.columns = Variant::Integer(7);
  Array matrix = Array::Matrix(3, 7);
  const char* captions[] = {"Data inicial", "Cliente", "Valor mínimo"};
  const char* placeholders[] = {"{DATA_INI}", "{@CLIENTES@}", "{VALOR}"};
  const char* types[] = {"D", "C", "V"};
  for (int32_t row = 0; row < 3; ++row) {
    matrix.at(row, 0) = Variant::Long(11 + row);
    matrix.at(row, 1) = Variant(captions[row]);
    matrix.at(row, 2) = Variant(placeholders[row]);
    matrix.at(row, 3) = Variant(types[row]);
    matrix.at(row, 4) = Variant::Long(1);
    matrix.at(row, 5) = Variant("");
    matrix.at(row, 6) = Variant("");
  }
  host.matrix = Variant(std::move(matrix));
  return host;
}

TEST(FilterListEditing, FirstFilterStartsTheList) {
  for (Variant empty_count : {Variant(), Variant::Integer(0), Variant("")}) {
    Host host;
    host.lines = empty_count;
    ASSERT_EQ(host.Apply("Data", " {DATA_INI} ", "D", "", "30", Variant(), "AD"),
              Variant::Integer(0))
        << CStr(host.message);
    EXPECT_EQ(host.lines, Variant::Integer(1));
    EXPECT_EQ(host.columns, Variant::Integer(7));
    const Array& m = host.matrix.AsArray();
    EXPECT_EQ(m.UBound(1), 1);
    EXPECT_EQ(m.UBound(2), 7);
    std::vector<Variant> row0 = {Variant::Integer(0), Variant("Data"), Variant(" {DATA_INI} "),
                                 Variant("D"), Variant("N"), Variant("30"), Variant("")};
    for (int32_t c = 0; c < 7; ++c) EXPECT_EQ(m.at(0, c), row0[c]) << "column " << c;
    EXPECT_TRUE(m.at(0, 7).IsEmpty());
    EXPECT_TRUE(m.at(1, 0).IsEmpty());
  }
}

TEST(FilterListEditing, FourthFilterKeepsTheOldRows) {
  Host host = HostWithThreeFilters();
  ASSERT_EQ(host.Add("Número", "{NUM}"), Variant::Integer(0)) << CStr(host.message);
  EXPECT_EQ(host.lines, Variant::Integer(4));
  const Array& m = host.matrix.AsArray();
  EXPECT_EQ(m.UBound(1), 4);
  EXPECT_EQ(m.UBound(2), 7);
  for (int32_t row = 0; row < 3; ++row) EXPECT_EQ(m.at(row, 0), Variant::Long(11 + row));
  EXPECT_EQ(m.at(2, 1), Variant("Valor mínimo"));
  EXPECT_EQ(m.at(3, 0), Variant::Integer(0));
  EXPECT_EQ(m.at(3, 2), Variant("{NUM}"));
  EXPECT_EQ(m.at(3, 6), Variant(""));
  EXPECT_TRUE(m.at(4, 1).IsEmpty());
}

TEST(FilterListEditing, DeleteShiftsTheLaterRowsUp) {
  Host host = HostWithThreeFilters();
  ASSERT_EQ(host.Apply("", "", "", "", "", Variant::Long(1), "EX"), Variant::Integer(0));
  EXPECT_EQ(host.lines, Variant::Integer(2));
  const Array& m = host.matrix.AsArray();
  EXPECT_EQ(m.UBound(1), 2);
  EXPECT_EQ(m.at(0, 0), Variant::Long(11));
  EXPECT_EQ(m.at(1, 0), Variant::Long(13));
  EXPECT_EQ(m.at(1, 1), Variant("Valor mínimo"));
  EXPECT_TRUE(m.at(2, 0).IsEmpty());
}

TEST(FilterListEditing, EditWritesColumnsOneToFiveOnly) {
  Host host = HostWithThreeFilters();
  // Its own caption is no duplicate: its own row is skipped.
  ASSERT_EQ(host.Apply("Valor mínimo", "{VALOR_MIN}", "V", "N", "", Variant("2"), " ED "),
            Variant::Integer(0))
      << CStr(host.message);
  EXPECT_EQ(host.Cell(2, 0), Variant::Long(13));
  EXPECT_EQ(host.Cell(2, 2), Variant("{VALOR_MIN}"));
  EXPECT_EQ(host.Cell(2, 4), Variant("N"));
  EXPECT_EQ(host.lines, Variant::Integer(3));
}

TEST(FilterListEditing, RefusalsLeaveTheListAsItWas) {
  struct Row {
    const char* caption;
    const char* placeholder;
    const char* type;
    const char* days;
    const char* action;
    Variant position;
    const char* message;
  };
  std::vector<Row> rows = {
      {"", "{X}", "N", "", "", Variant(), "Preencha Exibir"},
      {"Novo", "  ", "N", "", "", Variant(), "Preencha Valor"},
      {"Novo", "DATA_INI", "N", "", "", Variant(), "O Valor do campo deve estar entre chaves. "
                                                   "Ex: {DATA_INI}"},
      {"Novo", "{X}", " ", "", "", Variant(), "Informe o tipo do campo."},
      {"Novo", "{X}", "N", "30", "", Variant(),
       "O intervalo deve ser informado somente quando o tipo informado for uma data."},
      {" cliente ", "{X}", "N", "", "", Variant(), "Já existe um filtro com a descrição  cliente ."},
      {"Novo", "{valor}", "N", "", "", Variant(), "Já existe um filtro com valor {valor}."},
      {"Cliente", "{X}", "N", "", "ED", Variant::Long(0),
       "Já existe um filtro com a descrição Cliente."},
      {"Novo", "{X}", "N", "", "ed", Variant(), "Já existe um filtro com valor {X}."},
  };
  for (const Row& row : rows) {
    Host host = HostWithThreeFilters();
    if (std::string(row.action) == "ed") {
      // Lower case is no action code: it adds, so a second add collides.
      ASSERT_EQ(host.Apply("Outro", "{X}", "N", "S", "", Variant(), ""), Variant::Integer(0));
    }
    Variant before = host.matrix;
    Variant lines_before = host.lines;
    EXPECT_EQ(host.Apply(row.caption, row.placeholder, row.type, "S", row.days, row.position,
                         row.action),
              Variant::Integer(10))
        << row.caption << " " << row.placeholder;
    EXPECT_EQ(host.message, Variant(row.message)) << row.caption << " " << row.placeholder;
    EXPECT_EQ(host.matrix, before) << row.caption;
    EXPECT_EQ(host.lines, lines_before) << row.caption;
  }
}

TEST(FilterListEditing, DateTypeMayCarryAnInterval) {
  Host host = HostWithThreeFilters();
  EXPECT_EQ(host.Apply("Data final", "{DATA_FIM}", " D ", "S", "30", Variant(), ""),
            Variant::Integer(0))
      << CStr(host.message);
}

TEST(FilterListEditing, ForbiddenCharactersAreFilteredEvenWhenRefused) {
  Host host;
  EXPECT_EQ(host.Apply("Data; (inicial)", "DATA<INI>", "D", "", "", Variant(), ""),
            Variant::Integer(10));
  EXPECT_EQ(host.caption_, Variant("Data inicial"));
  EXPECT_EQ(host.placeholder_, Variant("DATAINI"));
  EXPECT_EQ(host.mandatory_, Variant(""));  // the checks stopped before the flag
}

TEST(FilterListEditing, DeleteNeedsNoValues) {
  Host host = HostWithThreeFilters();
  EXPECT_EQ(host.Apply("", "", "", "", "", Variant::Long(0), "EX"), Variant::Integer(0));
  EXPECT_EQ(host.Cell(0, 0), Variant::Long(12));
}

TEST(FilterListEditing, PositionOutsideTheListIsARunTimeFailure) {
  for (Variant position : {Variant::Long(3), Variant::Long(-1), Variant("x")}) {
    for (const char* action : {"ED", "EX"}) {
      Host host = HostWithThreeFilters();
      Variant before = host.matrix;
      EXPECT_EQ(host.Apply("Novo", "{NOVO}", "N", "S", "", position, action),
                Variant::Integer(10))
          << action;
      EXPECT_EQ(host.message, Variant("Acesso a chamada de rotina de Gravação não disponível. "
                                      "Favor tentar mais tarde."))
          << action;
      EXPECT_EQ(host.matrix, before) << action;
    }
  }
}

}  // namespace
}  // namespace tpl
