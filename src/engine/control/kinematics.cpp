// Kinematics of the two arms in the horizontal plane: where the contact tip
// is for given joints, which joints put it at a given point, and how tip
// velocity follows from joint velocity (in the base and the hand frame).
#include "engine/control/kinematics.h"

#include <algorithm>
#include <cmath>

namespace hs {

ArmGeometry armgeometry(const SimSettings& s) {
  ArmGeometry g;
  g.type = s.type;
  g.l1 = s.l1;
  g.L2 = s.l2 + s.wp;  // second link up to the contact tip, not the arm tip
  const RobotParams p = robotparams(s);
  g.u1 = p.u1;
  g.u2 = p.u2;
  return g;
}

double handangle(const ArmGeometry& g, const Pair& q) {
  return g.type == Robot::a ? q[0] : q[0] + q[1];
}

// Undeflected contact tip: the radial joint of robot a reaches q2 along the
// arm; the SCARA adds link 1 and the hand link L2 along psi = q1 + q2.
Pair fkine(const ArmGeometry& g, const Pair& q) {
  if (g.type == Robot::a) return {q[1] * std::cos(q[0]), q[1] * std::sin(q[0])};
  const double psi = q[0] + q[1];
  return {g.l1 * std::cos(q[0]) + g.L2 * std::cos(psi),
          g.l1 * std::sin(q[0]) + g.L2 * std::sin(psi)};
}

// Real contact tip: the hand springs move the tip back by delta1 along the
// hand and by delta2 across it (hand frame e1 = (cos psi, sin psi),
// e2 = (-sin psi, cos psi)).
Pair realtip(const ArmGeometry& g, const Pair& m, const Pair& delta) {
  const Pair q{m[0] / g.u1, m[1] / g.u2};
  if (g.type == Robot::a) {
    const double c = std::cos(q[0]), s = std::sin(q[0]);
    return {(q[1] - delta[0]) * c + delta[1] * s, (q[1] - delta[0]) * s - delta[1] * c};
  }
  const double psi = q[0] + q[1];
  const double c = std::cos(psi), s = std::sin(psi);
  return {g.l1 * std::cos(q[0]) + (g.L2 - delta[0]) * c + delta[1] * s,
          g.l1 * std::sin(q[0]) + (g.L2 - delta[0]) * s - delta[1] * c};
}

namespace {
double clampunit(double c) { return std::max(-1.0, std::min(1.0, c)); }
}  // namespace

// Inverse kinematics. Robot a is polar coordinates. The SCARA solves the
// triangle base - elbow - tip by the cosine rule with the elbow bent
// counter-clockwise (q2 in [0, pi]). A point outside the annulus the arm can
// reach gets the nearest pose instead: the cosines are clamped, so the arm
// lies stretched (or folded) along the direction of the point.
IkResult ikine(const ArmGeometry& g, double x, double y, const Pair& qref) {
  IkResult r;
  Pair raw;
  if (g.type == Robot::a) {
    raw = {std::atan2(y, x), std::sqrt(x * x + y * y)};
  } else {
    const double l1 = g.l1, L2 = g.L2;
    const double rr = std::sqrt(x * x + y * y);
    const double c = (l1 * l1 + L2 * L2 - rr * rr) / (2.0 * l1 * L2);
    if (!(std::fabs(c) <= 1.0)) r.reachable = false;
    const double gamma = std::acos(clampunit(c));  // interior angle at the elbow
    const double phi = std::atan2(y, x);
    // Angle between link 1 and the line to the point; at the base itself
    // the direction is arbitrary and 0 is taken.
    const double beta =
        rr > 0.0 ? std::acos(clampunit((l1 * l1 + rr * rr - L2 * L2) / (2.0 * l1 * rr))) : 0.0;
    raw = {phi - beta, PI - gamma};
  }
  r.q = unwrapjoints(qref, raw);
  r.m = {g.u1 * r.q[0], g.u2 * r.q[1]};
  return r;
}

// Keeps each joint within one turn of its previous value so that commands
// stay continuous when atan2 wraps at +-pi.
Pair unwrapjoints(const Pair& qref, const Pair& raw) {
  const double twopi = 2.0 * PI, fourpi = 4.0 * PI;
  Pair q;
  for (int i = 0; i < 2; ++i) {
    const double d = raw[i] - qref[i];
    double v = std::fabs(d) > std::fabs(d + twopi) ? raw[i] + twopi : raw[i];
    if (std::fabs(v - qref[i]) > std::fabs(d - twopi)) v = raw[i] - twopi;
    if (std::fabs(v - qref[i]) > std::fabs(d + fourpi)) v = raw[i] + fourpi;
    if (std::fabs(v - qref[i]) > std::fabs(d - fourpi)) v = raw[i] - fourpi;
    q[i] = v;
  }
  return q;
}

// Tip Jacobian d(x, y)/d(q1, q2).
Mat2 jacobian(const ArmGeometry& g, const Pair& q, double* det) {
  Mat2 J;
  if (g.type == Robot::a) {
    const double c = std::cos(q[0]), s = std::sin(q[0]);
    J.a11 = -q[1] * s;
    J.a12 = c;
    J.a21 = q[1] * c;
    J.a22 = s;
    // The determinant is the radius itself (sin^2 + cos^2 = 1 taken exactly).
    if (det) *det = -q[1];
  } else {
    const double psi = q[0] + q[1];
    J.a12 = -g.L2 * std::sin(psi);
    J.a11 = -g.l1 * std::sin(q[0]) + J.a12;
    J.a22 = g.L2 * std::cos(psi);
    J.a21 = g.l1 * std::cos(q[0]) + J.a22;
    if (det) *det = J.a11 * J.a22 - J.a21 * J.a12;
  }
  return J;
}

// The Jacobian seen from the hand: row 1 along the hand, row 2 across it.
Mat2 handjacobian(const ArmGeometry& g, const Pair& q, double* det) {
  Mat2 H;
  if (g.type == Robot::a) {
    H.a11 = 0.0;
    H.a12 = 1.0;
    H.a21 = q[1];
    H.a22 = 0.0;
  } else {
    H.a11 = g.l1 * std::sin(q[1]);
    H.a12 = 0.0;
    H.a21 = g.l1 * std::cos(q[1]) + g.L2;
    H.a22 = g.L2;
  }
  if (det) *det = H.a11 * H.a22 - H.a21 * H.a12;
  return H;
}

}  // namespace hs
