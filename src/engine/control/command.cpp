// Command generator: where the tip should be at time t and which motor
// positions put it there while the hand spring presses with Fn.
#include "engine/control/command.h"

#include <cmath>

#include "engine/control/contour.h"
#include "engine/control/hybrid.h"
#include "engine/control/kinematics.h"
#include "engine/model/evalmemo.h"

namespace hs {

namespace {

// The iteration below settles in a few passes; a target the arm cannot
// follow (or that alternates between two postures) stops here.
constexpr int DEFLECTIONPASSES = 50;

// Notes the first commanded point of the run out of reach, with its time.
void noteunreachable(ControlState& cs, double t, const Pair& p) {
  if (!cs.notes || finddiagnostic(*cs.notes, DiagCode::unreachable)) return;
  cs.notes->push_back({Severity::error, DiagCode::unreachable, t, {p[0], p[1]}});
}

// Arm target beyond P: the undeflected tip must lie behind the contact point
// by the deflection (delta1 along the hand, delta2 across it) that produces
// the normal force Fn along nu. The deflection depends on the hand direction
// of the target posture, so the posture is iterated until the hand
// direction settles. *bad receives the first target out of reach.
Pair deflectiontarget(const RunModel& rm, const Pair& mc, const Pair& P, double nu,
                      bool* unreachable, Pair* bad) {
  const SimSettings& s = rm.set;
  const ArmGeometry g = rm.arm();
  const Pair qhat{mc[0] / g.u1, mc[1] / g.u2};
  double psi = handangle(g, qhat);
  Pair m = mc;
  for (int pass = 0; pass < DEFLECTIONPASSES; ++pass) {
    const double d1 = s.Fn * std::cos(nu - psi) / s.KH1;
    const double d2 = s.Fn * std::sin(nu - psi) / s.KH2;
    const Pair T{P[0] + d1 * std::cos(psi) - d2 * std::sin(psi),
                 P[1] + d1 * std::sin(psi) + d2 * std::cos(psi)};
    const IkResult ik = ikine(g, T[0], T[1], qhat);
    if (!ik.reachable) {
      if (unreachable && !*unreachable && bad) *bad = T;
      if (unreachable) *unreachable = true;
    }
    m = ik.m;
    const double psinew = handangle(g, ik.q);
    if (!(std::fabs(psi - psinew) > 1e-5)) break;
    psi = psinew;
  }
  return m;
}

// Method 6: constant speed along the entered contour, no deflection offset.
CommandOut command6(const RunModel& rm, ControlState& cs, double t) {
  CommandOut c;
  c.s = pathpos6(rm.path, rm.type(), t);
  c.sdot = rm.profile().vmax;
  const double key[1] = {c.s};
  const Pair* hit = cs.memo ? cs.memo->pathpoint.find(key) : nullptr;
  c.P = hit ? *hit : pathpoint(rm.set, rm.path, c.s);
  if (cs.memo && !hit) cs.memo->pathpoint.put(key, c.P);
  // A new run starts its joint continuity from the zero posture.
  if (t == 0) cs.qref = {0, 0};
  const IkResult ik = ikine(rm.arm(), c.P[0], c.P[1], cs.qref);
  cs.qref = ik.q;
  c.mcmd = ik.m;
  if (!ik.reachable) {
    c.unreachable = true;
    noteunreachable(cs, t, c.P);
  }
  return c;
}

// Methods 1, 3, 4: trapezoidal speed along the commanded (displaced) contour;
// the commanded motor positions carry the deflection that presses with Fn.
// Everything below depends on the time only through the arc position and
// the path speed.
CommandOut command134(const RunModel& rm, ControlState& cs, double t, double arc,
                      double arcdot) {
  const ArmGeometry g = rm.arm();
  CommandOut c;
  c.s = arc;
  c.sdot = arcdot;
  const PathPoint pp = cmdpoint(rm.set, rm.path, c.s, c.sdot);
  c.P = {pp.x, pp.y};
  const IkResult ik = ikine(g, pp.x, pp.y, cs.qref);
  Pair bad = c.P;
  c.unreachable = !ik.reachable;

  // Joint velocities of the undeflected path motion. At a singular posture
  // the path speed has no joint-space image; the feedforward is then zero.
  double det = 0;
  const Mat2 J = jacobian(g, ik.q, &det);
  if (det != 0) {
    const double qd1 = (J.a22 * pp.vx - J.a12 * pp.vy) / det;
    const double qd2 = (J.a11 * pp.vy - J.a21 * pp.vx) / det;
    c.mdotcmd = {g.u1 * qd1, g.u2 * qd2};
  }

  const double nu = pressangle(rm.set, rm.path, c.P);
  c.mcmd = deflectiontarget(rm, ik.m, c.P, nu, &c.unreachable, &bad);
  if (c.unreachable) noteunreachable(cs, t, bad);
  return c;
}

}  // namespace

CommandOut command(const RunModel& rm, ControlState& cs, double t) {
  if (rm.set.hybrid == Method::hybrid6) return command6(rm, cs, t);
  const double arc = pathpos(rm.path, rm.type(), t);
  const double arcdot = pathvel(rm.path, rm.type(), t);
  // Methods 1, 3, 4 read qref but never change it: at one arc position,
  // path speed and reference the result is always the same (also after the
  // end of the motion, where the command stands still).
  if (!cs.memo) return command134(rm, cs, t, arc, arcdot);
  const double key[4] = {arc, arcdot, cs.qref[0], cs.qref[1]};
  // (An unreachable point was noted when the entry was made.)
  if (const CommandOut* hit = cs.memo->command.find(key)) return *hit;
  return cs.memo->command.put(key, command134(rm, cs, t, arc, arcdot));
}

}  // namespace hs
