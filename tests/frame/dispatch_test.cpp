#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tpl/runtime_error.h"
#include "tpl/tpl.h"

namespace tpl {
namespace {

TEST(Dispatch, TableHasUniqueIdentifiersAndNames) {
  std::set<int32_t> ids;
  for (const MethodInfo& method : TPL::Methods()) {
    EXPECT_TRUE(ids.insert(method.dispatch_id).second) << method.name;
    EXPECT_EQ(TPL::FindMethod(method.dispatch_id), &method) << method.name;
    EXPECT_EQ(TPL::FindMethod(method.name), &method) << method.name;
  }
  const MethodInfo* filter = TPL::FindMethod("GGRAVA_FILTRO");
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->dispatch_id, 0x60030010);
  EXPECT_EQ(filter->parameters.size(), 16u);
  EXPECT_EQ(filter->parameters[7].name, "IOVntArrMatriz_Filtro");
  const MethodInfo* xml = TPL::FindMethod(0x60030013);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(xml->name, "gBusca_Arquivo_Xml");
  EXPECT_EQ(xml->parameters.back().name, "outstrMsg_ret");
  EXPECT_EQ(TPL::FindMethod("gNaoExiste"), nullptr);
}

TEST(Dispatch, CallsItCannotMakeRaise) {
  TPL tpl;
  std::vector<Variant> args(3);
  try {
    tpl.Invoke("gNaoExiste", args);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error::kMethodNotSupported);
  }
  try {
    tpl.Invoke("gGrava_Filtro", args);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), error::kWrongArgumentCount);
  }
}

TEST(Dispatch, ArgumentsArePassedByReference) {
  TPL tpl;
  std::vector<Variant> args(16);
  args[9] = Variant("Data (inicial)");
  args[10] = Variant("{DATA_INI}");
  args[11] = Variant("D");
  Variant result = tpl.Invoke(0x60030010, args);
  EXPECT_EQ(result, Variant::Integer(0));
  EXPECT_EQ(args[5], Variant::Integer(1));
  EXPECT_EQ(args[9], Variant("Data inicial"));
  EXPECT_EQ(args[12], Variant("N"));
  ASSERT_TRUE(args[7].IsArray());
  EXPECT_EQ(args[7].AsArray().UBound(2), 7);
}

}  // namespace
}  // namespace tpl
