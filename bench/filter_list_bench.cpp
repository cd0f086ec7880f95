// Validation and preparation of a list filter as the list grows: both walk
// the typed text once, so the time per element stays flat (a list of
// 40,000 numbers, 80 KB, once took eleven seconds when positions were
// counted from the start of the text at every step).
#include <benchmark/benchmark.h>

#include <string>

#include "report/filters.h"
#include "report/query_preparation.h"
#include "tpl/variant.h"

namespace tpl {
namespace {

// One list filter of numbers, {@IDS@}, holding `count` elements.
Variant FilterMatrixWithList(int64_t count) {
  std::string list;
  for (int64_t i = 0; i < count; ++i) list += (i ? "," : "") + std::to_string(i % 1000);
  Array matrix = Array::Matrix(2, 8);
  matrix.at(0, 1) = Variant("Ids");
  matrix.at(0, 2) = Variant("{@IDS@}");
  matrix.at(0, 3) = Variant("N");
  matrix.at(0, 4) = Variant::Long(1);
  matrix.at(0, 6) = Variant(list);
  return Variant(std::move(matrix));
}

void BM_ListFilterCheckAndPrepare(benchmark::State& state) {
  Variant connection(""), user(Variant::Long(5)), kind("SQLSERVER"), lines(Variant::Integer(1));
  Variant columns(Variant::Integer(8));
  for (auto _ : state) {
    state.PauseTiming();
    Variant matrix = FilterMatrixWithList(state.range(0));
    Variant message, query("SELECT 1 WHERE ID IN ({@IDS@})");
    state.ResumeTiming();
    const CallContext call(connection, user, kind, message);
    bool done = mConsiste_Filtros(call, query, matrix, lines, columns) &&
                mPrepara_Query(call, query, matrix, lines, columns);
    if (!done) state.SkipWithError("the list was refused");
    benchmark::DoNotOptimize(query);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListFilterCheckAndPrepare)->RangeMultiplier(4)->Range(1000, 64000)->Complexity();

}  // namespace
}  // namespace tpl

BENCHMARK_MAIN();
