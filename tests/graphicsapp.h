// An App with the start-up values the pictures depend on, filled in by hand
// so the drawing tests need neither the derivation nor a simulation run; its
// run on screen is made of those fields, and the window's display state
// comes with it.
#pragma once

#include <cmath>
#include <memory>

#include "session/app.h"
#include "engine/case.h"
#include "engine/run.h"
#include "enginecase.h"
#include "view/canvas.h"
#include "view/displaystate.h"

namespace hs {
namespace testing_graphics {

// A hand-built App and the display state of the window showing it.
struct ShownApp : App {
  DisplayState disp;
};

// The run of app's current fields: its model made of them (no derivation),
// its history the one of the run on screen.
inline Run runof(const App& app) {
  Run r;
  r.model = std::make_shared<const Model>(
      Model{caseof(app.set, app.path), app.set, app.model, app.path, app.gains, {}});
  r.hist = app.history();
  return r;
}

// Gives the run on screen the model of app's current fields (after a test
// has changed them), keeping its history.
inline void setrun(App& app) {
  app.runs[typeindex(app.set.type)].model = runof(app).model;
}

inline std::unique_ptr<ShownApp> makeapp(char type = 'b', char curve = 'S') {
  auto app = std::make_unique<ShownApp>();
  SimSettings& s = app->set;
  s.type = robotkey(type);
  s.hybrid = Method::hybrid6;
  s.curve = contourkey(curve);
  s.l = 0.7;
  s.l1 = 0.5;
  s.l2 = 0.3;
  s.u1_a = s.u2_a = s.u1_b = s.u2_b = 100;
  s.wp = 0.2;
  s.worklen = 0.15;
  s.workwid = 0.02;
  s.Fn = 10;
  s.nstep = 200;
  s.dt = 0.04;
  s.line = {0.3, 0.0, 0.3, 0.3, 4.0};
  s.circle = {0.4, 0.0, 0.25, 6.0};
  s.sine = {0.2, 0.3, 0.6, 0.2, 4.0, 0.8, 0.3};
  app->path.tf = curve == 'C' ? 6.0 : 4.0;
  app->path.lineang = PI / 2;
  app->model.a.darm = 0.04;
  app->model.a.blocklen = 0.12;
  app->model.a.blockwid = 0.08;
  app->model.b.d1 = 0.05;
  app->model.b.d2 = 0.04;
  for (RobotData* r : {&app->model.a, &app->model.b}) {
    r->T1max = 2.0;
    r->T2max = 1.0;
  }
  app->history().resize(s.nstep);
  setrun(*app);
  return app;
}

// Centre of a polygon's points (the centre of a disc).
inline Pair centroid(const Primitive& p) {
  Pair c{0, 0};
  for (const Pair& q : p.pts) {
    c[0] += q[0];
    c[1] += q[1];
  }
  c[0] /= p.pts.size();
  c[1] /= p.pts.size();
  return c;
}

// Largest distance of a polygon's points from its centre (a disc's radius).
inline double radius(const Primitive& p) {
  const Pair c = centroid(p);
  double r = 0;
  for (const Pair& q : p.pts) r = std::fmax(r, std::hypot(q[0] - c[0], q[1] - c[1]));
  return r;
}

}  // namespace testing_graphics
}  // namespace hs
