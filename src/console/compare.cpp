// The four control methods side by side on the current case.
#include "console/compare.h"

#include <memory>
#include <system_error>
#ifndef __EMSCRIPTEN__
#include <thread>
#endif
#include <vector>

#include "engine/model/robotmodel.h"
#include "engine/model/simrun.h"

namespace hs {

MethodRun runmethod(const App& app, char method) {
  // A copy of the whole state (run histories included: they are large, so
  // on the heap). The engine keeps no state of its own beyond what the copy
  // holds, and each run brings its own evaluation memory.
  auto run = std::make_unique<App>(app);
  run->set.hybrid = method;
  // The work block as the last run had it: the window's drawing since then
  // must not make the current method's row differ from that run.
  run->set.worklen = app.runcase.worklen;
  // What the menu's rerun does after a method change: derive (the gain
  // design loads the method's servo targets), then simulate from t = 0.
  const std::vector<Pair> ends =
      calmodel(run->set, run->model, run->gains, run->path);
  MethodRun r;
  r.method = method;
  r.unreachableends = static_cast<int>(ends.size());
  r.rep = calcontrol(run->runmodel(), run->ctl, run->history());
  r.fig = figuresofmerit(run->history(), run->set, run->model);
  // The two error histories the comparison picture overlays.
  const RunHistory& h = run->history();
  const int last = laststepof(run->set.nstep);
  r.dt = run->set.dt;
  r.tf = run->path.tf;
  r.forceerr.assign(h.forceerr, h.forceerr + last + 1);
  r.perierr.assign(h.perierr, h.perierr + last + 1);
  return r;
}

std::array<MethodRun, 4> comparemethods(const App& app) {
#ifdef __EMSCRIPTEN__
  // WebAssembly without threads: the four runs one after another.
  std::array<MethodRun, 4> rows;
  for (std::size_t i = 0; i < COMPAREMETHODS.size(); ++i)
    rows[i] = runmethod(app, COMPAREMETHODS[i]);
  return rows;
#else
  // The four runs share nothing but the read-only source state, so each
  // gets a thread of its own; every thread writes only its own row.
  std::array<MethodRun, 4> rows;
  std::vector<std::thread> threads;
  threads.reserve(COMPAREMETHODS.size());
  std::size_t started = 0;
  try {
    for (; started < COMPAREMETHODS.size(); ++started)
      threads.emplace_back(
          [&app, &rows, started] { rows[started] = runmethod(app, COMPAREMETHODS[started]); });
  } catch (const std::system_error&) {
    // No thread to be had: the rest run here, one after another.
  }
  for (std::size_t i = started; i < COMPAREMETHODS.size(); ++i)
    rows[i] = runmethod(app, COMPAREMETHODS[i]);
  for (std::thread& t : threads) t.join();
  return rows;
#endif
}

}  // namespace hs
