// One simulation run of the closed loop from t = 0, recorded step by step.
#include "engine/model/simrun.h"

#include <algorithm>
#include <cmath>

#include "engine/control/command.h"
#include "engine/control/hybrid.h"
#include "engine/control/kinematics.h"
#include "engine/model/drive.h"
#include "engine/model/dynamics.h"
#include "engine/model/evalmemo.h"
#include "engine/model/integrator.h"

namespace hs {

namespace {

// A state beyond this magnitude has no physical meaning any more (motor
// positions of 1e10 rad): the integration has blown up.
constexpr double DIVERGENCE = 1e10;

bool physical(const SimState& x) {
  for (double v : x)
    if (!std::isfinite(v) || std::fabs(v) > DIVERGENCE) return false;
  return true;
}

bool finite(const Pair& p) { return std::isfinite(p[0]) && std::isfinite(p[1]); }

bool stepfinite(const RunHistory& h, int i) {
  return finite(h.motorpos[i]) && finite(h.tippos[i]) && finite(h.cmdpos[i]) &&
         finite(h.poserr[i]) && std::isfinite(h.perierr[i]) && finite(h.force[i]) &&
         std::isfinite(h.forceerr[i]) && finite(h.torque[i]) && finite(h.tipdefl[i]);
}

void copystep(RunHistory& h, int from, int to) {
  h.motorpos[to] = h.motorpos[from];
  h.tippos[to] = h.tippos[from];
  h.cmdpos[to] = h.cmdpos[from];
  h.poserr[to] = h.poserr[from];
  h.perierr[to] = h.perierr[from];
  h.force[to] = h.force[from];
  h.forceerr[to] = h.forceerr[from];
  h.torque[to] = h.torque[from];
  h.tipdefl[to] = h.tipdefl[from];
}

// Replaces whatever is not a number in step i by zero.
void zerononfinite(RunHistory& h, int i) {
  auto fix = [](double& v) {
    if (!std::isfinite(v)) v = 0;
  };
  for (Pair* p : {&h.motorpos[i], &h.tippos[i], &h.cmdpos[i], &h.poserr[i], &h.force[i],
                  &h.torque[i], &h.tipdefl[i]}) {
    fix((*p)[0]);
    fix((*p)[1]);
  }
  fix(h.perierr[i]);
  fix(h.forceerr[i]);
}

// Lends the control state the run's evaluation memory and diagnostics, and
// takes both back however the run ends.
struct MemoScope {
  ControlState& cs;
  EvalMemo memo;
  MemoScope(ControlState& c, bool on, Diagnostics& notes) : cs(c) {
    cs.memo = on ? &memo : nullptr;
    cs.notes = &notes;
  }
  ~MemoScope() {
    cs.memo = nullptr;
    cs.notes = nullptr;
  }
};

double dist(const Pair& a, const Pair& b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1];
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

int substeps(double tau, double ta, double tf, double dt) {
  // Open windows of one output step either side of the speed profile's
  // corners, where the commanded acceleration jumps.
  auto inside = [tau](double lo, double hi) { return tau > lo && tau < hi; };
  if (inside(ta - dt - 1e-5, ta + dt + 1e-5) ||
      inside(tf - ta - dt - 1e-5, tf - ta + dt + 1e-5) ||
      inside(tf - dt - 1e-5, tf + dt + 1e-5))
    return 100;
  return 10;
}

void storestep(const RunModel& rm, ControlState& cs, RunHistory& hist, int i, double t,
               const Pair& P, const SimState& x) {
  const Pair m{x[0], x[1]};
  hist.motorpos[i] = m;
  const ContactOut ct = contactat(rm, cs, m);
  hist.force[i] = ct.force;
  hist.tipdefl[i] = ct.p;
  hist.forceerr[i] = hist.force[i][0] - rm.set.Fn;
  // One more evaluation of the control law at the output time.
  hist.torque[i] = hybridcontrol(rm, cs, t, x);
  hist.tippos[i] = realtip(rm.arm(), m, hist.tipdefl[i]);
  hist.cmdpos[i] = P;
  hist.poserr[i] = {hist.tippos[i][0] - P[0], hist.tippos[i][1] - P[1]};
  // Path length travelled by the tip minus that travelled by the command.
  if (i == 0)
    hist.perierr[0] = 0;
  else
    hist.perierr[i] = hist.perierr[i - 1] + dist(hist.tippos[i], hist.tippos[i - 1]) -
                      dist(hist.cmdpos[i], hist.cmdpos[i - 1]);
}

void RunHistory::resize(int laststep) {
  const std::size_t n = static_cast<std::size_t>(std::max(0, laststep)) + 1;
  for (std::vector<Pair>* v : {&motorpos, &tippos, &cmdpos, &poserr, &force, &torque, &tipdefl})
    v->assign(n, Pair{0, 0});
  perierr.assign(n, 0.0);
  forceerr.assign(n, 0.0);
}

int RunHistory::clamp(int step) const { return std::max(0, std::min(step, laststep())); }

int laststepof(int nstep) { return std::max(0, nstep); }


const Diagnostic* finddiagnostic(const Diagnostics& d, DiagCode code) {
  for (const Diagnostic& x : d)
    if (x.code == code) return &x;
  return nullptr;
}

bool noerror(const Diagnostics& d) {
  for (const Diagnostic& x : d)
    if (x.severity == Severity::error) return false;
  return true;
}

RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist) {
  return calcontrol(rm, cs, hist, true);
}

namespace {

// The diagnostics of a run as its steps meet them: the first output step at
// which each motor's torque stands at its limit, and a blow-up (the command
// generator notes the first commanded point out of reach itself).
struct RunNotes {
  Diagnostics& notes;
  const RunHistory& hist;
  std::array<double, 2> limit;  // torque limits of motors 1, 2 [N m]
  std::array<bool, 2> atlimit{false, false};

