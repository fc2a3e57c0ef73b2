#include "engine/model/robotmodel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "driver_testutil.h"
#include "view/displaystate.h"

using namespace hs;

namespace {

// Default robot data of both types and a complete derivation of them.
struct Derived {
  SimSettings s;
  RobotModel model;
  ServoGains gains;
  ContourPath path;
  std::vector<Pair> unreachable;
  explicit Derived(char type) : s(testutil::defaultapp()->set) {
    s.type = robotkey(type);
    s.hybrid = Method::hybrid1;
    s.curve = Contour::line;
  }
  Derived& run() {
    unreachable = calmodel(s, model, gains, path);
    return *this;
  }
};

}  // namespace

TEST(RobotModelTest, CylindricalDefaults) {
  Derived d('a');
  const RobotData& r = d.run().model.a;
  EXPECT_NEAR(r.darm, 0.07, 1e-15);
  EXPECT_NEAR(r.marm, 2.0487, 5e-5);
  EXPECT_NEAR(r.iarm, 0.083656, 5e-7);
  EXPECT_NEAR(r.blocklen, 0.21, 1e-15);
  EXPECT_NEAR(r.iw, 0.0019083, 5e-8);
  EXPECT_NEAR(r.jm1, 1.2e-4, 1e-15);
  EXPECT_NEAR(r.jm2, 1.2e-4, 1e-15);
  EXPECT_NEAR(r.T1max, 0.8, 1e-15);
  EXPECT_NEAR(r.T2max, 0.8, 1e-15);
  EXPECT_NEAR(r.etab1, 0.33342, 5e-6);
  EXPECT_NEAR(r.etab2, 0.33342, 5e-6);
  EXPECT_NEAR(r.jeq1, 1.4708e-4, 5e-9);
  EXPECT_NEAR(r.jeq2, 4.2487e-4, 5e-9);
  d.s.worklen = 0.14;  // what the hand drawing leaves behind
  EXPECT_NEAR(d.run().model.a.iw, 0.0016667, 5e-8);
}

TEST(RobotModelTest, ScaraDefaults) {
  Derived d('b');
  const RobotData& r = d.run().model.b;
  EXPECT_NEAR(r.lc2, 0.15, 1e-15);
  EXPECT_NEAR(r.d1, 0.1, 1e-15);
  EXPECT_NEAR(r.m1, 2.9865, 5e-5);
  EXPECT_NEAR(r.m2, 0.64508, 5e-6);
  EXPECT_NEAR(r.i1, 0.062218, 5e-7);
  EXPECT_NEAR(r.i2, 0.0048381, 5e-8);
  EXPECT_NEAR(r.jeq1, 2.3162e-4, 5e-9);
  EXPECT_NEAR(r.jeq2, 1.3977e-4, 5e-9);
}

TEST(RobotModelTest, DerivingOneTypeLeavesTheOtherUntouched) {
  Derived d('a');
  const RobotData a = d.run().model.a;
  const GainSet ga = d.gains.of(Robot::a);
  d.s.type = Robot::b;
  d.s.PW1_a = 400;  // data of the robot that is not derived
  d.run();
  EXPECT_EQ(d.model.a.jm1, a.jm1);
  EXPECT_EQ(d.model.a.jeq1, a.jeq1);
  EXPECT_EQ(d.gains.of(Robot::a).posgain1.Kp, ga.posgain1.Kp);
  EXPECT_EQ(d.model.b.marm, 0.0);
}

TEST(ReducerEfficiencyTest, BackwardEfficiencyFollowsTheFrictionAngle) {
  EXPECT_NEAR(backwardefficiency(100, 0.6), 0.3334, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.7), 0.5715, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.5), 0.0002, 5e-5);
  EXPECT_NEAR(backwardefficiency(100, 0.45), -0.222, 5e-4);  // self-locking, passed on as is
}

TEST(CalmodelTest, RunsEveryDerivationStep) {
  Derived d('b');
  d.s.hybrid = Method::hybrid4;
  d.s.seterror = 0.012;
  d.s.curve = Contour::circle;
  d.run();
  EXPECT_NEAR(d.gains.omega1, 10 * PI2, 1e-12);  // gain design of method 4
  EXPECT_NEAR(d.gains.of(Robot::b).firstgain.Kp, 3947.8418 * d.model.b.jeq1, 1e-7);
  EXPECT_EQ(seterrlabel(d.s.seterror), "12[mm]");  // the label the window draws
  EXPECT_NEAR(d.path.x0, 0.65, 1e-15);  // circle: end equals start
  EXPECT_EQ(d.path.x0, d.path.xf);
  EXPECT_EQ(d.path.y0, d.path.yf);
  EXPECT_NEAR(d.path.cmdcentre[0], 0.412, 1e-15);
  EXPECT_NEAR(d.path.profile(Robot::b).ta, 0.6, 1e-15);
  EXPECT_TRUE(d.unreachable.empty());
  d.s.curve = Contour::line;  // the sine end follows its data whichever contour is derived
  d.s.sine.x0 = 0.1;
  d.run();
  EXPECT_DOUBLE_EQ(d.s.sine.xf, 0.7);
  EXPECT_DOUBLE_EQ(d.s.sine.yf, 0.3);
}

TEST(CalmodelTest, ReturnsUnreachablePathEndsInOrder) {
  Derived d('b');
  d.s.line = {1.2, 0.0, 0.0, 1.3, 4.0};  // both beyond the SCARA's 1.0 m
  d.run();
  ASSERT_EQ(d.unreachable.size(), 2u);
  EXPECT_DOUBLE_EQ(d.unreachable[0][0], 1.2);
  EXPECT_DOUBLE_EQ(d.unreachable[1][1], 1.3);
  EXPECT_NEAR(d.path.pathlen, std::hypot(1.2, 1.3), 1e-12);  // still derived
  d.s.line = {0.3, 0.0, 1.1, 0.0, 4.0};
  ASSERT_EQ(d.run().unreachable.size(), 1u);
  EXPECT_DOUBLE_EQ(d.unreachable[0][0], 1.1);
  d.s.type = Robot::a;  // the cylindrical robot reaches every point
  EXPECT_TRUE(d.run().unreachable.empty());
}
