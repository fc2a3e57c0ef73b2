// The four control methods side by side on the current case.
#include "engine/compare.h"

#include <system_error>
#ifndef __EMSCRIPTEN__
#include <thread>
#endif
#include <vector>

#include "engine/run.h"

namespace hs {

MethodRun runmethod(const Case& c, Method method) {
  // What the menu's rerun does after a method change: derive (the gain
  // design loads the method's servo targets), then simulate from t = 0.
  Case k = c;
  k.set.hybrid = method;
  const auto shared = std::make_shared<const Run>(simulate(derive(k)));
  const Run& run = *shared;
  MethodRun r;
  r.method = method;
  r.rep = run.report;
  r.fig = run.figures();
  // The two error histories the comparison picture overlays.
  r.dt = run.model->set.dt;
  r.tf = run.model->path.tf;
  r.forceerr = run.hist.forceerr;
  r.perierr = run.hist.perierr;
  r.run = shared;
  return r;
}

std::array<MethodRun, 4> comparemethods(const Case& c) {
#ifdef __EMSCRIPTEN__
  // WebAssembly without threads: the four runs one after another.
  std::array<MethodRun, 4> rows;
  for (std::size_t i = 0; i < COMPAREMETHODS.size(); ++i)
    rows[i] = runmethod(c, COMPAREMETHODS[i]);
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
          [&c, &rows, started] { rows[started] = runmethod(c, COMPAREMETHODS[started]); });
  } catch (const std::system_error&) {
    // No thread to be had: the rest run here, one after another.
  }
  for (std::size_t i = started; i < COMPAREMETHODS.size(); ++i)
    rows[i] = runmethod(c, COMPAREMETHODS[i]);
  for (std::thread& t : threads) t.join();
  return rows;
#endif
}

}  // namespace hs
