#include "control/gains.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/robotmodel.h"

using namespace hs;

namespace {

// Servo targets as the start-up installs them: Hz times the stored 2 pi.
SimSettings targets() {
  SimSettings s;
  s.type = 'a';
  s.KH1 = 500;
  s.u1_a = 100;
  s.u2_a = 50;
  s.u1_b = 80;
  s.u2_b = 60;
  s.gainspec1 = {5 * PI2, 0, 10 * PI2, 5};
  s.gainspec3 = {5 * PI2, 0, 20 * PI2, 2};
  s.gainspec4 = {10 * PI2, 0, 30 * PI2, 5};
  s.gainspec6 = {5 * PI2, 0, 20 * PI2, 2};
  return s;
}

RobotModel inertias() {
  RobotModel m;
  m.a.jeq1 = 2e-4;
  m.a.jeq2 = 3e-4;
  m.b.jeq1 = 5e-4;
  m.b.jeq2 = 7e-4;
  return m;
}

void expectpid(const Pid& p, double Kp, double Kv, double Ki, double tol) {
  EXPECT_NEAR(p.Kp, Kp, tol);
  EXPECT_NEAR(p.Kv, Kv, tol);
  EXPECT_NEAR(p.Ki, Ki, tol);
}

void expectscaled(const Pid& got, const Pid& base, double factor) {
  EXPECT_NEAR(got.Kp, base.Kp * factor, 1e-12 * std::fabs(base.Kp * factor));
  EXPECT_NEAR(got.Kv, base.Kv * factor, 1e-12 * std::fabs(base.Kv * factor));
  EXPECT_NEAR(got.Ki, base.Ki * factor, 1e-12 * std::fabs(base.Ki * factor));
}

}  // namespace

TEST(NormalisedGainsTest, DefaultTargetsOfEveryMethod) {
  // Method 1: fn1 5 Hz, alpha1 0; fn2 10 Hz, alpha2 5.
  expectpid(normalisedgains(5 * PI2, 1.0, 0.0), 986.9604, 62.8319, 0.0, 5e-5);
  expectpid(normalisedgains(10 * PI2, 1.0, 5.0), 4576.1603, 130.6637, 19739.2088, 5e-5);
  // Method 3 and 6 second loop: 20 Hz, alpha 2.
  expectpid(normalisedgains(20 * PI2, 1.0, 2.0), 16294.0218, 253.3274, 31582.7340, 5e-5);
  // Method 4: 10 Hz PD, and 30 Hz with alpha 5.
  expectpid(normalisedgains(10 * PI2, 1.0, 0.0), 3947.8418, 125.6637, 0.0, 5e-5);
  expectpid(normalisedgains(30 * PI2, 1.0, 5.0), 37415.5314, 381.9911, 177652.8790, 5e-5);
}

TEST(NormalisedGainsTest, MatchTheTargetPolynomial) {
  // (s + a)(s^2 + 2 z w s + w^2) = s^3 + Kv s^2 + Kp s + Ki
  const double w = 17.0, z = 0.7, a = 3.0;
  const Pid p = normalisedgains(w, z, a);
  EXPECT_NEAR(p.Kv, 2 * z * w + a, 1e-12);
  EXPECT_NEAR(p.Kp, w * w + 2 * z * w * a, 1e-12);
  EXPECT_NEAR(p.Ki, a * w * w, 1e-12);
}

TEST(DesignGainsTest, LoadsTheTargetsOfTheCurrentMethod) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  s.hybrid = '4';
  designgains(s, m, g);
  EXPECT_DOUBLE_EQ(g.omega1, 10 * PI2);
  EXPECT_DOUBLE_EQ(g.alpha1, 0.0);
  EXPECT_DOUBLE_EQ(g.omega2, 30 * PI2);
  EXPECT_DOUBLE_EQ(g.alpha2, 5.0);
}

