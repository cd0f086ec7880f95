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

// The identifiers compiled hosts call the methods by; each method is also found by its name in any case.
TEST(Dispatch, EveryMethodKeepsItsIdentifierAndIsFoundByName) {
  const std::pair<int32_t, std::string_view> rows[] = {
      {0x60030000, "gGera_Excel"},           {0x60030001, "gGrava_Template"},
      {0x60030002, "gTesta_Query"},          {0x60030003, "gExclui_Template"},
      {0x60030004, "gExclui_Filtro_Template"}, {0x60030005, "gExecutar_Query"},
      {0x60030006, "gGera_Arquivo_EDI"},     {0x60030007, "mVerifica_JOBs"},
      {0x60030008, "gInclui_JOB"},           {0x60030009, "mInclui_Parametros_JOB"},
      {0x6003000b, "mMonta_Parametro"},      {0x6003000c, "mInclui_JOB"},
      {0x6003000e, "mConsiste_Inclui_JOB"},  {0x60030010, "gGrava_Filtro"},
      {0x60030011, "gObter_Dados_Template"}, {0x60030012, "gObter_Templates_do_Usuario"},
      {0x60030013, "gBusca_Arquivo_Xml"},
  };
  ASSERT_EQ(TPL::Methods().size(), std::size(rows));
  for (const auto& [id, name] : rows) {
    const MethodInfo* method = TPL::FindMethod(id);
    ASSERT_NE(method, nullptr) << name;
    EXPECT_EQ(method->name, name);
    EXPECT_EQ(TPL::FindMethod(UCase(std::string(name))), method) << name;
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
