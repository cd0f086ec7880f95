#include "conventions/error_trap.h"

#include <stdexcept>

#include "conventions/message_log.h"
#include "conventions/system_parameters.h"
#include "support/suite.h"

namespace tpl {
namespace {

const std::string kSentence = "Acesso a chamada de rotina de exclusão não disponível. Favor tentar mais tarde.";
const MethodTrap kMethod{kSentence.c_str(), "KMBTPL01.gExclui_Template ( "};

// The other detail forms are checked through the envelopes below.
TEST(ErrorTrap, MethodDetailWithSqlAndForeignExceptions) {
  EXPECT_EQ(MethodDetail({"s", "KMBTPL01.gExecutar_Query ( ", true}, RuntimeError(13, "Tipos incompatíveis", 42)),
            "KMBTPL01.gExecutar_Query ( Tipos incompatíveis : 13 )  no nº 42 strSq: ");
  RuntimeError from_std = CurrentFailure(std::make_exception_ptr(std::logic_error("x")));
  EXPECT_NE(from_std.number(), 0);
  EXPECT_NE(from_std.description().find("x"), std::string::npos);
  EXPECT_EQ(CurrentFailure(std::make_exception_ptr(RuntimeError(9, "fora"))).number(), 9);
}

class Envelope : public ::testing::Test {
 protected:
  template <typename Body>
  Variant Run(const Variant& user, Body body) {
    const CallContext call(Variant(db_.connection_string()), user, Variant(), message_);
    return RunMethod(kMethod, call, body);
  }
  testing::TempDatabase db_;
  Variant message_{"antes"};
};

TEST_F(Envelope, MethodFormResultsMessagesAndLog) {
  EXPECT_EQ(Run(Variant::Long(5), [] { return true; }), Variant::Integer(0));
  EXPECT_EQ(Run(Variant::Long(5), [] { return false; }), Variant::Integer(10));
  EXPECT_EQ(message_, Variant("antes"));
  EXPECT_EQ(db_.Count("LOG_MSG"), 0);
  auto fail = []() -> bool { throw RuntimeError(6, "Estouro"); };
  EXPECT_EQ(Run(Variant::Long(5), fail), Variant::Integer(10));
  EXPECT_EQ(message_, Variant(kSentence));
  EXPECT_EQ(Run(Variant("1"), fail), Variant::Integer(10));  // only user 1 sees the detail
  EXPECT_EQ(message_, Variant(kSentence + "KMBTPL01.gExclui_Template ( Estouro : 6 )  no nº 0"));
  // The log always has the detail, and loses the parentheses as every logged text does.
  const std::string logged = kSentence + "KMBTPL01.gExclui_Template  Estouro : 6   no nº 0";
  EXPECT_EQ(db_.Rows("SELECT TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID, MSG01 FROM LOG_MSG ORDER BY 2"),
            "1|1|" + logged + ";1|5|" + logged);
}

TEST_F(Envelope, RoutineFormLogsWithTheCallersKind) {
  std::string sql = "SELECT x";
  const CallContext call(Variant(db_.connection_string()), Variant::Long(1), Variant("OUTRO"), message_);
  EXPECT_FALSE(RunRoutine({"Frase.", " KMBICC.rotina ( "}, sql, call,
                          []() -> bool { throw RuntimeError(-5, "falhou", 3); }));
  EXPECT_EQ(message_, Variant("Frase. KMBICC.rotina ( falhou : -5)   No Nº 3 Strsq: SELECT x"));
  // Any kind other than the two writes the fixed date.
  EXPECT_EQ(FormatDate(db_.Scalar("SELECT DATA_LOG FROM LOG_MSG"), "yyyy/mm/dd"), "2002/01/01");
}

// Rows logged under a hold wait for the outermost hold to end, in order.
TEST_F(Envelope, HeldLogRowsAreWrittenWhenTheLastHoldEnds) {
  const Variant connection(db_.connection_string()), kind("SQLSERVER");
  Variant slot;
  const CallContext call(connection, Variant::Long(5), kind, slot);
  {
    MessageLogHold outer(call);
    gGrava_Log_Msg(call, kind, Variant::Long(1), Variant("primeira"));
    {
      MessageLogHold inner(call);
      gGrava_Log_Msg(call, kind, Variant::Long(1), Variant("segunda"));
    }
    // A row of no call, or of another call, is not held.
    Variant other_slot;
    const CallContext other(connection, Variant::Long(5), kind, other_slot);
    gGrava_Log_Msg(other, kind, Variant::Long(1), Variant("de outra chamada"));
    EXPECT_EQ(db_.Count("LOG_MSG"), 1);
  }
  EXPECT_EQ(db_.Rows("SELECT MSG01 FROM LOG_MSG ORDER BY rowid"), "de outra chamada;primeira;segunda");
  gGrava_Log_Msg(call, kind, Variant::Long(1), Variant("terceira"));
  EXPECT_EQ(db_.Count("LOG_MSG"), 4) << "without a hold the row is written at once";
}

}  // namespace
}  // namespace tpl
