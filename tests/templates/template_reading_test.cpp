#include "templates/template_host.h"

namespace tpl {
namespace {

using testing::ShowRows;
using testing::TemplateRead;

// Templates are written straight into the tables here, so that what the readers make of Null columns and missing rows
// shows.
class TemplateReading : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddUserGroups(db_);
    db_.Execute("INSERT INTO TEMPLATE_DINAMICO (TEMPLATE_DINAMICO_ID, NOME_RELATORIO, TITULO) VALUES "
                "(1, 'Um', NULL), (2, 'Dois', 'Beta'), (3, 'Três', 'Alfa')");
    db_.Execute("INSERT INTO TEMPLATE_DINAMICO_QUERY VALUES (1, 1, 'SELECT '), (1, 2, NULL), (1, 3, 'x')");
    db_.Execute("INSERT INTO GRUPO_USUARIO_X_TEMPLATE VALUES (2, 2), (2, 3), (1, 1)");
  }
  TemplateRead Reader(int32_t id) const { return TemplateRead("SQLSERVER", db_.connection_string(), Variant::Long(id)); }
  // gObter_Templates_do_Usuario for `group`, its outputs starting as "host".
  Variant List(int32_t group) {
    Variant connection(db_.connection_string()), user(Variant::Long(5)), kind("SQLSERVER"), id(Variant::Long(group));
    count_ = ids_ = titles_ = Variant("host");
    return TPL().gObter_Templates_do_Usuario(connection, user, message_, kind, id, count_, ids_, titles_);
  }
  testing::TempDatabase db_;
  Variant message_, count_, ids_, titles_;
};

TEST_F(TemplateReading, PiecesJoinWithoutGapsAndNullsReadAsEmpty) {
  db_.Execute("INSERT INTO COLUNA_TEMPLATE_DINAMICO (TEMPLATE_DINAMICO_ID, NOME_EXTERNO, COLUNA_SELEC, "
              "INDICATIVO_OBRIGATORIO) VALUES (1, NULL, '{x}', 1)");
  TemplateRead read = Reader(1);
  ASSERT_EQ(read.Read(), Variant::Integer(0)) << CStr(read.message);
  EXPECT_EQ(read.query, Variant("SELECT x"));
  EXPECT_EQ(read.title, Variant(""));
  EXPECT_EQ(ShowRows(read.filters.AsArray()), "1||{x}||1|||<empty>;" + std::string(
            "<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>"));
  EXPECT_EQ(ShowRows(read.groups.AsArray()), "1|Vendas|<empty>;<empty>|<empty>|<empty>");
}

TEST_F(TemplateReading, WhatIsMissingLeavesTheHostsValues) {
  // No template: nothing is touched.
  TemplateRead unknown = Reader(9);
  EXPECT_EQ(unknown.Read(), Variant::Integer(10));
  EXPECT_EQ(unknown.message, Variant("Não foi possível recuperar as informações do relatório."));
  EXPECT_EQ(unknown.name, Variant("host"));

  // No filters: the filter outputs stay; groups not asked for stay too.
  for (const Variant& no : {Variant("N"), Variant(""), Variant::Null()}) {
    TemplateRead read = Reader(2);
    read.want_groups = no;
    ASSERT_EQ(read.Read(), Variant::Integer(0)) << CStr(read.message);
    EXPECT_EQ(CStr(read.name) + CStr(read.filters) + CStr(read.filter_lines) + CStr(read.groups), "Doishosthosthost");
  }

  // Groups asked for but none linked: the rest is already returned.
  db_.Execute("DELETE FROM GRUPO_USUARIO_X_TEMPLATE WHERE TEMPLATE_DINAMICO_ID = 2");
  TemplateRead read = Reader(2);
  EXPECT_EQ(read.Read(), Variant::Integer(10));
  EXPECT_EQ(read.message, Variant("Não foi possível recuperar as informações de grupo de usuários."));
  EXPECT_EQ(read.title, Variant("Beta"));
  EXPECT_EQ(read.groups, Variant("host"));
}

TEST_F(TemplateReading, AFailureGoesThroughTheTrap) {
  TemplateRead read = Reader(1);
  read.id = Variant("");  // an integer parameter refuses the empty text
  EXPECT_EQ(read.Read(), Variant::Integer(10));
  EXPECT_EQ(read.message, Variant("Acesso a consulta dos dados não disponível. Favor tentar mais tarde."));
}

TEST_F(TemplateReading, AGroupListsItsTemplatesByTitle) {
  EXPECT_TRUE(List(2).IsEmpty());
  EXPECT_EQ(count_, Variant::Long(2));
  EXPECT_EQ(CStr(ids_.AsArray().at(0)) + CStr(titles_.AsArray().at(0)) + CStr(ids_.AsArray().at(1)) +
                CStr(titles_.AsArray().at(1)), "3Alfa2Beta");
  EXPECT_TRUE(message_.IsEmpty());

  EXPECT_TRUE(List(3).IsEmpty());
  EXPECT_EQ(message_, Variant("Não existem relatórios disponíveis."));
  EXPECT_EQ(CStr(count_) + CStr(ids_) + CStr(titles_), "hosthosthost");
}

// A 16-bit row counter steps past 32,767 after the 32,768th row. The counts and the dimensions are set first and the
// rows filled before the overflow stay: what the host holds afterwards shows how far the reading came.
TEST_F(TemplateReading, AtTheCounterLimitCountsAndRowsAreFilledBeforeTheOverflow) {
  db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768) "
              "INSERT INTO COLUNA_TEMPLATE_DINAMICO (TEMPLATE_DINAMICO_ID, NOME_EXTERNO, COLUNA_SELEC) "
              "SELECT 2, 'f' || i, '{F' || i || '}' FROM n");
  TemplateRead read = Reader(2);
  EXPECT_EQ(read.Read(), Variant::Integer(10));
  EXPECT_EQ(read.filter_lines, Variant::Long(32768));
  ASSERT_TRUE(read.filters.IsArray());
  EXPECT_EQ(read.filters.AsArray().at(32767, 1), Variant("f32768"));
  EXPECT_EQ(read.groups, Variant("host")) << "the groups come after the filters";
}

}  // namespace
}  // namespace tpl
