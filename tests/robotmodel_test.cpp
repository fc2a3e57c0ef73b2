#include "model/robotmodel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "control/contour.h"
#include "control/gains.h"
#include "graphics/displaystate.h"

using namespace hs;

namespace {

// Default robot data of both types, as installed at start-up.
SimSettings defaults(char type) {
  SimSettings s;
  s.type = type;
  s.hybrid = '1';
  s.curve = 'L';
  s.l = 0.7;
  s.l1 = 0.5;
  s.l2 = 0.3;
  s.wp = 0.2;
  s.mw = 1.0;
  s.workoff = 0.12;
  s.worklen = 0.15;
  s.workwid = 0.02;
  s.PW1_a = s.PW2_a = s.PW1_b = s.PW2_b = 200;
  s.u1_a = s.u2_a = s.u1_b = s.u2_b = 100;
  s.eta1_a = s.eta2_a = s.eta1_b = s.eta2_b = 0.6;
  s.KH1 = s.KH2 = 500;
  s.Fn = 10;
  s.seterror = 0.005;
  s.gainspec1 = {5 * PI2, 0, 10 * PI2, 5};
  s.gainspec3 = {5 * PI2, 0, 20 * PI2, 2};
  s.gainspec4 = {10 * PI2, 0, 30 * PI2, 5};
  s.gainspec6 = {5 * PI2, 0, 20 * PI2, 2};
  s.line = {0.3, 0.0, 0.3, 0.3, 4.0};
  s.circle = {0.4, 0.0, 0.25, 6.0};
  s.sine.x0 = 0.2;
  s.sine.y0 = 0.3;
  s.sine.L = 0.6;
  s.sine.A = 0.2;
  s.sine.tf = 4.0;
  return s;
}

struct Derived {
  RobotModel model;
  ServoGains gains;
  ContourPath path;
  DisplayState disp;
  std::vector<Pair> unreachable;
};

Derived derive(SimSettings& s) {
  Derived d;
  d.unreachable = calmodel(s, d.model, d.gains, d.path, d.disp);
  return d;
}

}  // namespace

TEST(CylindricalModelTest, DefaultsGiveTheNominalValues) {
  SimSettings s = defaults('a');
  const Derived d = derive(s);
  const RobotData& r = d.model.a;
  EXPECT_NEAR(r.darm, 0.07, 1e-15);
  EXPECT_NEAR(r.marm, 2.0487, 5e-5);
  EXPECT_NEAR(r.iarm, 0.083656, 5e-7);
  EXPECT_NEAR(r.blocklen, 0.21, 1e-15);
  EXPECT_NEAR(r.blockwid, 0.14, 1e-15);
  EXPECT_NEAR(r.iw, 0.0019083, 5e-8);
  EXPECT_NEAR(r.jm1, 1.2e-4, 1e-15);
  EXPECT_NEAR(r.jm2, 1.2e-4, 1e-15);
  EXPECT_NEAR(r.T1max, 0.8, 1e-15);
  EXPECT_NEAR(r.T2max, 0.8, 1e-15);
  EXPECT_NEAR(r.etab1, 0.33342, 5e-6);
  EXPECT_NEAR(r.etab2, 0.33342, 5e-6);
  EXPECT_NEAR(r.jeq1, 1.4708e-4, 5e-9);
  EXPECT_NEAR(r.jeq2, 4.2487e-4, 5e-9);
}

TEST(CylindricalModelTest, DrawnHandShortensTheWorkBlock) {
  SimSettings s = defaults('a');
  s.worklen = 0.14;  // what the hand drawing leaves behind
  const Derived d = derive(s);
  EXPECT_NEAR(d.model.a.iw, 0.0016667, 5e-8);
}

