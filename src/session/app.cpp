// Start-up installation of constants and defaults, the derivation step with
// its console report of path ends out of reach, the session's run and its
// reports of the run on screen.
#include "session/app.h"

#include "console/historycsv.h"
#include "console/meritreport.h"
#include "console/report.h"
#include "engine/case.h"
#include "engine/model/metrics.h"

namespace hs {

App appof(const Model& m) {
  App app;
  app.set = m.set;
  app.model = m.robots;
  app.path = m.path;
  app.gains = m.gains;
  return app;
}

// Run constants and the fixed dimensions of the carried work.
void installconstants(App& app) { installrunconstants(app.set); }

// Default installation; path ends out of reach are reported one by one.
void setdefaults(App& app, Console& con) {
  const auto unreachable = installdefaults(app.set, app.model, app.gains, app.path);
  for (const auto& [type, end] : unreachable) {
    SimSettings probe = app.set;
    probe.type = type;
    reportunreachable(con, probe, end[0], end[1]);
  }
}

// Full derivation for the current selections; path ends out of reach are
// reported one by one, each waiting for a key.
void derive(App& app, Console& con, KeyWaits waits) {
  const std::vector<Pair> out = calmodel(app.set, app.model, app.gains, app.path);
  for (const Pair& p : out) reportunreachable(con, app.set, p[0], p[1], waits);
}

void runsimulation(App& app, Console& con, KeyWaits waits) {
  Run& run = app.runs[typeindex(app.set.type)];
  run = simulate(derive(caseof(app.set, app.path)));
  tellrun(con, app.set, run.report, waits, "\ncalcontrol()終わり");
}

void printsettings(const App& app, Console& con) {
  printsettings(app.set, app.gains, app.path, con);
}

std::string metricstext(const App& app) {
  return metricstext(app.set, figuresofmerit(app.history(), app.set, app.model));
}

std::string metricscsv(const App& app) {
  return metricscsv(app.set.hybrid, figuresofmerit(app.history(), app.set, app.model));
}

std::string historycsv(const App& app) { return historycsv(app.history(), app.set.dt); }

void printmetrics(const App& app, Console& con) { con.print(metricstext(app)); }

void printcompare(const App& app, Console& con) {
  con.print(comparetext(app.set, comparemethods(app.runcase())));
}

}  // namespace hs
