#include <chrono>

#include "database/connection.h"
#include "database/connection_pool.h"
#include "database/lock_wait.h"
#include "database/recordset.h"
#include "conventions/value_helpers.h"
#include "support/suite.h"

namespace tpl {
namespace {

class ReportRun : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.Execute("CREATE TABLE VENDA (ID INTEGER, CLIENTE VARCHAR(20), VALOR NUMERIC(10,2))");
    db_.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
                "INSERT INTO VENDA SELECT i, CASE i % 2 WHEN 0 THEN 'ana' ELSE 'bia' END, i * 10.5 FROM n");
    db_.Execute("INSERT INTO PESSOA (PESSOA_ID, EMAIL) VALUES (1, 'ana@exemplo.com.br')");
    db_.Execute("INSERT INTO COLABORADOR (COLABORADOR_ID, PESSOA_ID) VALUES (1, 1)");
    db_.Execute("INSERT INTO USUARIO (USUARIO_ID, COLABORADOR_ID) VALUES (5, 1)");
  }
  Variant Run(const std::string& query, const char* export_flag = "N", const char* display = "") {
    Variant connection(db_.connection_string()), user(Variant::Long(5)), database_kind("SQLSERVER"), title("Vendas"),
        subtitle("Outubro"), template_id(Variant::Long(12)), export_wish(export_flag), display_kind(display),
        email("N");
    query_ = Variant(query);
    return TPL().gExecutar_Query(connection, user, message_, database_kind, query_, filters_, filter_lines_,
                                 filter_columns_, lines_, columns_, matrix_, flag_, title, subtitle, template_id,
                                 export_wish, display_kind, additional_, email);
  }
  int32_t Jobs() { return db_.Count("LOG_GERADOR"); }

  testing::TempDatabase db_;
  Variant message_, query_, filters_, filter_lines_{Variant::Integer(0)}, filter_columns_{Variant::Integer(7)}, lines_,
      columns_, matrix_, flag_, additional_;
};

// Sums and averages of a decimal column show as decimals, an average with six places, as SQL Server gives them.
TEST_F(ReportRun, SumsOfDecimalColumnsShowAsDecimals) {
  ASSERT_EQ(Run("SELECT CLIENTE, SUM(VALOR) AS TOTAL, AVG(VALOR) MEDIA, COUNT(*) FROM VENDA "
                "GROUP BY CLIENTE ORDER BY CLIENTE"), Variant::Integer(0)) << TextOrEmpty(message_);
  const Array& m = matrix_.AsArray();
  const int32_t types = lines_.AsLong() - 1;
  EXPECT_EQ(std::vector<Variant>({m.at(1, 1), m.at(1, 2), m.at(types, 1), m.at(types, 2), m.at(types, 3)}),
            std::vector<Variant>({Variant("38430,00"), Variant("640,500000"), Variant("V"), Variant("V"), Variant("I")}));
  EXPECT_EQ(m.at(types + 1, 1), Variant("Right"));
}

TEST_F(ReportRun, ScreenLimitsDecideBetweenScreenAndBackground) {
  db_.SetParameter(23042, "100");
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 98"), Variant::Integer(0));
  EXPECT_EQ(flag_, Variant("N"));
  EXPECT_EQ(Jobs(), 0);

  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 99"), Variant::Integer(10));
  EXPECT_EQ(flag_, Variant("S"));
  EXPECT_EQ(message_, Variant("A quantidade de informações é superior ao permitido na tela. Foi "
                              "enviado para seu e-mail com as informações solicitadas"));
  EXPECT_EQ(db_.Rows("SELECT FUNCAO_ID, TXT_QUERY, FLAG_ENVIA_EMAIL FROM LOG_GERADOR"),
            "80712|1__JOB____Vendas__Outubro__0__7__ana@exemplo.com.br__12__|N");

  db_.SetParameter(5070, "1");
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 2"), Variant::Integer(0)) << "K = 2 fits";
  EXPECT_EQ(Run("SELECT ID, CLIENTE FROM VENDA WHERE ID <= 2"), Variant::Integer(10));
  EXPECT_EQ(Jobs(), 2);
  // Without the line limit every result goes to the background.
  db_.Execute("DELETE FROM Tab_Parametro_Sistema WHERE Tab_Parametro_Sistema_ID = 23042");
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1"), Variant::Integer(10));
  EXPECT_EQ(Jobs(), 3);
}

