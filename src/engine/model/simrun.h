// One simulation run from t = 0 and its recorded history.
#pragma once

#include "engine/control/hybrid.h"
#include "engine/model/diagnostics.h"
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
// Output step `step` held to the steps 0 .. laststepof(nstep) a run of nstep
// steps records: the one rule of every client that picks a step (stepping
// keys, pictures, graphs, figures).
int clampstep(int step, int nstep);

// How a run ended: its diagnostics in the order met, and the last output
// step it wrote.
struct RunReport {
  Diagnostics diagnostics;  // out of reach, diverged, torque limit, steps clamped
  int laststep = 0;         // last output step written (nstep, or less when clamped)

  // No error diagnostic: neither out of reach nor diverged.
  bool ok() const { return noerror(diagnostics); }
  bool unreachable() const { return find(DiagCode::unreachable) != nullptr; }
  bool diverged() const { return find(DiagCode::diverged) != nullptr; }
  const Diagnostic* find(DiagCode code) const { return finddiagnostic(diagnostics, code); }
};

// Runs nstep output steps for the current robot type into hist.
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist);
// The same run with the evaluation memory switched on or off; both store
// the same numbers (the memory only saves repeated evaluations).
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist, bool memo);
// Sub-steps of the output step whose sub-step clock stands at tau: finer
// steps near the three corners of the speed profile.
int substeps(double tau, double ta, double tf, double dt);
// Stores output step i.
void storestep(const RunModel& rm, ControlState& cs, RunHistory& hist, int i, double t,
               const Pair& mcmd, const Pair& P, const SimState& x);

}  // namespace hs
