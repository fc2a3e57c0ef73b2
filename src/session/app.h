// The interactive program's session, owned by main: what the user entered,
// the model derived from it, the data of the runs and the pending menu key.
#pragma once

#include <string>

#include "console/console.h"
#include "console/runsim.h"
#include "engine/case.h"
#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/control/hybrid.h"
#include "engine/model/robotmodel.h"
#include "engine/model/simrun.h"
#include "engine/run.h"
#include "engine/settings.h"

namespace hs {

struct App {
  SimSettings set;          // entered by the user
  RobotModel model;         // derived
  ContourPath path;         // derived
  ServoGains gains;         // derived
  Run runs[2];              // the last run of each robot type
  char menukey = '0';       // pending key command of the menu (a window key)
  RunModel runmodel() const { return RunModel{set, model, path, gains}; }
  // The last run of the current robot type: the one on screen.
  const Run& run() const { return runs[typeindex(set.type)]; }
  const RunHistory& history() const { return run().hist; }
  RunHistory& history() { return runs[typeindex(set.type)].hist; }
  const RunReport& lastrun() const { return run().report; }
  // The case of the run on screen, carry-overs included (the current
  // selections when there has been no run of this robot yet).
  Case runcase() const { return run().model ? run().model->source : caseof(set, path); }
};

// The state of model m as the menu's rerun leaves it, with no run yet.
App appof(const Model& m);

// Start-up steps 1-2: run constants, fixed work dimensions.
void installconstants(App& app);
// Default installation of both robots, all servo specs and all contours.
void setdefaults(App& app, Console& con);
// calmodel for the current selections, reporting unreachable path ends.
void derive(App& app, Console& con, KeyWaits waits = KeyWaits::yes);
// The simulation run of the current case through the engine's one path
// (derive, simulate), with its console messages ("calcontrol()終わり", and
// the unreachable / divergence notes).
void runsimulation(App& app, Console& con, KeyWaits waits = KeyWaits::yes);

// The session's reports of the run on screen and of its settings.
void printsettings(const App& app, Console& con);
std::string metricstext(const App& app);
std::string metricscsv(const App& app);
std::string historycsv(const App& app);
// Prints metricstext of the run on screen.
void printmetrics(const App& app, Console& con);
// Runs the four methods on the current case and prints their table; app is
// only read.
void printcompare(const App& app, Console& con);

}  // namespace hs
