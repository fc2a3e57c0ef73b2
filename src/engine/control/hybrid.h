// Motion-force hybrid control law (methods 1, 3, 4, 6) and its memory.
#pragma once

#include "engine/control/command.h"
#include "engine/model/diagnostics.h"
#include "engine/model/runmodel.h"

namespace hs {

// Memory of the control law between evaluations; cleared by the call at t = 0.
struct EvalMemo;

struct ControlState {
  double tprev = 0;          // time of the previous call [s]
  Pair qref{};               // reference joints of the command's inverse kinematics [rad | m]
  double ferr = 0;           // force error Fn - F [N]
  double ferrprev = 0;       // previous force error [N]
  double ferrdot = 0;        // its rate [N/s]
  double ferrint = 0;        // its integral [N s]
  Pair deflerr{};            // desired minus actual motor-side deflection offset [rad]
  Pair deflerrprev{};        // previous deflection error [rad]
  Pair deflerrdot{};         // its rate [rad/s]
  Pair deflerrint{};         // its integral [rad s]
  double terr = 0;           // method 3 tangential position error [m]
  double terrint = 0;        // its integral; method 6 arc-position error integral [m s]
  double stip = 0;           // method 6 arc position of the real tip [m]
  double stipprev = 0;       // its previous value [m]
  double stipdot = 0;        // its rate [m/s]
  // Diagnostics of the run in progress, where the command generator notes
  // the first commanded point out of reach (set by calcontrol, not owned);
  // null: nothing is noted.
  Diagnostics* notes = nullptr;
  // Evaluation memory of the run in progress (set by calcontrol, not owned);
  // null means every evaluation is computed afresh.
  EvalMemo* memo = nullptr;
};

// Motor torques (T1, T2) [N m], limited to +-T1max, +-T2max.
Pair hybridcontrol(const RunModel& rm, ControlState& cs, double t, const SimState& x);

}  // namespace hs
