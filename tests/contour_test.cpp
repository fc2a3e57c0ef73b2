#include "engine/control/contour.h"

#include <gtest/gtest.h>

#include <cmath>

#include "driver_testutil.h"

using namespace hs;

namespace {

// The default contours, prepared for robot a.
struct ContourCase {
  SimSettings s;
  ContourPath p;
  ContourCase(char curve, char hybrid = '1', double seterror = 0.005) : s(testutil::defaultapp()->set) {
    s.type = Robot::a;
    s.hybrid = methodkey(hybrid);
    s.curve = contourkey(curve);
    s.seterror = seterror;
  }
  ContourCase& prepare() {
    setpath(s, p);
    settrajectory(s, p);
    return *this;
  }
};

bool isfin(double v) { return std::isfinite(v); }
bool isfin(const PathPoint& c) { return isfin(c.x) && isfin(c.y) && isfin(c.vx) && isfin(c.vy); }

}  // namespace

TEST(SetPathTest, StartEndTimeAndCommandedCopyOfEachContour) {
  ContourCase l = ContourCase('L').prepare();
  EXPECT_DOUBLE_EQ(l.p.tf, 4.0);
  EXPECT_DOUBLE_EQ(l.p.yf, 0.3);
  EXPECT_NEAR(l.p.lineang, PI / 2, 1e-12);
  EXPECT_NEAR(l.p.cmdlineang, PI / 2, 1e-12);
  EXPECT_DOUBLE_EQ(l.p.cmdline0[0], 0.305);  // setting error to the right

  ContourCase c = ContourCase('C').prepare();
  EXPECT_DOUBLE_EQ(c.p.tf, 6.0);
  EXPECT_DOUBLE_EQ(c.p.x0, 0.65);
  EXPECT_DOUBLE_EQ(c.p.xf, 0.65);
  EXPECT_DOUBLE_EQ(c.p.yf, 0.0);
  EXPECT_DOUBLE_EQ(c.p.cmdcentre[0], 0.405);
  EXPECT_NEAR(c.p.pathlen, 1.5708, 5e-5);

  ContourCase s = ContourCase('S').prepare();
  EXPECT_NEAR(s.p.xf, 0.8, 1e-15);
  EXPECT_DOUBLE_EQ(s.p.yf, 0.3);
  EXPECT_DOUBLE_EQ(s.s.sine.xf, s.p.xf);
  EXPECT_DOUBLE_EQ(s.p.cmdsine0[0], 0.205);
}

TEST(SetPathTest, WithoutSettingErrorBothCopiesCoincide) {
  for (char curve : {'L', 'C', 'S'}) {
    ContourCase k = ContourCase(curve, '1', 0.0).prepare();
    for (double arc : {0.0, 0.1, 0.37}) {
      const Pair a = pathpoint(k.s, k.p, arc);
      const PathPoint b = cmdpoint(k.s, k.p, arc, 0.0);
      EXPECT_NEAR(a[0], b.x, 1e-12) << curve;
      EXPECT_NEAR(a[1], b.y, 1e-12) << curve;
    }
  }
}

TEST(TimeLawTest, DefaultLineTrapezoid) {
  const ContourCase k = ContourCase('L').prepare();
  const SpeedProfile& pr = k.p.profile(Robot::a);
  EXPECT_NEAR(k.p.pathlen, 0.3, 1e-15);
  EXPECT_NEAR(pr.ta, 0.4, 1e-15);
  EXPECT_NEAR(pr.td, 0.4, 1e-15);
  EXPECT_NEAR(pr.vmax, 0.08333, 5e-6);
  EXPECT_NEAR(pr.acc, 0.20833, 5e-6);
  EXPECT_NEAR(pr.dec, 0.20833, 5e-6);
  EXPECT_NEAR(pathpos(k.p, Robot::a, 0.4), 0.016667, 5e-7);
  EXPECT_NEAR(pathpos(k.p, Robot::a, 2.0), 0.15, 1e-12);
  EXPECT_NEAR(pathpos(k.p, Robot::a, 4.0), 0.3, 1e-12);
  for (double t : {4.00002, 4.5, 8.0}) {
    EXPECT_DOUBLE_EQ(pathpos(k.p, Robot::a, t), 0.3);
    EXPECT_DOUBLE_EQ(pathvel(k.p, Robot::a, t), 0.0);
  }
}

