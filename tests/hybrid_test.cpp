#include "engine/control/hybrid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/control/kinematics.h"
#include "enginecase.h"
#include "engine/model/drive.h"

using namespace hs;

namespace {

// State at the commanded motor positions of time t, displaced by dm, at rest.
SimState nearcommand(const RunModel& rm, double t, const Pair& dm) {
  ControlState probe;
  const CommandOut c = command(rm, probe, t);
  return {c.mcmd[0] + dm[0], c.mcmd[1] + dm[1], 0, 0, 0, 0};
}

}  // namespace

TEST(HybridTest, MethodOneWithoutForceGainsIsAJointPid) {
  auto app = defaultcase('a', '1', 'L');
  GainSet& gs = app->gains.of(Robot::a);
  gs.forcegain1 = gs.forcegain2 = Pid{};
  const RunModel rm = app->runmodel();
  ControlState cs;
  hybridcontrol(rm, cs, 0, nearcommand(rm, 0, {0, 0}));
  const double t = 2.0;
  ControlState probe;
  const CommandOut c = command(rm, probe, t);
  const SimState x{c.mcmd[0] - 0.01, c.mcmd[1] + 0.02, 0.3, -0.4, 0.005, -0.002};
  const Pair T = hybridcontrol(rm, cs, t, x);
  for (int i = 0; i < 2; ++i) {
    const Pid& p = i == 0 ? gs.posgain1 : gs.posgain2;
    const double expect =
        p.Kp * (c.mcmd[i] - x[i]) + p.Kv * (c.mdotcmd[i] - x[2 + i]) + p.Ki * x[4 + i];
    EXPECT_NEAR(T[i], expect, 1e-12 * std::fabs(expect)) << i;
  }
}

TEST(HybridTest, TorquesAreCutToTheMotorLimitsWithTheirSign) {
  auto app = defaultcase('a', '1', 'L');
  GainSet& gs = app->gains.of(Robot::a);
  gs.forcegain1 = gs.forcegain2 = Pid{};
  gs.posgain1 = gs.posgain2 = Pid{1.0, 0, 0};
  const RobotData& r = app->model.of(Robot::a);
  const RunModel rm = app->runmodel();
  for (double sign : {1.0, -1.0}) {
    ControlState cs;
    // Position errors that ask for twice the limits.
    const SimState x = nearcommand(rm, 0, {-sign * 2 * r.T1max, -sign * 2 * r.T2max});
    const Pair T = hybridcontrol(rm, cs, 0, x);
    // (limit x T / |T|: equal up to the rounding of that product)
    EXPECT_DOUBLE_EQ(T[0], sign * r.T1max);
    EXPECT_DOUBLE_EQ(T[1], sign * r.T2max);
  }
  // A torque exactly at the limit stays as it is.
  app->model.of(Robot::a).T1max = 0.25;
  ControlState cs;
  const Pair T = hybridcontrol(rm, cs, 0, nearcommand(rm, 0, {-0.25, 0}));
  EXPECT_EQ(T[0], 0.25);
}

TEST(HybridTest, MethodFourOnTheDefaultLineStart) {
  // Press direction +X. Robot a's hand points along +X: along the hand, so
  // motor 1 (rotation) holds position and motor 2 (radius) the force.
  // Robot b's hand points at about 71 degrees: across the hand, which for
  // robot b gives the same assignment.
  for (char type : {'a', 'b'}) {
    auto app = defaultcase(type, '4', 'L');
    const RunModel rm = app->runmodel();
    GainSet& gs = app->gains.of(robotkey(type));
    const SimState x = nearcommand(rm, 0, {0.5, 0.5});
    // Only the position loop: the force motor gets nothing.
    gs.secondgain = Pid{};
    ControlState cs;
    const Pair Tpos = hybridcontrol(rm, cs, 0, x);
    // Only the force loop: the position motor gets nothing.
    gs.secondgain = Pid{1.0, 0, 0};
    gs.firstgain = Pid{};
    ControlState cs2;
    const Pair Tforce = hybridcontrol(rm, cs2, 0, x);
    const ArmGeometry g = rm.arm();
    const Pair q{x[0] / g.u1, x[1] / g.u2};
    const Pair tip = realtip(g, {x[0], x[1]}, calcontact(app->set, app->path, {x[0], x[1]}).p);
    const double deg = normaloffset(robotkey(type), q, contourdirs(app->set, app->path, tip).nu) * 57.2957795;
    if (type == 'a') {
      EXPECT_NEAR(deg, 0.0, 1.0);
    } else {
      EXPECT_NEAR(deg, -71.0, 2.0);  // not along the hand
    }
    // Robot a along the hand and robot b across it both give: motor 1
    // position, motor 2 force.
    EXPECT_NE(Tpos[0], 0.0) << type;
    EXPECT_EQ(Tpos[1], 0.0) << type;
    EXPECT_EQ(Tforce[0], 0.0) << type;
    EXPECT_NE(Tforce[1], 0.0) << type;
  }
}

