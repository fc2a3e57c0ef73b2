#include "control/contour.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace hs;

namespace {

SimSettings contours(char curve, char hybrid = '1') {
  SimSettings s;
  s.type = 'a';
  s.hybrid = hybrid;
  s.curve = curve;
  s.seterror = 0.005;
  s.line = {0.3, 0.0, 0.3, 0.3, 4.0};
  s.circle = {0.4, 0.0, 0.25, 6.0};
  s.sine.x0 = 0.2;
  s.sine.y0 = 0.3;
  s.sine.L = 0.8 - 0.2;
  s.sine.A = 0.2;
  s.sine.tf = 4.0;
  return s;
}

ContourPath prepared(SimSettings& s) {
  ContourPath p;
  setpath(s, p);
  settrajectory(s, p);
  return p;
}

bool isfin(double v) { return std::isfinite(v); }

}  // namespace

// --- Path preparation -------------------------------------------------------

TEST(SetPathTest, LineStartEndTimeDirectionAndCommandedCopy) {
  SimSettings s = contours('L');
  const ContourPath p = prepared(s);
  EXPECT_DOUBLE_EQ(p.tf, 4.0);
  EXPECT_DOUBLE_EQ(p.x0, 0.3);
  EXPECT_DOUBLE_EQ(p.y0, 0.0);
  EXPECT_DOUBLE_EQ(p.xf, 0.3);
  EXPECT_DOUBLE_EQ(p.yf, 0.3);
  EXPECT_NEAR(p.lineang, PI / 2, 1e-12);
  EXPECT_NEAR(p.cmdlineang, p.lineang, 1e-12);
  EXPECT_DOUBLE_EQ(p.cmdline0[0], 0.305);  // setting error to the right
  EXPECT_DOUBLE_EQ(p.cmdline0[1], 0.0);
}

TEST(SetPathTest, CircleStartsAndEndsAtItsRightEnd) {
  SimSettings s = contours('C');
  const ContourPath p = prepared(s);
  EXPECT_DOUBLE_EQ(p.tf, 6.0);
  EXPECT_DOUBLE_EQ(p.x0, 0.65);
  EXPECT_DOUBLE_EQ(p.y0, 0.0);
  EXPECT_DOUBLE_EQ(p.xf, 0.65);
  EXPECT_DOUBLE_EQ(p.yf, 0.0);
  EXPECT_DOUBLE_EQ(p.cmdcentre[0], 0.405);
  EXPECT_NEAR(p.pathlen, 1.5708, 5e-5);
  EXPECT_DOUBLE_EQ(p.pathlen, 2.0 * PI * 0.25);
}

TEST(SetPathTest, SineRunsOneWavelengthAndStoresItsEnd) {
  SimSettings s = contours('S');
  const ContourPath p = prepared(s);
  EXPECT_DOUBLE_EQ(p.tf, 4.0);
  EXPECT_NEAR(p.xf, 0.8, 1e-15);
  EXPECT_DOUBLE_EQ(p.yf, 0.3);
  EXPECT_DOUBLE_EQ(s.sine.xf, p.xf);
  EXPECT_DOUBLE_EQ(s.sine.yf, 0.3);
  EXPECT_DOUBLE_EQ(p.cmdsine0[0], 0.205);
  EXPECT_DOUBLE_EQ(p.cmdsine0[1], 0.3);
}

TEST(SetPathTest, WithoutSettingErrorBothCopiesCoincide) {
  for (char c : {'L', 'C', 'S'}) {
    SimSettings s = contours(c);
    s.seterror = 0.0;
    const ContourPath p = prepared(s);
    for (double arc : {0.0, 0.1, 0.37}) {
      const Pair a = pathpoint(s, p, arc);
      const PathPoint b = cmdpoint(s, p, arc, 0.0);
      EXPECT_NEAR(a[0], b.x, 1e-12) << c;
      EXPECT_NEAR(a[1], b.y, 1e-12) << c;
    }
  }
}

// --- Time law -----------------------------------------------------------------

