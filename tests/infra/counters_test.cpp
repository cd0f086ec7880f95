#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>

#include "infra/audit_log.h"
#include "infra/identifier_counters.h"
#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using testing::TempDatabase;

class Counters : public ::testing::Test {
 protected:
  bool Reserve(int32_t& id, std::string& message, const std::string& kind = "ORACLE") {
    return gAtualiza_infra_ids(kind, 5, "N", nullptr, db_.connection_string(), "LOG_GERADOR_ID",
                               message, id);
  }
  bool Audit(const std::string& kind, int32_t record, int32_t& result, std::string& message) {
    int32_t table = 490, action = 1, user = 57;
    return gGrava_Log_Sistema(kind, table, action, user, record, result, message,
                              db_.connection_string());
  }
  TempDatabase db_;
};

TEST_F(Counters, HandsOutTheNextIdentifierAndStoresIt) {
  db_.Execute("UPDATE infra_ids SET LOG_GERADOR_ID = 41");
  int32_t id = 0;
  std::string message;
  ASSERT_TRUE(Reserve(id, message)) << message;
  EXPECT_EQ(id, 42);
  EXPECT_EQ(CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), 42);
}

TEST_F(Counters, WorksInsideTheCallersTransaction) {
  db::Connection connection(db_.connection_string());
  connection.BeginTrans();
  int32_t id = 0;
  std::string message;
  ASSERT_TRUE(gAtualiza_infra_ids("ORACLE", 5, "S", &connection, "", "LOG_GERADOR_ID", message,
                                  id))
      << message;
  EXPECT_EQ(id, 1);
  connection.RollbackTrans();
  EXPECT_EQ(CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), 0);
}

TEST_F(Counters, EmptyTableIsRefusedByBoth) {
  db_.Execute("DELETE FROM infra_ids");
  int32_t id = 99;
  std::string message;
  EXPECT_FALSE(Reserve(id, message));
  EXPECT_EQ(message, "Não há registro no banco de dados na tabela Infra_ids. ");
  EXPECT_EQ(id, 99);

  int32_t result = 0;
  message.clear();
  EXPECT_FALSE(Audit("ORACLE", 3, result, message));
  EXPECT_EQ(result, 10);
  EXPECT_EQ(message, "Não hã registro na tabela Infra_ids.");
}

TEST_F(Counters, FailureIsTrappedAndLogged) {
  int32_t id = 0;
  std::string message;
  EXPECT_FALSE(gAtualiza_infra_ids("SQLSERVER", 1, "N", nullptr, db_.connection_string(),
                                   "NO_SUCH_COUNTER", message, id));
  EXPECT_EQ(message.rfind("Acesso aos SQL não disponível. Favor tentar mais tarde. "
                          "VRL_SQL1.gAtualiza_infra_ids ( ",
                          0),
            0u)
      << message;
  EXPECT_NE(message.find(" strsq: UPDATE infra_ids SET NO_SUCH_COUNTER"), std::string::npos);
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_MSG")), 1);
}

TEST_F(Counters, ConcurrentProcessesNeverShareAnIdentifier) {
  constexpr int kProcesses = 4;
  constexpr int kEach = 25;
  std::string path = (db_.file().parent_path() / "ids.txt").string();
  for (int p = 0; p < kProcesses; ++p) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      FILE* out = fopen(path.c_str(), "a");
      for (int i = 0; i < kEach; ++i) {
        int32_t id = 0;
        std::string message;
        if (Reserve(id, message)) fprintf(out, "%d\n", id);
        fflush(out);
      }
      fclose(out);
      _exit(0);
    }
  }
  for (int p = 0; p < kProcesses; ++p) wait(nullptr);

  std::set<int> seen;
  int count = 0;
  FILE* in = fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  int id;
  while (fscanf(in, "%d", &id) == 1) {
    ++count;
    EXPECT_TRUE(seen.insert(id).second) << "identifier handed out twice: " << id;
  }
  fclose(in);
  EXPECT_EQ(count, kProcesses * kEach);
  EXPECT_EQ(CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")), kProcesses * kEach);
}

TEST_F(Counters, AuditRowCarriesTheValuesAndTheKindsTime) {
  int32_t result = 0;
  std::string message;
  ASSERT_TRUE(Audit("ORACLE", 0, result, message));
  ASSERT_TRUE(Audit("OUTRO", 77, result, message));
  db::Recordset rows = db_.Query(
      "SELECT LOG_SISTEMA_ID, TABELA_SISTEMA_ID, TAB_TIPO_ACAO_ID, USUARIO_ID, registro_id, "
      "data_log FROM LOG_SISTEMA ORDER BY LOG_SISTEMA_ID");
  ASSERT_EQ(rows.RecordCount(), 2);
  EXPECT_EQ(CLng(rows.Value(0)), 1);
  EXPECT_EQ(CLng(rows.Value(1)), 490);
  EXPECT_EQ(CLng(rows.Value(2)), 1);
  EXPECT_EQ(CLng(rows.Value(3)), 57);
  EXPECT_TRUE(rows.Value(4).IsNull()) << "a record identifier of 0 is written as null";
  EXPECT_NEAR(rows.Value(5).AsDate().serial, Now().serial, 1.0 / 24 / 60);
  rows.MoveNext();
  EXPECT_EQ(CLng(rows.Value(0)), 2);
  EXPECT_EQ(CLng(rows.Value(4)), 77);
  EXPECT_EQ(FormatDate(rows.Value(5), "dd/mm/yyyy"), "01/01/2000");
}

TEST(AuditStatement, HasTheColumnLayout) {
  EXPECT_EQ(AuditInsertStatement("SQLSERVER", 3, 490, 1, 57, 0),
            " Insert  Into LOG_SISTEMA (  LOG_SISTEMA_ID,  TABELA_SISTEMA_ID,  TAB_TIPO_ACAO_ID, "
            " USUARIO_ID,  registro_id,  data_log )  Values ( 3 , 490 , 1 , 57 , null ,  "
            "getdate() ) ");
  EXPECT_NE(AuditInsertStatement("ORACLE", 3, 490, 1, 57, 9).find(", 9 ,  SYSDATE )  "),
            std::string::npos);
}

}  // namespace
}  // namespace tpl
