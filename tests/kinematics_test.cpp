#include "engine/control/kinematics.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace hs;

namespace {
ArmGeometry arm(Robot type, double l1 = 0.5, double L2 = 0.5) {  // defaults: L2 = l2 + wp
  return ArmGeometry{type, l1, L2, 100.0, 100.0};
}
bool isfin(const Pair& p) { return std::isfinite(p[0]) && std::isfinite(p[1]); }
}  // namespace

TEST(InverseKinematicsTest, DefaultExamplesOfBothRobots) {
  IkResult r = ikine(arm(Robot::a), 0.3, 0.3, {0.0, 0.0});
  EXPECT_NEAR(r.q[0], PI / 4, 1e-12);
  EXPECT_NEAR(r.q[1], 0.42426, 5e-6);
  EXPECT_NEAR(r.m[0], 100 * PI / 4, 1e-10);
  EXPECT_NEAR(r.m[1], 42.426, 5e-4);

  r = ikine(arm(Robot::b), 0.65, 0.0, {0.0, 0.0});  // c = 0.155
  EXPECT_TRUE(r.reachable);
  EXPECT_NEAR(r.q[1], 1.7264, 5e-5);
  EXPECT_NEAR(r.q[0], -0.8632, 5e-5);
  EXPECT_NEAR(r.m[1], 100 * r.q[1], 1e-12);
  const Pair p = fkine(arm(Robot::b), r.q);
  EXPECT_NEAR(p[0], 0.65, 1e-12);
  EXPECT_NEAR(p[1], 0.0, 1e-12);
}

TEST(InverseKinematicsTest, RoundTripsWithElbowBentCounterClockwise) {
  for (double x = -0.9; x <= 0.9; x += 0.15)
    for (double y = -0.9; y <= 0.9; y += 0.15) {
      if (std::hypot(x, y) > 0.99) continue;
      for (Robot t : {Robot::a, Robot::b}) {
        const IkResult ik = ikine(arm(t), x, y, {0.0, 0.0});
        ASSERT_TRUE(ik.reachable);
        const Pair p = fkine(arm(t), ik.q);
        EXPECT_NEAR(p[0], x, 1e-9) << keyof(t) << " " << x << "," << y;
        EXPECT_NEAR(p[1], y, 1e-9) << keyof(t) << " " << x << "," << y;
        if (t == Robot::b) {
          EXPECT_TRUE(ik.q[1] >= 0.0 && ik.q[1] <= PI);
        }
      }
    }
}

TEST(InverseKinematicsTest, UnreachablePointsGiveTheNearestPoseNeverNaN) {
  struct {
    double l1, L2, x, y, nx, ny;  // arm, point, nearest reachable point
  } cases[] = {{0.5, 0.5, 1.1, 0.0, 1.0, 0.0},    // beyond reach: stretched
               {0.5, 0.3, 0.0, 0.1, 0.0, 0.2},    // inner hole, long first link
               {0.3, 0.5, 0.1, 0.0, 0.2, 0.0},    // inner hole, long second link
               {0.5, 0.3, 0.0, 0.0, 0.2, 0.0}};   // at the base itself
  for (const auto& c : cases) {
    const IkResult r = ikine(arm(Robot::b, c.l1, c.L2), c.x, c.y, {0.0, 0.0});
    EXPECT_FALSE(r.reachable);
    ASSERT_TRUE(isfin(r.q) && isfin(r.m));
    const Pair p = fkine(arm(Robot::b, c.l1, c.L2), r.q);
    EXPECT_NEAR(p[0], c.nx, 1e-12) << c.x << "," << c.y;
    EXPECT_NEAR(p[1], c.ny, 1e-12) << c.x << "," << c.y;
  }
}

TEST(InverseKinematicsTest, PointsAtAndNearTheBaseStayFinite) {
  for (Robot t : {Robot::a, Robot::b})
    for (double r : {0.0, 1e-12, 1e-6}) {
      const IkResult ik = ikine(arm(t), r, 0.0, {0.0, 0.0});
      ASSERT_TRUE(isfin(ik.q) && isfin(ik.m)) << keyof(t) << " r=" << r;
      EXPECT_TRUE(ik.reachable);  // equal SCARA links fold onto the base
      EXPECT_NEAR(fkine(arm(t), ik.q)[0], r, 1e-9);
    }
}

