#include "engine/model/metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "enginecase.h"

using namespace hs;

namespace {

// Five output steps 0.5 s apart (so steps 2 .. 4 are the settled ones) with
// round numbers, motor limits 2 and 4 N m.
std::unique_ptr<RunHistory> shorthistory() {
  auto h = std::make_unique<RunHistory>(4);
  const double forceerr[5] = {9, -9, 1, -2, 2};
  const Pair poserr[5] = {{100, 0}, {0, -100}, {3, 4}, {0, 0}, {-6, 8}};
  const double perierr[5] = {0, -0.3, 0.1, 0.2, -0.05};
  // Step 1 stands exactly at motor 1's limit, step 2 within 1e-9 of motor
  // 2's; steps 3 and 4 are just short of the limits.
  const Pair torque[5] = {{1.9, 0}, {2.0, 1.0}, {-1.0, -3.9999999999}, {0.5, 3.99}, {1.999999, 0}};
  for (int i = 0; i < 5; ++i) {
    h->forceerr[i] = forceerr[i];
    h->poserr[i] = poserr[i];
    h->perierr[i] = perierr[i];
    h->torque[i] = torque[i];
  }
  return h;
}

}  // namespace

TEST(FiguresOfMerit, ShortHistoryByHand) {
  const auto h = shorthistory();
  const FiguresOfMerit f = figuresofmerit(*h, 4, 0.5, 2.0, 4.0);
  EXPECT_EQ(f.first, 2);
  EXPECT_EQ(f.last, 4);
  // Force errors 1, -2, 2 N over the settled steps.
  EXPECT_DOUBLE_EQ(f.frms, std::sqrt(3.0));
  EXPECT_EQ(f.fmax, 2.0);
  // Position errors of length 5, 0 and 10 m.
  EXPECT_DOUBLE_EQ(f.erms, std::sqrt(125.0 / 3));
  EXPECT_EQ(f.emax, 10.0);
  // Along-path error: the last value with its sign, the largest of all steps.
  EXPECT_EQ(f.pend, -0.05);
  EXPECT_EQ(f.pmax, 0.3);
  // Peaks over the settled steps: step 1's torque at motor 1's limit is left out.
  EXPECT_EQ(f.t1peak, 1.999999 / 2.0);
  EXPECT_EQ(f.t2peak, 3.9999999999 / 4.0);
  // Steps 1 and 2 of steps 1 .. 4 at a limit.
  EXPECT_EQ(f.tsat, 50.0);
}

TEST(FiguresOfMerit, RunShorterThanTheSettlingTimeCountsAsAWhole) {
  // dt 0.04 s: the settled window would start at step 25, beyond step 4.
  const auto h = shorthistory();
  const FiguresOfMerit f = figuresofmerit(*h, 4, 0.04, 2.0, 4.0);
  EXPECT_EQ(f.first, 0);
  EXPECT_DOUBLE_EQ(f.frms, std::sqrt((81.0 + 81 + 1 + 4 + 4) / 5));
  EXPECT_EQ(f.fmax, 9.0);
  EXPECT_DOUBLE_EQ(f.erms, std::sqrt((10000.0 + 10000 + 25 + 0 + 100) / 5));
  EXPECT_EQ(f.emax, 100.0);
  EXPECT_EQ(f.tsat, 50.0);  // the torque figures never depend on the window
}

TEST(FiguresOfMerit, SettledWindowStartsAtOneSecond) {
  // dt 0.04 s: step 25 (1 s) is the first settled step; a run of exactly 25
  // steps has that one settled step.
  auto h = std::make_unique<RunHistory>(40);
  for (int i = 0; i <= 25; ++i) h->forceerr[i] = i == 24 ? 100.0 : 1.0;
  h->forceerr[25] = -3.0;
  const FiguresOfMerit f = figuresofmerit(*h, 25, 0.04, 1, 1);
  EXPECT_EQ(f.first, 25);
  EXPECT_EQ(f.frms, 3.0);
  EXPECT_EQ(f.fmax, 3.0);
  // One step longer than the window would need: 1/0.03 s = 33.3 -> step 34.
  EXPECT_EQ(figuresofmerit(*h, 40, 0.03, 1, 1).first, 34);
}

TEST(FiguresOfMerit, DegenerateRuns) {
  const auto h = shorthistory();
  // Only step 0: nothing after the start can have saturated.
  const FiguresOfMerit one = figuresofmerit(*h, 0, 0.04, 2.0, 4.0);
  EXPECT_EQ(one.frms, 9.0);
  EXPECT_EQ(one.tsat, 0.0);
  // A motor without torque has no peak share.
  EXPECT_TRUE(std::isnan(figuresofmerit(*h, 4, 0.5, 0.0, 4.0).t1peak));
}

TEST(FiguresOfMerit, RunOfTheSettings) {
  auto app = defaultcase('a', '4', 'C');
  const FiguresOfMerit f = figuresofmerit(app->history(), app->set, app->model);
  EXPECT_EQ(f.first, 25);
  EXPECT_EQ(f.last, 200);
  // This case drives motor 1 into its limit; a torque cut to the limit may
  // come out one rounding above it ((T1max * T) / |T|).
  EXPECT_GT(f.tsat, 0.0);
  EXPECT_NEAR(f.t1peak, 1.0, 4e-16);
  // The run on screen's figures are those of its case run afresh.
  EXPECT_EQ(simulate(derive(app->runcase())).figures().frms, f.frms);
}

TEST(ExactSum, RoundsTheExactSumOnce) {
  const double cancel[3] = {1e16, 1.0, -1e16};
  EXPECT_EQ(exactsum(cancel, 3), 1.0);
  const double spread[4] = {1.0, 1e100, 1.0, -1e100};
  EXPECT_EQ(exactsum(spread, 4), 2.0);
  // 1 + 2^-53 lies halfway between two doubles: ties go to the even one,
  // unless a further term, however small, tips the balance.
  const double tie[2] = {1.0, std::ldexp(1.0, -53)};
  EXPECT_EQ(exactsum(tie, 2), 1.0);
  const double tipped[3] = {1.0, std::ldexp(1.0, -53), std::ldexp(1.0, -80)};
  EXPECT_EQ(exactsum(tipped, 3), 1.0 + std::ldexp(1.0, -52));
  EXPECT_EQ(exactsum(tipped, 0), 0.0);
  const double reversed[3] = {std::ldexp(1.0, -80), std::ldexp(1.0, -53), 1.0};
  EXPECT_EQ(exactsum(reversed, 3), 1.0 + std::ldexp(1.0, -52));
}
