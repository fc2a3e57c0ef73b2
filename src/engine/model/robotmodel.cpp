// Derivation of the physical model from the engineering numbers: links as
// steel tubes, the carried work as a block, motors scaled by their power,
// reducers with a direction-dependent efficiency, and the nominal inertia
// each motor sees (which the gain design scales by).
#include "engine/model/robotmodel.h"

#include <cmath>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/control/kinematics.h"

namespace hs {

namespace {
constexpr double STEELDENSITY = 7800.0;  // [kg/m^3]
constexpr double WALLFACTOR = 0.0975;    // 1 - 0.95^2: tube with inner/outer diameter 0.95

// Mass of a steel tube of outer diameter d and length len [kg].
double tubemass(double d, double len) { return STEELDENSITY * WALLFACTOR * PI * d * d * len / 4.0; }
}  // namespace

// Links: robot a has one arm tube of diameter l/10; the SCARA links are
// tubes of diameter l/5. Inertias are those of slender rods about their centres.
void callinks(const SimSettings& s, RobotModel& m) {
  RobotData& r = m.of(s.type);
  if (s.type == Robot::a) {
    const double l = s.l;
    r.darm = l / 10.0;
    r.marm = tubemass(r.darm, l);
    r.iarm = r.marm * l * l / 12.0;
    r.blocklen = 3.0 * r.darm;
    r.blockwid = 2.0 * r.darm;
  } else {
    r.lc1 = s.l1 / 2.0;
    r.lc2 = s.l2 / 2.0;
    r.d1 = s.l1 / 5.0;
    r.d2 = s.l2 / 5.0;
    r.m1 = tubemass(r.d1, s.l1);
    r.m2 = tubemass(r.d2, s.l2);
    r.i1 = r.m1 * s.l1 * s.l1 / 12.0;
    r.i2 = r.m2 * s.l2 * s.l2 / 12.0;
  }
}

// The carried work as a rectangular block about its own centre.
void calwork(const SimSettings& s, double mw, RobotModel& m) {
  m.of(s.type).iw = mw * (s.worklen * s.worklen + s.workwid * s.workwid) / 12.0;
}

// Motors by rule of thumb from their rated power.
void calmotor(const SimSettings& s, RobotModel& m) {
  RobotData& r = m.of(s.type);
  const RobotParams p = robotparams(s);
  r.jm1 = 3e-9 * p.PW1 * p.PW1;
  r.jm2 = 3e-9 * p.PW2 * p.PW2;
  r.T1max = 0.004 * p.PW1;
  r.T2max = 0.004 * p.PW2;
}

// A reducer modelled as a screw of lead angle lambda = atan(1/u) with the
// friction angle rho that gives the forward efficiency
// tan(lambda) / tan(lambda + rho) = eta. Driven backwards the same friction
// gives tan(lambda - rho) / tan(lambda), negative for a self-locking reducer.
double backwardefficiency(double u, double eta) {
  const double lambda = std::atan(1.0 / u);
  const double rho = std::atan(1.0 / (u * eta)) - lambda;
  return u * std::tan(lambda - rho);
}

void caleff(const SimSettings& s, RobotModel& m) {
  RobotData& r = m.of(s.type);
  const RobotParams p = robotparams(s);
  r.etab1 = backwardefficiency(p.u1, p.eta1);
  r.etab2 = backwardefficiency(p.u2, p.eta2);
}

// Nominal inertia at each motor shaft, rotor included, in a typical pose:
// robot a with the work at half the arm length, the SCARA with the elbow at
// 60 degrees (the mass matrix entries there, reflected through the reducers).
void caljeq(const SimSettings& s, RobotModel& m) {
  RobotData& r = m.of(s.type);
  const RobotParams p = robotparams(s);
  const double mw = s.mw;
  if (s.type == Robot::a) {
    const double h = s.l / 2.0;
    r.jeq1 = (r.iarm + r.iw + r.marm * h * h / 4.0 + mw * h * h) / (p.u1 * p.u1) + r.jm1;
    r.jeq2 = (r.marm + mw) / (p.u2 * p.u2) + r.jm2;
  } else {
    const double l1 = s.l1;
    const double L = s.l2 + s.workoff;  // payload centre from joint 2
    const double J22 = r.m2 * r.lc2 * r.lc2 + r.i2 + r.iw + mw * L * L;
    const double J12 = (r.m2 * r.lc2 + mw * L) * l1 / 2.0 + J22;
    const double J11 = r.m1 * r.lc1 * r.lc1 + r.i1 + r.m2 * l1 * (l1 + r.lc2 / 2.0) +
                       mw * l1 * (l1 + L / 2.0) + J12;
    r.jeq1 = J11 / (p.u1 * p.u1) + r.jm1;
    r.jeq2 = J22 / (p.u2 * p.u2) + r.jm2;
  }
}

// Complete re-derivation for the current robot type after any change.
std::vector<Pair> calmodel(SimSettings& s, RobotModel& m, ServoGains& g, ContourPath& path) {
  callinks(s, m);
  calwork(s, s.mw, m);
  calmotor(s, m);
  caleff(s, m);
  caljeq(s, m);
  designgains(s, m, g);
  setpath(s, path);
  // The sine's end point always follows its start and wavelength.
  setsineend(s.sine);

  // Both path ends must lie within the arm's reach; the joint values
  // themselves are not needed here.
  const std::vector<Pair> unreachable = unreachableends(s, path, s.type);
  settrajectory(s, path);
  return unreachable;
}

std::vector<Pair> unreachableends(const SimSettings& s, const ContourPath& p, Robot type) {
  SimSettings probe = s;
  probe.type = type;
  const ArmGeometry arm = armgeometry(probe);
  std::vector<Pair> out;
  for (const Pair& end : {Pair{p.x0, p.y0}, Pair{p.xf, p.yf}}) {
    if (!ikine(arm, end[0], end[1], Pair{0.0, 0.0}).reachable) out.push_back(end);
  }
  return out;
}

}  // namespace hs