TEST(UnwrapJointsTest, StaysWithinOneTurnOfTheReference) {
  Pair q = unwrapjoints({3.0, 0.0}, {-3.1, 0.2});
  EXPECT_NEAR(q[0], 3.1832, 5e-5);
  EXPECT_DOUBLE_EQ(q[1], 0.2);
  q = unwrapjoints({-3.0, 0.0}, {3.1, 0.42});
  EXPECT_NEAR(q[0], 3.1 - 2.0 * PI, 1e-12);
  EXPECT_DOUBLE_EQ(q[1], 0.42);  // a prismatic coordinate stays put
  q = unwrapjoints({4.0 * PI + 0.1, -4.0 * PI}, {0.0, 0.1});
  EXPECT_NEAR(q[0], 4.0 * PI, 1e-12);
  EXPECT_NEAR(q[1], 0.1 - 4.0 * PI, 1e-12);
  // ikine applies it: crossing the -X axis does not flip the joint.
  const IkResult r = ikine(arm(Robot::a), -0.5, -0.01, {3.1, 0.5});
  EXPECT_NEAR(r.q[0], std::atan2(-0.01, -0.5) + 2.0 * PI, 1e-12);
  EXPECT_NEAR(r.m[0], 100 * r.q[0], 1e-9);
}

TEST(ForwardKinematicsTest, DeflectionMovesTheTipBackAlongAndAcrossTheHand) {
  const Pair q{0.3, 0.6};
  for (Robot t : {Robot::a, Robot::b}) {
    const Pair m{100 * q[0], 100 * q[1]};
    const double psi = handangle(arm(t), q);
    const Pair p = fkine(arm(t), q), r0 = realtip(arm(t), m, {0.0, 0.0});
    EXPECT_NEAR(r0[0], p[0], 1e-12);
    EXPECT_NEAR(r0[1], p[1], 1e-12);
    const Pair along = realtip(arm(t), m, {0.01, 0.0}), across = realtip(arm(t), m, {0.0, 0.01});
    EXPECT_NEAR(along[0], p[0] - 0.01 * std::cos(psi), 1e-12);
    EXPECT_NEAR(along[1], p[1] - 0.01 * std::sin(psi), 1e-12);
    EXPECT_NEAR(across[0], p[0] + 0.01 * std::sin(psi), 1e-12);
    EXPECT_NEAR(across[1], p[1] - 0.01 * std::cos(psi), 1e-12);
  }
  EXPECT_NEAR(realtip(arm(Robot::a), {30, 60}, {0.01, 0})[0], 0.59 * std::cos(0.3), 1e-12);  // closer to the base
}

TEST(JacobianTest, DerivativeOfTheTipAndItsHandFrameRotation) {
  const Pair q{0.7, 1.1};
  const double h = 1e-6;
  for (Robot t : {Robot::a, Robot::b}) {
    double detJ = 0, detH = 0;
    const Mat2 J = jacobian(arm(t), q, &detJ), H = handjacobian(arm(t), q, &detH);
    const Pair p1 = fkine(arm(t), {q[0] + h, q[1]}), m1 = fkine(arm(t), {q[0] - h, q[1]});
    const Pair p2 = fkine(arm(t), {q[0], q[1] + h}), m2 = fkine(arm(t), {q[0], q[1] - h});
    EXPECT_NEAR(J.a11, (p1[0] - m1[0]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a21, (p1[1] - m1[1]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a12, (p2[0] - m2[0]) / (2 * h), 1e-8);
    EXPECT_NEAR(J.a22, (p2[1] - m2[1]) / (2 * h), 1e-8);
    EXPECT_DOUBLE_EQ(detJ, J.a11 * J.a22 - J.a21 * J.a12);
    const double c = std::cos(handangle(arm(t), q)), s = std::sin(handangle(arm(t), q));
    EXPECT_NEAR(H.a11, c * J.a11 + s * J.a21, 1e-12);
    EXPECT_NEAR(H.a12, c * J.a12 + s * J.a22, 1e-12);
    EXPECT_NEAR(H.a21, -s * J.a11 + c * J.a21, 1e-12);
    EXPECT_NEAR(H.a22, -s * J.a12 + c * J.a22, 1e-12);
    EXPECT_NEAR(detH, detJ, 1e-12);
  }
  double det = 1;
  jacobian(arm(Robot::a), {0.2, 0.45}, &det);
  EXPECT_NEAR(det, -0.45, 1e-12);
  handjacobian(arm(Robot::b), {0.4, PI}, &det);  // folded elbow: singular
  EXPECT_NEAR(det, 0.0, 1e-12);
}

// The cylindrical robot's determinant is the radial joint itself, -q2: not
// -q2 (sin^2 + cos^2), which drifts from it in the last bits and with it the
// commanded joint speeds.
TEST(JacobianTest, CylindricalDeterminantIsMinusTheRadiusExactly) {
  int checked = 0;
  for (double q1 = -3.0; q1 < 3.0; q1 += 0.0137)
    for (double q2 = 0.1; q2 < 0.9; q2 += 0.0531) {
      double det = 0;
      jacobian(arm(Robot::a), {q1, q2}, &det);
      ASSERT_EQ(det, -q2) << "q = (" << q1 << ", " << q2 << ")";
      ++checked;
    }
  EXPECT_GT(checked, 1000);
}