  void checktorque(int i, double ti) {
    for (int j = 0; j < 2; ++j) {
      if (atlimit[j] || limit[j] <= 0 || !(std::fabs(hist.torque[i][j]) >= limit[j])) continue;
      atlimit[j] = true;
      notes.push_back({Severity::warning, DiagCode::torquelimit, ti, {j + 1.0, limit[j]}});
    }
  }
  void diverged(double tlast) { notes.push_back({Severity::error, DiagCode::diverged, tlast, {0, 0}}); }
};

// Output step 0: the arm at rest on the command at t = 0 (this call also
// resets the command's continuity reference for method 6), which method 6
// takes at the path start without any deflection offset.
SimState startstep(const RunModel& rm, ControlState& cs, RunHistory& hist) {
  const CommandOut c = command(rm, cs, 0);
  Pair P = c.P;
  SimState x{c.mcmd[0], c.mcmd[1], 0, 0, 0, 0};
  if (rm.set.hybrid == Method::hybrid6) {
    P = {rm.path.x0, rm.path.y0};
    const IkResult ik = ikine(rm.arm(), P[0], P[1], {0, 0});
    x[0] = ik.m[0];
    x[1] = ik.m[1];
  }
  storestep(rm, cs, hist, 0, 0, P, x);
  return x;
}

}  // namespace

RunReport calcontrol(const RunModel& rm, ControlState& cs, RunHistory& hist, bool memo) {
  RunReport rep;
  MemoScope scope(cs, memo, rep.diagnostics);
  RunNotes n{rep.diagnostics, hist, {rm.robot().T1max, rm.robot().T2max}};

  const SimSettings& s = rm.set;
  const int nstep = laststepof(s.nstep);
  rep.laststep = nstep;
  hist.resize(nstep);
  const double dt = s.dt;
  const double ta = rm.profile().ta;
  const double tf = rm.path.tf;

  double t = 0;
  SimState x = startstep(rm, cs, hist);
  int good = 0;       // last output step whose values are sound
  double tgood = 0;   // and its time
  bool blownup = !physical(x) || !stepfinite(hist, 0);
  if (blownup) {
    zerononfinite(hist, 0);
    n.diverged(0);
  } else {
    n.checktorque(0, 0);
  }

  // Each output step integrates over its sub-steps, then stores the step.
  auto deriv = [&](int j, double tj, const SimState& y) { return calderiv(rm, cs, j, tj, y); };
  double tau = 0;
  for (int i = 1; i <= nstep && !blownup; ++i) {
    const int nsub = i == 1 ? 10 : substeps(tau, ta, tf, dt);
    const double h = dt / nsub;
    tau = t;
    bool ok = true;
    for (int k = 0; k < nsub && ok; ++k) {
      x = rkgill(tau, h, x, 6, deriv);
      tau = tau + h;
      ok = physical(x);
    }
    t = t + dt;
    if (ok) {
      const CommandOut c = command(rm, cs, t);
      storestep(rm, cs, hist, i, t, c.P, x);
      ok = stepfinite(hist, i);
    }
    if (!ok) {
      n.diverged(tgood);
      break;
    }
    n.checktorque(i, t);
    good = i;
    tgood = t;
  }
  // After a blow-up the remaining steps hold the last sound one.
  for (int i = good + 1; i <= nstep; ++i) copystep(hist, good, i);
  return rep;
}

}  // namespace hs
