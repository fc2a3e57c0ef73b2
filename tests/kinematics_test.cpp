#include "control/kinematics.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace hs;

namespace {

ArmGeometry cylindrical() {
  ArmGeometry g;
  g.type = 'a';
  g.u1 = g.u2 = 100.0;
  return g;
}

// Default SCARA: l1 = 0.5, L2 = l2 + wp = 0.3 + 0.2.
ArmGeometry scara() {
  ArmGeometry g;
  g.type = 'b';
  g.l1 = 0.5;
  g.L2 = 0.5;
  g.u1 = g.u2 = 100.0;
  return g;
}

bool finite(const Pair& p) { return std::isfinite(p[0]) && std::isfinite(p[1]); }

}  // namespace

TEST(ArmGeometryTest, TakesLengthsAndRatiosOfTheSelectedRobot) {
  SimSettings s;
  s.l1 = 0.5;
  s.l2 = 0.3;
  s.wp = 0.2;
  s.u1_a = 10;
  s.u2_a = 20;
  s.u1_b = 30;
  s.u2_b = 40;
  s.type = 'b';
  ArmGeometry g = armgeometry(s);
  EXPECT_EQ(g.type, 'b');
  EXPECT_DOUBLE_EQ(g.l1, 0.5);
  EXPECT_DOUBLE_EQ(g.L2, 0.5);  // second link reaches to the contact tip
  EXPECT_DOUBLE_EQ(g.u1, 30);
  EXPECT_DOUBLE_EQ(g.u2, 40);
  s.type = 'a';
  g = armgeometry(s);
  EXPECT_DOUBLE_EQ(g.u1, 10);
  EXPECT_DOUBLE_EQ(g.u2, 20);
}

TEST(InverseKinematicsTest, CylindricalRobotIsPolarCoordinates) {
  const IkResult r = ikine(cylindrical(), 0.3, 0.3, {0.0, 0.0});
  EXPECT_TRUE(r.reachable);
  EXPECT_NEAR(r.q[0], PI / 4, 1e-12);
  EXPECT_NEAR(r.q[1], 0.42426, 5e-6);
  EXPECT_NEAR(r.m[0], 100 * PI / 4, 1e-10);
  EXPECT_NEAR(r.m[1], 42.426, 5e-4);
}

TEST(InverseKinematicsTest, ScaraAtDefaultCircleStart) {
  const IkResult r = ikine(scara(), 0.65, 0.0, {0.0, 0.0});
  EXPECT_TRUE(r.reachable);
  // c = (0.25 + 0.25 - 0.4225) / 0.5 = 0.155
  EXPECT_NEAR(r.q[1], PI - std::acos(0.155), 1e-12);
  EXPECT_NEAR(r.q[1], 1.7264, 5e-5);
  EXPECT_NEAR(r.q[0], -std::acos(0.65), 1e-12);
  EXPECT_NEAR(r.q[0], -0.8632, 5e-5);
  EXPECT_NEAR(r.m[0], 100 * r.q[0], 1e-12);
  EXPECT_NEAR(r.m[1], 100 * r.q[1], 1e-12);
  const Pair p = fkine(scara(), r.q);
  EXPECT_NEAR(p[0], 0.65, 1e-12);
  EXPECT_NEAR(p[1], 0.0, 1e-12);
}

TEST(InverseKinematicsTest, RoundTripsThroughForwardKinematics) {
  for (double x = -0.9; x <= 0.9; x += 0.15)
    for (double y = -0.9; y <= 0.9; y += 0.15) {
      const double r = std::hypot(x, y);
      if (r > 0.99 || r < 0.01) continue;
      for (const ArmGeometry& g : {cylindrical(), scara()}) {
        const IkResult ik = ikine(g, x, y, {0.0, 0.0});
        ASSERT_TRUE(ik.reachable);
        const Pair p = fkine(g, ik.q);
        EXPECT_NEAR(p[0], x, 1e-9) << g.type << " " << x << "," << y;
        EXPECT_NEAR(p[1], y, 1e-9) << g.type << " " << x << "," << y;
        if (g.type == 'b') {  // elbow bent counter-clockwise
          EXPECT_GE(ik.q[1], 0.0);
          EXPECT_LE(ik.q[1], PI);
        }
      }
    }
}

