#include "view/comparegraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "console/console.h"
#include "enginecase.h"

using namespace hs;

namespace {

struct Drawn {
  Recorder rec;
  std::array<MethodRun, 4> rows;
};

const Drawn& comparison() {
  static const Drawn d = [] {
    Drawn d;
    const auto app = selectedcase('a', '1', 'C');
    d.rows = comparemethods(app->runcase());
    drawcompare(d.rec, app->set, d.rows);
    return d;
  }();
  return d;
}

}  // namespace

TEST(CompareGraph, FourCurvesInEachGraphInDistinctColours) {
  const Drawn& d = comparison();
  EXPECT_EQ(d.rec.cleared(), 1);
  EXPECT_EQ(d.rec.presented(), 1);
  std::set<std::string> seen;
  for (std::size_t k = 0; k < 4; ++k) {
    const Rgba& c = COMPARECOLOURS[k];
    seen.insert(fmt("%g %g %g", c.r, c.g, c.b));
    // One line of the force error above, one of the peripheral error below
    // (the curves of this case are finite: one strip each).
    int upper = 0, lower = 0;
    for (const Primitive& p : d.rec.find(Primitive::LineStrip, c)) {
      EXPECT_EQ(p.pts.size(), d.rows[k].forceerr.size());
      for (const Pair& q : p.pts) {
        EXPECT_GE(q[0], -0.8 - 1e-12);
        EXPECT_LE(q[0], 0.9 + 1e-12);
      }
      (p.pts[0][1] > 0.0 ? upper : lower) += 1;
    }
    EXPECT_EQ(upper, 1) << "method " << d.rows[k].method;
    EXPECT_EQ(lower, 1) << "method " << d.rows[k].method;
    EXPECT_NE(d.rec.findtext(std::string("method ") + d.rows[k].method), nullptr);
  }
  EXPECT_EQ(seen.size(), 4u);
}

TEST(CompareGraph, CurvesAreTheRunsErrorsOnAScaleTheyShare) {
  const Drawn& d = comparison();
  // The peripheral error: zero on the time axis at y = -0.25, the largest
  // magnitude of the four at the edge 0.28 from it; time 0 .. 8 s across
  // the axis from x = -0.8 to 0.9.
  double biggest = 0;
  for (const MethodRun& r : d.rows)
    for (double v : r.perierr) biggest = std::max(biggest, std::fabs(v));
  ASSERT_GT(biggest, 0.0);
  for (std::size_t k = 0; k < 4; ++k) {
    const std::vector<Primitive> strips = d.rec.find(Primitive::LineStrip, COMPARECOLOURS[k]);
    const Primitive* lower = nullptr;
    for (const Primitive& p : strips)
      if (p.pts[0][1] < 0) lower = &p;
    ASSERT_NE(lower, nullptr);
    const std::vector<double>& e = d.rows[k].perierr;
    ASSERT_EQ(lower->pts.size(), e.size());
    for (std::size_t i = 0; i < e.size(); ++i) {
      EXPECT_NEAR(lower->pts[i][1], -0.25 + 0.28 * e[i] / biggest, 1e-9) << k << " step " << i;
      EXPECT_NEAR(lower->pts[i][0], -0.8 + 1.7 * i / (e.size() - 1.0), 1e-9) << k << " step " << i;
    }
  }
}

TEST(CompareGraph, TableHoldsTheFiguresWithTheBestMarked) {
  const Drawn& d = comparison();
  // frms of each method as the table prints it; the smallest carries '*'.
  std::size_t best = 0;
  for (std::size_t k = 1; k < 4; ++k)
    if (d.rows[k].fig.frms < d.rows[best].fig.frms) best = k;
  for (std::size_t k = 0; k < 4; ++k)
    EXPECT_NE(d.rec.findtext(fmt("%.4g%s", d.rows[k].fig.frms, k == best ? "*" : "")), nullptr)
        << "method " << d.rows[k].method;
  EXPECT_NE(d.rec.findtext("frms [N]"), nullptr);
  EXPECT_NE(d.rec.findtext("tsat [%]"), nullptr);
}
