#include "driver/app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace hs;

namespace {

// A fresh application state after start-up steps 1 to 3.
std::unique_ptr<App> installed(ScriptConsole& con) {
  auto app = std::make_unique<App>();
  installconstants(*app);
  setdefaults(*app, con);
  return app;
}

}  // namespace

TEST(InstallConstantsTest, SetsRunConstantsWorkDimensionsAndDisplay) {
  auto app = std::make_unique<App>();
  app->disp.zoom = 3.0;
  installconstants(*app);
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.dt, 0.04);
  EXPECT_EQ(s.nstep, 200);
  EXPECT_DOUBLE_EQ(s.workoff, 0.12);
  EXPECT_DOUBLE_EQ(s.wp, 0.2);
  EXPECT_DOUBLE_EQ(s.worklen, 0.15);
  EXPECT_DOUBLE_EQ(s.workwid, 0.02);
  EXPECT_DOUBLE_EQ(app->disp.zoom, 1.0);
  EXPECT_DOUBLE_EQ(app->disp.grapherrmag, 10.0);
  EXPECT_DOUBLE_EQ(app->disp.origin[0], -0.5);
  EXPECT_DOUBLE_EQ(app->disp.origin[1], -0.3);
}

TEST(SetDefaultsTest, LeavesRobotBMethodSixSine) {
  ScriptConsole con("");
  auto app = installed(con);
  EXPECT_EQ(app->set.type, 'b');
  EXPECT_EQ(app->set.hybrid, '6');
  EXPECT_EQ(app->set.curve, 'S');
  EXPECT_EQ(con.output(), "");  // every default path end is reachable
}

TEST(SetDefaultsTest, InstallsTheRobotDataOfBothTypes) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.l, 0.7);
  EXPECT_DOUBLE_EQ(s.l1, 0.5);
  EXPECT_DOUBLE_EQ(s.l2 + s.wp, 0.5);  // the second arm as the report shows it
  EXPECT_DOUBLE_EQ(s.mw, 1.0);
  for (double v : {s.PW1_a, s.PW2_a, s.PW1_b, s.PW2_b}) EXPECT_DOUBLE_EQ(v, 200.0);
  for (double v : {s.u1_a, s.u2_a, s.u1_b, s.u2_b}) EXPECT_DOUBLE_EQ(v, 100.0);
  for (double v : {s.eta1_a, s.eta2_a, s.eta1_b, s.eta2_b}) EXPECT_DOUBLE_EQ(v, 0.6);
  EXPECT_DOUBLE_EQ(s.KH1, 500.0);
  EXPECT_DOUBLE_EQ(s.KH2, 500.0);
  EXPECT_DOUBLE_EQ(s.Fn, 10.0);
  EXPECT_DOUBLE_EQ(s.seterror, 0.005);
  EXPECT_DOUBLE_EQ(s.worklen, 0.15);
  EXPECT_DOUBLE_EQ(s.workwid, 0.02);
  EXPECT_DOUBLE_EQ(app->disp.jointr1, 0.0375);
  EXPECT_DOUBLE_EQ(app->disp.jointr2, 0.0225);
  // Links of both robots are derived, the motors not yet.
  EXPECT_NEAR(app->model.a.marm, 2.0487, 5e-5);
  EXPECT_NEAR(app->model.b.m1, 2.9865, 5e-5);
  EXPECT_NEAR(app->model.a.etab1, 0.33342, 5e-6);
  EXPECT_EQ(app->model.a.jm1, 0.0);
  EXPECT_NEAR(app->model.a.jeq1, 1.4708e-4 - 1.2e-4, 5e-9);
}

TEST(SetDefaultsTest, ServoTargetsOfEveryMethodInHz) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  struct Row {
    const GainSpec& g;
    double fn1, a1, fn2, a2;
  } rows[] = {{s.gainspec1, 5, 0, 10, 5},
              {s.gainspec3, 5, 0, 20, 2},
              {s.gainspec4, 10, 0, 30, 5},
              {s.gainspec6, 5, 0, 20, 2}};
  for (const Row& r : rows) {
    EXPECT_DOUBLE_EQ(r.g.omega1, r.fn1 * PI2);  // the stored 2 pi
    EXPECT_DOUBLE_EQ(r.g.alpha1, r.a1);
    EXPECT_DOUBLE_EQ(r.g.omega2, r.fn2 * PI2);
    EXPECT_DOUBLE_EQ(r.g.alpha2, r.a2);
  }
  EXPECT_EQ(fmt("%6.3f %6.3f", s.gainspec4.omega1 / PI2, s.gainspec4.omega2 / PI2), "10.000 30.000");
  EXPECT_DOUBLE_EQ(app->gains.zeta1, 1.0);
  EXPECT_DOUBLE_EQ(app->gains.zeta2, 1.0);
  // Every method was designed for both robots; method 6 last.
  for (char t : {'a', 'b'}) {
    EXPECT_GT(app->gains.of(t).posgain1.Kp, 0.0) << t;
    EXPECT_GT(app->gains.of(t).forcegain2.Ki, 0.0) << t;
    EXPECT_GT(app->gains.of(t).secondgain.Ki, 0.0) << t;
  }
  EXPECT_DOUBLE_EQ(app->gains.omega2, 20 * PI2);
}

