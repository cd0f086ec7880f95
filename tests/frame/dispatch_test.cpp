#include <set>

#include "support/suite.h"

namespace tpl {
namespace {

// What the host sees of the table (names, identifiers, parameters) is checked
// by the command-line tests; here, that the look-ups agree with the table.
TEST(Dispatch, MethodsAreFoundByUniqueIdentifierAndByNameInAnyCase) {
  std::set<int32_t> ids;
  for (const MethodInfo& method : TPL::Methods()) {
    EXPECT_TRUE(ids.insert(method.dispatch_id).second) << method.name;
    EXPECT_EQ(TPL::FindMethod(method.dispatch_id), &method) << method.name;
    EXPECT_EQ(TPL::FindMethod(method.name), &method) << method.name;
  }
  EXPECT_EQ(TPL::FindMethod("GGRAVA_FILTRO"), TPL::FindMethod(0x60030010));
}

TEST(Dispatch, CallsItCannotMakeRaise) {
  auto raised = [](const char* name) {
    std::vector<Variant> args(3);
    try {
      TPL().Invoke(name, args);
    } catch (const RuntimeError& error) {
      return error.number();
    }
    return 0;
  };
  EXPECT_EQ(raised("gNaoExiste"), error::kMethodNotSupported);
  EXPECT_EQ(raised("gGrava_Filtro"), error::kWrongArgumentCount);
}

TEST(Dispatch, CallByIdentifierPassesTheArgumentsByReference) {
  std::vector<Variant> args(16);
  args[9] = Variant("Data (inicial)");
  args[10] = Variant("{DATA_INI}");
  args[11] = Variant("D");
  EXPECT_EQ(TPL().Invoke(0x60030010, args), Variant::Integer(0));
  EXPECT_EQ(args[5], Variant::Integer(1));
  EXPECT_EQ(args[9], Variant("Data inicial"));
  EXPECT_EQ(args[12], Variant("N"));
  ASSERT_TRUE(args[7].IsArray());
  EXPECT_EQ(args[7].AsArray().UBound(2), 7);
}

}  // namespace
}  // namespace tpl