TEST(TimeLawTest, DefaultLineTrapezoid) {
  SimSettings s = contours('L');
  const ContourPath p = prepared(s);
  const SpeedProfile& pr = p.profile('a');
  EXPECT_NEAR(p.pathlen, 0.3, 1e-15);
  EXPECT_NEAR(pr.ta, 0.4, 1e-15);
  EXPECT_NEAR(pr.td, 0.4, 1e-15);
  EXPECT_NEAR(pr.vmax, 0.3 / 3.6, 1e-15);
  EXPECT_NEAR(pr.vmax, 0.08333, 5e-6);
  EXPECT_NEAR(pr.acc, 0.20833, 5e-6);
  EXPECT_DOUBLE_EQ(pr.dec, pr.acc);
  EXPECT_NEAR(pathpos(p, 'a', 0.4), 0.016667, 5e-7);
  EXPECT_NEAR(pathpos(p, 'a', 2.0), 0.15, 1e-12);
  EXPECT_NEAR(pathpos(p, 'a', 4.0), 0.3, 1e-12);
  for (double t : {4.00002, 4.5, 8.0}) {
    EXPECT_DOUBLE_EQ(pathpos(p, 'a', t), p.pathlen);
    EXPECT_DOUBLE_EQ(pathvel(p, 'a', t), 0.0);
  }
  EXPECT_DOUBLE_EQ(pathvel(p, 'a', 0.0), 0.0);
  EXPECT_NEAR(pathvel(p, 'a', 2.0), pr.vmax, 1e-15);
  EXPECT_NEAR(pathvel(p, 'a', 3.8), 0.2 * pr.dec, 1e-12);
}

TEST(TimeLawTest, PositionIsContinuousAndSpeedItsDerivative) {
  SimSettings s = contours('S');
  const ContourPath p = prepared(s);
  double prev = 0.0;
  for (double t = 0.0; t <= 5.0; t += 0.001) {
    const double x = pathpos(p, 'a', t);
    EXPECT_GE(x, prev - 1e-12);
    EXPECT_LE(x - prev, 0.001 * p.profile('a').vmax + 1e-9);
    prev = x;
    const double h = 1e-7;
    if (std::fabs(t - 0.4) > 1e-4 && std::fabs(t - 3.6) > 1e-4 && std::fabs(t - 4.0) > 1e-4) {
      EXPECT_NEAR((pathpos(p, 'a', t + h) - pathpos(p, 'a', t - h)) / (2 * h), pathvel(p, 'a', t), 1e-5);
    }
  }
}

TEST(TimeLawTest, MethodSixRunsAtConstantSpeedAndStops) {
  SimSettings s = contours('L', '6');
  ContourPath p;
  setpath(s, p);
  settrajectory(s, p);
  const SpeedProfile& pr = p.profile('a');
  EXPECT_NEAR(pr.vmax, 0.3 / 4.0, 1e-15);
  EXPECT_DOUBLE_EQ(pr.ta, 0.0);  // left as it was: no other method prepared it
  EXPECT_NEAR(pathpos6(p, 'a', 1.0), 0.075, 1e-15);
  EXPECT_NEAR(pathpos6(p, 'a', 2.0), 0.15, 1e-15);
  EXPECT_DOUBLE_EQ(pathpos6(p, 'a', 4.5), p.pathlen);
  EXPECT_DOUBLE_EQ(pathpos6(p, 'a', 100.0), p.pathlen);
}

TEST(TimeLawTest, MethodSixKeepsTheTrapezoidOfAnEarlierPreparation) {
  SimSettings s = contours('L', '1');
  ContourPath p = prepared(s);
  s.hybrid = '6';
  s.line.tf = p.tf = 8.0;
  settrajectory(s, p);
  EXPECT_DOUBLE_EQ(p.profile('a').ta, 0.4);
  EXPECT_DOUBLE_EQ(p.profile('a').acc, 0.3 / (0.4 * 3.6));
  EXPECT_DOUBLE_EQ(p.profile('a').vmax, 0.3 / 8.0);
}

TEST(TimeLawTest, EachRobotHasItsOwnProfile) {
  SimSettings s = contours('L', '1');
  ContourPath p = prepared(s);
  EXPECT_DOUBLE_EQ(p.profile('b').ta, 0.0);
  s.type = 'b';
  s.hybrid = '6';
  settrajectory(s, p);
  EXPECT_DOUBLE_EQ(p.profile('a').ta, 0.4);
  EXPECT_DOUBLE_EQ(p.profile('b').ta, 0.0);
  EXPECT_DOUBLE_EQ(p.profile('b').vmax, 0.075);
}

// --- Sine arc length ------------------------------------------------------------