TEST(DesignGainsTest, MethodOneScalesByTheMotorInertias) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  s.hybrid = '1';
  designgains(s, m, g);
  const Pid P = normalisedgains(5 * PI2, 1, 0), F = normalisedgains(10 * PI2, 1, 5);
  const GainSet& a = g.of('a');
  expectscaled(a.posgain1, P, 2e-4);
  expectscaled(a.posgain2, P, 3e-4);
  expectscaled(a.forcegain1, F, 2e-4);
  expectscaled(a.forcegain2, F, 3e-4);
  EXPECT_EQ(a.posgain1.Ki, 0.0);  // alpha1 = 0: PD control
  EXPECT_EQ(a.posgain2.Ki, 0.0);
  EXPECT_EQ(a.firstgain.Kp, 0.0);  // other methods untouched
}

TEST(DesignGainsTest, MethodsThreeFourSixScaleAsTheirLoopsNeed) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  const Pid P5 = normalisedgains(5 * PI2, 1, 0), F20 = normalisedgains(20 * PI2, 1, 2);
  const Pid P10 = normalisedgains(10 * PI2, 1, 0), F30 = normalisedgains(30 * PI2, 1, 5);

  s.hybrid = '3';
  for (char type : {'a', 'b'}) {
    s.type = type;
    designgains(s, m, g);
  }
  expectscaled(g.of('a').firstgain, P5, 2e-4 * 100 * 100);
  expectscaled(g.of('a').secondgain, F20, 3e-4 * 50 * 50 / 500);
  expectscaled(g.of('b').firstgain, P5, 5e-4 * 80 * 80);
  expectscaled(g.of('b').secondgain, F20, 7e-4 * 60 * 60 / 500);

  s.hybrid = '4';
  s.type = 'a';
  designgains(s, m, g);
  expectscaled(g.of('a').firstgain, P10, 2e-4);
  expectscaled(g.of('a').secondgain, F30, 3e-4);

  s.hybrid = '6';
  for (char type : {'a', 'b'}) {
    s.type = type;
    designgains(s, m, g);
  }
  expectscaled(g.of('a').firstgain, P5, 2e-4 * 100 * 100);
  // Robot a's force loop is scaled by the rotary joint's inertia jeq1.
  expectscaled(g.of('a').secondgain, F20, 2e-4 * 50 * 50 / 500);
  expectscaled(g.of('b').secondgain, F20, 7e-4 * 60 * 60 / 500);
}

TEST(DesignGainsTest, LaterMethodOverwritesSharedSetsOnly) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  s.hybrid = '1';
  designgains(s, m, g);
  const GainSet method1 = g.of('a');
  s.hybrid = '3';
  designgains(s, m, g);
  const Pid first3 = g.of('a').firstgain;
  s.hybrid = '4';
  designgains(s, m, g);
  EXPECT_NE(g.of('a').firstgain.Kp, first3.Kp);
  expectscaled(g.of('a').firstgain, normalisedgains(10 * PI2, 1, 0), 2e-4);
  EXPECT_EQ(g.of('a').posgain1.Kp, method1.posgain1.Kp);
  EXPECT_EQ(g.of('a').forcegain2.Ki, method1.forcegain2.Ki);
}

TEST(DesignGainsTest, RobotsKeepSeparateGainSets) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  s.hybrid = '1';
  s.type = 'b';
  designgains(s, m, g);
  const GainSet b = g.of('b');
  s.type = 'a';
  s.hybrid = '4';
  designgains(s, m, g);
  EXPECT_EQ(g.of('b').posgain1.Kp, b.posgain1.Kp);
  EXPECT_EQ(g.of('b').firstgain.Kp, 0.0);
}

TEST(DesignGainsTest, UnknownMethodOrSpringChangesNothingHarmful) {
  SimSettings s = targets();
  const RobotModel m = inertias();
  ServoGains g;
  s.hybrid = '1';
  designgains(s, m, g);
  const ServoGains before = g;
  s.hybrid = '2';
  designgains(s, m, g);
  EXPECT_EQ(g.omega1, before.omega1);
  EXPECT_EQ(g.of('a').posgain1.Kp, before.of('a').posgain1.Kp);

  s.hybrid = '6';
  s.KH1 = 0.0;
  designgains(s, m, g);
  EXPECT_TRUE(std::isfinite(g.of('a').secondgain.Kp));
  EXPECT_TRUE(std::isfinite(g.of('a').secondgain.Ki));
}
