#include "frame/error_trap.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/temp_database.h"
#include "tpl/conversions.h"
#include "tpl/datetime.h"

namespace tpl {
namespace {

using testing::TempDatabase;

const MethodTrap kMethod{"Acesso a chamada de rotina de exclusão não disponível. Favor tentar "
                         "mais tarde.",
                         "KMBTPL01.gExclui_Template ( "};

TEST(ErrorTrap, DetailTextsOfBothForms) {
  RuntimeError error(13, "Tipos incompatíveis", 42);
  EXPECT_EQ(MethodDetail(kMethod, error),
            "KMBTPL01.gExclui_Template ( Tipos incompatíveis : 13 )  no nº 42");
  MethodTrap with_sql{"s", "KMBTPL01.gExecutar_Query ( ", true};
  EXPECT_EQ(MethodDetail(with_sql, error),
            "KMBTPL01.gExecutar_Query ( Tipos incompatíveis : 13 )  no nº 42 strSq: ");
  RoutineTrap routine{"s", " KMBICC.x ( "};
  EXPECT_EQ(RoutineDetail(routine, error, "SELECT 1"),
            " KMBICC.x ( Tipos incompatíveis : 13)   No Nº 42 Strsq: SELECT 1");
}

TEST(ErrorTrap, ForeignExceptionsBecomeNumberedErrors) {
  RuntimeError from_std = CurrentFailure(std::make_exception_ptr(std::logic_error("x")));
  EXPECT_NE(from_std.number(), 0);
  EXPECT_NE(from_std.description().find("x"), std::string::npos);
  RuntimeError own = CurrentFailure(std::make_exception_ptr(RuntimeError(9, "fora")));
  EXPECT_EQ(own.number(), 9);
}

class MethodEnvelope : public ::testing::Test {
 protected:
  Variant Fail(const Variant& user, Variant& message) {
    return RunMethod(kMethod, Variant(db_.connection_string()), user, message,
                     []() -> bool { throw RuntimeError(6, "Estouro"); });
  }
  TempDatabase db_;
};

TEST_F(MethodEnvelope, OnlyUserOneSeesTheDetailAndTheLogAlwaysHasIt) {
  Variant message;
  EXPECT_EQ(Fail(Variant::Long(5), message), Variant::Integer(10));
  EXPECT_EQ(message, Variant(std::string(kMethod.sentence)));

  EXPECT_EQ(Fail(Variant("1"), message), Variant::Integer(10));
  EXPECT_EQ(message, Variant(std::string(kMethod.sentence) +
                             "KMBTPL01.gExclui_Template ( Estouro : 6 )  no nº 0"));

  db::Recordset rows =
      db_.Query("SELECT TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID, MSG01 FROM LOG_MSG ORDER BY 2");
  ASSERT_EQ(rows.RecordCount(), 2);
  EXPECT_EQ(CLng(rows.Value(0)), 1);
  // The log loses the parentheses, as every logged text does.
  EXPECT_EQ(CStr(rows.Value(2)),
            std::string(kMethod.sentence) + "KMBTPL01.gExclui_Template  Estouro : 6   no nº 0");
}

TEST_F(MethodEnvelope, SuccessAndRefusal) {
  Variant message("antes");
  EXPECT_EQ(RunMethod(kMethod, Variant(db_.connection_string()), Variant::Long(5), message,
                      [] { return true; }),
            Variant::Integer(0));
  EXPECT_EQ(RunMethod(kMethod, Variant(db_.connection_string()), Variant::Long(5), message,
                      [] { return false; }),
            Variant::Integer(10));
  EXPECT_EQ(message, Variant("antes"));
  EXPECT_EQ(CLng(db_.Scalar("SELECT COUNT(*) FROM LOG_MSG")), 0);
}

TEST_F(MethodEnvelope, SecondFormLogsWithTheCallersKind) {
  Variant message;
  RoutineTrap trap{"Frase.", " KMBICC.rotina ( "};
  std::string sql = "SELECT x";
  EXPECT_FALSE(RunRoutine(trap, sql, Variant("OUTRO"), Variant(db_.connection_string()),
                          Variant::Long(1), message,
                          []() -> bool { throw RuntimeError(-5, "falhou", 3); }));
  EXPECT_EQ(message, Variant("Frase. KMBICC.rotina ( falhou : -5)   No Nº 3 Strsq: SELECT x"));
  // Any kind other than the two writes the fixed date.
  EXPECT_EQ(FormatDate(db_.Scalar("SELECT DATA_LOG FROM LOG_MSG"), "yyyy/mm/dd"), "2002/01/01");
}

}  // namespace
}  // namespace tpl
