#include "engine/model/dynamics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/control/command.h"
#include "engine/control/hybrid.h"
#include "engine/control/kinematics.h"
#include "enginecase.h"
#include "engine/model/drive.h"

using namespace hs;

TEST(DynamicsTest, NoVelocityTermsAtRest) {
  for (char type : {'a', 'b'}) {
    auto app = defaultcase(type, '1', 'L');
    const RunModel rm = app->runmodel();
    const SimState x{30, 80, 0, 0, 0, 0};
    EXPECT_EQ(calvel(rm, 0, x), 0.0) << type;
    EXPECT_EQ(calvel(rm, 1, x), 0.0) << type;
  }
}

TEST(DynamicsTest, CylindricalArmCentredOnTheAxisAddsOnlyItsOwnInertia) {
  auto app = defaultcase('a', '1', 'L');
  const RunModel rm = app->runmodel();
  const SimSettings& s = app->set;
  const RobotData& r = app->model.of(Robot::a);
  const double rad = s.l / 2 + 0.12;  // arm's centre of mass on the axis
  const SimState x{10, 100 * rad, 3, 4, 0, 0};
  const Mat2 M = calmass(rm, x);
  EXPECT_NEAR(M.a11, (r.iarm + r.iw + s.mw * rad * rad) / 1e4, 1e-18);
  EXPECT_DOUBLE_EQ(M.a22, (r.marm + s.mw) / 1e4);
  EXPECT_EQ(M.a12, 0.0);
  EXPECT_EQ(M.a21, 0.0);
  // Only the payload's Coriolis and centrifugal terms remain.
  const double w = 3.0 / 100, rdot = 4.0 / 100;
  EXPECT_NEAR(calvel(rm, 0, x), 2 * s.mw * rad * w * rdot / 100, 1e-15);
  EXPECT_NEAR(calvel(rm, 1, x), -s.mw * rad * w * w / 100, 1e-15);
}

TEST(DynamicsTest, ScaraMassMatrixAtSixtyDegreesIsTheNominalInertia) {
  auto app = defaultcase('b', '1', 'L');
  const RunModel rm = app->runmodel();
  const RobotData& r = app->model.of(Robot::b);
  const Mat2 M = calmass(rm, {20, 100 * PI / 3, 0, 0, 0, 0});
  EXPECT_NEAR(M.a11 + r.jm1, r.jeq1, 1e-12 * r.jeq1);
  EXPECT_NEAR(M.a22 + r.jm2, r.jeq2, 1e-12 * r.jeq2);
  EXPECT_EQ(M.a12, M.a21);
}

TEST(DynamicsTest, ScaraVelocityTermsPointTheRightWay) {
  auto app = defaultcase('b', '1', 'L');
  const RunModel rm = app->runmodel();
  // Joint 1 turning alone with the elbow bent: the centrifugal force on
  // link 2 pushes the elbow open (a positive load on a positive sin theta2).
  const SimState x{0, 100 * 1.0, 200, 0, 0, 0};
  EXPECT_GT(calvel(rm, 1, x), 0.0);
  EXPECT_EQ(calvel(rm, 0, x), 0.0);
  // Stretched arm: no velocity coupling.
  EXPECT_EQ(calvel(rm, 1, {0, 0, 200, 100, 0, 0}), 0.0);
}

TEST(DynamicsTest, PositionsIntegrateSpeedsAndIntegralsTheCommandError) {
  auto app = defaultcase('a', '3', 'S');
  const RunModel rm = app->runmodel();
  ControlState cs;
  ControlState probe;
  const CommandOut c = command(rm, probe, 1.2);
  const SimState x{c.mcmd[0], c.mcmd[1], 0.7, -0.3, 0, 0};
  EXPECT_EQ(calderiv(rm, cs, 0, 1.2, x), 0.7);
  EXPECT_EQ(calderiv(rm, cs, 1, 1.2, x), -0.3);
  EXPECT_EQ(calderiv(rm, cs, 4, 1.2, x), 0.0);
  EXPECT_EQ(calderiv(rm, cs, 5, 1.2, x), 0.0);
  const SimState off{c.mcmd[0] - 0.5, c.mcmd[1] + 0.25, 0, 0, 0, 0};
  EXPECT_DOUBLE_EQ(calderiv(rm, cs, 4, 1.2, off), 0.5);
  EXPECT_DOUBLE_EQ(calderiv(rm, cs, 5, 1.2, off), -0.25);
}

