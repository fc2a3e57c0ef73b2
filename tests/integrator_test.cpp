#include "engine/model/integrator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

using namespace hs;

using State = std::array<double, 6>;

TEST(IntegratorTest, ZeroDerivativeLeavesTheStateUnchanged) {
  const State y{1.5, -2.0, 0.25, 3e-7, 1e6, -4.0};
  const State out = rkgill(0.3, 0.004, y, 6, [](int, double, const State&) { return 0.0; });
  for (int j = 0; j < 6; ++j) EXPECT_EQ(out[j], y[j]);
}

TEST(IntegratorTest, UnitDerivativeAddsOneStep) {
  const State y{0, 1, 2, 3, 4, 5};
  const double h = 0.004;
  const State out = rkgill(0.0, h, y, 6, [](int, double, const State&) { return 1.0; });
  // Exact up to the rounding of the method's decimal constants.
  for (int j = 0; j < 6; ++j) EXPECT_NEAR(out[j], y[j] + h, 1e-9 * h);
}

TEST(IntegratorTest, ExponentialToFourthOrder) {
  // dy/dt = y: the step error shrinks as h^5.
  auto f = [](int j, double, const State& y) { return y[j]; };
  double err[2];
  const double hs[2] = {0.1, 0.05};
  for (int k = 0; k < 2; ++k) {
    const State out = rkgill(0.0, hs[k], State{1, 1, 1, 1, 1, 1}, 6, f);
    err[k] = std::fabs(out[0] - std::exp(hs[k]));
    EXPECT_LT(err[k], 2e-7);
  }
  // Halving h divides the error by about 32 (the decimal constants put a
  // floor of about 1e-9 under it, far below these errors).
  EXPECT_GT(err[0] / err[1], 20.0);
  EXPECT_LT(err[0] / err[1], 40.0);
}

TEST(IntegratorTest, StagesAskForEveryComponentInOrderAtTheirTimes) {
  std::vector<std::pair<int, double>> calls;
  const double t = 1.0, h = 0.01;
  rkgill(t, h, State{}, 6, [&](int j, double tj, const State&) {
    calls.emplace_back(j, tj);
    return 0.0;
  });
  ASSERT_EQ(calls.size(), 24u);
  const double times[4] = {t, t + h / 2, t + h / 2, t + h};
  for (int stage = 0; stage < 4; ++stage)
    for (int j = 0; j < 6; ++j) {
      EXPECT_EQ(calls[stage * 6 + j].first, j);
      EXPECT_EQ(calls[stage * 6 + j].second, times[stage]);
    }
}

TEST(IntegratorTest, EveryComponentOfAStageSeesTheSameStageState) {
  // Component j of stage 2 must see stage 1's complete state, not one that
  // already holds stage 2's earlier components.
  std::vector<State> seen;
  rkgill(0.0, 0.1, State{1, 2, 3, 4, 5, 6}, 6, [&](int j, double, const State& y) {
    seen.push_back(y);
    return static_cast<double>(j + 1);
  });
  for (int stage = 0; stage < 4; ++stage)
    for (int j = 1; j < 6; ++j) EXPECT_EQ(seen[stage * 6 + j], seen[stage * 6]);
}