TEST(SineTest, DefaultPathLengthAndEndPoint) {
  SimSettings s = contours('S');
  const ContourPath p = prepared(s);
  EXPECT_NEAR(p.pathlen, 1.03607, 5e-6);
  const Pair end = pathpoint(s, p, p.pathlen);
  EXPECT_NEAR(end[0], 0.79997, 5e-6);
  EXPECT_NEAR(end[1], 0.29993, 5e-6);
  EXPECT_LT(std::hypot(end[0] - 0.8, end[1] - 0.3), 1e-4);
}

TEST(SineTest, ArcLengthAndAbscissaAreInverse) {
  SimSettings s = contours('S');
  for (double X : {0.05, 0.15, 0.3, 0.45}) {
    const double arc = sinearclen(s.sine, 200, X);
    EXPECT_NEAR(sinexofs(s.sine, 200, arc), s.sine.x0 + X, 2e-4) << X;
  }
  EXPECT_DOUBLE_EQ(sinearclen(s.sine, 100, 0.0), 0.0);
  EXPECT_NEAR(sinearclen(s.sine, 100, -0.1), -sinearclen(s.sine, 100, 0.1), 1e-12);
  s.sine.A = 0.0;  // a flat "sine" is a straight line
  EXPECT_NEAR(sinearclen(s.sine, 200, 0.6), 0.6, 1e-12);
  EXPECT_NEAR(sinexofs(s.sine, 200, 0.6), 0.8, 1e-12);
}

// --- Points on the contours ------------------------------------------------------

TEST(PathPointTest, LineAndCircle) {
  SimSettings s = contours('L');
  ContourPath p = prepared(s);
  Pair q = pathpoint(s, p, 0.1);
  EXPECT_NEAR(q[0], 0.3, 1e-12);
  EXPECT_NEAR(q[1], 0.1, 1e-12);

  s = contours('C');
  p = prepared(s);
  q = pathpoint(s, p, 0.25 * PI / 2);  // a quarter turn counter-clockwise
  EXPECT_NEAR(q[0], 0.4, 1e-12);
  EXPECT_NEAR(q[1], 0.25, 1e-12);
  q = pathpoint(s, p, p.pathlen);
  EXPECT_NEAR(q[0], 0.65, 1e-12);
  EXPECT_NEAR(q[1], 0.0, 1e-12);
}

TEST(CmdPointTest, PointsAndVelocitiesFollowTheShiftedContour) {
  SimSettings s = contours('L');
  ContourPath p = prepared(s);
  PathPoint c = cmdpoint(s, p, 0.1, 0.08);
  EXPECT_NEAR(c.x, 0.305, 1e-12);
  EXPECT_NEAR(c.y, 0.1, 1e-12);
  EXPECT_NEAR(c.vx, 0.0, 1e-12);
  EXPECT_NEAR(c.vy, 0.08, 1e-12);

  s = contours('C');
  p = prepared(s);
  c = cmdpoint(s, p, 0.25 * PI / 2, 0.2);
  EXPECT_NEAR(c.x, 0.405, 1e-12);
  EXPECT_NEAR(c.y, 0.25, 1e-12);
  EXPECT_NEAR(c.vx, -0.2, 1e-12);
  EXPECT_NEAR(c.vy, 0.0, 1e-12);

  s = contours('S');
  p = prepared(s);
  for (double arc : {0.0, 0.2, 0.5, 0.9}) {
    const Pair e = pathpoint(s, p, arc);
    c = cmdpoint(s, p, arc, 0.3);
    EXPECT_NEAR(c.x, e[0] + 0.005, 1e-12);
    EXPECT_NEAR(c.y, e[1], 1e-12);
    EXPECT_NEAR(std::hypot(c.vx, c.vy), 0.3, 1e-12);  // speed along the tangent
    const double slope = (2 * PI / s.sine.L) * s.sine.A * std::cos(2 * PI * (c.x - 0.205) / s.sine.L);
    EXPECT_NEAR(c.vy, slope * c.vx, 1e-12);
    EXPECT_GT(c.vx, 0.0);
  }
}

// --- Arc position of a point --------------------------------------------------------

TEST(ArcPosTest, LineIsTheDistanceFromTheStart) {
  SimSettings s = contours('L');
  const ContourPath p = prepared(s);
  EXPECT_NEAR(arcpos(s, p, {0.3, 0.2}, 0.0), 0.2, 1e-12);
  EXPECT_NEAR(arcpos(s, p, {0.3, -0.1}, 0.0), 0.1, 1e-12);  // never negative
}