TEST(TimeLawTest, PositionIsContinuousAndSpeedItsDerivative) {
  const ContourCase k = ContourCase('S').prepare();
  double prev = 0.0;
  for (double t = 0.0; t <= 5.0; t += 0.001) {
    const double x = pathpos(k.p, Robot::a, t);
    EXPECT_TRUE(x >= prev - 1e-12 && x - prev <= 0.001 * k.p.profile(Robot::a).vmax + 1e-9) << t;
    prev = x;
    const double h = 1e-7;
    if (std::fabs(t - 0.4) > 1e-4 && std::fabs(t - 3.6) > 1e-4 && std::fabs(t - 4.0) > 1e-4) {
      EXPECT_NEAR((pathpos(k.p, Robot::a, t + h) - pathpos(k.p, Robot::a, t - h)) / (2 * h), pathvel(k.p, Robot::a, t), 1e-5);
    }
  }
}

TEST(TimeLawTest, MethodSixConstantSpeedKeepsTheTrapezoidAsItWas) {
  ContourCase k = ContourCase('L', '6').prepare();
  EXPECT_NEAR(k.p.profile(Robot::a).vmax, 0.075, 1e-15);
  EXPECT_DOUBLE_EQ(k.p.profile(Robot::a).ta, 0.0);  // no other method prepared it
  EXPECT_NEAR(pathpos6(k.p, Robot::a, 2.0), 0.15, 1e-15);
  EXPECT_DOUBLE_EQ(pathpos6(k.p, Robot::a, 4.5), 0.3);
  EXPECT_DOUBLE_EQ(pathpos6(k.p, Robot::a, 100.0), 0.3);

  k.s.hybrid = Method::hybrid1;
  settrajectory(k.s, k.p);
  k.s.hybrid = Method::hybrid6;
  k.s.type = Robot::b;
  settrajectory(k.s, k.p);
  EXPECT_DOUBLE_EQ(k.p.profile(Robot::a).ta, 0.4);  // each robot has its own profile
  EXPECT_DOUBLE_EQ(k.p.profile(Robot::b).ta, 0.0);
  k.s.type = Robot::a;
  settrajectory(k.s, k.p);
  EXPECT_DOUBLE_EQ(k.p.profile(Robot::a).ta, 0.4);
  EXPECT_DOUBLE_EQ(k.p.profile(Robot::a).vmax, 0.075);
}

TEST(SineTest, DefaultPathLengthEndPointAndInverse) {
  const ContourCase k = ContourCase('S').prepare();
  EXPECT_NEAR(k.p.pathlen, 1.03607, 5e-6);
  const Pair end = pathpoint(k.s, k.p, k.p.pathlen);
  EXPECT_NEAR(end[0], 0.79997, 5e-6);
  EXPECT_NEAR(end[1], 0.29993, 5e-6);
  for (double X : {0.05, 0.3, 0.45})
    EXPECT_NEAR(sinexofs(k.s.sine, 200, sinearclen(k.s.sine, 200, X)), 0.2 + X, 2e-4) << X;
  EXPECT_NEAR(sinearclen(k.s.sine, 100, -0.1), -sinearclen(k.s.sine, 100, 0.1), 1e-12);
}