TEST(InverseKinematicsTest, UnreachablePointGivesStretchedArmNotNaN) {
  const IkResult r = ikine(scara(), 1.1, 0.0, {0.0, 0.0});
  EXPECT_FALSE(r.reachable);
  ASSERT_TRUE(finite(r.q));
  ASSERT_TRUE(finite(r.m));
  EXPECT_NEAR(r.q[0], 0.0, 1e-12);
  EXPECT_NEAR(r.q[1], 0.0, 1e-12);  // stretched towards the point
  const Pair p = fkine(scara(), r.q);
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 0.0, 1e-12);
}

TEST(InverseKinematicsTest, PointInsideTheInnerHoleGivesFoldedArm) {
  ArmGeometry g = scara();
  g.L2 = 0.3;  // unequal links leave an unreachable disc of radius 0.2
  IkResult r = ikine(g, 0.0, 0.1, {0.0, 0.0});
  EXPECT_FALSE(r.reachable);
  ASSERT_TRUE(finite(r.q));
  Pair p = fkine(g, r.q);
  EXPECT_NEAR(p[0], 0.0, 1e-12);
  EXPECT_NEAR(p[1], 0.2, 1e-12);  // nearest reachable point on the same ray

  g.l1 = 0.3;
  g.L2 = 0.5;
  r = ikine(g, 0.1, 0.0, {0.0, 0.0});
  EXPECT_FALSE(r.reachable);
  ASSERT_TRUE(finite(r.q));
  p = fkine(g, r.q);
  EXPECT_NEAR(p[0], 0.2, 1e-12);
  EXPECT_NEAR(p[1], 0.0, 1e-12);
}

TEST(InverseKinematicsTest, PointsAtAndNearTheBaseStayFinite) {
  for (const ArmGeometry& g : {cylindrical(), scara()}) {
    for (double r : {0.0, 1e-12, 1e-6}) {
      const IkResult ik = ikine(g, r, 0.0, {0.0, 0.0});
      ASSERT_TRUE(finite(ik.q)) << g.type << " r=" << r;
      ASSERT_TRUE(finite(ik.m));
      EXPECT_TRUE(ik.reachable);  // equal SCARA links fold onto the base
      const Pair p = fkine(g, ik.q);
      EXPECT_NEAR(p[0], r, 1e-9);
      EXPECT_NEAR(p[1], 0.0, 1e-9);
    }
  }
}

TEST(InverseKinematicsTest, StaysContinuousWithThePreviousSolution) {
  // Crossing the -X axis: atan2 jumps from +pi to -pi, the joint must not.
  const IkResult r = ikine(cylindrical(), -0.5, -0.01, {3.1, 0.5});
  EXPECT_NEAR(r.q[0], std::atan2(-0.01, -0.5) + 2.0 * PI, 1e-12);
  EXPECT_NEAR(r.m[0], 100 * r.q[0], 1e-9);
}

TEST(UnwrapJointsTest, AddsOrSubtractsWholeTurns) {
  Pair q = unwrapjoints({3.0, 0.0}, {-3.1, 0.2});
  EXPECT_NEAR(q[0], -3.1 + 2.0 * PI, 1e-12);
  EXPECT_NEAR(q[0], 3.1832, 5e-5);
  EXPECT_DOUBLE_EQ(q[1], 0.2);
  q = unwrapjoints({-3.0, 0.0}, {3.1, 0.0});
  EXPECT_NEAR(q[0], 3.1 - 2.0 * PI, 1e-12);
  q = unwrapjoints({4.0 * PI + 0.1, -4.0 * PI}, {0.0, 0.1});
  EXPECT_NEAR(q[0], 4.0 * PI, 1e-12);
  EXPECT_NEAR(q[1], 0.1 - 4.0 * PI, 1e-12);
  // A prismatic coordinate only moves when the reference is over pi away.
  q = unwrapjoints({0.0, 0.0}, {0.0, 0.42});
  EXPECT_DOUBLE_EQ(q[1], 0.42);
}

TEST(ForwardKinematicsTest, RealTipEqualsUndeflectedTipWithoutDeflection) {
  const Pair q{0.3, 0.6};
  for (const ArmGeometry& g : {cylindrical(), scara()}) {
    const Pair m{g.u1 * q[0], g.u2 * q[1]};
    const Pair p = fkine(g, q), r = realtip(g, m, {0.0, 0.0});
    EXPECT_NEAR(r[0], p[0], 1e-12);
    EXPECT_NEAR(r[1], p[1], 1e-12);
  }
}

