// The engine's front door: a case is derived into a model, and a model is
// simulated into a run. Both are values; a run keeps the model it was made
// from, and whatever went wrong is in its diagnostics, never printed.
#pragma once

#include <memory>

#include "engine/case.h"
#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/model/diagnostics.h"
#include "engine/model/metrics.h"
#include "engine/model/robotmodel.h"
#include "engine/model/runmodel.h"
#include "engine/model/simrun.h"
#include "engine/settings.h"

namespace hs {

// Everything a run reads, derived from one case; read-only while it runs.
struct Model {
  Case source;           // what it was derived from
  SimSettings set;       // the case's settings as derived (sine end, work block)
  RobotModel robots;     // links, payload, motors, reducers, torque limits
  ContourPath path;      // the path and the speed profiles
  ServoGains gains;      // the PID gains of the case's method
  Diagnostics pathends;  // the path's ends beyond the arm's reach (code pathend)

  RunModel runmodel() const { return RunModel{set, robots, path, gains}; }
  const RobotData& robot() const { return robots.of(set.type); }
};

// The derived model of a case, as the menu's rerun derives it for the same
// choices and the same carry-overs.
Model derive(const Case& c);

// The data of one run: its model, its history and how it ended.
struct Run {
  std::shared_ptr<const Model> model;  // what it ran on (null before any run)
  RunHistory hist;                     // output steps 0 .. report.laststep
  // The model's path ends out of reach, then the run's own diagnostics in
  // the order met.
  RunReport report;

  // No error diagnostic: the results mean what they say.
  bool ok() const { return report.ok(); }
  const Diagnostics& diagnostics() const { return report.diagnostics; }
  int laststep() const { return hist.laststep(); }
  // Figures of merit of the whole run.
  FiguresOfMerit figures() const;
};

// One run of the model from t = 0 over its nstep output steps.
Run simulate(const Model& m);
Run simulate(std::shared_ptr<const Model> m);

}  // namespace hs
