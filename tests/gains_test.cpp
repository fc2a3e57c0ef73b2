#include "engine/control/gains.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/model/robotmodel.h"
#include "enginecase.h"

using namespace hs;

namespace {

// Servo targets as start-up installs them (Hz times the stored 2 pi), with
// distinct ratios and inertias so that a wrong factor shows.
struct Design {
  SimSettings s;
  RobotModel m;
  ServoGains g;
  Design() {
    s.KH1 = 500;
    s.u1_a = 100;
    s.u2_a = 50;
    s.u1_b = 80;
    s.u2_b = 60;
    s.gainspec1 = {5 * PI2, 0, 10 * PI2, 5};
    s.gainspec3 = {5 * PI2, 0, 20 * PI2, 2};
    s.gainspec4 = {10 * PI2, 0, 30 * PI2, 5};
    s.gainspec6 = {5 * PI2, 0, 20 * PI2, 2};
    m.a.jeq1 = 2e-4;
    m.a.jeq2 = 3e-4;
    m.b.jeq1 = 5e-4;
    m.b.jeq2 = 7e-4;
  }
  const GainSet& run(char type, char hybrid) {
    s.type = robotkey(type);
    s.hybrid = methodkey(hybrid);
    designgains(s, m, g);
    return g.of(s.type);
  }
};

void expectpid(const Pid& p, double Kp, double Kv, double Ki, double tol) {
  EXPECT_NEAR(p.Kp, Kp, tol);
  EXPECT_NEAR(p.Kv, Kv, tol);
  EXPECT_NEAR(p.Ki, Ki, tol);
}

void expectscaled(const Pid& got, const Pid& base, double f) {
  expectpid(got, base.Kp * f, base.Kv * f, base.Ki * f, 1e-12 * base.Kp * f);
}

}  // namespace

TEST(NormalisedGainsTest, DefaultTargetsOfEveryMethod) {
  expectpid(normalisedgains(5 * PI2, 1.0, 0.0), 986.9604, 62.8319, 0.0, 5e-5);
  expectpid(normalisedgains(10 * PI2, 1.0, 5.0), 4576.1603, 130.6637, 19739.2088, 5e-5);
  expectpid(normalisedgains(20 * PI2, 1.0, 2.0), 16294.0218, 253.3274, 31582.7340, 5e-5);
  expectpid(normalisedgains(10 * PI2, 1.0, 0.0), 3947.8418, 125.6637, 0.0, 5e-5);
  // The last digit tells the stored 2 pi from 2.0 * PI (which gives ...8792).
  expectpid(normalisedgains(30 * PI2, 1.0, 5.0), 37415.5314, 381.9911, 177652.8790, 5e-5);
}

TEST(DesignGainsTest, EachMethodScalesByItsLoopsInertiaRatioAndSpring) {
  Design d;
  const Pid P5 = normalisedgains(5 * PI2, 1, 0), F10 = normalisedgains(10 * PI2, 1, 5);
  const Pid F20 = normalisedgains(20 * PI2, 1, 2);
  const Pid P10 = normalisedgains(10 * PI2, 1, 0), F30 = normalisedgains(30 * PI2, 1, 5);

  const GainSet& a1 = d.run('a', '1');
  expectscaled(a1.posgain1, P5, 2e-4);
  expectscaled(a1.posgain2, P5, 3e-4);
  expectscaled(a1.forcegain1, F10, 2e-4);
  expectscaled(a1.forcegain2, F10, 3e-4);
  EXPECT_EQ(a1.posgain1.Ki, 0.0);  // alpha1 = 0: PD control

  const GainSet& b3 = d.run('b', '3');
  expectscaled(b3.firstgain, P5, 5e-4 * 80 * 80);
  expectscaled(b3.secondgain, F20, 7e-4 * 60 * 60 / 500);

  const GainSet& a4 = d.run('a', '4');
  EXPECT_DOUBLE_EQ(d.g.omega1, 10 * PI2);  // design inputs loaded from method 4
  EXPECT_DOUBLE_EQ(d.g.alpha2, 5.0);
  expectscaled(a4.firstgain, P10, 2e-4);
  expectscaled(a4.secondgain, F30, 3e-4);

  const GainSet& a6 = d.run('a', '6');
  expectscaled(a6.firstgain, P5, 2e-4 * 100 * 100);
  expectscaled(a6.secondgain, F20, 2e-4 * 50 * 50 / 500);  // robot a: jeq1, not jeq2
  const GainSet& b6 = d.run('b', '6');
  expectscaled(b6.secondgain, F20, 7e-4 * 60 * 60 / 500);
}

TEST(DesignGainsTest, LaterDesignsOverwriteOnlyTheirOwnSets) {
  Design d;
  const GainSet a1 = d.run('a', '1');
  d.run('a', '3');
  const GainSet a4 = d.run('a', '4');
  expectscaled(a4.firstgain, normalisedgains(10 * PI2, 1, 0), 2e-4);  // 3 replaced by 4
  EXPECT_EQ(a4.posgain1.Kp, a1.posgain1.Kp);                          // method 1 kept
  EXPECT_EQ(a4.forcegain2.Ki, a1.forcegain2.Ki);
  EXPECT_EQ(d.g.of(Robot::b).posgain1.Kp, 0.0);  // the other robot is not designed
  d.run('b', '1');
  EXPECT_EQ(d.g.of(Robot::a).firstgain.Kp, a4.firstgain.Kp);
}

TEST(DesignGainsTest, UnknownMethodAndZeroSpringDoNoHarm) {
  Design d;
  const GainSet a1 = d.run('a', '1');
  const double omega1 = d.g.omega1;
  d.run('a', '2');
  EXPECT_EQ(d.g.omega1, omega1);
  EXPECT_EQ(d.g.of(Robot::a).posgain1.Kp, a1.posgain1.Kp);
  d.s.KH1 = 0.0;
  const GainSet& a6 = d.run('a', '6');
  EXPECT_TRUE(std::isfinite(a6.secondgain.Kp) && std::isfinite(a6.secondgain.Ki));
}
