// The four methods side by side on separate threads against the same four
// runs one after another, on the default case of each robot and contour.
// Wall-clock time: the point of the threads is the time the user waits.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/enginecase.h"
#include "engine/compare.h"

namespace {

void BM_Compare(benchmark::State& state, char type, char contour) {
  const auto app = hs::selectedcase(type, '1', contour);
  for (auto _ : state) {
    const auto rows = hs::comparemethods(app->runcase());
    benchmark::DoNotOptimize(rows[3].fig.frms);
  }
}

void BM_FourRuns(benchmark::State& state, char type, char contour) {
  const auto app = hs::selectedcase(type, '1', contour);
  for (auto _ : state) {
    for (hs::Method method : hs::COMPAREMETHODS) {
      const hs::MethodRun row = hs::runmethod(app->runcase(), method);
      benchmark::DoNotOptimize(row.fig.frms);
    }
  }
}

const int registered = [] {
  for (char contour : {'L', 'C', 'S'})
    for (char type : {'a', 'b'}) {
      const std::string name = std::string{type, contour};
      benchmark::RegisterBenchmark(("Compare/" + name).c_str(), BM_Compare, type, contour)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      benchmark::RegisterBenchmark(("FourRuns/" + name).c_str(), BM_FourRuns, type, contour)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  return 0;
}();

}  // namespace
