// Time-history graphs: axes and ticks, scales, clipping, degenerate scales.
#include "view/graphs.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graphicsapp.h"

namespace hs {
namespace {

using testing_graphics::makeapp;
using testing_graphics::runof;

constexpr double EPS = 1e-9;

// Curve segments: the wide lines of a colour and width [px].
std::vector<Primitive> curves(const Recorder& rec, const Rgba& c, double px) {
  std::vector<Primitive> out;
  for (const Primitive& p : rec.find(Primitive::Lines, c))
    if (std::fabs(p.width - px) < 1e-9) out.push_back(p);
  return out;
}

bool allfinite(const Recorder& rec) {
  for (const Primitive& p : rec.prims())
    for (const Pair& q : p.pts)
      if (!std::isfinite(q[0]) || !std::isfinite(q[1])) return false;
  return true;
}

// ---- Axes ----

TEST(TimeAxes, DefaultRunHasEightTicksAndEightSecondLabel) {
  Recorder rec;
  drawtimeaxes(rec, 0, {0.4, 0.5}, 0.04, 200, 0.5, 0.45, 4.0);
  std::vector<Primitive> ticks;
  for (const Primitive& p : curves(rec, RED, 2))
    if (std::fabs(p.pts[1][1] - p.pts[0][1] - 0.02) < EPS) ticks.push_back(p);
  ASSERT_EQ(ticks.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_NEAR(ticks[i].pts[0][0], 0.4 + (i + 1) * 0.0625, EPS);
    EXPECT_NEAR(ticks[i].pts[0][1], 0.5, EPS);
  }
  const Primitive* digit = rec.findtext("8");
  const Primitive* unit = rec.findtext("s");
  ASSERT_NE(digit, nullptr);
  ASSERT_NE(unit, nullptr);
  EXPECT_NEAR(unit->pts[0][0], 0.9, 1e-6);
  EXPECT_NEAR(digit->pts[0][0], 0.88, 1e-6);
  EXPECT_NEAR(unit->pts[0][1], 0.51, 1e-6);
  EXPECT_EQ(digit->font, Font::Helvetica18);
  // Time axis and value axis 2.4 px wide; value axis upwards only.
  const auto axes = curves(rec, RED, 2.4);
  ASSERT_EQ(axes.size(), 2u);
  EXPECT_NEAR(axes[0].pts[1][0], 0.9, EPS);
  EXPECT_NEAR(axes[1].pts[0][1], 0.5, EPS);
  EXPECT_NEAR(axes[1].pts[1][1], 0.95, EPS);
}

TEST(TimeAxes, CircleRunMarksTheEndOfMotionAt0775) {
  Recorder rec;
  drawtimeaxes(rec, 1, {0.4, -0.3}, 0.04, 200, 0.5, 0.3, 6.0);
  const auto marker = rec.find(Primitive::Lines, BLUE);
  ASSERT_EQ(marker.size(), 1u);
  EXPECT_NEAR(marker[0].pts[0][0], 0.775, EPS);
  EXPECT_NEAR(marker[0].pts[1][0], 0.775, EPS);
  EXPECT_NEAR(marker[0].pts[1][1], 0.0, EPS);
  // Mode 1: value axis both ways.
  const auto axes = curves(rec, RED, 2.4);
  ASSERT_EQ(axes.size(), 2u);
  EXPECT_NEAR(axes[1].pts[0][1], -0.6, EPS);
  EXPECT_NEAR(axes[1].pts[1][1], 0.0, EPS);
}

TEST(TimeAxes, RunsOfTenSecondsAndMoreShowTheWholeNumber) {
  Recorder rec;
  drawtimeaxes(rec, 0, {0.4, 0.1}, 0.04, 300, 0.5, 0.3, 4.0);  // 12 s
  const Primitive* label = rec.findtext("12");
  ASSERT_NE(label, nullptr);
  const Primitive* unit = rec.findtext("s");
  ASSERT_NE(unit, nullptr);
  EXPECT_LT(label->pts[0][0], unit->pts[0][0] - 0.03);  // two digits left of "s"
  int ticks = 0;
  for (const Primitive& p : curves(rec, RED, 2)) ticks += std::fabs(p.pts[1][1] - p.pts[0][1] - 0.02) < EPS;
  EXPECT_EQ(ticks, 12);
}

// ---- Position graph ----

struct GraphFixture : ::testing::Test {
  std::unique_ptr<testing_graphics::ShownApp> app = makeapp('b', 'S');
  Recorder rec;
  RunHistory& h() { return app->history(); }
  void SetUp() override {
    // A small movement so the position range is not empty.
    for (int i = 0; i <= 200; ++i) {
      h().cmdpos[i] = {0.2 + 0.003 * i, 0.3};
      h().tippos[i] = {0.2 + 0.003 * i, 0.31};
      h().force[i] = {10.0, 0};
      h().torque[i] = {0.5, -0.5};
    }
  }
};

TEST_F(GraphFixture, FrameZeroShowsNoCurve) {
  drawposgraph(rec, runof(*app), app->disp, 0);
  drawforcegraph(rec, runof(*app), app->disp, 0);
  drawtorquegraph(rec, runof(*app), app->disp, 0);
  EXPECT_TRUE(curves(rec, RED, 3.2).empty());
  EXPECT_TRUE(curves(rec, BLACK, 3.2).empty());
  EXPECT_TRUE(curves(rec, BLUE, 1.6).empty());
  EXPECT_TRUE(rec.find(Primitive::Lines, YELLOW).empty());
  // Axes, labels, markers and limit lines are there.
  EXPECT_EQ(curves(rec, RED, 2.4).size(), 6u);
  EXPECT_NE(rec.findtext("Position X(red),Y(black)"), nullptr);
  EXPECT_NE(rec.findtext("yellow:10*peripheral positon error"), nullptr);
  EXPECT_NE(rec.findtext("Contact force"), nullptr);
  EXPECT_NE(rec.findtext("Motor torque"), nullptr);
  EXPECT_NE(rec.findtext("T1max"), nullptr);
  EXPECT_NE(rec.findtext("T2max"), nullptr);
  EXPECT_EQ(rec.findtext("yellow:5*force error")->font, Font::Helvetica12);
}

TEST_F(GraphFixture, CurvesGrowWithTheFrame) {
  drawposgraph(rec, runof(*app), app->disp, 5);
  EXPECT_EQ(curves(rec, RED, 3.2).size(), 5u);
  EXPECT_EQ(curves(rec, BLACK, 3.2).size(), 5u);
  EXPECT_EQ(curves(rec, BLUE, 1.6).size(), 10u);
  EXPECT_NEAR(curves(rec, RED, 3.2).back().pts[1][0], 0.4 + 5 * 0.0025, EPS);
}

TEST_F(GraphFixture, PositionRangeFillsTheHeight) {
  // Lowest 0.2 (X at step 0), highest 0.2 + 0.003 * 199 (steps 0 .. nstep-1).
  const Pair r = posrange(h(), 200);
  EXPECT_NEAR(r[0], 0.2 + 0.003 * 199, EPS);
  EXPECT_NEAR(r[1], 0.2, EPS);
  drawposgraph(rec, runof(*app), app->disp, 199);
  const auto tipx = curves(rec, RED, 3.2);
  ASSERT_EQ(tipx.size(), 199u);
  EXPECT_NEAR(tipx.front().pts[0][1], 0.5, EPS);
  EXPECT_NEAR(tipx.back().pts[1][1], 0.9, EPS);
}

TEST_F(GraphFixture, PeripheralErrorOutsideItsWindowIsNotDrawn) {
  // Positions spanning exactly 0..0.4 m give the scale k = 1; with the
  // magnification 1 the offset is the error itself, so the bounds are hit
  // exactly. Offsets at 0.4 and -0.12 are out, just inside them in.
  for (int i = 0; i <= 200; ++i) h().cmdpos[i] = h().tippos[i] = {0.2, 0.2};
  h().cmdpos[0][0] = 0.0;
  h().cmdpos[1][0] = 0.4;
  app->disp.grapherrmag = 1;
  h().perierr[0] = 0;
  h().perierr[1] = 0.4;
  h().perierr[2] = 0.1;
  h().perierr[3] = -0.3 * 0.4;
  h().perierr[4] = 0.1;
  h().perierr[5] = 0.39;
  drawposgraph(rec, runof(*app), app->disp, 5);
  const auto y = rec.find(Primitive::Lines, YELLOW);
  ASSERT_EQ(y.size(), 1u);  // only step 4 -> 5
  EXPECT_NEAR(y[0].pts[0][0], 0.4 + 4 * 0.0025, EPS);
  EXPECT_NEAR(y[0].pts[1][1], 0.5 + 0.39, 1e-9);
  EXPECT_NEAR(y[0].width, 1.6, 1e-12);
}

TEST_F(GraphFixture, PeripheralErrorIsMagnifiedTenTimes) {
  h().perierr[1] = 0.001;
  drawposgraph(rec, runof(*app), app->disp, 1);
  const double k = 0.4 / (0.003 * 199);
  EXPECT_NEAR(rec.find(Primitive::Lines, YELLOW)[0].pts[1][1], 0.5 + k * 10 * 0.001, 1e-12);
}

// ---- Force graph ----

TEST_F(GraphFixture, ForceEqualToFnLiesOnTheBlueLine) {
  app->set.Fn = 7.3;
  for (int i = 0; i <= 200; ++i) h().force[i] = {7.3, 0};
  drawforcegraph(rec, runof(*app), app->disp, 3);
  const auto blue = rec.find(Primitive::Lines, BLUE);
  ASSERT_EQ(blue.size(), 2u);  // motion-end marker and command level
  const double ycmd = blue[1].pts[0][1];
  EXPECT_NEAR(ycmd, 0.35, EPS);
  const auto f = curves(rec, RED, 3.2);
  ASSERT_EQ(f.size(), 3u);
  for (const Primitive& p : f) EXPECT_EQ(p.pts[1][1], ycmd);
  // Force error x5 on the same scale.
  h().forceerr[1] = 7.3 / 5;
  rec.forget();
  drawforcegraph(rec, runof(*app), app->disp, 1);
  EXPECT_NEAR(rec.find(Primitive::Lines, YELLOW)[0].pts[1][1], 0.35, 1e-12);
}

// ---- Torque graph ----

TEST_F(GraphFixture, TorqueAtTheLimitIsDrawnBeyondItIsNot) {
  app->model.b.T1max = 2.3;
  double t1[] = {0.5, 2.3, 2.3, 2.5, 2.3, 1.0};
  for (int i = 0; i < 6; ++i) h().torque[i] = {t1[i], 0.0};
  drawtorquegraph(rec, runof(*app), app->disp, 5);
  const auto red = curves(rec, RED, 3.2);
  // Segments 0-1, 1-2 drawn (on the line), 2-3 and 3-4 not, 4-5 drawn again.
  ASSERT_EQ(red.size(), 3u);
  EXPECT_EQ(red[1].pts[1][1], -0.3 + 0.25);
  EXPECT_NEAR(red[2].pts[0][0], 0.4 + 4 * 0.0025, EPS);
  // T2max line at 0.25 x T2max / T1max; both limits labelled.
  bool t2line = false;
  for (const Primitive& p : rec.find(Primitive::Lines, BLACK))
    t2line |= std::fabs(p.pts[0][1] - (-0.3 + 0.25 * 1.0 / 2.3)) < EPS;
  EXPECT_TRUE(t2line);
  EXPECT_NEAR(rec.findtext("T1max")->pts[0][1], -0.04, 1e-6);
}

TEST_F(GraphFixture, NegativeLimitIsInsideToo) {
  for (int i = 0; i < 3; ++i) h().torque[i] = {-2.0, -2.0};
  drawtorquegraph(rec, runof(*app), app->disp, 2);
  EXPECT_EQ(curves(rec, RED, 3.2).size(), 2u);
  EXPECT_EQ(curves(rec, BLACK, 3.2).size(), 2u);
}

// ---- Degenerate scales ----

TEST_F(GraphFixture, ZeroRangeZeroForceZeroLimitStayFinite) {
  for (int i = 0; i <= 200; ++i) {
    h().cmdpos[i] = h().tippos[i] = {0.3, 0.3};
    h().force[i] = {0.0, 0};
    h().torque[i] = {0.0, 0.0};
    h().perierr[i] = 0.001;
  }
  app->set.Fn = 0;
  app->model.b.T1max = 0;
  app->model.b.T2max = 0;
  drawposgraph(rec, runof(*app), app->disp, 200);
  drawforcegraph(rec, runof(*app), app->disp, 200);
  drawtorquegraph(rec, runof(*app), app->disp, 200);
  EXPECT_TRUE(allfinite(rec));
  // The curves are still there, on a finite scale; axes kept.
  EXPECT_EQ(curves(rec, BLACK, 3.2).size(), 400u);  // tip Y and T2
  EXPECT_EQ(curves(rec, RED, 2.4).size(), 6u);
  // A flat position sits inside the graph height.
  const double y = curves(rec, BLACK, 3.2).front().pts[0][1];
  EXPECT_GT(y, 0.5);
  EXPECT_LT(y, 0.9);
}

TEST_F(GraphFixture, DivergedStepsLeaveGapsNotNaN) {
  h().tippos[3] = {NAN, NAN};
  h().force[3] = {INFINITY, 0};
  drawposgraph(rec, runof(*app), app->disp, 6);
  drawforcegraph(rec, runof(*app), app->disp, 6);
  EXPECT_TRUE(allfinite(rec));
}

}  // namespace
}  // namespace hs