TEST(SetDefaultsTest, PreparesEveryContourWithMethodSix) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.line.x0, 0.3);
  EXPECT_DOUBLE_EQ(s.line.yf, 0.3);
  EXPECT_DOUBLE_EQ(s.line.tf, 4.0);
  EXPECT_DOUBLE_EQ(s.circle.Ox + s.circle.rr, 0.65);
  EXPECT_DOUBLE_EQ(s.circle.tf, 6.0);
  EXPECT_NEAR(s.sine.xf, 0.8, 1e-15);
  EXPECT_DOUBLE_EQ(s.sine.yf, 0.3);
  EXPECT_NEAR(app->path.pathlen, 1.03607, 5e-6);  // the sine was prepared last
  for (char t : {'a', 'b'}) {
    // Method 6 sets only the constant speed; the acceleration time stays 0.
    EXPECT_EQ(app->path.profile(t).ta, 0.0);
    EXPECT_EQ(app->path.profile(t).acc, 0.0);
    EXPECT_NEAR(app->path.profile(t).vmax, app->path.pathlen / 4.0, 1e-15);
  }
}

namespace {
void choose(App& app, char type, char hybrid, char curve) {
  app.set.type = type;
  app.set.hybrid = hybrid;
  app.set.curve = curve;
}
}  // namespace

TEST(DeriveTest, MethodSixSeesZeroAccelerationTimeAfterStartUp) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'b', '6', 'S');
  derive(*app, con);
  EXPECT_EQ(app->path.profile('b').ta, 0.0);
  EXPECT_NEAR(app->model.b.jeq1, 2.3162e-4, 5e-9);
  EXPECT_NEAR(app->model.b.jeq2, 1.3977e-4, 5e-9);
  EXPECT_EQ(con.output(), "");
}

TEST(DeriveTest, MethodOneLineOnCylindricalRobot) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'a', '1', 'L');
  derive(*app, con);
  const SpeedProfile& pr = app->path.profile('a');
  EXPECT_NEAR(pr.ta, 0.4, 1e-15);
  EXPECT_NEAR(pr.vmax, 0.08333, 5e-6);
  EXPECT_NEAR(app->model.a.jm1, 1.2e-4, 1e-15);
  EXPECT_NEAR(app->model.a.jeq1, 1.4708e-4, 5e-9);
  EXPECT_NEAR(app->gains.of('a').posgain1.Kp, 986.9604 * app->model.a.jeq1, 1e-7);
  EXPECT_EQ(app->disp.errlabel, "05[mm]");
}

TEST(DeriveTest, SwitchingRobotKeepsEachRobotsData) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'a', '1', 'L');
  derive(*app, con);
  const RobotData a = app->model.a;
  const GainSet ga = app->gains.of('a');
  choose(*app, 'b', '1', 'L');
  derive(*app, con);
  choose(*app, 'a', '1', 'L');
  EXPECT_EQ(app->model.a.jeq1, a.jeq1);
  EXPECT_EQ(app->gains.of('a').posgain1.Kp, ga.posgain1.Kp);
  EXPECT_DOUBLE_EQ(app->set.l, 0.7);
  EXPECT_DOUBLE_EQ(app->set.l1, 0.5);
}

TEST(DeriveTest, MethodBroughtBackUsesItsOwnTargets) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'a', '1', 'L');
  app->set.gainspec1.omega1 = 7 * PI2;  // as entered for method 1
  derive(*app, con);
  app->set.hybrid = '3';
  derive(*app, con);
  EXPECT_DOUBLE_EQ(app->gains.omega1, 5 * PI2);
  app->set.hybrid = '1';
  derive(*app, con);
  EXPECT_DOUBLE_EQ(app->gains.omega1, 7 * PI2);
  EXPECT_DOUBLE_EQ(app->gains.alpha2, 5.0);
}

TEST(UnreachableReportTest, PrintsLengthsAndPointAndWaitsForOneKey) {
  ScriptConsole con("xq");
  auto app = std::make_unique<App>();
  installconstants(*app);
  setdefaults(*app, con);
  reportunreachable(con, app->set, 1.1, 0.0);
  EXPECT_EQ(con.output(),
            "\n!!! 逆運動学の解なし．始めからやり直し．"
            "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 1.100  0.000)");
  EXPECT_EQ(con.remaining(), "q");
}

TEST(UnreachableReportTest, DeriveReportsEachPathEndOutOfReach) {
  ScriptConsole con("12z");
  auto app = installed(con);
  choose(*app, 'b', '1', 'L');
  app->set.line = LineSpec{1.2, 0.0, 0.0, 1.05, 4.0};
  derive(*app, con);
  EXPECT_EQ(con.output(),
            "\n!!! 逆運動学の解なし．始めからやり直し．"
            "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 1.200  0.000)"
            "\n!!! 逆運動学の解なし．始めからやり直し．"
            "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 0.000  1.050)");
  EXPECT_EQ(con.remaining(), "z");
  // The derivation still completes with finite values.
  EXPECT_NEAR(app->path.pathlen, std::hypot(1.2, 1.05), 1e-12);
  EXPECT_NEAR(app->path.profile('b').ta, 0.4, 1e-15);
}

TEST(UnreachableReportTest, CylindricalRobotReachesEverything) {
  ScriptConsole con("z");
  auto app = installed(con);
  choose(*app, 'a', '1', 'L');
  app->set.line = LineSpec{1.2, 0.0, 0.0, 1.05, 4.0};
  derive(*app, con);
  EXPECT_EQ(con.output(), "");
  EXPECT_EQ(con.remaining(), "z");
}
