// Speed of the picture files: one PNG frame and the animated GIF of a whole
// default run (201 output steps), encoded in memory.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/compare.h"
#include "render/picture.h"
#include "../tests/runcase.h"

namespace {

const hs::App& sinerun() {
  static std::unique_ptr<hs::App> app = hs::defaultrun('b', '6', 'S');
  return *app;
}

void BM_PngFrame(benchmark::State& state) {
  const hs::App& app = sinerun();
  for (auto _ : state)
    benchmark::DoNotOptimize(hs::framebytes(app.run(), app.set.nstep, hs::PictureFormat::Png));
}
BENCHMARK(BM_PngFrame)->Unit(benchmark::kMillisecond);

void BM_GifWholeRun(benchmark::State& state) {
  const hs::App& app = sinerun();
  size_t bytes = 0;
  for (auto _ : state) bytes = hs::gifbytes(app.run()).size();
  state.counters["frames"] = app.set.nstep + 1;
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GifWholeRun)->Unit(benchmark::kMillisecond)->MinTime(5.0);

}  // namespace

namespace {

// The study picture of four runs (the four methods, made once outside the
// loop): drawing and PNG encoding only.
void BM_StudyPng4(benchmark::State& state) {
  const hs::App& app = sinerun();
  const auto rows = hs::comparemethods(app.runcase());
  std::vector<hs::StudyRun> runs;
  for (const hs::MethodRun& r : rows) runs.push_back({r.run.get(), "", std::string("method ") + hs::keyof(r.method)});
  for (auto _ : state)
    benchmark::DoNotOptimize(hs::studybytes(runs, "", hs::PictureFormat::Png));
}
BENCHMARK(BM_StudyPng4)->Unit(benchmark::kMillisecond);

}  // namespace
