// The database that init-db creates: its tables, default rows and mode.
#include <fstream>
#include <iterator>

#include "database/sqlite/sqlite_test_database.h"

namespace tpl::db::testing {
namespace {

using SqliteEmbeddedDatabase = SqliteTest;

TEST_F(SqliteEmbeddedDatabase, CreatesEveryTableWithItsColumns) {
  const std::pair<const char*, const char*> rows[] = {
      {"Tab_Parametro_Sistema", "Tab_Parametro_Sistema_ID Parametro Descricao"},
      {"Infra_IDS", "LOG_GERADOR_ID LOG_SISTEMA_ID"}, {"GRUPO_USUARIO", "GRUPO_USUARIO_ID DESC_GRUPO_USUARIO"},
      {"LOG_SISTEMA", "LOG_SISTEMA_ID TABELA_SISTEMA_ID TAB_TIPO_ACAO_ID USUARIO_ID registro_id data_log"},
      {"LOG_MSG", "LOG_MSG_ID TAB_TIPO_MSG_ID USUARIO_INTERNET_ID DATA_LOG MSG01 MSG02 MSG03 MSG04 MSG05"},
      {"LOG_GERADOR", "LOG_GERADOR_ID USUARIO_INTERNET_ID FUNCAO_ID TITULO_EMAIL FLAG_ENVIA_EMAIL TEXTO_EMAIL "
                      "ENDERECO_EMAIL Tab_Status_JOB_ID Data_Inicio Email_Remetente Endereco_anexo TXT_QUERY "
                      "DATA_INCLUSAO"},
      {"USUARIO", "USUARIO_ID COLABORADOR_ID GRUPO_FORNECEDOR_ID"}, {"COLABORADOR", "COLABORADOR_ID PESSOA_ID"},
      {"PESSOA", "PESSOA_ID EMAIL"}, {"GRUPO_FORNECEDOR", "GRUPO_FORNECEDOR_ID EMAIL"},
  };
  for (const auto& [table, columns] : rows) {
    auto results = Run("SELECT * FROM " + std::string(table) + " WHERE 0");
    ASSERT_EQ(results.size(), 1u) << table;
    std::string names;
    for (const ColumnInfo& column : results[0].columns) names += (names.empty() ? "" : " ") + column.name;
    EXPECT_EQ(names, columns) << table;
  }
  const auto job = Run("SELECT LOG_GERADOR_ID, TITULO_EMAIL, FLAG_ENVIA_EMAIL, Data_Inicio FROM LOG_GERADOR");
  std::vector<DataType> types;
  for (const ColumnInfo& c : job.at(0).columns) types.push_back(c.type);
  EXPECT_EQ(types, (std::vector<DataType>{DataType::Integer, DataType::VarChar, DataType::Char, DataType::Date}));
}

// Read as the library reads them, after its session prelude (which the embedded database skips).
TEST_F(SqliteEmbeddedDatabase, HoldsTheDefaultSystemParameters) {
  const std::pair<int32_t, const char*> rows[] = {
      {2001780, "90"}, {15000, "N"}, {7018, "N"}, {23042, "1000"}, {5070, "50"}, {2001849, "N"},
      {23017, "/var/tmp/"}, {23018, ""}, {23022, ""}, {6408, ""}, {2001850, "suporte@localhost"}};
  for (const auto& [id, value] : rows) {
    EXPECT_EQ(Scalar("Set Transaction Isolation Level Read Uncommitted \r\nSet Ansi_Warnings On\r\n"
                     " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  " +
                     std::to_string(id) + " "),
              Variant(value)) << id;
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Tab_Parametro_Sistema"), Variant(11));
}

// Counters start at zero in one row, the journal is write-ahead, and job rows get their inclusion time.
TEST_F(SqliteEmbeddedDatabase, CountersModeAndInclusionTime) {
  auto counters = Run("SELECT * FROM infra_ids");
  ASSERT_EQ(counters.size(), 1u);
  EXPECT_EQ(counters[0].cells, (CellStore{Variant(0), Variant(0)}));
  EXPECT_EQ(Scalar("PRAGMA journal_mode"), Variant("wal"));
  Run("INSERT INTO LOG_GERADOR (LOG_GERADOR_ID) VALUES (1)");
  EXPECT_EQ(Scalar("SELECT DATA_INCLUSAO FROM LOG_GERADOR").type(), VarType::Date);
}

// An existing file (number 58, named in the message) or a missing folder is refused, and nothing is written.
TEST(SqliteCreateDatabase, RefusesAnExistingFileOrAMissingFolder) {
  tpl::testing::TempFolder folder;
  const std::string file = (folder.path() / "existente.db").string();
  std::ofstream(file) << "conteúdo";
  EXPECT_THAT(Failure([&] { CreateEmbeddedDatabase(file); }), AllOf(StartsWith("58: "), HasSubstr(file)));
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "conteúdo");
  const auto missing = folder.path() / "nao_existe" / "novo.db";
  EXPECT_THROW(CreateEmbeddedDatabase(missing.string()), RuntimeError);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace tpl::db::testing