TEST_F(ReportRun, ExplicitExportsRegisterAJobWhateverTheSize) {
  filters_ = testing::FilterMatrix({{Variant::Long(100), "Cliente", "{C}", "C", 0, "", "copo d'agua"}});
  filter_lines_ = Variant::Integer(1);
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1 OR CLIENTE = {C}", " S ", "TXT"), Variant::Integer(10));
  EXPECT_EQ(message_, Variant("Enviado para seu e-mail o arquivo TXT com as informações solicitadas."));
  // The job's parameters end with the filter values, apostrophes filtered out.
  EXPECT_EQ(db_.Rows("SELECT TXT_QUERY FROM LOG_GERADOR"),
            "1__JOB____Vendas__Outubro__1__7__ana@exemplo.com.br__12__copo dagua@@@");
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1", "S", "Excel"), Variant::Integer(10));
  EXPECT_EQ(message_, Variant("Enviado para seu e-mail a planilha com as informações solicitadas."));
  // A lower-case kind is neither export.
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1", "S", "txt"), Variant::Integer(0));
}

// The text-file function needs both the export flag and the TXT kind; a user without an address gets the deployment's
// support mailbox.
TEST_F(ReportRun, HandOverChoosesTheFunctionAndTheAddress) {
  db_.SetParameter(23042, "1");  // two rows are more than the screen allows
  db_.SetParameter(2001850, "relatorios@empresa.com.br");
  struct Row { const char *flag, *display, *email, *expected; };
  const Row rows[] = {
      {"S", "TXT", "ana@exemplo.com.br", "3016|ana@exemplo.com.br"},
      {"N", "TXT", "ana@exemplo.com.br", "80712|ana@exemplo.com.br"},
      {"N", "", " ", "80712|relatorios@empresa.com.br"},
  };
  for (const Row& row : rows) {
    db_.Execute(std::string("UPDATE PESSOA SET EMAIL = '") + row.email + "'");
    db_.Execute("DELETE FROM LOG_GERADOR");
    EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 2", row.flag, row.display), Variant::Integer(10))
        << row.flag << row.display;
    EXPECT_EQ(db_.Rows("SELECT FUNCAO_ID, substr(TXT_QUERY, instr(TXT_QUERY, '__0__7__') + 8, "
                       "instr(TXT_QUERY, '__12__') - instr(TXT_QUERY, '__0__7__') - 8) FROM LOG_GERADOR"),
              row.expected) << row.flag << row.display;
  }
}

// Behind a lock that another session keeps, a report waits the full limit once; every later session of the call (the
// failure's log row included) gives up at once instead of waiting again.
TEST_F(ReportRun, ALockHeldElsewhereIsWaitedForOnlyOnce) {
  for (bool exclusive : {false, true}) {
    db::LockWaitLimitForTesting limit(std::chrono::milliseconds(150));
    db::Connection holder(db_.connection_string(), db::CallLimits::OutsideAnyCall());
    db::Recordset statement;
    // The holder stands for another process that takes the file for itself. A database in WAL mode grants exclusive
    // locking only to a session alone with the file, so the sessions this process keeps idle are closed first.
    if (exclusive) db::ConnectionPool::Shared().Clear();
    if (exclusive) statement.Open("PRAGMA locking_mode = EXCLUSIVE", holder);
    holder.BeginTrans();
    statement.Open("UPDATE infra_ids SET LOG_GERADOR_ID = LOG_GERADOR_ID", holder);
    EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1"), Variant::Integer(10)) << exclusive;
    EXPECT_EQ(limit.waits_run_out(), 1) << exclusive;
    holder.RollbackTrans();
  }
  // Without the lock the next call waits for nothing and runs.
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID = 1"), Variant::Integer(0));
}

TEST_F(ReportRun, FailedHandOverShowsTheMatrixWithItsMessage) {
  db_.Execute("DELETE FROM USUARIO");  // no e-mail lookup row: the hand-over fails
  db_.SetParameter(23042, "3");
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 5"), Variant::Integer(0));
  EXPECT_EQ(flag_, Variant("S"));
  EXPECT_EQ(message_, Variant("Acesso ao agendamento da geração do arquivo não disponível. Favor "
                              "tentar mais tarde. "));
  EXPECT_EQ(lines_, Variant::Long(7));
  EXPECT_EQ(Jobs(), 0);
  // An export kind without the export flag keeps the result 10.
  EXPECT_EQ(Run("SELECT ID FROM VENDA WHERE ID <= 5", "N", "Excel"), Variant::Integer(10));
}

}  // namespace
}  // namespace tpl