TEST(CmdPointTest, PointAndVelocityOnTheShiftedContour) {
  ContourCase l = ContourCase('L').prepare();
  PathPoint c = cmdpoint(l.s, l.p, 0.1, 0.08);
  EXPECT_NEAR(c.x, 0.305, 1e-12);
  EXPECT_NEAR(c.y, 0.1, 1e-12);
  EXPECT_NEAR(c.vy, 0.08, 1e-12);

  ContourCase ci = ContourCase('C').prepare();  // a quarter turn counter-clockwise
  c = cmdpoint(ci.s, ci.p, 0.25 * PI / 2, 0.2);
  EXPECT_NEAR(c.x, 0.405, 1e-12);
  EXPECT_NEAR(c.y, 0.25, 1e-12);
  EXPECT_NEAR(c.vx, -0.2, 1e-12);

  ContourCase s = ContourCase('S').prepare();
  for (double arc : {0.0, 0.5, 0.9}) {
    const Pair e = pathpoint(s.s, s.p, arc);
    c = cmdpoint(s.s, s.p, arc, 0.3);
    EXPECT_NEAR(c.x, e[0] + 0.005, 1e-12);
    EXPECT_NEAR(c.y, e[1], 1e-12);
    EXPECT_NEAR(std::hypot(c.vx, c.vy), 0.3, 1e-12);  // along the tangent
    EXPECT_NEAR(std::atan2(c.vy, c.vx), contourdirs(s.s, s.p, e).tau, 1e-12);
  }
}

TEST(ArcPosTest, LineSineAndTheCircleAtHalfATurn) {
  ContourCase l = ContourCase('L').prepare();
  EXPECT_NEAR(arcpos(l.s, l.p, {0.3, -0.1}, 0.0), 0.1, 1e-12);  // never negative
  ContourCase s = ContourCase('S').prepare();
  EXPECT_LT(arcpos(s.s, s.p, {0.15, 0.3}, 0.0), 0.0);
  EXPECT_NEAR(arcpos(s.s, s.p, {0.8, 0.3}, 0.0), s.p.pathlen, 1e-6);

  // Circumference over 1 m: one stored 2 pi is added once past half a turn.
  ContourCase big('C');
  big.s.circle.rr = 0.3;
  big.prepare();
  const Pair past{0.4 + 0.3 * std::cos(PI + 0.01), 0.3 * std::sin(PI + 0.01)};
  const double arc = arcpos(big.s, big.p, past, 0.3 * (PI - 0.01));
  EXPECT_NEAR(arc - 0.3 * (PI + 0.01), 0.3 * (PI2 - 2.0 * PI), 1e-14);  // the stored 2 pi shows
  EXPECT_NEAR(arcpos(big.s, big.p, {0.7, 0.0}, 5.0), 0.3 * PI2, 1e-12);  // never subtracted

  // At most 1 m around: the arc position jumps negative instead.
  ContourCase small('C');
  small.s.circle.rr = 0.15;
  small.prepare();
  const Pair past2{0.4 + 0.15 * std::cos(PI + 0.01), 0.15 * std::sin(PI + 0.01)};
  EXPECT_NEAR(arcpos(small.s, small.p, past2, 0.15 * (PI - 0.01)), 0.15 * (-PI + 0.01), 1e-12);
}

TEST(DirectionsTest, PressRightOfTravelOnLineAndSineTowardsCentreOnCircle) {
  ContourCase l = ContourCase('L').prepare();
  EXPECT_NEAR(contourdirs(l.s, l.p, {0.3, 0.1}).nu, 0.0, 1e-12);
  EXPECT_NEAR(pressangle(l.s, l.p, {0.305, 0.1}), 0.0, 1e-12);

  ContourCase c = ContourCase('C').prepare();
  const ContourDirs top = contourdirs(c.s, c.p, {0.4, 0.25});
  EXPECT_NEAR(top.nu, 1.5 * PI, 1e-12);
  EXPECT_NEAR(top.tau, PI, 1e-12);
  EXPECT_NEAR(pressangle(c.s, c.p, {0.405, 0.25}), -PI / 2, 1e-12);

  ContourCase s = ContourCase('S').prepare();
  const double k = 2 * PI * 0.2 / (0.8 - 0.2);  // steepest rise at the start
  EXPECT_NEAR(contourdirs(s.s, s.p, {0.2, 0.3}).tau, std::atan(k), 1e-12);
  EXPECT_NEAR(pressangle(s.s, s.p, {0.205, 0.3}), std::atan(k) - PI / 2, 1e-12);
  EXPECT_NEAR(contourdirs(s.s, s.p, {0.35, 0.5}).nu, -PI / 2, 1e-12);  // crest
}

