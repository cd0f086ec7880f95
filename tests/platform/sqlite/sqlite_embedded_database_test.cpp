// The database that init-db creates: its tables, default rows and mode.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sqlite/embedded_database.h"
#include "platform/sqlite/sqlite_test_database.h"
#include "tpl/runtime_error.h"

namespace tpl::db::testing {
namespace {

class SqliteEmbeddedDatabase : public ::testing::Test {
 protected:
  SqliteTestDatabase database_;
  std::unique_ptr<Provider> provider_ = database_.Open();
};

TEST_F(SqliteEmbeddedDatabase, CreatesEveryTableWithItsColumns) {
  struct Row {
    const char* table;
    std::vector<std::string> columns;
  };
  const Row rows[] = {
      {"Tab_Parametro_Sistema", {"Tab_Parametro_Sistema_ID", "Parametro", "Descricao"}},
      {"Infra_IDS", {"LOG_GERADOR_ID", "LOG_SISTEMA_ID"}},
      {"LOG_SISTEMA",
       {"LOG_SISTEMA_ID", "TABELA_SISTEMA_ID", "TAB_TIPO_ACAO_ID", "USUARIO_ID", "registro_id", "data_log"}},
      {"LOG_MSG",
       {"LOG_MSG_ID", "TAB_TIPO_MSG_ID", "USUARIO_INTERNET_ID", "DATA_LOG", "MSG01", "MSG02", "MSG03", "MSG04",
        "MSG05"}},
      {"LOG_GERADOR",
       {"LOG_GERADOR_ID", "USUARIO_INTERNET_ID", "FUNCAO_ID", "TITULO_EMAIL", "FLAG_ENVIA_EMAIL", "TEXTO_EMAIL",
        "ENDERECO_EMAIL", "Tab_Status_JOB_ID", "Data_Inicio", "Email_Remetente", "Endereco_anexo", "TXT_QUERY",
        "DATA_INCLUSAO"}},
      {"USUARIO", {"USUARIO_ID", "COLABORADOR_ID", "GRUPO_FORNECEDOR_ID"}},
      {"COLABORADOR", {"COLABORADOR_ID", "PESSOA_ID"}},
      {"PESSOA", {"PESSOA_ID", "EMAIL"}},
      {"GRUPO_FORNECEDOR", {"GRUPO_FORNECEDOR_ID", "EMAIL"}},
      {"GRUPO_USUARIO", {"GRUPO_USUARIO_ID", "DESC_GRUPO_USUARIO"}},
  };
  for (const Row& row : rows) {
    auto results = RunSql(*provider_, "SELECT * FROM " + std::string(row.table) + " WHERE 0");
    ASSERT_EQ(results.size(), 1u) << row.table;
    std::vector<std::string> columns;
    for (const ColumnInfo& column : results[0].columns) columns.push_back(column.name);
    EXPECT_EQ(columns, row.columns) << row.table;
  }
}

TEST_F(SqliteEmbeddedDatabase, JobColumnsHaveTheirTypeCodes) {
  auto results = RunSql(*provider_, "SELECT LOG_GERADOR_ID, TITULO_EMAIL, FLAG_ENVIA_EMAIL, Data_Inicio FROM LOG_GERADOR");
  ASSERT_EQ(results.size(), 1u);
  std::vector<DataType> types;
  for (const ColumnInfo& column : results[0].columns) types.push_back(column.type);
  EXPECT_EQ(types, (std::vector<DataType>{DataType::Integer, DataType::VarChar, DataType::Char, DataType::Date}));
}

TEST_F(SqliteEmbeddedDatabase, HoldsTheDefaultSystemParameters) {
  struct Row {
    int32_t id;
    const char* value;
  };
  const Row rows[] = {{2001780, "90"}, {15000, "N"}, {7018, "N"}, {23042, "1000"}, {5070, "50"},
                      {2001849, "N"},  {23017, "/var/tmp/tpl"}, {23018, ""}, {23022, ""}, {6408, ""},
                      {2001850, "suporte@localhost"}};
  for (const Row& row : rows) {
    const std::string sql = " Select Parametro  From Tab_Parametro_Sistema  WHERE Tab_Parametro_Sistema_ID =  " +
                            std::to_string(row.id) + " ";
    EXPECT_EQ(RunScalar(*provider_, sql), Variant(row.value)) << row.id;
  }
  EXPECT_EQ(RunScalar(*provider_, "SELECT COUNT(*) FROM Tab_Parametro_Sistema"), Variant(11));
}

TEST_F(SqliteEmbeddedDatabase, CountersStartAtZeroInOneRow) {
  auto results = RunSql(*provider_, "SELECT * FROM infra_ids");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].cells, (CellStore{Variant(0), Variant(0)}));
  EXPECT_THROW(RunSql(*provider_, "INSERT INTO infra_ids VALUES (1, 1)"), RuntimeError);
}

TEST_F(SqliteEmbeddedDatabase, UsesWriteAheadLogging) {
  EXPECT_EQ(RunScalar(*provider_, "PRAGMA journal_mode"), Variant("wal"));
}

TEST_F(SqliteEmbeddedDatabase, JobRowsGetTheirInclusionTime) {
  RunSql(*provider_, "INSERT INTO LOG_GERADOR (LOG_GERADOR_ID) VALUES (1)");
  EXPECT_EQ(RunScalar(*provider_, "SELECT DATA_INCLUSAO FROM LOG_GERADOR").type(), VarType::Date);
}

TEST(SqliteCreateDatabase, RefusesAnExistingFileAndLeavesItAlone) {
  SqliteTestFolder folder;
  const std::string file = (folder.path() / "existente.db").string();
  std::ofstream(file) << "conteúdo";
  try {
    CreateEmbeddedDatabase(file);
    ADD_FAILURE() << "an existing file was overwritten";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), 58);
    EXPECT_NE(error.description().find(file), std::string::npos) << error.description();
  }
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "conteúdo");
}

TEST(SqliteCreateDatabase, RefusesAFolderThatDoesNotExist) {
  SqliteTestFolder folder;
  const auto file = folder.path() / "nao_existe" / "novo.db";
  EXPECT_THROW(CreateEmbeddedDatabase(file.string()), RuntimeError);
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace tpl::db::testing
