// Rigid-body dynamics of both arms at the motor shafts: mass matrix,
// velocity terms, and the contact force felt through the hand as a load.
#include "engine/model/dynamics.h"

#include <cmath>

#include "engine/control/command.h"
#include "engine/control/hybrid.h"
#include "engine/control/kinematics.h"
#include "engine/model/drive.h"
#include "engine/model/evalmemo.h"

namespace hs {

Mat2 calmass(const RunModel& rm, const SimState& x) {
  const SimSettings& s = rm.set;
  const RobotData& r = rm.robot();
  const RobotParams u = rm.params();
  Mat2 M;
  if (rm.type() == Robot::a) {
    // Arm tube, payload and its inertia turn about the base axis; the whole
    // arm slides along itself.
    const double rad = x[1] / u.u2;
    const double rc = rad - (s.l / 2 + s.workoff);  // radius of the arm's centre of mass
    M.a11 = (r.iarm + r.iw + r.marm * rc * rc + s.mw * rad * rad) / (u.u1 * u.u1);
    M.a22 = (r.marm + s.mw) / (u.u2 * u.u2);
    M.a12 = M.a21 = 0;
    return M;
  }
  // SCARA: two links and the payload at L from joint 2.
  const double c2 = std::cos(x[1] / u.u2);
  const double L = s.l2 + s.workoff;
  const double A22 = r.m2 * r.lc2 * r.lc2 + r.i2 + r.iw + s.mw * L * L;
  const double A12 = (r.m2 * r.lc2 + s.mw * L) * s.l1 * c2 + A22;
  const double A21 = A12;
  const double A11 = r.m1 * r.lc1 * r.lc1 + r.i1 + r.m2 * s.l1 * (s.l1 + r.lc2 * c2) +
                     s.mw * s.l1 * (s.l1 + L * c2) + A12;
  M.a11 = A11 / (u.u1 * u.u1);
  M.a12 = A12 / (u.u1 * u.u2);
  M.a21 = A21 / (u.u1 * u.u2);
  M.a22 = A22 / (u.u2 * u.u2);
  return M;
}

double calvel(const RunModel& rm, int k, const SimState& x) {
  const SimSettings& s = rm.set;
  const RobotData& r = rm.robot();
  const RobotParams u = rm.params();
  if (rm.type() == Robot::a) {
    // Coriolis torque of the sliding arm and its centrifugal pull.
    const double w = x[2] / u.u1;
    const double rdot = x[3] / u.u2;
    const double rad = x[1] / u.u2;
    const double rc = rad - (s.l / 2 + s.workoff);
    const double mr = r.marm * rc + s.mw * rad;
    if (k == 0) return 2 * mr * w * rdot / u.u1;
    return -mr * w * w / u.u2;
  }
  const double w1 = x[2] / u.u1, w2 = x[3] / u.u2;
  const double s2 = std::sin(x[1] / u.u2);
  const double L = s.l2 + s.workoff;
  const double B = (r.m2 * r.lc2 + s.mw * L) * s.l1;
  if (k == 0) return -B * s2 * (2 * w1 * w2 + w2 * w2) / u.u1;
  return B * s2 * w1 * w1 / u.u2;
}

double calderiv(const RunModel& rm, ControlState& cs, int j, double t, const SimState& x) {
  if (j == 0) return x[2];
  if (j == 1) return x[3];
  if (j == 4 || j == 5) {
    // Integral of the commanded minus the actual motor position.
    const CommandOut c = command(rm, cs, t);
    return c.mcmd[j - 4] - x[j - 4];
  }

  // Accelerations: control torques against the velocity terms and the
  // contact force felt through the hand (transposed hand Jacobian).
  const ArmGeometry g = rm.arm();
  const RobotParams u = rm.params();
  const RobotData& r = rm.robot();
  const Pair T = hybridcontrol(rm, cs, t, x);
  const Mat2 M = calmass(rm, x);
  const ContactOut ct = contactat(rm, cs, {x[0], x[1]});
  const Pair& f = ct.f;
  double det = 0;
  const Mat2 H = handjacobian(g, {x[0] / u.u1, x[1] / u.u2}, &det);
  if (rm.type() == Robot::a) {
    const int k = j - 2;
    const double c = calvel(rm, k, x);
    const double load = k == 0 ? c + (H.a11 * f[0] + H.a21 * f[1]) / u.u1
                               : c + (H.a12 * f[0] + H.a22 * f[1]) / u.u2;
    return k == 0 ? caldrive1(0, x[2], T[0], load, u.eta1, r.etab1, r.jm1, M)
                  : caldrive1(1, x[3], T[1], load, u.eta2, r.etab2, r.jm2, M);
  }
  const Pair F{calvel(rm, 0, x) + (H.a11 * f[0] + H.a21 * f[1]) / u.u1,
               calvel(rm, 1, x) + (H.a12 * f[0] + H.a22 * f[1]) / u.u2};
  const DriveParams d{u.eta1, r.etab1, u.eta2, r.etab2, r.jm1, r.jm2};
  const Pair a = caldrive2({x[2], x[3]}, T, F, M, d);
  return a[j - 2];
}

}  // namespace hs