TEST(ForwardKinematicsTest, DeflectionMovesTipBackAlongAndAcrossTheHand) {
  const Pair q{0.3, 0.6};
  for (const ArmGeometry& g : {cylindrical(), scara()}) {
    const Pair m{g.u1 * q[0], g.u2 * q[1]};
    const double psi = handangle(g, q);
    const Pair p = fkine(g, q);
    const Pair along = realtip(g, m, {0.01, 0.0});
    EXPECT_NEAR(along[0], p[0] - 0.01 * std::cos(psi), 1e-12);
    EXPECT_NEAR(along[1], p[1] - 0.01 * std::sin(psi), 1e-12);
    if (g.type == 'a') {  // closer to the base along the arm
      EXPECT_LT(std::hypot(along[0], along[1]), std::hypot(p[0], p[1]));
    }
    const Pair across = realtip(g, m, {0.0, 0.01});
    EXPECT_NEAR(across[0], p[0] + 0.01 * std::sin(psi), 1e-12);
    EXPECT_NEAR(across[1], p[1] - 0.01 * std::cos(psi), 1e-12);
  }
}

TEST(JacobianTest, MatchesNumericalDerivativeOfForwardKinematics) {
  const Pair q{0.7, 1.1};
  for (const ArmGeometry& g : {cylindrical(), scara()}) {
    double det = 0;
    const Mat2 J = jacobian(g, q, &det);
    const double h = 1e-6;
    const Pair p1 = fkine(g, {q[0] + h, q[1]}), m1 = fkine(g, {q[0] - h, q[1]});
    const Pair p2 = fkine(g, {q[0], q[1] + h}), m2 = fkine(g, {q[0], q[1] - h});
    EXPECT_NEAR(J.a11, (p1[0] - m1[0]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a21, (p1[1] - m1[1]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a12, (p2[0] - m2[0]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a22, (p2[1] - m2[1]) / (2 * h), 1e-8);
    EXPECT_DOUBLE_EQ(det, J.a11 * J.a22 - J.a21 * J.a12);
  }
  double det = 0;
  jacobian(cylindrical(), {0.2, 0.45}, &det);
  EXPECT_NEAR(det, -0.45, 1e-12);
}

TEST(JacobianTest, HandJacobianIsTheJacobianInTheHandFrame) {
  const Pair q{0.7, 1.1};
  for (const ArmGeometry& g : {cylindrical(), scara()}) {
    double detJ = 0, detH = 0;
    const Mat2 J = jacobian(g, q, &detJ);
    const Mat2 H = handjacobian(g, q, &detH);
    const double psi = handangle(g, q), c = std::cos(psi), s = std::sin(psi);
    EXPECT_NEAR(H.a11, c * J.a11 + s * J.a21, 1e-12);
    EXPECT_NEAR(H.a12, c * J.a12 + s * J.a22, 1e-12);
    EXPECT_NEAR(H.a21, -s * J.a11 + c * J.a21, 1e-12);
    EXPECT_NEAR(H.a22, -s * J.a12 + c * J.a22, 1e-12);
    EXPECT_NEAR(detH, detJ, 1e-12);  // a rotation keeps the determinant
  }
  double det = 0;
  const Mat2 H = handjacobian(scara(), q, &det);
  EXPECT_DOUBLE_EQ(H.a12, 0.0);
  EXPECT_NEAR(det, 0.5 * 0.5 * std::sin(1.1), 1e-12);
}

TEST(JacobianTest, SingularPosesGiveZeroDeterminant) {
  double det = 1;
  jacobian(scara(), {0.4, 0.0}, &det);
  EXPECT_NEAR(det, 0.0, 1e-12);
  handjacobian(scara(), {0.4, PI}, &det);
  EXPECT_NEAR(det, 0.0, 1e-12);
  jacobian(cylindrical(), {0.4, 0.0}, &det);
  EXPECT_DOUBLE_EQ(det, 0.0);
}

TEST(HandAngleTest, IsJointOneForCylindricalAndSumForScara) {
  EXPECT_DOUBLE_EQ(handangle(cylindrical(), {0.3, 0.5}), 0.3);
  EXPECT_DOUBLE_EQ(handangle(scara(), {0.3, 0.5}), 0.8);
}
