// The application state owned by main: what the user entered, the model
// derived from it, and the data of the runs.
#pragma once

#include "engine/case.h"
#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/control/hybrid.h"
#include "console/console.h"
#include "engine/settings.h"
#include "engine/model/robotmodel.h"
#include "engine/model/simrun.h"
#include "engine/run.h"

namespace hs {

struct App {
  SimSettings set;          // entered by the user
  RobotModel model;         // derived
  ContourPath path;         // derived
  ServoGains gains;         // derived
  Run runs[2];              // the last run of each robot type
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
// Whether a report of a point out of reach waits for a key: at the
// console it does; clients without a user at the keys (the batch program,
// the Python module) take the text alone.
enum class KeyWaits { yes, no };
// calmodel for the current selections, reporting unreachable path ends.
void derive(App& app, Console& con, KeyWaits waits = KeyWaits::yes);
// Reachability of path p's start and end for the robot of settings s, each
// point out of reach reported at once; the joint values are not kept.
void checkpathends(const SimSettings& s, const ContourPath& p, Console& con);
// Prints the two unreachable-point lines and waits for one key.
void reportunreachable(Console& con, const SimSettings& s, double x, double y,
                       KeyWaits waits = KeyWaits::yes);
// The step of the window's display sequence before the robot is drawn: the
// settings take the hand's dimensions as drawn (HANDWP, WORKLEN, WORKWID).
void sethanddimensions(SimSettings& s);
// The simulation run of the current case through the engine's one path
// (derive, simulate), with its console messages ("calcontrol()終わり", and
// the unreachable / divergence notes).
void runsimulation(App& app, Console& con, KeyWaits waits = KeyWaits::yes);
// The console's words for a run's diagnostics: the point out of reach
// (with its key wait), then `done`, then the closing notes on steps cut,
// points out of reach, a blow-up and each step beyond the model's domain
// (domainnote). A torque at its limit is not told.
void tellrun(Console& con, const SimSettings& s, const RunReport& rep, KeyWaits waits,
             const char* done);
// The console's sentence for a diagnostic of the model's domain (outofreach,
// handtravel, contactlost, saturated), in the message language; empty for
// any other code.
std::string domainnote(const Diagnostic& d);
// The console's words for a run made by a client without a user at the keys:
// its path ends out of reach as the derivation reports them, then tellrun.
void tellrun(Console& con, const Run& r);

}  // namespace hs
