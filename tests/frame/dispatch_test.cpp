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

TEST(Dispatch, EveryMethodIsFoundByIdentifierAndByNameInAnyCase) {
  for (const MethodInfo& method : TPL::Methods()) {
    EXPECT_EQ(TPL::FindMethod(method.dispatch_id), &method) << method.name;
    EXPECT_EQ(TPL::FindMethod(UCase(std::string(method.name))), &method) << method.name;
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
