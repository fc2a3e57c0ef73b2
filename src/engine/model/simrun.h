// One simulation run from t = 0 and its recorded history.
#pragma once

#include <functional>

#include "engine/control/hybrid.h"
#include "engine/model/runmodel.h"

namespace hs {

constexpr int HISTCAP = 500;  // output steps one history can hold

// Per-output-step arrays of one run; one instance per robot type.
struct RunHistory {
  Pair motorpos[HISTCAP]{};  // motor positions [rad]
  Pair tippos[HISTCAP]{};    // contact tip with deflection (X, Y) [m]
  Pair cmdpos[HISTCAP]{};    // commanded point (X, Y) [m]
  Pair poserr[HISTCAP]{};    // tippos - cmdpos [m]
  double perierr[HISTCAP]{}; // peripheral (along-path) position error [m]
  Pair force[HISTCAP]{};     // (normal contact force, 0) [N]
  double forceerr[HISTCAP]{};// force - Fn [N]
  Pair torque[HISTCAP]{};    // motor torques [N m]
  Pair tipdefl[HISTCAP]{};   // hand deflection, hand frame [m]
};

// The last output step a run of nstep steps writes: nstep, cut to what the
// history holds (and never below step 0).
int laststepof(int nstep);

// How a run ended, for the console messages around it.
struct RunReport {
  bool unreachable = false;   // a commanded point was out of reach
  double unreachable_t = 0;   // first time it was [s]
  bool diverged = false;      // the state stopped being finite / physical
  double diverged_t = 0;      // time of the last good output step [s]
  int laststep = 0;           // last output step written (nstep, or less when clamped)
  bool clamped = false;       // nstep exceeded the history's capacity
};

// Called the first time in a run that a commanded point is out of reach.
using UnreachableHook = std::function<void(double x, double y)>;

// Runs nstep output steps for the current robot type into hist.
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist,
                     const UnreachableHook& onunreachable = {});
// The same run with the evaluation memory switched on or off; both store
// the same numbers (the memory only saves repeated evaluations).
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist,
                     const UnreachableHook& onunreachable, bool memo);
// Sub-steps of the output step whose sub-step clock stands at tau: finer
// steps near the three corners of the speed profile.
int substeps(double tau, double ta, double tf, double dt);
// Stores output step i.
void storestep(const RunModel& rm, ControlState& cs, RunHistory& hist, int i, double t,
               const Pair& mcmd, const Pair& P, const SimState& x);

}  // namespace hs