TEST(ArcPosTest, LargeCircleAddsOneCircumferenceAfterHalfATurn) {
  SimSettings s = contours('C');
  s.circle.rr = 0.3;  // circumference 1.885 m > 1 m
  const ContourPath p = prepared(s);
  const double sprev = 0.3 * (PI - 0.01);
  const double arc = arcpos(s, p, {0.4 + 0.3 * std::cos(PI + 0.01), 0.3 * std::sin(PI + 0.01)}, sprev);
  EXPECT_NEAR(arc, 0.3 * (-PI + 0.01) + 0.3 * PI2, 1e-12);  // the stored 2 pi
  // The stored 2 pi lies 4e-9 below 2.0 * PI, and that shows in the result.
  EXPECT_NEAR(arc - 0.3 * (PI + 0.01), 0.3 * (PI2 - 2.0 * PI), 1e-14);
  // Nothing is ever subtracted, even far from the previous value.
  EXPECT_NEAR(arcpos(s, p, {0.7, 0.0}, 5.0), 0.3 * PI2, 1e-12);
}

TEST(ArcPosTest, SmallCircleJumpsNegativeAfterHalfATurn) {
  SimSettings s = contours('C');
  s.circle.rr = 0.15;  // circumference 0.94 m: never more than 1 m apart
  const ContourPath p = prepared(s);
  const double sprev = 0.15 * (PI - 0.01);
  const double arc = arcpos(s, p, {0.4 + 0.15 * std::cos(PI + 0.01), 0.15 * std::sin(PI + 0.01)}, sprev);
  EXPECT_NEAR(arc, 0.15 * (-PI + 0.01), 1e-12);
}

TEST(ArcPosTest, SineIsSignedArcLengthFromTheStart) {
  SimSettings s = contours('S');
  const ContourPath p = prepared(s);
  EXPECT_NEAR(arcpos(s, p, {0.5, 0.0}, 0.0), sinearclen(s.sine, 100, 0.3), 1e-15);
  EXPECT_LT(arcpos(s, p, {0.15, 0.3}, 0.0), 0.0);
  EXPECT_NEAR(arcpos(s, p, {0.8, 0.3}, 0.0), p.pathlen, 1e-6);
}

// --- Directions ---------------------------------------------------------------------

TEST(DirectionsTest, PressRightOfTravelOnLineAndSineTowardsCentreOnCircle) {
  SimSettings s = contours('L');
  ContourPath p = prepared(s);
  ContourDirs d = contourdirs(s, p, {0.3, 0.1});
  EXPECT_NEAR(d.tau, PI / 2, 1e-12);
  EXPECT_NEAR(d.nu, 0.0, 1e-12);
  EXPECT_NEAR(pressangle(s, p, {0.305, 0.1}), 0.0, 1e-12);

  s = contours('C');
  p = prepared(s);
  d = contourdirs(s, p, {0.4, 0.25});  // top of the circle
  EXPECT_NEAR(d.nu, PI / 2 + PI, 1e-12);
  EXPECT_NEAR(d.tau, PI, 1e-12);
  EXPECT_NEAR(pressangle(s, p, {0.405, 0.25}), -PI / 2, 1e-12);

  s = contours('S');
  p = prepared(s);
  d = contourdirs(s, p, {0.2, 0.3});  // steepest rise at the start
  const double k = 2 * PI * 0.2 / (0.8 - 0.2);
  EXPECT_NEAR(d.tau, std::atan(k), 1e-12);
  EXPECT_NEAR(d.nu, std::atan(k) - PI / 2, 1e-12);
  EXPECT_NEAR(pressangle(s, p, {0.205, 0.3}), std::atan(k) - PI / 2, 1e-12);
  d = contourdirs(s, p, {0.35, 0.5});  // crest: travel along +X, press down
  EXPECT_NEAR(d.tau, 0.0, 1e-12);
  EXPECT_NEAR(d.nu, -PI / 2, 1e-12);
}

