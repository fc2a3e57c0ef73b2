#include "session/app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/settingfields.h"
#include "enginecase.h"
#include "view/displaystate.h"

using namespace hs;

namespace {

// A fresh application after start-up steps 1 to 3, with the selections then
// set as the start dialogue would.
std::unique_ptr<App> installed(Console& con) {
  auto app = std::make_unique<App>();
  installconstants(*app);
  setdefaults(*app, con);
  return app;
}
void choose(App& app, char type, char hybrid, char curve) {
  app.set.type = robotkey(type);
  app.set.hybrid = methodkey(hybrid);
  app.set.curve = contourkey(curve);
}

const char kUnreachable[] = "\n!!! 逆運動学の解なし．始めからやり直し．";

}  // namespace

TEST(SetDefaultsTest, InstallsBothRobotsAndLeavesRobotBMethodSixSine) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  EXPECT_EQ(std::string() + keyof(s.type) + keyof(s.hybrid) + keyof(s.curve), "b6S");
  EXPECT_EQ(con.output(), "");  // every default path end is reachable
  EXPECT_DOUBLE_EQ(s.dt, 0.04);
  EXPECT_EQ(s.nstep, 200);
  EXPECT_DOUBLE_EQ(s.workoff, 0.12);
  EXPECT_DOUBLE_EQ(s.worklen, 0.15);
  EXPECT_EQ(fmt("%5.3f (%5.3f, %5.3f) %5.3f %3.0f %3.0f %5.3f", s.l, s.l1, s.l2 + s.wp, s.mw, s.PW2_b,
                s.u1_a, s.eta2_b),
            "0.700 (0.500, 0.500) 1.000 200 100 0.600");
  EXPECT_EQ(fmt("%6.2f %6.2f %6.3f %5.3f", s.KH1, s.KH2, s.Fn, 1000 * s.seterror), "500.00 500.00 10.000 5.000");
  // Links of both robots are derived; the motors are placeholders (zero) so far.
  EXPECT_NEAR(app->model.a.marm, 2.0487, 5e-5);
  EXPECT_NEAR(app->model.b.m1, 2.9865, 5e-5);
  EXPECT_EQ(app->model.b.jm1, 0.0);
  EXPECT_NEAR(app->model.a.jeq1, 1.4708e-4 - 1.2e-4, 5e-9);
}

TEST(SetDefaultsTest, ServoTargetsAndGainsOfEveryMethod) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  const GainSpec* specs[] = {&s.gainspec1, &s.gainspec3, &s.gainspec4, &s.gainspec6};
  const char* shown[] = {" 5.000 0.000 10.000 5.000", " 5.000 0.000 20.000 2.000",
                         "10.000 0.000 30.000 5.000", " 5.000 0.000 20.000 2.000"};
  for (int i = 0; i < 4; ++i) {
    const GainSpec& g = *specs[i];
    EXPECT_EQ(fmt("%6.3f %5.3f %6.3f %5.3f", g.omega1 / PI2, g.alpha1, g.omega2 / PI2, g.alpha2), shown[i]);
  }
  EXPECT_DOUBLE_EQ(s.gainspec4.omega1, 10 * PI2);  // the stored 2 pi
  for (Robot t : {Robot::a, Robot::b}) {  // every method designed for both robots
    EXPECT_GT(app->gains.of(t).posgain1.Kp, 0.0) << keyof(t);
    EXPECT_GT(app->gains.of(t).secondgain.Ki, 0.0) << keyof(t);
  }
}

TEST(SetDefaultsTest, ContoursPreparedUnderMethodSix) {
  ScriptConsole con("");
  auto app = installed(con);
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.circle.Ox + s.circle.rr, 0.65);
  EXPECT_NEAR(s.sine.xf, 0.8, 1e-15);
  EXPECT_DOUBLE_EQ(s.sine.yf, 0.3);
  EXPECT_NEAR(app->path.pathlen, 1.03607, 5e-6);  // the sine was prepared last
  for (Robot t : {Robot::a, Robot::b}) {
    EXPECT_EQ(app->path.profile(t).ta, 0.0);  // method 6 never sets it
    EXPECT_NEAR(app->path.profile(t).vmax, app->path.pathlen / 4.0, 1e-15);
  }
}

