// Robot view: grid, workpieces, both robots and the compliant hand, checked
// on the recorded primitives.
#include "view/draw.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/control/contour.h"
#include "graphicsapp.h"

namespace hs {
namespace {

using testing_graphics::centroid;
using testing_graphics::makeapp;
using testing_graphics::radius;

constexpr double EPS = 1e-9;

// The filled red discs of a recording with the given radius.
std::vector<Primitive> reddiscs(const Recorder& rec, double r) {
  std::vector<Primitive> out;
  for (const Primitive& p : rec.find(Primitive::Polygon, RED))
    if (p.pts.size() == 120 && std::fabs(radius(p) - r) < 1e-6) out.push_back(p);
  return out;
}

double dot(const Pair& a, const Pair& b) { return a[0] * b[0] + a[1] * b[1]; }
Pair diff(const Pair& a, const Pair& b) { return {a[0] - b[0], a[1] - b[1]}; }

// ---- Robot base and grid ----

TEST(RobotBase, ScaraBaseJointAtWindowPointOfOrigin) {
  auto app = makeapp('b');
  Recorder rec;
  drawrobotb(rec, app->set, app->model, app->disp, {100 * 0.3, 100 * 1.2}, {0.4, 0.5});
  const auto base = reddiscs(rec, 0.7 * 0.0375);
  ASSERT_EQ(base.size(), 1u);
  EXPECT_NEAR(centroid(base[0])[0], -0.5, EPS);
  EXPECT_NEAR(centroid(base[0])[1], -0.3, EPS);
  // The outer joint ring around it.
  int rings = 0;
  for (const Primitive& p : rec.find(Primitive::LineLoop, RED))
    if (std::fabs(radius(p) - 0.0375) < 1e-6 && std::fabs(centroid(p)[0] + 0.5) < EPS &&
        std::fabs(centroid(p)[1] + 0.3) < EPS)
      ++rings;
  EXPECT_EQ(rings, 1);
}

TEST(RobotBase, CylindricalBaseJointAtWindowPointOfOrigin) {
  auto app = makeapp('a');
  Recorder rec;
  drawrobota(rec, app->set, app->model, app->disp, {100 * 0.5, 100 * 0.6},
             {0.6 * std::cos(0.5), 0.6 * std::sin(0.5)});
  const auto base = reddiscs(rec, 0.7 * 0.0375);
  ASSERT_EQ(base.size(), 1u);
  EXPECT_NEAR(centroid(base[0])[0], -0.5, EPS);
  EXPECT_NEAR(centroid(base[0])[1], -0.3, EPS);
}

TEST(RobotBase, ZoomScalesAboutTheWindowCentre) {
  auto app = makeapp('b');
  app->disp.zoom = 0.9;
  Recorder rec;
  drawrobotb(rec, app->set, app->model, app->disp, {0, 0}, {0.8, 0.2});
  const auto base = reddiscs(rec, 0.9 * 0.7 * 0.0375);
  ASSERT_EQ(base.size(), 1u);
  EXPECT_NEAR(centroid(base[0])[0], -0.45, EPS);
  EXPECT_NEAR(centroid(base[0])[1], -0.27, EPS);
}

TEST(Grid, BoldLinesThroughTheBaseAndTenCentimetreCells) {
  Recorder rec;
  drawgrid(rec, {-0.5, -0.3}, 0, 20, 0.1, 0.1);
  const auto lines = rec.find(Primitive::Lines, BLACK);
  ASSERT_EQ(lines.size(), 82u);
  int bold = 0;
  for (const Primitive& p : lines) {
    if (p.width != 2) {
      EXPECT_EQ(p.width, 1);
      continue;
    }
    ++bold;
    const bool vertical = std::fabs(p.pts[0][0] - p.pts[1][0]) < EPS;
    if (vertical) EXPECT_NEAR(p.pts[0][0], -0.5, EPS);
    else EXPECT_NEAR(p.pts[0][1], -0.3, EPS);
  }
  EXPECT_EQ(bold, 2);
  // +-2 m around the base.
  EXPECT_NEAR(lines[0].pts[0][0], -2.5, EPS);
  EXPECT_NEAR(lines[0].pts[0][1], -2.3, EPS);
  EXPECT_NEAR(lines[0].pts[1][1], 1.7, EPS);
  EXPECT_NEAR(lines[1].pts[0][0] - lines[0].pts[0][0], 0.1, EPS);
}

// ---- Links and arm ----

TEST(Links, LongerFirstArmKeepsTheJointRadii) {
  auto app = makeapp('b');
  app->set.l1 = 0.6;
  Recorder rec;
  drawrobotb(rec, app->set, app->model, app->disp, {0, 0}, {0.9, 0.0});
  // The first shape is the first link's body: l1 + 5 mm long, d1 wide.
  const Primitive& body = rec.prims()[0];
  ASSERT_EQ(body.kind, Primitive::Polygon);
  EXPECT_NEAR(std::hypot(body.pts[1][0] - body.pts[0][0], body.pts[1][1] - body.pts[0][1]),
              0.605, EPS);
  EXPECT_NEAR(std::hypot(body.pts[3][0] - body.pts[0][0], body.pts[3][1] - body.pts[0][1]),
              0.05, EPS);
  EXPECT_EQ(reddiscs(rec, 0.7 * 0.0375).size(), 1u);
  // The elbow is a double ring of the fixed radii 0.0225 and 0.7 x that,
  // at l1 from the base.
  int elbow = 0;
  for (const Primitive& p : rec.find(Primitive::LineLoop, RED)) {
    const Pair c = centroid(p);
    if (std::fabs(c[0] - 0.1) < EPS && std::fabs(c[1] + 0.3) < EPS &&
        (std::fabs(radius(p) - 0.0225) < 1e-6 || std::fabs(radius(p) - 0.01575) < 1e-6))
      ++elbow;
  }
  EXPECT_EQ(elbow, 2);
}

TEST(Links, CylindricalArmEndsWpShortOfTheContactPoint) {
  auto app = makeapp('a');
  Recorder rec;
  drawrobota(rec, app->set, app->model, app->disp, {0, 100 * 0.6}, {0.6, 0.0});
  const Primitive& arm = rec.prims()[0];
  ASSERT_EQ(arm.kind, Primitive::Polygon);
  ASSERT_EQ(arm.colour, WHITE);
  EXPECT_NEAR(arm.pts[0][0], -0.5 + 0.6 - 0.7 - 0.2, EPS);
  EXPECT_NEAR(arm.pts[1][0], -0.5 + 0.6 - 0.2, EPS);
  EXPECT_NEAR(arm.pts[0][1], -0.3 - 0.02, EPS);
  EXPECT_NEAR(arm.pts[2][1], -0.3 + 0.02, EPS);
}

// ---- Hand ----

struct HandFixture : ::testing::Test {
  std::unique_ptr<testing_graphics::ShownApp> app = makeapp('b');
  Recorder rec;
  const double a = 0.7;
  const Pair u{std::cos(0.7), std::sin(0.7)};
  std::vector<Primitive> green() const { return rec.find(Primitive::Polygon, GREEN); }
};

TEST_F(HandFixture, LeafSpringsPerpendicularWithoutDeflection) {
  const Pair H{0.1, 0.2};
  drawhand(rec, app->disp, H, H, a, RED);
  const auto g = green();
  ASSERT_EQ(g.size(), 5u);
  // Centre spring: the gap of 0.04 m between bracket base and work block.
  EXPECT_NEAR(dot(diff(g[0].pts[1], g[0].pts[0]), u), 0.04, EPS);
  for (int i = 1; i <= 4; ++i) {
    const Pair bk = diff(g[i].pts[1], g[i].pts[0]);
    EXPECT_NEAR(dot(bk, u), 0.0, EPS) << "leaf " << i;
    EXPECT_NEAR(std::hypot(bk[0], bk[1]), 0.04, EPS) << "leaf " << i;
    // 2 cm wide along the hand.
    EXPECT_NEAR(dot(diff(g[i].pts[2], g[i].pts[1]), u), 0.02, EPS);
  }
  // Black ring of the undeflected contact point concentric with the red tip.
  const auto ring = rec.find(Primitive::LineLoop, BLACK);
  ASSERT_EQ(ring.size(), 1u);
  const auto tip = reddiscs(rec, 0.005);
  ASSERT_EQ(tip.size(), 1u);
  EXPECT_NEAR(centroid(ring[0])[0], centroid(tip[0])[0], EPS);
  EXPECT_NEAR(centroid(ring[0])[1], centroid(tip[0])[1], EPS);
  EXPECT_NEAR(centroid(tip[0])[0], 0.1, EPS);
}

TEST_F(HandFixture, PushedBackTipSlantsLeavesAndShortensCentreSpring) {
  const Pair H{0.1, 0.2};
  const Pair T{H[0] - 0.01 * u[0], H[1] - 0.01 * u[1]};
  drawhand(rec, app->disp, H, T, a, RED);
  const auto g = green();
  ASSERT_EQ(g.size(), 5u);
  EXPECT_NEAR(dot(diff(g[0].pts[1], g[0].pts[0]), u), 0.03, EPS);
  for (int i = 1; i <= 4; ++i)
    EXPECT_NEAR(dot(diff(g[i].pts[1], g[i].pts[0]), u), -0.01, EPS) << "leaf " << i;
  // The red tip disc sits on the deflected tip, the black ring stays.
  EXPECT_NEAR(centroid(reddiscs(rec, 0.005)[0])[0], T[0], EPS);
  EXPECT_NEAR(centroid(rec.find(Primitive::LineLoop, BLACK)[0])[0], H[0], EPS);
}

TEST_F(HandFixture, BracketIsOpenTowardsTheTipAt2point8Pixels) {
  const Pair H{0.0, 0.0};
  drawhand(rec, app->disp, H, H, 0.0, RED);
  const auto strips = rec.find(Primitive::LineStrip, RED);
  ASSERT_EQ(strips.size(), 1u);
  EXPECT_NEAR(strips[0].width, 2.8, 1e-12);
  // Wrist at H - 0.2, bracket base 2 cm further on, arms 0.1 long, 0.1 apart.
  const auto& p = strips[0].pts;
  EXPECT_NEAR(p[1][0], -0.18, EPS);
  EXPECT_NEAR(p[1][1], -0.05, EPS);
  EXPECT_NEAR(p[0][0], -0.08, EPS);
  EXPECT_NEAR(p[3][0], -0.08, EPS);
  EXPECT_NEAR(p[3][1], 0.05, EPS);
}

TEST_F(HandFixture, TheDisplayStepGivesTheModelTheDrawnWorkBlock) {
  app->set.worklen = 0.15;
  app->set.wp = 0.3;
  sethanddimensions(app->set);
  EXPECT_EQ(app->set.worklen, 0.14);
  EXPECT_EQ(app->set.wp, 0.2);
  EXPECT_EQ(app->set.workwid, 0.02);
}

// ---- Workpieces ----

TEST(Workpiece, LineIsABandToTheRightOfTheUpwardLine) {
  auto app = makeapp('b', 'L');
  Recorder rec;
  drawworkpiece(rec, app->set, app->path, app->disp);
  const auto band = rec.find(Primitive::Polygon, LIGHTBLUE);
  ASSERT_EQ(band.size(), 1u);
  ASSERT_EQ(band[0].pts.size(), 4u);
  double xmin = 9, xmax = -9, ymin = 9, ymax = -9;
  for (const Pair& p : band[0].pts) {
    xmin = std::fmin(xmin, p[0] + 0.5);  // back to metres from the base
    xmax = std::fmax(xmax, p[0] + 0.5);
    ymin = std::fmin(ymin, p[1] + 0.3);
    ymax = std::fmax(ymax, p[1] + 0.3);
  }
  EXPECT_NEAR(xmin, 0.3, EPS);
  EXPECT_NEAR(xmax, 0.5, EPS);
  EXPECT_NEAR(ymin, 0.0, EPS);
  EXPECT_NEAR(ymax, 0.3, EPS);
}

TEST(Workpiece, SineIsHundredStripsStandingTenCentimetresBelowTheWave) {
  auto app = makeapp('b', 'S');
  Recorder rec;
  drawworkpiece(rec, app->set, app->path, app->disp);
  const auto strips = rec.find(Primitive::Polygon, LIGHTBLUE);
  ASSERT_EQ(strips.size(), 100u);
  double lowtop = 9;
  for (const Primitive& p : strips) lowtop = std::fmin(lowtop, std::fmin(p.pts[2][1], p.pts[3][1]));
  EXPECT_NEAR(lowtop + 0.3, 0.1, 1e-9);  // lowest wave point y0 - A
  for (const Primitive& p : strips) {
    EXPECT_NEAR(p.pts[0][1], lowtop - 0.1, 1e-9);
    EXPECT_NEAR(p.pts[1][1], lowtop - 0.1, 1e-9);
    EXPECT_NEAR(p.pts[1][0] - p.pts[0][0], 0.006 + 0.005, EPS);  // overlapping strips
  }
  // First strip starts at the contour start, its left top on the wave.
  EXPECT_NEAR(strips[0].pts[0][0] + 0.5, 0.2, EPS);
  EXPECT_NEAR(strips[0].pts[3][1] + 0.3, 0.3, EPS);
  EXPECT_NEAR(strips[25].pts[3][1] + 0.3, 0.3 + 0.2, 1e-9);  // crest at a quarter wave
}

TEST(Workpiece, CircleIsADiscAtTheEnteredCentre) {
  auto app = makeapp('b', 'C');
  Recorder rec;
  drawworkpiece(rec, app->set, app->path, app->disp);
  const auto disc = rec.find(Primitive::Polygon, LIGHTBLUE);
  ASSERT_EQ(disc.size(), 1u);
  EXPECT_NEAR(centroid(disc[0])[0], -0.1, EPS);
  EXPECT_NEAR(centroid(disc[0])[1], -0.3, EPS);
  EXPECT_NEAR(radius(disc[0]), 0.25, 1e-9);
}

// ---- Primitives ----

TEST(Primitives, WideLineWidthIsWindowUnitsTimes400ThenBackTo2) {
  Recorder rec;
  drawwideline(rec, {0, 0}, {1, 0}, 0.006, RED);
  ASSERT_EQ(rec.prims().size(), 1u);
  EXPECT_NEAR(rec.prims()[0].width, 2.4, 1e-12);
  EXPECT_EQ(rec.currentwidth(), 2);
}

TEST(Primitives, LinkRearEndIsAHalfDiscBehindTheJoint) {
  // A link pointing along +x starts its rear half circle at -90 degrees and
  // turns clockwise through the back (-x) to +90 degrees.
  Recorder rec;
  fillhalfdisc(rec, {0, 0}, 1.0, 0.0 - PI / 2, WHITE);
  const auto& p = rec.prims()[0].pts;
  ASSERT_EQ(p.size(), 120u);
  EXPECT_NEAR(p[0][1], -1.0, 1e-9);
  EXPECT_NEAR(p[60][0], -1.0, 1e-9);
  EXPECT_NEAR(p[119][1], 1.0, 1e-3);
  for (const Pair& q : p) EXPECT_LE(q[0], 1e-9);
}

}  // namespace
}  // namespace hs