TEST(NormalOffsetTest, ReducesOnceIntoAboutMinusPiToPi) {
  EXPECT_NEAR(normaloffset('a', {0.5, 0.3}, 0.2), -0.3, 1e-12);
  EXPECT_NEAR(normaloffset('b', {0.5, 0.3}, 0.2), -0.6, 1e-12);
  EXPECT_NEAR(normaloffset('a', {-3.0, 0.0}, 3.0), 6.0 - 2.0 * PI, 1e-12);
  EXPECT_NEAR(normaloffset('a', {3.0, 0.0}, -3.0), -6.0 + 2.0 * PI, 1e-12);
  // One correction only: far-off angles are not fully reduced.
  EXPECT_NEAR(normaloffset('a', {0.0, 0.0}, 10.0), 10.0 - 2.0 * PI, 1e-12);
}

// --- Settings at the edge of what is accepted ---------------------------------------

TEST(ContourBoundsTest, LineAtAnyAngleStaysFinite) {
  for (double ang = -PI; ang <= PI; ang += PI / 12) {
    SimSettings s = contours('L');
    s.line.xf = 0.3 + 0.2 * std::cos(ang);
    s.line.yf = 0.2 * std::sin(ang);
    const ContourPath p = prepared(s);
    EXPECT_NEAR(p.pathlen, 0.2, 1e-12);
    const Pair e = pathpoint(s, p, p.pathlen);
    EXPECT_NEAR(e[0], s.line.xf, 1e-12);
    EXPECT_NEAR(e[1], s.line.yf, 1e-12);
    const PathPoint c = cmdpoint(s, p, 0.1, 0.05);
    EXPECT_TRUE(isfin(c.x) && isfin(c.y) && isfin(c.vx) && isfin(c.vy));
    EXPECT_TRUE(isfin(pressangle(s, p, e)));
  }
}

TEST(ContourBoundsTest, TinyRadiusAndSteepSineStayFinite) {
  SimSettings s = contours('C');
  s.circle.rr = 1e-6;
  ContourPath p = prepared(s);
  for (double t = 0; t <= 7; t += 0.5) {
    const double arc = pathpos(p, 'a', t);
    const PathPoint c = cmdpoint(s, p, arc, pathvel(p, 'a', t));
    EXPECT_TRUE(isfin(c.x) && isfin(c.y) && isfin(c.vx) && isfin(c.vy));
    EXPECT_TRUE(isfin(arcpos(s, p, {c.x, c.y}, arc)));
    const ContourDirs d = contourdirs(s, p, {c.x, c.y});
    EXPECT_TRUE(isfin(d.nu) && isfin(d.tau));
  }

  s = contours('S');
  s.sine.A = 5.0;  // slope amplitude about 52
  s.sine.L = 0.6;
  p = prepared(s);
  EXPECT_TRUE(isfin(p.pathlen));
  EXPECT_GT(p.pathlen, 4 * 5.0);
  for (double arc = 0; arc <= p.pathlen; arc += p.pathlen / 50) {
    const Pair e = pathpoint(s, p, arc);
    const PathPoint c = cmdpoint(s, p, arc, 1.0);
    EXPECT_TRUE(isfin(e[0]) && isfin(e[1]) && isfin(c.vx) && isfin(c.vy));
    EXPECT_TRUE(isfin(arcpos(s, p, e, arc)));
    EXPECT_TRUE(isfin(pressangle(s, p, e)));
  }
}

TEST(ContourBoundsTest, DegenerateContoursAndZeroTimeGiveNoNaN) {
  for (char c : {'L', 'C', 'S'}) {
    for (char method : {'1', '6'}) {
      SimSettings s = contours(c, method);
      s.line.xf = s.line.x0;
      s.line.yf = s.line.y0;
      s.circle.rr = 0.0;
      s.sine.L = 0.0;
      s.line.tf = s.circle.tf = s.sine.tf = 0.0;
      const ContourPath p = prepared(s);
      for (double t : {0.0, 0.5, 2.0}) {
        const double arc = method == '6' ? pathpos6(p, 'a', t) : pathpos(p, 'a', t);
        EXPECT_TRUE(isfin(arc)) << c << method;
        EXPECT_TRUE(isfin(pathvel(p, 'a', t)));
        const Pair e = pathpoint(s, p, arc);
        const PathPoint q = cmdpoint(s, p, arc, 0.0);
        EXPECT_TRUE(isfin(e[0]) && isfin(e[1]) && isfin(q.x) && isfin(q.y)) << c;
        EXPECT_TRUE(isfin(arcpos(s, p, e, 0.0)));
      }
    }
  }
}
