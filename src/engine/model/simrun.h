// One simulation run from t = 0 and its recorded history.
#pragma once

#include <vector>

#include "engine/control/hybrid.h"
#include "engine/model/diagnostics.h"
#include "engine/model/runmodel.h"

namespace hs {

// Per-output-step arrays of one run, sized to the run: steps 0 .. laststep.
struct RunHistory {
  std::vector<Pair> motorpos;   // motor positions [rad]
  std::vector<Pair> tippos;     // contact tip with deflection (X, Y) [m]
  std::vector<Pair> cmdpos;     // commanded point (X, Y) [m]
  std::vector<Pair> poserr;     // tippos - cmdpos [m]
  std::vector<double> perierr;  // peripheral (along-path) position error [m]
  std::vector<Pair> force;      // (normal contact force, 0) [N]
  std::vector<double> forceerr; // force - Fn [N]
  std::vector<Pair> torque;     // motor torques [N m]
  std::vector<Pair> tipdefl;    // hand deflection, hand frame [m]

  // Room for steps 0 .. laststep, all zero; before any run only step 0.
  explicit RunHistory(int laststep = 0) { resize(laststep); }
  void resize(int laststep);
  // The last step held [output step index].
  int laststep() const { return static_cast<int>(tippos.size()) - 1; }
  // Output step `step` held to the steps 0 .. laststep(): the one rule of
  // every client that picks a step (stepping keys, pictures, graphs, figures).
  int clamp(int step) const;
};

// The last output step a run of nstep steps writes: nstep, never below 0.
int laststepof(int nstep);

// How a run ended: its diagnostics in the order met, and the last output
// step it wrote.
struct RunReport {
  Diagnostics diagnostics;  // path ends and points out of reach, diverged, torque limit
  int laststep = 0;         // last output step written (nstep)

  // No error diagnostic: nothing out of reach, not diverged.
  bool ok() const { return noerror(diagnostics); }
  bool unreachable() const {
    return find(DiagCode::unreachable) != nullptr || find(DiagCode::pathend) != nullptr;
  }
  bool diverged() const { return find(DiagCode::diverged) != nullptr; }
  const Diagnostic* find(DiagCode code) const { return finddiagnostic(diagnostics, code); }
};

// Runs nstep output steps for the current robot type into hist, sized to them.
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist);
// The same run with the evaluation memory switched on or off; both store
// the same numbers (the memory only saves repeated evaluations).
RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist, bool memo);
// Sub-steps of the output step whose sub-step clock stands at tau: finer
// steps near the three corners of the speed profile.
int substeps(double tau, double ta, double tf, double dt);
// Output step i at time t [s] from state x and commanded point P [m]: the
// contact force and deflection, the control law's torques, the tip and the
// errors against the command.
void storestep(const RunModel& rm, ControlState& cs, RunHistory& hist, int i, double t,
               const Pair& P, const SimState& x);

}  // namespace hs
