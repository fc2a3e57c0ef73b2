// Motion-force hybrid control law: four ways of sharing the two motors
// between following the path and pressing with the commanded force.
#include "control/hybrid.h"

#include <cmath>

#include "control/contour.h"
#include "control/kinematics.h"
#include "model/drive.h"
#include "model/evalmemo.h"

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
  const double key[3] = {P[0], P[1], rm.set.curve == 'S' ? 0.0 : sprev};
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

}  // namespace

Pair hybridcontrol(const RunModel& rm, ControlState& cs, double t, const SimState& X) {
  const SimSettings& s = rm.set;
  const ArmGeometry g = rm.arm();
  const GainSet& gs = rm.gainset();

  // A run starts at t = 0 with a clean memory.
  if (t == 0) {
    cs.tprev = 0;
    cs.stip = cs.stipprev = cs.stipdot = 0;
    cs.terr = cs.terrint = 0;
    cs.ferrint = cs.ferrprev = cs.ferrdot = 0;
    cs.deflerrprev = cs.deflerrdot = cs.deflerrint = {0, 0};
  }
  const CommandOut c = command(rm, cs, t);
  const Pair qc{c.mcmd[0] / g.u1, c.mcmd[1] / g.u2};
  const Pair m{X[0], X[1]};
  const Pair md{X[2], X[3]};
  const Pair q{m[0] / g.u1, m[1] / g.u2};
  double detc = 0;
  Mat2 J = jacobian(g, qc, &detc);

  // Force measurement from the hand spring.
  ContactOut ct = contactat(rm, cs, m);
  cs.ferr = s.Fn - ct.force[0];
  if (t == 0) cs.ferrprev = cs.ferr;

  // The memory advances once per distinct time: the repeated evaluations of
  // one integrator stage must not count twice.
  const bool advanced = t > 0 && std::fabs(t - cs.tprev) > 1e-5;
  const double dt = t - cs.tprev;

  Pair T{0, 0};
  if (s.hybrid == '6') {
    // Constant-speed path: arc position of the real tip along the entered
    // contour against the commanded arc position, plus the normal force.
    const Pair Ptip = realtip(g, m, ct.p);
    double det = 0;
    J = jacobian(g, q, &det);
    const ContourDirs d = contourdirs(s, rm.path, Ptip);
    cs.stip = tiparcpos(rm, cs, Ptip, cs.stipprev);
    if (advanced) {
      cs.ferrdot = (cs.ferr - cs.ferrprev) / dt;
      cs.ferrint = cs.ferrint + dt * cs.ferr;
      cs.stipdot = (cs.stip - cs.stipprev) / dt;
      cs.terrint = cs.terrint + (c.s - cs.stip) * dt;
    }
    const Pid& p1 = gs.firstgain;
    const Pid& p2 = gs.secondgain;
    const double Ft = p1.Kp * (c.s - cs.stip) + p1.Kv * (c.sdot - cs.stipdot) + p1.Ki * cs.terrint;
    T = tipforcetorques(J, g, d, normalforce(p2, cs), Ft);
    saturate(rm.robot(), T);
    cs.ferrprev = cs.ferr;
    cs.stipprev = cs.stip;
    cs.tprev = t;
    return T;
  }

  // Deflection error: the offset the arm needs for Fn (the present offset
  // scaled to Fn, refined once at the posture it points to) minus the
  // present offset.
  Pair dmd = scaledoffset(rm, ct, m);
  const Pair m2{m[0] - (ct.dm[0] - dmd[0]), m[1] - (ct.dm[1] - dmd[1])};
  const ContactOut ct2 = contactat(rm, cs, m2);
  dmd = scaledoffset(rm, ct2, m2);
  ct = contactat(rm, cs, m);
  cs.deflerr = {dmd[0] - ct.dm[0], dmd[1] - ct.dm[1]};
  if (advanced) {
    for (int i = 0; i < 2; ++i) {
      cs.deflerrdot[i] = (cs.deflerr[i] - cs.deflerrprev[i]) / dt;
      cs.deflerrint[i] = cs.deflerrint[i] + dt * cs.deflerr[i];
    }
  }
  cs.deflerrprev = cs.deflerr;

  if (s.hybrid == '1') {
    // Both motors: joint-space position loop plus deflection (force) loop.
    const Pid* pos[2] = {&gs.posgain1, &gs.posgain2};
    const Pid* frc[2] = {&gs.forcegain1, &gs.forcegain2};
    for (int i = 0; i < 2; ++i) {
      const double tp = pos[i]->Kp * (c.mcmd[i] - m[i]) + pos[i]->Kv * (c.mdotcmd[i] - md[i]) +
                        pos[i]->Ki * X[4 + i];
      const double tf = frc[i]->Kp * cs.deflerr[i] + frc[i]->Ki * cs.deflerrint[i] +
                        frc[i]->Kv * cs.deflerrdot[i];
      T[i] = tp + tf;
    }
  } else if (s.hybrid == '3') {
    // Work space: tangential position of the real tip and normal force,
    // combined into a tip force.
    const Pair Ptip = realtip(g, m, ct.p);
    const ContourDirs d = contourdirs(s, rm.path, Ptip);
    const double vx = J.a11 * (md[0] / g.u1) + J.a12 * (md[1] / g.u2);
    const double vy = J.a21 * (md[0] / g.u1) + J.a22 * (md[1] / g.u2);
    const double vt = vx * std::cos(d.tau) + vy * std::sin(d.tau);
    cs.terr = (c.P[0] - Ptip[0]) * std::cos(d.tau) + (c.P[1] - Ptip[1]) * std::sin(d.tau);
    if (advanced) cs.terrint = cs.terrint + cs.terr * dt;
    const Pid& p1 = gs.firstgain;
    const Pid& p2 = gs.secondgain;
    const double Ft = p1.Kp * cs.terr + p1.Kv * (c.sdot - vt) + p1.Ki * cs.terrint;
    if (advanced) {
      cs.ferrdot = (cs.ferr - cs.ferrprev) / dt;
      cs.ferrint = cs.ferrint + dt * cs.ferr;
    }
    T = tipforcetorques(J, g, d, normalforce(p2, cs), Ft);
    saturate(rm.robot(), T);
    cs.ferrprev = cs.ferr;
    cs.tprev = t;
    return T;
  } else if (s.hybrid == '4') {
    // Joint space, one loop per motor: the motor whose motion moves the tip
    // along the press direction controls the force, the other the position.
    const Pair Ptip = realtip(g, m, ct.p);
    const ContourDirs d = contourdirs(s, rm.path, Ptip);
    const double deg = normaloffset(g.type, q, d.nu) * 57.2957795;
    const bool along = (deg > -45 && deg < 45) || (deg > 135 && deg < 225) ||
                       (deg > -225 && deg < -135);
    int ipos, jforce;
    if (g.type == 'a') {
      ipos = along ? 0 : 1;
    } else {
      ipos = along ? 1 : 0;
    }
    jforce = 1 - ipos;
    const Pid& p1 = gs.firstgain;
    const Pid& p2 = gs.secondgain;
    T[ipos] = p1.Kp * (c.mcmd[ipos] - m[ipos]) + p1.Ki * X[4 + ipos] +
              p1.Kv * (c.mdotcmd[ipos] - md[ipos]);
    T[jforce] = p2.Kp * cs.deflerr[jforce] + p2.Ki * cs.deflerrint[jforce] +
                p2.Kv * cs.deflerrdot[jforce];
  }
  saturate(rm.robot(), T);
  cs.tprev = t;
  return T;
}

}  // namespace hs
