#include <string>

#include "support/suite.h"
#include "tpl/text.h"

namespace tpl {
namespace {

// The number Invoke raised; 0 when it raised nothing.
template <typename Method>
int32_t Raised(Method method, std::vector<Variant>& args) {
  try {
    TPL().Invoke(method, args);
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

TEST(Dispatch, CallsItCannotMakeRaise) {
  std::vector<Variant> args(3);
  EXPECT_EQ(Raised("gNaoExiste", args), error::kMethodNotSupported);
  EXPECT_EQ(Raised(0x6003000a, args), error::kMethodNotSupported);
  EXPECT_EQ(Raised("gGrava_Filtro", args), error::kWrongArgumentCount);
}

// The interface late-bound callers rely on, each method found by its identifier and by its name in any case. Parameter
// types one letter each: V(ariant), L(ong), S(tring); roles one letter each: C(onnection string), K(ind of database),
// M(essage slot), U(ser), "." an ordinary parameter.
TEST(Dispatch, EveryMethodHasTheResultParameterTypesAndRolesOfTheInterface) {
  struct Row { int32_t id; std::string_view name; ResultType result; std::string types, roles; };
  const Row rows[] = {
      {0x60030000, "gGera_Excel", ResultType::Variant, "VVVVVVVVVV", "CUMK......"},
      {0x60030001, "gGrava_Template", ResultType::Variant, "VVVVVVVVVVVVVVVVV", "CUMK............."},
      {0x60030002, "gTesta_Query", ResultType::Variant, "VVVVVVVVVVVVVV", "CUMK.........."},
      {0x60030003, "gExclui_Template", ResultType::Variant, "VVVVV", "CUMK."},
      {0x60030004, "gExclui_Filtro_Template", ResultType::Variant, "VVVVVV", "CUMK.."},
      {0x60030005, "gExecutar_Query", ResultType::Variant, "VVVVVVVVVVVVVVVVVVV", "CUMK..............."},
      {0x60030006, "gGera_Arquivo_EDI", ResultType::Boolean, "VVVVVVVVVVVVVV", "CUMK.........."},
      {0x60030007, "mVerifica_JOBs", ResultType::Boolean, "VVVVVVVVVVVVVV", "CUMK.........."},
      {0x60030008, "gInclui_JOB", ResultType::Boolean, "VVVVVVVVVVVVVVV", "KCUM..........."},
      {0x60030009, "mInclui_Parametros_JOB", ResultType::Boolean, "LSSSLV", "..CKUM"},
      {0x6003000b, "mMonta_Parametro", ResultType::Boolean, "SSLVVVSL", "KCUM...."},
      {0x6003000c, "mInclui_JOB", ResultType::Boolean, "LLSSVSSSSVSSS", "U....CK..M..."},
      {0x6003000e, "mConsiste_Inclui_JOB", ResultType::Boolean, "SSLVVVVVVV", "KCUM......"},
      {0x60030010, "gGrava_Filtro", ResultType::Variant, "VVVVVVVVVVVVVVVV", "CUMK............"},
      {0x60030011, "gObter_Dados_Template", ResultType::Variant, "VVVVVVVVVVVVVVVVVV", "CUMK.............."},
      {0x60030012, "gObter_Templates_do_Usuario", ResultType::Variant, "VVVVVVVV", "CUMK...."},
      {0x60030013, "gBusca_Arquivo_Xml", ResultType::Variant, "VVVVVVVVV", "CUK.....M"},
  };
  const std::vector<MethodInfo>& methods = TPL::Methods();
  ASSERT_EQ(methods.size(), std::size(rows));
  for (size_t i = 0; i < methods.size(); ++i) {
    std::string types, roles;
    for (const ParameterInfo& parameter : methods[i].parameters) {
      types += parameter.type == ParameterType::Long ? 'L' : parameter.type == ParameterType::String ? 'S' : 'V';
      roles += "CKMU."[parameter.role == ParameterRole::Connection     ? 0
                       : parameter.role == ParameterRole::DatabaseKind ? 1
                       : parameter.role == ParameterRole::MessageSlot  ? 2
                       : parameter.role == ParameterRole::User         ? 3
                                                                       : 4];
    }
    EXPECT_EQ(methods[i].dispatch_id, rows[i].id) << rows[i].name;
    EXPECT_EQ(methods[i].name, rows[i].name);
    EXPECT_EQ(TPL::FindMethod(rows[i].id), &methods[i]) << rows[i].name;
    EXPECT_EQ(TPL::FindMethod(UCase(std::string(rows[i].name))), &methods[i]) << rows[i].name;
    EXPECT_EQ(methods[i].result, rows[i].result) << rows[i].name;
    EXPECT_EQ(types, rows[i].types) << rows[i].name;
    EXPECT_EQ(roles, rows[i].roles) << rows[i].name;
  }
}

// Typed parameters are converted on the way in and written back as Long and String; a Boolean result comes back as a
// Variant.
TEST(Dispatch, TypedArgumentsAreConvertedAndWrittenBack) {
  std::vector<Variant> args = {"SQLSERVER",          "",  Variant::Integer(57), Variant(),
                               testing::Vector({"A", "B"}), Variant::Integer(2), "previous", "123"};
  EXPECT_EQ(TPL().Invoke("mMonta_Parametro", args), Variant(true));
  EXPECT_EQ(args[6], Variant("123__JOB____A__B"));
  EXPECT_EQ(args[2].type(), VarType::Long);
  EXPECT_EQ(args[2], Variant::Long(57));
  EXPECT_EQ(args[7].type(), VarType::Long);
  EXPECT_EQ(args[7], Variant::Long(123));
}

// Before the method runs: a text that is no number, or an array, raises 13; Null raises 13 for a String and, as CLng
// does, 94 for a Long; a number beyond 32 bits overflows.
TEST(Dispatch, TypedArgumentsThatDoNotConvertRaiseBeforeTheCall) {
  struct Row { size_t index; Variant value; int32_t number; };
  const Row rows[] = {{2, "cinquenta", error::kTypeMismatch},
                      {1, testing::Vector({"a"}), error::kTypeMismatch}, {0, Variant::Null(), error::kTypeMismatch},
                      {7, Variant::Null(), error::kInvalidUseOfNull}, {7, Variant(3e9), error::kOverflow}};
  for (const Row& row : rows) {
    std::vector<Variant> args = {"SQLSERVER", "", Variant::Long(57), Variant(),
                                 Variant(),   Variant::Integer(0), "unchanged", Variant::Long(1)};
    args[row.index] = row.value;
    EXPECT_EQ(Raised(0x6003000b, args), row.number) << row.index << ": " << testing::Show(row.value);
    EXPECT_EQ(args[6], Variant("unchanged")) << "the method ran";
  }
}

}  // namespace
}  // namespace tpl
