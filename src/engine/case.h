// One case: everything a run depends on, as a value. The settings say what
// the user entered; two more values are left behind by earlier steps of a
// session and are named here so that a saved case runs again the same.
#pragma once

#include <utility>
#include <vector>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/model/robotmodel.h"
#include "engine/settings.h"

namespace hs {

struct Case {
  SimSettings set;  // everything entered, the robot, method and contour among it
  // Work block length of the payload [m]: 0.15 until the window first draws
  // the hand, which stores its own 0.14 for every later derivation.
  double worklen = 0.15;
  // Acceleration time ta of the robot's speed profile [s] as method 6 runs
  // with it: method 6 keeps whatever the last method 1, 3 or 4 trajectory
  // of that robot left (0 when there was none); it places the finer
  // sub-steps of the integration.
  double accwindow6 = 0;
};

// The case a derivation from s and the path p so far would run.
Case caseof(const SimSettings& s, const ContourPath& p);
// The other way: case c stored as settings s and its carry-overs into s and
// path p, as a derivation of it starts.
void storecase(const Case& c, SimSettings& s, ContourPath& p);

// The run constants (nstep 200, dt 0.04 s) and fixed work dimensions.
void installrunconstants(SimSettings& s);
// Default installation of both robots, all servo specs and all contours,
// deriving as it goes; the selections end at robot b, method 6, sine. Each
// path end a robot cannot reach comes back with the robot, in order.
std::vector<std::pair<Robot, Pair>> installdefaults(SimSettings& s, RobotModel& m, ServoGains& g,
                                                   ContourPath& p);

// The case every session starts from before its selections: run constants,
// defaults and the first derivation. Made once per process; needs no console.
Case defaultcase();
// Case c with robot `type`, method `hybrid` and contour `curve` chosen, all
// else as it was.
void select(Case& c, Robot type, Method hybrid, Contour curve);

}  // namespace hs