TEST(HybridTest, MemoryAdvancesOnlyWhenTimeMovesOnByMoreThanTenMicroseconds) {
  auto app = defaultcase('b', '3', 'C');
  const RunModel rm = app->runmodel();
  ControlState cs;
  hybridcontrol(rm, cs, 0, nearcommand(rm, 0, {0, 0}));
  const SimState x = nearcommand(rm, 0.1, {0.01, -0.02});
  hybridcontrol(rm, cs, 0.1, x);
  const ControlState after = cs;
  ASSERT_NE(after.ferrint, 0.0);
  // Same time again, and a time within 1e-5 s: integrals and rates unchanged.
  for (double t : {0.1, 0.1 + 0.9e-5}) {
    hybridcontrol(rm, cs, t, x);
    EXPECT_EQ(cs.ferrint, after.ferrint);
    EXPECT_EQ(cs.terrint, after.terrint);
    EXPECT_EQ(cs.deflerrint, after.deflerrint);
    EXPECT_EQ(cs.ferrdot, after.ferrdot);
    EXPECT_EQ(cs.tprev, t);  // but the previous time is overwritten
  }
  // More than 1e-5 s after the previous call: the memory advances.
  hybridcontrol(rm, cs, 0.1 + 0.9e-5 + 1.1e-5, x);
  EXPECT_NE(cs.ferrint, after.ferrint);
  EXPECT_NE(cs.terrint, after.terrint);
}

TEST(HybridTest, CallAtTimeZeroStartsWithCleanMemory) {
  for (char method : {'1', '3', '4', '6'}) {
    auto app = defaultcase('a', method, 'C');
    const RunModel rm = app->runmodel();
    ControlState fresh, used;
    const SimState x0 = nearcommand(rm, 0, {0.002, 0.003});
    const Pair Tfresh = hybridcontrol(rm, fresh, 0, x0);
    // A finished earlier run leaves memory behind.
    for (double t : {0.0, 0.5, 1.0, 1.5})
      hybridcontrol(rm, used, t, nearcommand(rm, t, {0.01 * t, -0.02 * t}));
    ASSERT_TRUE(used.ferrint != 0 || used.deflerrint[0] != 0);
    const Pair Tagain = hybridcontrol(rm, used, 0, x0);
    EXPECT_EQ(Tagain, Tfresh) << method;
    EXPECT_EQ(used.ferrint, 0.0);
    EXPECT_EQ(used.terrint, 0.0);
    EXPECT_EQ(used.deflerrint[0], 0.0);
    EXPECT_EQ(used.stipprev, fresh.stipprev);
    EXPECT_EQ(used.tprev, 0.0);
  }
}

TEST(HybridTest, NoForceAtAllStillGivesFiniteTorques) {
  // Tip exactly on the vertical line at the start: F = 0, the deflection
  // scaling has nothing to scale.
  for (char method : {'1', '3', '4'}) {
    auto app = defaultcase('a', method, 'L');
    const RunModel rm = app->runmodel();
    const SimState x{0, 30, 0, 0, 0, 0};
    ASSERT_EQ(calcontact(app->set, app->path, {0, 30}).force[0], 0.0);
    ControlState cs;
    const Pair T = hybridcontrol(rm, cs, 0, x);
    EXPECT_TRUE(std::isfinite(T[0]) && std::isfinite(T[1])) << method;
    EXPECT_TRUE(std::isfinite(cs.deflerr[0]) && std::isfinite(cs.deflerr[1]));
    // The arm must be driven towards the workpiece (+X, the radius).
    if (method != '3') {
      EXPECT_GT(cs.deflerr[1], 0.0) << method;
    }
  }
}

TEST(HybridTest, SingularPosturesGiveFiniteTorques) {
  for (char type : {'a', 'b'}) {
    for (char method : {'1', '3', '4', '6'}) {
      auto app = defaultcase(type, method, 'L');
      const RunModel rm = app->runmodel();
      // Robot a at r = 0; robot b stretched (theta2 = 0).
      const SimState x = type == 'a' ? SimState{0.3, 0, 0, 0, 0, 0} : SimState{10, 0, 1, 1, 0, 0};
      ControlState cs;
      hybridcontrol(rm, cs, 0, x);
      const Pair T = hybridcontrol(rm, cs, 0.2, x);
      EXPECT_TRUE(std::isfinite(T[0]) && std::isfinite(T[1])) << type << method;
    }
  }
}

TEST(HybridTest, MethodSixPressesWithTheForceErrorAlongTheNormal) {
  // Robot a on the vertical line, hand along +X: a tip 1 cm short of the
  // line (pulling force) must be pushed in +X, i.e. by the prismatic motor.
  auto app = defaultcase('a', '6', 'L');
  GainSet& gs = app->gains.of(Robot::a);
  gs.firstgain = Pid{};
  const RunModel rm = app->runmodel();
  ControlState cs;
  const Pair T = hybridcontrol(rm, cs, 0, {0, 29, 0, 0, 0, 0});
  EXPECT_GT(T[1], 0.0);
  EXPECT_NEAR(T[0], 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(cs.ferr, 10.0 + 500 * 0.01);
}
