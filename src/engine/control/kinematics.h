// Forward and inverse kinematics and Jacobians of both robot types in the
// horizontal X-Y plane, base axis at the origin. Pure functions.
#pragma once

#include "engine/settings.h"

namespace hs {

// The arm data the kinematics needs, for one robot type.
struct ArmGeometry {
  Robot type = Robot::a;
  double l1 = 0;    // SCARA first link [m]
  double L2 = 0;    // SCARA joint 2 to contact tip, l2 + wp [m]
  double u1 = 1;    // reduction ratio of joint 1
  double u2 = 1;    // reduction ratio of joint 2
};
ArmGeometry armgeometry(const SimSettings& s);  // for s.type

// 2x2 matrix, rows and columns numbered from 1 as in the equations.
struct Mat2 {
  double a11 = 0, a12 = 0, a21 = 0, a22 = 0;
};

struct IkResult {
  Pair q{};               // joint coordinates
  Pair m{};               // motor positions u_i q_i
  bool reachable = true;  // false: the point lies outside the SCARA's annulus
};

// Undeflected contact tip from joint coordinates.
Pair fkine(const ArmGeometry& g, const Pair& q);
// Real contact tip from motor positions and hand deflection (hand frame).
Pair realtip(const ArmGeometry& g, const Pair& m, const Pair& delta);
// Joint solution continuous with qref. An unreachable point returns the
// nearest configuration (cosine clamped to [-1, 1]) and reachable = false.
IkResult ikine(const ArmGeometry& g, double x, double y, const Pair& qref);
// Continuity rule: adds or subtracts 2 pi / 4 pi to stay near qref.
Pair unwrapjoints(const Pair& qref, const Pair& raw);
// Tip Jacobian d(x,y)/d(q1,q2) and its determinant.
Mat2 jacobian(const ArmGeometry& g, const Pair& q, double* det);
// The same Jacobian in the hand frame and its determinant.
Mat2 handjacobian(const ArmGeometry& g, const Pair& q, double* det);
// Hand direction: q1 for robot a, q1 + q2 for robot b.
double handangle(const ArmGeometry& g, const Pair& q);

}  // namespace hs
