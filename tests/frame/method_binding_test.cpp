#include "frame/method_binding.h"

#include <stdexcept>

#include "support/suite.h"

namespace tpl {
namespace {

TEST(MethodBinding, ATypedParameterNameMustSayItsType) {
  struct Row { std::string_view name; ParameterType type; bool fits; };
  constexpr ParameterType L = ParameterType::Long, S = ParameterType::String, V = ParameterType::Variant;
  const Row rows[] = {
      {"inlngLOG_GERADOR_ID", L, true}, {"lngValor", L, true}, {"OUTLNGTotal", L, true}, {"IOLngContador", L, true},
      {"InStrTxt_Query", S, true}, {"OutStrParametros", S, true}, {"strNome", S, true},
      {"instrConecta_db", V, true}, {"vntCampo", V, true},  // Variants may carry any prefix
      // A typed parameter without its marker, or with the other one.
      {"InVntTxt_Query", S, false}, {"instrConecta_db", L, false}, {"inlngLOG_GERADOR_ID", S, false},
      {"intValor", L, false}, {"inoutlngValor", L, false}, {"Valor_lng", L, false}, {"", L, false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(NameSaysType(row.name, row.type), row.fits) << '"' << row.name << "\" as " << static_cast<int>(row.type);
}

// A member that changes its typed arguments and then throws: what it wrote must still reach the caller.
class Probe {
 public:
  Variant FailHalfway(int32_t& count, std::string& text) {
    count = 99;
    text = "partial";
    throw std::runtime_error("stopped");
  }
};

TEST(MethodBinding, TypedArgumentsAreWrittenBackAlsoWhenTheMemberThrows) {
  constexpr auto row = Bind<&Probe::FailHalfway>(2, "FailHalfway", {"IOLngCount", "IOStrText"});
  const BoundMethod<Probe> fail = row;
  EXPECT_EQ(fail.info.result, ResultType::Variant);

  Probe probe;
  std::vector<Variant> args = {Variant::Long(1), Variant("texto")};
  EXPECT_THROW(fail.call(probe, args), std::runtime_error);
  EXPECT_EQ(args[0], Variant::Long(99));
  EXPECT_EQ(args[0].type(), VarType::Long);
  EXPECT_EQ(args[1], Variant("partial"));
}

}  // namespace
}  // namespace tpl