TEST(DeriveTest, CompletesTheModelForTheChosenSelections) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'b', '6', 'S');
  derive(*app, con);
  EXPECT_EQ(app->path.profile(Robot::b).ta, 0.0);  // what method 6 sees after start-up
  EXPECT_NEAR(app->model.b.jeq1, 2.3162e-4, 5e-9);
  choose(*app, 'a', '1', 'L');
  derive(*app, con);
  EXPECT_NEAR(app->path.profile(Robot::a).ta, 0.4, 1e-15);
  EXPECT_NEAR(app->path.profile(Robot::a).vmax, 0.08333, 5e-6);
  EXPECT_NEAR(app->model.a.jeq1, 1.4708e-4, 5e-9);
  EXPECT_NEAR(app->gains.of(Robot::a).posgain1.Kp, 986.9604 * app->model.a.jeq1, 1e-7);
  EXPECT_EQ(seterrlabel(app->set.seterror), "05[mm]");  // the label the window draws
  EXPECT_NEAR(app->model.b.jeq1, 2.3162e-4, 5e-9);  // robot b kept
  EXPECT_EQ(con.output(), "");
}

TEST(DeriveTest, MethodBroughtBackUsesItsOwnTargets) {
  ScriptConsole con("");
  auto app = installed(con);
  choose(*app, 'a', '1', 'L');
  app->set.gainspec1.omega1 = 7 * PI2;  // as entered for method 1
  derive(*app, con);
  app->set.hybrid = Method::hybrid3;
  derive(*app, con);
  EXPECT_DOUBLE_EQ(app->gains.omega1, 5 * PI2);
  app->set.hybrid = Method::hybrid1;
  derive(*app, con);
  EXPECT_DOUBLE_EQ(app->gains.omega1, 7 * PI2);
}

TEST(UnreachableReportTest, EachPathEndOutOfReachIsReportedAndWaitsForAKey) {
  ScriptConsole con("12z");
  auto app = installed(con);
  choose(*app, 'b', '1', 'L');
  app->set.line = LineSpec{1.2, 0.0, 0.0, 1.05, 4.0};
  derive(*app, con);
  // Each report ends with the line that says a key continues.
  EXPECT_EQ(con.output(), std::string(kUnreachable) +
                              "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 1.200  0.000)" +
                              "\nキーを押すと続けます．" + kUnreachable +
                              "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 0.000  1.050)" +
                              "\nキーを押すと続けます．");
  EXPECT_EQ(con.remaining(), "z");  // one key per report
  EXPECT_NEAR(app->path.profile(Robot::b).ta, 0.4, 1e-15);  // the derivation completed

  con.clearoutput();
  reportunreachable(con, app->set, 1.1, 0.0);
  EXPECT_EQ(con.output(), std::string(kUnreachable) + "\n    アーム長1,2=( 0.500  0.500) 位置(x,y)=( 1.100  0.000)" +
                              kKeyContinues);
  EXPECT_EQ(con.remaining(), "");

  ScriptConsole quiet("z");
  choose(*app, 'a', '1', 'L');  // the cylindrical robot reaches everything
  derive(*app, quiet);
  EXPECT_EQ(quiet.output(), "");
  EXPECT_EQ(quiet.remaining(), "z");
}

TEST(DefaultCase, IsWhatStartUpDerivesBeforeTheSelectionsWithoutAConsole) {
  ScriptConsole con("");
  auto app = installed(con);
  derive(*app, con);
  Case c = defaultcase();
  EXPECT_TRUE(c.set.type == Robot::b && c.set.hybrid == Method::hybrid6 &&
              c.set.curve == Contour::sine);
  EXPECT_EQ(c.worklen, 0.15);
  EXPECT_EQ(c.accwindow6, 0.0);
  for (const SettingField& f : settingfields())
    EXPECT_EQ(f.field(c.set), f.field(app->set)) << f.name;
  EXPECT_EQ(con.output(), "");
}
