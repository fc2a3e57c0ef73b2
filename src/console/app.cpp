// Start-up installation of constants and defaults, and the derivation step
// with its console report of path ends out of reach.
#include "console/app.h"

#include "engine/case.h"

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

void sethanddimensions(SimSettings& s) {
  s.wp = HANDWP;
  s.worklen = WORKLEN;
  s.workwid = WORKWID;
}

void reportunreachable(Console& con, const SimSettings& s, double x, double y, KeyWaits waits) {
  con.print("\n!!! 逆運動学の解なし．始めからやり直し．");
  con.print(fmt("\n    アーム長1,2=(%6.3f %6.3f) 位置(x,y)=(%6.3f %6.3f)", s.l1, s.l2 + s.wp, x, y));
  if (waits == KeyWaits::no) return;
  con.print(kKeyContinues);
  con.readkey();
}

// Reachability of path p's start and end for the robot of s; the joint
// values are not kept.
void checkpathends(const SimSettings& s, const ContourPath& p, Console& con) {
  for (const Pair& end : unreachableends(s, p, s.type)) reportunreachable(con, s, end[0], end[1]);
}

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

}  // namespace hs
