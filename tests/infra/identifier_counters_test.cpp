#include "infra/identifier_counters.h"
#include "conventions/message_log.h"
#include "support/suite.h"

namespace tpl {
namespace {

// Reservations that succeed, one after another and concurrently, are checked by the Oracle job registrations, which
// reserve their identifiers here (no caller reserves inside its own transaction).
class Counters : public ::testing::Test {
 protected:
  bool Reserve(int32_t& id, std::string& message) {
    return gAtualiza_infra_ids("ORACLE", 5, "N", nullptr, db_.connection_string(), "LOG_GERADOR_ID", message, id,
                               kOutside);
  }
  bool Audit(int32_t record, int32_t& result, std::string& message) {
    int32_t table = 490, action = 1, user = 57;
    return gGrava_Log_Sistema("ORACLE", table, action, user, record, result, message, db_.connection_string(),
                              kOutside);
  }
  int32_t Stored() const { return CLng(db_.Scalar("SELECT LOG_GERADOR_ID FROM infra_ids")); }
  const db::CallLimits kOutside = db::CallLimits::OutsideAnyCall();
  testing::TempDatabase db_;
};

TEST_F(Counters, EmptyTableIsRefusedByBoth) {
  db_.Execute("DELETE FROM infra_ids");
  int32_t id = 99, result = 0;
  std::string message;
  EXPECT_FALSE(Reserve(id, message));
  EXPECT_EQ(message, "Não há registro no banco de dados na tabela Infra_ids. ");
  EXPECT_EQ(id, 99);
  message.clear();
  EXPECT_FALSE(Audit(3, result, message));
  EXPECT_EQ(result, 10);
  EXPECT_EQ(message, "Não hã registro na tabela Infra_ids.");
}

// Identifiers are Longs: the last one overflows (error 6) through the trap instead of wrapping round to a negative
// identifier; the audit log, which ignores its own failures, then writes no row. Other failures take the same trap.
TEST_F(Counters, TheLastLongOverflowsInsteadOfWrapping) {
  db_.Execute("UPDATE infra_ids SET LOG_GERADOR_ID = 2147483647, LOG_SISTEMA_ID = 2147483647");
  int32_t id = 7, result = 0;
  std::string message;
  EXPECT_FALSE(Reserve(id, message));
  EXPECT_EQ(id, 7);
  EXPECT_EQ(message, "Acesso aos SQL não disponível. Favor tentar mais tarde.");
  EXPECT_EQ(Stored(), 2147483647);
  EXPECT_EQ(db_.Count("LOG_MSG WHERE MSG01 || COALESCE(MSG02, '') LIKE '% : 6  %'"), 1);  // the log filters out ")"

  EXPECT_TRUE(Audit(3, result, message));
  EXPECT_EQ(db_.Count("LOG_SISTEMA"), 0);
}

class MessageLog : public ::testing::Test {
 protected:
  void Log(const Variant& kind, const Variant& user, const Variant& type, const std::string& text) {
    gGrava_Log_Msg(kind, Variant(db_.connection_string()), user, type, Variant(text));
  }
  testing::TempDatabase db_;
};

// The time logged is the database's own for both kinds (other kinds write a fixed date: see the routine trap's test).
TEST_F(MessageLog, CutsTheTextIntoFivePiecesOf255CharactersAndStampsTheTimeForEitherKind) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i < 255 ? "á" : "b");
  const std::string x(255, 'x');
  Log("SQLSERVER", Variant::Long(7), Variant::Long(1), text);
  Log("ORACLE", Variant::Long(8), Variant::Long(1), std::string(1300, 'x'));
  EXPECT_EQ(db_.Rows("SELECT TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID, MSG01, MSG02, MSG03, MSG04, MSG05 "
                     "FROM LOG_MSG ORDER BY 2"),
            "1|7|" + text.substr(0, 255 * 2) + "|" + std::string(45, 'b') + "|<null>|<null>|<null>;" +
                "1|8|" + x + "|" + x + "|" + x + "|" + x + "|" + x);
  for (int user : {7, 8}) {
    const Variant logged =
        db_.Scalar("SELECT DATA_LOG FROM LOG_MSG WHERE USUARIO_INTERNET_ID = " + std::to_string(user));
    ASSERT_EQ(logged.type(), VarType::Date) << user;
    EXPECT_NEAR(logged.AsDate().serial, Now().serial, 1.0 / 24 / 60) << user;
  }
}

TEST_F(MessageLog, FiltersTheTextWritesNonNumbersAsNullAndNothingWithoutKindConnectionOrText) {
  Log("SQLSERVER", "abc", "x", "O'Brien (erro) ; 100% & +");
  Log("  ", Variant::Long(1), Variant::Long(1), "texto");
  Log("SQLSERVER", Variant::Long(1), Variant::Long(1), "<>();");
  Log("SQLSERVER", Variant::Long(1), Variant::Long(1), "   ");
  // A connection that cannot be opened is swallowed too.
  gGrava_Log_Msg(Variant("SQLSERVER"), Variant("Data Source=/nonexistent/x.db"), Variant::Long(1),
                 Variant::Long(1), Variant("texto"));
  EXPECT_EQ(db_.Rows("SELECT USUARIO_INTERNET_ID, TAB_TIPO_MSG_ID, MSG01 FROM LOG_MSG"),
            "<null>|<null>|OBrien erro  100  ");
}

}  // namespace
}  // namespace tpl
