// Motion-force hybrid control law: four ways of sharing the two motors
// between following the path and pressing with the commanded force.
#include "engine/control/hybrid.h"

#include <cmath>

#include "engine/control/contour.h"
#include "engine/control/kinematics.h"
#include "engine/model/drive.h"
#include "engine/model/evalmemo.h"

namespace hs {

namespace {

// A torque beyond the motor's limit is cut to the limit with its sign.
void saturate(const RobotData& r, Pair& T) {
  if (std::fabs(T[0]) > r.T1max) T[0] = r.T1max * T[0] / std::fabs(T[0]);
  if (std::fabs(T[1]) > r.T2max) T[1] = r.T2max * T[1] / std::fabs(T[1]);
}

// Motor-side deflection offset scaled to the commanded force. The spring
// deflection is proportional to the normal force at a given posture, so the
// offset for Fn is Fn/F times the present one; with no force at all the
// proportion is undefined and the offset for Fn is computed directly.
Pair scaledoffset(const RunModel& rm, const ContactOut& c, const Pair& m) {
  const double F = c.force[0];
  const double Fn = rm.set.Fn;
  if (F != 0) return {c.dm[0] * Fn / F, c.dm[1] * Fn / F};
  return contactdeflection(rm.set, rm.path, m, Fn);
}

// Arc position of the real tip on the entered contour. On the sine the arc
// position is a function of the abscissa alone (the previous value only
// matters on the circle), so a tip at the same point gives the same value.
double tiparcpos(const RunModel& rm, const ControlState& cs, const Pair& P, double sprev) {
  if (!cs.memo) return arcpos(rm.set, rm.path, P, sprev);
  const double key[3] = {P[0], P[1], rm.set.curve == Contour::sine ? 0.0 : sprev};
  if (const double* hit = cs.memo->arcpos.find(key)) return *hit;
  return cs.memo->arcpos.put(key, arcpos(rm.set, rm.path, P, sprev));
}

// Work-space methods: the normal force loop's output Fnc along the press
// direction nu and the tangential loop's output Ft along tau make one tip
// force, mapped to the motors through the transposed Jacobian.
Pair tipforcetorques(const Mat2& J, const ArmGeometry& g, const ContourDirs& d, double Fnc,
                     double Ft) {
  const double Fx = Fnc * std::cos(d.nu) + Ft * std::cos(d.tau);
  const double Fy = Fnc * std::sin(d.nu) + Ft * std::sin(d.tau);
  return {(J.a11 * Fx + J.a21 * Fy) / g.u1, (J.a12 * Fx + J.a22 * Fy) / g.u2};
}

// Normal force loop of the work-space methods on the force error.
double normalforce(const Pid& p2, const ControlState& cs) {
  return p2.Kp * cs.ferr + p2.Kv * cs.ferrdot + p2.Ki * cs.ferrint;
}

// What every method starts from at one evaluation: the command, the motor
// state, the Jacobian at the commanded joints and the measured contact.
struct Evaluation {
  ArmGeometry g;
  CommandOut c;
  Pair m, md;      // motor positions [rad | rad] and speeds [rad/s]
  Pair q;          // joints [rad | m]
  Mat2 J;          // Jacobian at the commanded joints
  ContactOut ct;   // hand spring state at the present motor positions
  bool advanced;   // a new time: the loops' memories move on
  double dt;       // time since the previous new time [s]
};

// Clears the memory at the start of a run (t = 0), evaluates the command and
// the contact, and takes the force error Fn - F.
Evaluation begin(const RunModel& rm, ControlState& cs, double t, const SimState& X) {
  Evaluation e;
  e.g = rm.arm();
  if (t == 0) {
    cs.tprev = 0;
    cs.stip = cs.stipprev = cs.stipdot = 0;
    cs.terr = cs.terrint = 0;
    cs.ferrint = cs.ferrprev = cs.ferrdot = 0;
    cs.deflerrprev = cs.deflerrdot = cs.deflerrint = {0, 0};
  }
  e.c = command(rm, cs, t);
  const Pair qc{e.c.mcmd[0] / e.g.u1, e.c.mcmd[1] / e.g.u2};
  e.m = {X[0], X[1]};
  e.md = {X[2], X[3]};
  e.q = {e.m[0] / e.g.u1, e.m[1] / e.g.u2};
  double detc = 0;
  e.J = jacobian(e.g, qc, &detc);
  // Force measurement from the hand spring.
  e.ct = contactat(rm, cs, e.m);
  cs.ferr = rm.set.Fn - e.ct.force[0];
  if (t == 0) cs.ferrprev = cs.ferr;
  // The memory advances once per distinct time: the repeated evaluations of
  // one integrator stage must not count twice.
  e.advanced = t > 0 && std::fabs(t - cs.tprev) > 1e-5;
  e.dt = t - cs.tprev;
  return e;
}

// The torques cut to the motor limits; the time is remembered.
Pair finish(const RunModel& rm, ControlState& cs, double t, Pair T) {
  saturate(rm.robot(), T);
  cs.tprev = t;
  return T;
}

// Rate and integral of the force error (work-space methods).
void advanceforce(ControlState& cs, const Evaluation& e) {
  if (!e.advanced) return;
  cs.ferrdot = (cs.ferr - cs.ferrprev) / e.dt;
  cs.ferrint = cs.ferrint + e.dt * cs.ferr;
}

// Deflection error: the offset the arm needs for Fn (the present offset
// scaled to Fn, refined once at the posture it points to) minus the present
// offset, with its rate and integral (methods 1, 3, 4).
void deflectionerror(const RunModel& rm, ControlState& cs, Evaluation& e) {
  const Pair& m = e.m;
  Pair dmd = scaledoffset(rm, e.ct, m);
  const Pair m2{m[0] - (e.ct.dm[0] - dmd[0]), m[1] - (e.ct.dm[1] - dmd[1])};
  const ContactOut ct2 = contactat(rm, cs, m2);
  dmd = scaledoffset(rm, ct2, m2);
  e.ct = contactat(rm, cs, m);
  cs.deflerr = {dmd[0] - e.ct.dm[0], dmd[1] - e.ct.dm[1]};
  if (e.advanced) {
    for (int i = 0; i < 2; ++i) {
      cs.deflerrdot[i] = (cs.deflerr[i] - cs.deflerrprev[i]) / e.dt;
      cs.deflerrint[i] = cs.deflerrint[i] + e.dt * cs.deflerr[i];
    }
  }
  cs.deflerrprev = cs.deflerr;
}

// Position loop of motor i in joint space (integral of the position error in X[4 + i]).
double positionloop(const Pid& p, const Evaluation& e, const SimState& X, int i) {
  return p.Kp * (e.c.mcmd[i] - e.m[i]) + p.Kv * (e.c.mdotcmd[i] - e.md[i]) + p.Ki * X[4 + i];
}

// Deflection (force) loop of motor i.
double deflectionloop(const Pid& p, const ControlState& cs, int i) {
  return p.Kp * cs.deflerr[i] + p.Ki * cs.deflerrint[i] + p.Kv * cs.deflerrdot[i];
}

// Method 1: both motors run a joint-space position loop plus a deflection
// (force) loop.
Pair method1(const GainSet& gs, const ControlState& cs, const Evaluation& e, const SimState& X) {
  return {positionloop(gs.posgain1, e, X, 0) + deflectionloop(gs.forcegain1, cs, 0),
          positionloop(gs.posgain2, e, X, 1) + deflectionloop(gs.forcegain2, cs, 1)};
}

// Method 3: work space; tangential position of the real tip and normal
// force, combined into a tip force.
Pair method3(const RunModel& rm, const GainSet& gs, ControlState& cs, const Evaluation& e) {
  const ArmGeometry& g = e.g;
  const Mat2& J = e.J;
  const Pair Ptip = realtip(g, e.m, e.ct.p);
  const ContourDirs d = contourdirs(rm.set, rm.path, Ptip);
  const double vx = J.a11 * (e.md[0] / g.u1) + J.a12 * (e.md[1] / g.u2);
  const double vy = J.a21 * (e.md[0] / g.u1) + J.a22 * (e.md[1] / g.u2);
  const double vt = vx * std::cos(d.tau) + vy * std::sin(d.tau);
  cs.terr = (e.c.P[0] - Ptip[0]) * std::cos(d.tau) + (e.c.P[1] - Ptip[1]) * std::sin(d.tau);
  if (e.advanced) cs.terrint = cs.terrint + cs.terr * e.dt;
  const Pid& p1 = gs.firstgain;
  const double Ft = p1.Kp * cs.terr + p1.Kv * (e.c.sdot - vt) + p1.Ki * cs.terrint;
  advanceforce(cs, e);
  const Pair T = tipforcetorques(J, g, d, normalforce(gs.secondgain, cs), Ft);
  cs.ferrprev = cs.ferr;
  return T;
}

// Method 4: joint space, one loop per motor: the motor whose motion moves
// the tip along the press direction controls the force, the other the
// position.
Pair method4(const RunModel& rm, const GainSet& gs, const ControlState& cs, const Evaluation& e,
             const SimState& X) {
  const Pair Ptip = realtip(e.g, e.m, e.ct.p);
  const ContourDirs d = contourdirs(rm.set, rm.path, Ptip);
  const double deg = normaloffset(e.g.type, e.q, d.nu) * 57.2957795;
  const bool along =
      (deg > -45 && deg < 45) || (deg > 135 && deg < 225) || (deg > -225 && deg < -135);
  const int ipos = (e.g.type == Robot::a) == along ? 0 : 1;
  const int jforce = 1 - ipos;
  Pair T{0, 0};
  T[ipos] = gs.firstgain.Kp * (e.c.mcmd[ipos] - e.m[ipos]) + gs.firstgain.Ki * X[4 + ipos] +
            gs.firstgain.Kv * (e.c.mdotcmd[ipos] - e.md[ipos]);
  T[jforce] = deflectionloop(gs.secondgain, cs, jforce);
  return T;
}

// Method 6: constant-speed path; arc position of the real tip along the
// entered contour against the commanded arc position, plus the normal force.
Pair method6(const RunModel& rm, const GainSet& gs, ControlState& cs, const Evaluation& e) {
  const Pair Ptip = realtip(e.g, e.m, e.ct.p);
  double det = 0;
  const Mat2 J = jacobian(e.g, e.q, &det);
  const ContourDirs d = contourdirs(rm.set, rm.path, Ptip);
  cs.stip = tiparcpos(rm, cs, Ptip, cs.stipprev);
  advanceforce(cs, e);
  if (e.advanced) {
    cs.stipdot = (cs.stip - cs.stipprev) / e.dt;
    cs.terrint = cs.terrint + (e.c.s - cs.stip) * e.dt;
  }
  const Pid& p1 = gs.firstgain;
  const double Ft =
      p1.Kp * (e.c.s - cs.stip) + p1.Kv * (e.c.sdot - cs.stipdot) + p1.Ki * cs.terrint;
  const Pair T = tipforcetorques(J, e.g, d, normalforce(gs.secondgain, cs), Ft);
  cs.ferrprev = cs.ferr;
  cs.stipprev = cs.stip;
  return T;
}

}  // namespace

Pair hybridcontrol(const RunModel& rm, ControlState& cs, double t, const SimState& X) {
  const GainSet& gs = rm.gainset();
  Evaluation e = begin(rm, cs, t, X);
  if (rm.set.hybrid == Method::hybrid6) return finish(rm, cs, t, method6(rm, gs, cs, e));
  deflectionerror(rm, cs, e);
  switch (rm.set.hybrid) {
    case Method::hybrid1: return finish(rm, cs, t, method1(gs, cs, e, X));
    case Method::hybrid3: return finish(rm, cs, t, method3(rm, gs, cs, e));
    case Method::hybrid4: return finish(rm, cs, t, method4(rm, gs, cs, e, X));
    default: return finish(rm, cs, t, Pair{0, 0});
  }
}

}  // namespace hs
