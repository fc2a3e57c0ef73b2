#include "engine/control/command.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/control/hybrid.h"
#include "engine/control/kinematics.h"
#include "enginecase.h"

using namespace hs;

TEST(CommandTest, LineStartIsCommandedBeyondTheContactByTheDeflection) {
  // Robot a, method 1, default line (+X press), seterror 5 mm, Fn 10 N,
  // KH1 500 N/m: the commanded point (0.305, 0) is pushed 2 cm further.
  auto app = defaultcase('a', '1', 'L');
  ASSERT_DOUBLE_EQ(app->set.seterror, 0.005);
  ASSERT_DOUBLE_EQ(app->set.Fn, 10.0);
  ASSERT_DOUBLE_EQ(app->set.KH1, 500.0);
  ControlState cs;
  const CommandOut c = command(app->runmodel(), cs, 0);
  EXPECT_NEAR(c.P[0], 0.305, 1e-15);
  EXPECT_NEAR(c.P[1], 0.0, 1e-15);
  EXPECT_NEAR(c.mcmd[0], 0.0, 1e-12);
  EXPECT_NEAR(c.mcmd[1], 32.5, 1e-12);
  EXPECT_EQ(c.s, 0.0);
  EXPECT_FALSE(c.unreachable);
}

TEST(CommandTest, ZeroForceCommandsTheBarePathPoint) {
  auto app = defaultcase('b', '3', 'C');
  app->set.Fn = 0;
  ControlState cs;
  for (double t : {0.0, 1.3, 5.9}) {
    const CommandOut c = command(app->runmodel(), cs, t);
    const IkResult ik = ikine(app->runmodel().arm(), c.P[0], c.P[1], cs.qref);
    EXPECT_EQ(c.mcmd[0], ik.m[0]) << t;
    EXPECT_EQ(c.mcmd[1], ik.m[1]) << t;
  }
}

TEST(CommandTest, DeflectionIsAlongThePressDirection) {
  // Robot b on the circle: the undeflected tip of the commanded posture lies
  // Fn / K beyond the commanded point towards the centre (equal springs).
  auto app = defaultcase('b', '4', 'C');
  ControlState cs;
  const RunModel rm = app->runmodel();
  const CommandOut c = command(rm, cs, 2.0);
  const ArmGeometry g = rm.arm();
  const Pair tip = fkine(g, {c.mcmd[0] / g.u1, c.mcmd[1] / g.u2});
  const Pair centre = app->path.cmdcentre;
  const double rP = std::hypot(c.P[0] - centre[0], c.P[1] - centre[1]);
  const double rT = std::hypot(tip[0] - centre[0], tip[1] - centre[1]);
  EXPECT_NEAR(rP - rT, 10.0 / 500.0, 1e-9);
}

TEST(CommandTest, JointSpeedsFollowThePathSpeed) {
  auto app = defaultcase('a', '1', 'L');
  ControlState cs;
  const RunModel rm = app->runmodel();
  const CommandOut c = command(rm, cs, 2.0);  // cruising upwards at vmax
  const ArmGeometry g = rm.arm();
  const IkResult ik = ikine(g, c.P[0], c.P[1], cs.qref);
  double det = 0;
  const Mat2 J = jacobian(g, ik.q, &det);
  const double vx = J.a11 * c.mdotcmd[0] / g.u1 + J.a12 * c.mdotcmd[1] / g.u2;
  const double vy = J.a21 * c.mdotcmd[0] / g.u1 + J.a22 * c.mdotcmd[1] / g.u2;
  EXPECT_NEAR(vx, 0.0, 1e-12);
  EXPECT_NEAR(vy, 0.3 / 3.6, 1e-12);
  EXPECT_NEAR(c.sdot, 0.3 / 3.6, 1e-12);
}

TEST(CommandTest, MethodSixStaysAtThePathEndAtFullSpeed) {
  auto app = defaultcase('a', '6', 'L');
  ControlState cs;
  const RunModel rm = app->runmodel();
  command(rm, cs, 0);
  const CommandOut c = command(rm, cs, 7.0);  // path ends at 0.3 / vmax = 4 s
  EXPECT_NEAR(c.P[0], 0.3, 1e-12);
  EXPECT_NEAR(c.P[1], 0.3, 1e-12);
  EXPECT_DOUBLE_EQ(c.s, app->path.pathlen);
  EXPECT_DOUBLE_EQ(c.sdot, rm.profile().vmax);
  EXPECT_GT(c.sdot, 0.0);
  // The commanded motor positions are those of the bare point.
  const IkResult ik = ikine(rm.arm(), 0.3, 0.3, {0, 0});
  EXPECT_NEAR(c.mcmd[0], ik.m[0], 1e-9);
  EXPECT_NEAR(c.mcmd[1], ik.m[1], 1e-9);
}

TEST(CommandTest, MethodSixResetsItsJointReferenceAtTimeZero) {
  auto app = defaultcase('b', '6', 'C');
  ControlState cs;
  const RunModel rm = app->runmodel();
  cs.qref = {40.0, -40.0};
  const CommandOut c = command(rm, cs, 0);
  const IkResult ik = ikine(rm.arm(), c.P[0], c.P[1], {0, 0});
  EXPECT_EQ(cs.qref, ik.q);
  // Later calls carry the reference on; methods 1, 3, 4 only read it.
  command(rm, cs, 1.0);
  EXPECT_NE(cs.qref, ik.q);
  app->set.hybrid = Method::hybrid1;
  const Pair before = cs.qref;
  command(rm, cs, 2.0);
  EXPECT_EQ(cs.qref, before);
}

TEST(CommandTest, UnreachablePointIsFlaggedAndNotedOnce) {
  auto app = defaultcase('b', '1', 'L');
  app->set.line = LineSpec{0.3, 0.0, 1.2, 0.0, 4.0};  // beyond the SCARA's 1.0 m reach
  ScriptConsole con("");
  derive(*app, con);
  Diagnostics notes;
  ControlState cs;
  cs.notes = &notes;
  const RunModel rm = app->runmodel();
  EXPECT_FALSE(command(rm, cs, 0.5).unreachable);
  EXPECT_TRUE(notes.empty());
  const CommandOut late = command(rm, cs, 3.9);
  EXPECT_TRUE(late.unreachable);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].code, DiagCode::unreachable);
  EXPECT_DOUBLE_EQ(notes[0].t, 3.9);
  EXPECT_TRUE(std::isfinite(late.mcmd[0]) && std::isfinite(late.mcmd[1]));
  command(rm, cs, 4.0);
  ASSERT_EQ(notes.size(), 1u);  // the first time is kept
  EXPECT_DOUBLE_EQ(notes[0].t, 3.9);
}