TEST(NormalOffsetTest, ReducesOnceIntoAboutMinusPiToPi) {
  EXPECT_NEAR(normaloffset(Robot::a, {0.5, 0.3}, 0.2), -0.3, 1e-12);
  EXPECT_NEAR(normaloffset(Robot::b, {0.5, 0.3}, 0.2), -0.6, 1e-12);
  EXPECT_NEAR(normaloffset(Robot::a, {-3.0, 0.0}, 3.0), 6.0 - 2.0 * PI, 1e-12);
  EXPECT_NEAR(normaloffset(Robot::a, {3.0, 0.0}, -3.0), -6.0 + 2.0 * PI, 1e-12);
  EXPECT_NEAR(normaloffset(Robot::a, {0.0, 0.0}, 10.0), 10.0 - 2.0 * PI, 1e-12);  // once only
}

TEST(ContourBoundsTest, LineAtAnyAngleTinyCircleSteepSineStayFinite) {
  for (double ang = -PI; ang <= PI; ang += PI / 12) {
    ContourCase k('L');
    k.s.line.xf = 0.3 + 0.2 * std::cos(ang);
    k.s.line.yf = 0.2 * std::sin(ang);
    k.prepare();
    const Pair e = pathpoint(k.s, k.p, k.p.pathlen);
    EXPECT_NEAR(e[0], k.s.line.xf, 1e-12);
    EXPECT_NEAR(e[1], k.s.line.yf, 1e-12);
    EXPECT_TRUE(isfin(cmdpoint(k.s, k.p, 0.1, 0.05)));
  }
  ContourCase c('C');
  c.s.circle.rr = 1e-6;
  c.prepare();
  ContourCase s('S');
  s.s.sine.A = 5.0;  // slope amplitude about 52
  s.prepare();
  EXPECT_GT(s.p.pathlen, 20.0);
  for (ContourCase* k : {&c, &s})
    for (double t = 0; t <= 7; t += 0.25) {
      const double arc = pathpos(k->p, Robot::a, t);
      const Pair e = pathpoint(k->s, k->p, arc);
      EXPECT_TRUE(isfin(cmdpoint(k->s, k->p, arc, pathvel(k->p, Robot::a, t))));
      EXPECT_TRUE(isfin(e[0]) && isfin(e[1]) && isfin(arcpos(k->s, k->p, e, arc)));
      EXPECT_TRUE(isfin(pressangle(k->s, k->p, e)) && isfin(contourdirs(k->s, k->p, e).nu));
    }
}

TEST(ContourBoundsTest, ZeroLengthContoursAndZeroTimeGiveNoNaN) {
  for (char curve : {'L', 'C', 'S'})
    for (char method : {'1', '6'}) {
      ContourCase k(curve, method);
      k.s.line.xf = k.s.line.x0;
      k.s.line.yf = k.s.line.y0;
      k.s.circle.rr = k.s.sine.L = 0.0;
      k.s.line.tf = k.s.circle.tf = k.s.sine.tf = 0.0;
      k.prepare();
      for (double t : {0.0, 0.5}) {
        const double arc = method == '6' ? pathpos6(k.p, Robot::a, t) : pathpos(k.p, Robot::a, t);
        const Pair e = pathpoint(k.s, k.p, arc);
        EXPECT_TRUE(isfin(arc) && isfin(pathvel(k.p, Robot::a, t))) << curve << method;
        EXPECT_TRUE(isfin(e[0]) && isfin(e[1]) && isfin(cmdpoint(k.s, k.p, arc, 0.0))) << curve;
        EXPECT_TRUE(isfin(arcpos(k.s, k.p, e, 0.0)));
      }
    }
}
