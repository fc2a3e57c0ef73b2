// Derivation plus one complete run (calmodel + calcontrol) for every robot x
// method x contour of the defaults, with the evaluation memory (as the
// programs run) and without it (the plain evaluation), for the speed-up.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "session/app.h"
#include "console/console.h"
#include "session/startup.h"
#include "engine/model/robotmodel.h"
#include "engine/model/simrun.h"
#include "../tests/enginecase.h"

namespace {

std::unique_ptr<hs::App> defaults(char type, char method, char contour) {
  auto app = std::make_unique<hs::App>();
  hs::ScriptConsole con("");
  hs::startup(*app, con,
              hs::selections(hs::robotkey(type), hs::methodkey(method), hs::contourkey(contour)));
  return app;
}

void BM_Run(benchmark::State& state, char type, char method, char contour, bool memo) {
  auto app = defaults(type, method, contour);
  for (auto _ : state) {
    hs::calmodel(app->set, app->model, app->gains, app->path);
    hs::ControlState cs;
    const hs::RunReport rep = hs::calcontrol(app->runmodel(), cs, app->history(), memo);
    benchmark::DoNotOptimize(rep);
    benchmark::DoNotOptimize(app->history().force[200][0]);
  }
}

const int registered = [] {
  for (char contour : {'L', 'C', 'S'})
    for (char method : {'1', '3', '4', '6'})
      for (char type : {'a', 'b'})
        for (bool memo : {true, false}) {
          const std::string name = std::string("Run/") + type + method + contour +
                                   (memo ? "" : "/plain");
          benchmark::RegisterBenchmark(name.c_str(), BM_Run, type, method, contour, memo)
              ->Unit(benchmark::kMillisecond);
        }
  return 0;
}();

}  // namespace
