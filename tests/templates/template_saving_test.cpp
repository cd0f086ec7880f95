#include "templates/template_host.h"
#include "tpl/text.h"

namespace tpl {
namespace {

using testing::Show;
using testing::ShowRows;
using testing::TemplateRead;
using testing::TemplateToSave;

const std::string kSavingFailed = "Acesso a gravação dos dados não disponível. Favor tentar mais tarde.";

// A query of `length` characters: a valid select padded by a comment of accented letters, so that every cut must count
// characters, not bytes.
std::string QueryOfLength(size_t length) {
  std::string query = "SELECT 1 AS A FROM GRUPO_USUARIO WHERE 1 = {NUM} OR {NOME} = 'x' --";
  std::string padded = query;
  for (size_t i = Len(query); i < length; ++i) padded += (i % 2 ? "ã" : "b");
  return padded;
}

class TemplateSaving : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { testing::AddUserGroups(db_); }
  TemplateToSave Template() const { return TemplateToSave(GetParam(), db_.connection_string()); }
  TemplateRead Reader(const Variant& id) const { return TemplateRead(GetParam(), db_.connection_string(), id); }
  std::string PieceLengths(const Variant& id) const {
    return db_.Rows("SELECT LENGTH(TXT_QUERY) FROM TEMPLATE_DINAMICO_QUERY WHERE TEMPLATE_DINAMICO_ID = " +
                    CStr(id) + " ORDER BY SEQUENCIA");
  }
  std::string Stored() const { return testing::TemplateTables(db_); }
  testing::TempDatabase db_;
};

TEST_P(TemplateSaving, ASavedTemplateReadsBackExactly) {
  TemplateToSave saved = Template();
  ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
  EXPECT_EQ(saved.id, Variant::Long(1));
  EXPECT_EQ(saved.title, Variant("Vendas por cliente")) << "written back filtered";
  // Column 0 holds the identifiers the database gave the filters.
  EXPECT_EQ(CStr(saved.filters.AsArray().at(0, 0)) + CStr(saved.filters.AsArray().at(1, 0)), "12");

  TemplateRead read = Reader(saved.id);
  read.want_groups = " s ";
  ASSERT_EQ(read.Read(), Variant::Integer(0)) << CStr(read.message);
  EXPECT_EQ(read.query, saved.query);
  EXPECT_EQ(CStr(read.name) + "|" + CStr(read.title) + "|" + CStr(read.subtitle) + "|" + CStr(read.code) + "|" +
                CStr(read.email_flag) + "|" + Show(read.filter_lines) + "|" + Show(read.filter_columns) + "|" +
                Show(read.group_lines) + "|" + Show(read.group_columns),
            "Vendas|Vendas por cliente|Mensal|VND|N|2|7|2|2");
  // Type codes are kept at their fixed width of 5; only "S" marks a mandatory filter, not the 1 that reading gives.
  EXPECT_EQ(ShowRows(read.filters.AsArray()), "1|Número|{NUM}|N    |1|0||<empty>;2|Nome|{NOME}|C    |0|0||<empty>;"
            "<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>");
  EXPECT_EQ(ShowRows(read.groups.AsArray()), "1|Vendas|<empty>;2|Compras|<empty>;<empty>|<empty>|<empty>");
}

TEST_P(TemplateSaving, TheQueryIsStoredInPiecesOfFourThousandCharacters) {
  const struct { std::string query, pieces, read_back; } rows[] = {
      {QueryOfLength(4000), "4000", QueryOfLength(4000)}, {QueryOfLength(9000), "4000;4000;1000", QueryOfLength(9000)},
      {QueryOfLength(45000), "4000;4000;4000;4000;4000;4000;4000;4000;4000;4000", QueryOfLength(40000)},
      // Storing stops at the first piece that is only blanks.
      {QueryOfLength(4000) + std::string(4000, ' ') + "x", "4000", QueryOfLength(4000)},
  };
  for (const auto& row : rows) {
    TemplateToSave saved = Template();
    saved.query = row.query;
    ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
    EXPECT_EQ(PieceLengths(saved.id), row.pieces);
    TemplateRead read = Reader(saved.id);
    ASSERT_EQ(read.Read(), Variant::Integer(0)) << CStr(read.message);
    EXPECT_EQ(read.query, Variant(row.read_back)) << row.pieces;
  }
}

TEST_P(TemplateSaving, AlterationReplacesQueryFiltersAndGroups) {
  TemplateToSave saved = Template();
  ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
  saved.query = "EXEC SP_KMB_CONS_FILTRO_TEMPLATE01 {ID}";
  saved.name = " Novo ";
  saved.SetFilters({{Variant::Long(1), "Modelo", "{ID}", "U", "N", "", ""}});
  saved.SetGroups({3});
  ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
  EXPECT_EQ(saved.id, Variant::Long(1));
  EXPECT_EQ(saved.filters.AsArray().at(0, 0), Variant::Long(3)) << "a new identifier";

  TemplateRead read = Reader(saved.id);
  ASSERT_EQ(read.Read(), Variant::Integer(0)) << CStr(read.message);
  EXPECT_EQ(CStr(read.name) + "|" + CStr(read.query), "Novo|EXEC SP_KMB_CONS_FILTRO_TEMPLATE01 {ID}");
  EXPECT_EQ(ShowRows(read.filters.AsArray()),
            "3|Modelo|{ID}|U    |0|0||<empty>;<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>|<empty>");
  EXPECT_EQ(ShowRows(read.groups.AsArray()), "3|Diretoria|<empty>;<empty>|<empty>|<empty>");
  EXPECT_EQ(Stored(), "1/1/1/1");
}

// Altering a template that is not there fails as any failed write does: nothing stays, and the log row names the
// routine. That any failed write leaves nothing behind is walked operation by operation in the fault walk.
TEST_P(TemplateSaving, AlteringAMissingTemplateFailsAndWritesNothing) {
  TemplateToSave saved = Template();
  saved.id = Variant::Long(42);
  EXPECT_EQ(saved.Save(), Variant::Integer(10));
  EXPECT_EQ(saved.message, Variant(kSavingFailed));
  EXPECT_EQ(Stored(), "0/0/0/0");
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE '%mAltera_Template%'"), 1);
}

TEST_P(TemplateSaving, AFailedQueryTestWritesNothingAndEmailTemplatesSkipTheTest) {
  // A column count below 6 makes the query test fail; an e-mail template is saved without it.
  TemplateToSave saved = Template();
  saved.filter_columns = Variant::Integer(5);
  EXPECT_EQ(saved.Save(), Variant::Integer(10));
  EXPECT_EQ(saved.message, Variant("Não foi possível validar a query no banco de dados. Verifique se a query é válida "
                                   "e se todos os filtros foram cadastrados corretamente."));
  EXPECT_EQ(Stored(), "0/0/0/0");
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 LIKE '% KMBTPL01.mTesta_Query %'"), 1);
  saved.email_flag = " S ";
  ASSERT_EQ(saved.Save(), Variant::Integer(0)) << CStr(saved.message);
  EXPECT_EQ(db_.Rows("SELECT FLAG_ENVIO_EMAIL FROM TEMPLATE_DINAMICO"), "S");
}

INSTANTIATE_TEST_SUITE_P(TemplateByKind, TemplateSaving, ::testing::Values("SQLSERVER", "ORACLE"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tpl