TEST(DynamicsTest, WithoutContactTheLoadIsTheVelocityTerm) {
  // Robot a on the vertical line with the tip exactly on it (no force) and
  // moving: the acceleration is the drive model's answer to the control
  // torque against the velocity term alone.
  auto app = defaultcase('a', '1', 'L');
  const RunModel rm = app->runmodel();
  const SimState x{0, 30, 2.0, 3.0, 0, 0};
  ASSERT_EQ(calcontact(app->set, app->path, {0, 30}).force[0], 0.0);
  ControlState cs, ref;
  hybridcontrol(rm, cs, 0, x);
  hybridcontrol(rm, ref, 0, x);
  const Pair T = hybridcontrol(rm, ref, 0.5, x);
  const Mat2 M = calmass(rm, x);
  const RobotData& r = app->model.of(Robot::a);
  for (int j : {2, 3}) {
    const int k = j - 2;
    const double a = calderiv(rm, cs, j, 0.5, x);
    const double expect = caldrive1(k, x[j], T[k], calvel(rm, k, x), k == 0 ? 0.6 : 0.6,
                                    k == 0 ? r.etab1 : r.etab2, k == 0 ? r.jm1 : r.jm2, M);
    EXPECT_EQ(a, expect) << j;
  }
}

TEST(DynamicsTest, ContactForceLoadsTheJointsThroughTheHand) {
  // Robot a, hand along +X pressed 1 cm into the vertical line: the contact
  // force acts along the arm, so only the prismatic motor feels it.
  auto app = defaultcase('a', '1', 'L');
  const RunModel rm = app->runmodel();
  const SimState x{0, 31, 0, 0, 0, 0};
  const ContactOut ct = calcontact(app->set, app->path, {0, 31});
  ASSERT_NEAR(ct.f[0], 5.0, 1e-9);
  ASSERT_NEAR(ct.f[1], 0.0, 1e-12);
  // Zero torques: no gains at all.
  app->gains.of(Robot::a) = GainSet{};
  ControlState cs;
  hybridcontrol(rm, cs, 0, x);
  const RobotData& r = app->model.of(Robot::a);
  const Mat2 M = calmass(rm, x);
  // Load torque on motor 2 = F / u2 pushing the arm back: back-driven.
  const double a2 = calderiv(rm, cs, 3, 0.1, x);
  EXPECT_DOUBLE_EQ(a2, caldrive1(1, 0, 0, ct.f[0] / 100, 0.6, r.etab2, r.jm2, M));
  EXPECT_LT(a2, 0.0);
  EXPECT_EQ(calderiv(rm, cs, 2, 0.1, x), 0.0);
}

TEST(DynamicsTest, ScaraContactLoadIsTheTransposedJacobianOfTheTipForce) {
  // SCARA pressed into the default vertical line with the hand at an angle
  // to it: the frictionless contact force acts along +X in the world
  // whatever the hand's spring axes do, so each motor feels the x-row of
  // the tip Jacobian times F (through its reducer) on top of the velocity
  // term. With all gains zero the motors give no torque.
  auto app = defaultcase('b', '1', 'L');
  app->set.KH1 = 500;
  app->set.KH2 = 2000;
  app->gains.of(Robot::b) = GainSet{};
  const RunModel rm = app->runmodel();
  const SimState x{30, 120, 0.7, -0.4, 0, 0};
  const ContactOut ct = calcontact(app->set, app->path, {x[0], x[1]});
  const double F = ct.force[0];
  ASSERT_GT(F, 1.0);
  const Mat2 J = jacobian(rm.arm(), {0.3, 1.2}, nullptr);
  const Pair load{calvel(rm, 0, x) + J.a11 * F / 100, calvel(rm, 1, x) + J.a12 * F / 100};
  const RobotData& r = app->model.of(Robot::b);
  const DriveParams d{0.6, r.etab1, 0.6, r.etab2, r.jm1, r.jm2};
  const Pair want = caldrive2({x[2], x[3]}, {0, 0}, load, calmass(rm, x), d);
  ControlState cs;
  for (int j : {2, 3}) {
    const double a = calderiv(rm, cs, j, 0.1, x);
    EXPECT_NEAR(a, want[j - 2], 1e-9 * std::fabs(want[j - 2])) << j;
  }
}