TEST(ScaraModelTest, DefaultsGiveTheNominalValues) {
  SimSettings s = defaults('b');
  const Derived d = derive(s);
  const RobotData& r = d.model.b;
  EXPECT_NEAR(r.lc1, 0.25, 1e-15);
  EXPECT_NEAR(r.lc2, 0.15, 1e-15);
  EXPECT_NEAR(r.d1, 0.1, 1e-15);
  EXPECT_NEAR(r.d2, 0.06, 1e-15);
  EXPECT_NEAR(r.m1, 2.9865, 5e-5);
  EXPECT_NEAR(r.m2, 0.64508, 5e-6);
  EXPECT_NEAR(r.i1, 0.062218, 5e-7);
  EXPECT_NEAR(r.i2, 0.0048381, 5e-8);
  EXPECT_NEAR(r.jeq1, 2.3162e-4, 5e-9);
  EXPECT_NEAR(r.jeq2, 1.3977e-4, 5e-9);
  EXPECT_NEAR(r.etab1, 0.33342, 5e-6);
}

TEST(RobotModelTest, DerivingOneTypeLeavesTheOtherUntouched) {
  SimSettings s = defaults('a');
  Derived d = derive(s);
  const RobotData a = d.model.a;
  s.type = 'b';
  s.PW1_a = 400;  // data of the robot that is not derived
  d.unreachable = calmodel(s, d.model, d.gains, d.path, d.disp);
  EXPECT_EQ(d.model.a.jm1, a.jm1);
  EXPECT_EQ(d.model.a.jeq1, a.jeq1);
  EXPECT_EQ(d.model.a.marm, a.marm);
  EXPECT_GT(d.model.b.m1, 0.0);
  EXPECT_EQ(d.model.b.marm, 0.0);
}

TEST(ReducerEfficiencyTest, BackwardEfficiencyFollowsTheFrictionAngle) {
  EXPECT_NEAR(backwardefficiency(100, 0.6), 0.3334, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.7), 0.5715, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.5), 0.0002, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.45), -0.222, 5e-4);  // self-locking, passed on as is
}

TEST(CalmodelTest, RunsEveryDerivationStep) {
  SimSettings s = defaults('b');
  s.hybrid = '4';
  s.seterror = 0.012;
  s.curve = 'C';
  const Derived d = derive(s);
  EXPECT_NEAR(d.gains.omega1, 10 * PI2, 1e-12);             // gain design, method 4
  EXPECT_GT(d.gains.of('b').firstgain.Kp, 0.0);
  EXPECT_EQ(d.disp.errlabel, "12[mm]");                     // setting-error label
  EXPECT_NEAR(d.path.x0, 0.65, 1e-15);                      // path of the circle
  EXPECT_EQ(d.path.x0, d.path.xf);                          // one full revolution
  EXPECT_EQ(d.path.y0, d.path.yf);
  EXPECT_NEAR(d.path.cmdcentre[0], 0.412, 1e-15);           // commanded copy
  EXPECT_NEAR(d.path.pathlen, 2.0 * PI * 0.25, 1e-15);      // trajectory
  EXPECT_NEAR(d.path.profile('b').ta, 0.6, 1e-15);
  EXPECT_TRUE(d.unreachable.empty());
}

TEST(CalmodelTest, KeepsTheSineEndPointWithItsStart) {
  SimSettings s = defaults('a');
  s.sine.x0 = 0.1;
  s.sine.L = 0.5;
  s.curve = 'L';  // derived while another contour is selected
  derive(s);
  EXPECT_DOUBLE_EQ(s.sine.xf, 0.6);
  EXPECT_DOUBLE_EQ(s.sine.yf, 0.3);
}

TEST(CalmodelTest, ReturnsUnreachablePathEndsInOrder) {
  SimSettings s = defaults('b');
  s.line = {0.3, 0.0, 1.1, 0.0, 4.0};  // end beyond the SCARA's reach of 1.0 m
  Derived d = derive(s);
  ASSERT_EQ(d.unreachable.size(), 1u);
  EXPECT_DOUBLE_EQ(d.unreachable[0][0], 1.1);
  EXPECT_DOUBLE_EQ(d.unreachable[0][1], 0.0);

  s.line = {1.2, 0.0, 0.0, 1.3, 4.0};
  d = derive(s);
  ASSERT_EQ(d.unreachable.size(), 2u);
  EXPECT_DOUBLE_EQ(d.unreachable[0][0], 1.2);
  EXPECT_DOUBLE_EQ(d.unreachable[1][1], 1.3);

  s.type = 'a';  // the cylindrical robot reaches every point
  d = derive(s);
  EXPECT_TRUE(d.unreachable.empty());
}
