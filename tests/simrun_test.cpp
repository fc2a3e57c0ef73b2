#include "engine/model/simrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/control/kinematics.h"
#include "enginecase.h"
#include "engine/model/drive.h"
#include "engine/model/dynamics.h"
#include "engine/model/integrator.h"

using namespace hs;

namespace {

struct Selection {
  char type, method, contour;
};

std::vector<Selection> allcases() {
  std::vector<Selection> v;
  for (char c : {'L', 'C', 'S'})
    for (char m : {'1', '3', '4', '6'})
      for (char t : {'a', 'b'}) v.push_back({t, m, c});
  return v;
}

std::unique_ptr<RunHistory> run(App& app, bool memo = true, RunReport* rep = nullptr) {
  auto h = std::make_unique<RunHistory>();
  ControlState cs;
  const RunReport r = calcontrol(app.runmodel(), cs, *h, memo);
  if (rep) *rep = r;
  return h;
}

// Step i of a and step j of b hold the same numbers.
bool samestep(const RunHistory& a, int i, const RunHistory& b, int j) {
  return a.motorpos[i] == b.motorpos[j] && a.tippos[i] == b.tippos[j] &&
         a.cmdpos[i] == b.cmdpos[j] && a.poserr[i] == b.poserr[j] &&
         a.perierr[i] == b.perierr[j] && a.force[i] == b.force[j] &&
         a.forceerr[i] == b.forceerr[j] && a.torque[i] == b.torque[j] &&
         a.tipdefl[i] == b.tipdefl[j];
}

std::string name(const Selection& c) { return std::string{c.type, c.method, c.contour}; }

}  // namespace

TEST(SubstepTest, FinerStepsAroundTheCornersOfTheSpeedProfile) {
  // tf 4 s, ta 0.4 s, dt 0.04 s: steps starting at 0.36, 0.40, 0.44, 3.56,
  // 3.60, 3.64, 3.96, 4.00 and 4.04 s use 100 sub-steps.
  const std::vector<int> fine = {9, 10, 11, 89, 90, 91, 99, 100, 101};
  double t = 0;
  for (int k = 0; k < 200; ++k) {
    const bool expect = std::find(fine.begin(), fine.end(), k) != fine.end();
    EXPECT_EQ(substeps(t, 0.4, 4.0, 0.04), expect ? 100 : 10) << "start " << t;
    t = t + 0.04;
  }
  // Without an acceleration time (method 6 before any other preparation):
  // 0.04 s and the steps around tf.
  t = 0;
  for (int k = 0; k < 200; ++k) {
    const bool expect = k == 0 || k == 1 || k == 99 || k == 100 || k == 101;
    EXPECT_EQ(substeps(t, 0.0, 4.0, 0.04), expect ? 100 : 10) << "start " << t;
    t = t + 0.04;
  }
  // Open windows: exactly dt + 1e-5 away from a corner is outside.
  EXPECT_EQ(substeps(0.4 + 0.04 + 1e-5, 0.4, 4.0, 0.04), 10);
  EXPECT_EQ(substeps(0.4 - 0.04 - 1e-5, 0.4, 4.0, 0.04), 10);
}

TEST(RunTest, FollowsTheRunAlgorithmStepByStep) {
  // A plain evaluation written out here: start state, step 1 always with
  // 10 sub-steps, the sub-step clock carried over into the window choice,
  // t by repeated addition of dt. Method 6 has ta = 0, so step 2 (clock at
  // 0.04 s) already uses 100 sub-steps.
  for (Selection c : {Selection{'b', '6', 'C'}, Selection{'a', '1', 'L'}}) {
    auto app = defaultcase(c.type, c.method, c.contour);
    app->set.nstep = 12;
    auto got = run(*app);
    const RunModel rm = app->runmodel();
    ControlState cs;
    auto want = std::make_unique<RunHistory>(12);
    double t = 0;
    CommandOut cmd = command(rm, cs, 0);
    SimState x{cmd.mcmd[0], cmd.mcmd[1], 0, 0, 0, 0};
    Pair P = cmd.P;
    if (c.method == '6') {
      const IkResult ik = ikine(rm.arm(), app->path.x0, app->path.y0, {0, 0});
      x[0] = ik.m[0];
      x[1] = ik.m[1];
      P = {app->path.x0, app->path.y0};
    }
    storestep(rm, cs, *want, 0, 0, P, x);
    double tau = 0;
    int nsub = 10;
    for (int i = 1; i <= 12; ++i) {
      if (i > 1) nsub = substeps(tau, rm.profile().ta, app->path.tf, app->set.dt);
      const double h = app->set.dt / nsub;
      tau = t;
      for (int k = 0; k < nsub; ++k) {
        x = rkgill(tau, h, x, 6, [&](int j, double tj, const SimState& y) {
          return calderiv(rm, cs, j, tj, y);
        });
        tau = tau + h;
      }
      t = t + app->set.dt;
      cmd = command(rm, cs, t);
      storestep(rm, cs, *want, i, t, cmd.P, x);
    }
    for (int i = 0; i <= 12; ++i) EXPECT_TRUE(samestep(*got, i, *want, i)) << name(c) << " step " << i;
  }
}

TEST(RunTest, MemoisedRunStoresExactlyThePlainNumbers) {
  for (Selection c : {Selection{'a', '1', 'L'}, Selection{'b', '3', 'C'}, Selection{'b', '4', 'S'},
                 Selection{'a', '6', 'S'}, Selection{'b', '6', 'C'}}) {
    auto app = defaultcase(c.type, c.method, c.contour);
    auto plain = run(*app, false);
    auto memo = run(*app, true);
    EXPECT_TRUE(samehistory(*plain, *memo)) << name(c);
  }
}

TEST(RunTest, HistoryOfOneRun) {
  auto app = defaultcase('b', '3', 'C');
  RunHistory& other = app->runs[typeindex(Robot::a)].hist;
  other.resize(300);
  other.force[17] = {123.0, 4.0};
  RunHistory& mine = app->history();
  mine.resize(400);  // an earlier, longer run
  mine.force[250] = {77.0, 0.0};
  ControlState cs;
  const RunReport rep = calcontrol(app->runmodel(), cs, mine);
  EXPECT_TRUE(rep.ok());
  EXPECT_EQ(rep.laststep, 200);
  EXPECT_EQ(mine.laststep(), 200);  // sized to this run
  EXPECT_EQ(mine.perierr[0], 0.0);
  for (int i = 0; i <= 200; ++i) {
    EXPECT_EQ(mine.forceerr[i] + app->set.Fn, mine.force[i][0]) << i;
    EXPECT_EQ(mine.force[i][1], 0.0);
    EXPECT_EQ(mine.poserr[i][0], mine.tippos[i][0] - mine.cmdpos[i][0]);
  }
  // The other robot's history is untouched.
  EXPECT_EQ(other.laststep(), 300);
  EXPECT_EQ(other.force[17][0], 123.0);
  EXPECT_EQ(other.force[100][0], 0.0);
  // The last step is at t = 8 s: the commanded point is back at the start
  // of the circle (the motion ended at 6 s).
  EXPECT_NEAR(mine.cmdpos[200][0], 0.65 + 0.005, 1e-9);
  EXPECT_NEAR(mine.cmdpos[200][1], 0.0, 1e-9);
}

TEST(RunTest, EveryDefaultCasePressesWithTheCommandedForceAndStaysOnTheContour) {
  for (const Selection& c : allcases()) {
    auto app = defaultcase(c.type, c.method, c.contour);
    RunReport rep;
    auto h = run(*app, true, &rep);
    EXPECT_TRUE(rep.ok()) << name(c);
    const double Fn = app->set.Fn;
    EXPECT_NEAR(h->force[200][0], Fn, 0.01 * Fn) << name(c);
    double t = 0;
    for (int i = 0; i <= 200; ++i) {
      if (t > 1.0) {
        EXPECT_NEAR(h->force[i][0], Fn, 0.1 * Fn) << name(c) << " t " << t;
      }
      t = t + app->set.dt;
      const Pair& p = h->tippos[i];
      if (c.contour == 'L') {
        EXPECT_NEAR(p[0], 0.3, 1e-9) << name(c) << " step " << i;
      } else if (c.contour == 'C') {
        EXPECT_NEAR(std::hypot(p[0] - 0.4, p[1]), 0.25, 1e-9) << name(c) << " step " << i;
      }
      EXPECT_NEAR(h->forceerr[i] + Fn, h->force[i][0], 1e-12);
      // The tip follows the command within a few centimetres all the way.
      EXPECT_LT(std::hypot(h->poserr[i][0], h->poserr[i][1]), 0.05) << name(c) << " step " << i;
    }
  }
}

TEST(RunTest, TheHistoryHoldsEveryStepOfALongerRun) {
  auto app = defaultcase('a', '1', 'L');
  app->set.nstep = 700;
  RunReport rep;
  auto h = run(*app, true, &rep);
  EXPECT_TRUE(rep.ok());
  EXPECT_EQ(rep.laststep, 700);
  EXPECT_EQ(h->laststep(), 700);
  EXPECT_NEAR(h->force[700][0], app->set.Fn, 0.01 * app->set.Fn);
}

TEST(RunTest, BlowUpStopsTheRunAndHoldsTheLastGoodStep) {
  // Unlimited motors and negative damping: the oscillation grows until the
  // state is meaningless.
  auto app = defaultcase('a', '1', 'L');
  app->model.of(Robot::a).T1max = app->model.of(Robot::a).T2max = 1e300;
  GainSet& g = app->gains.of(Robot::a);
  g.posgain1.Kv = -g.posgain1.Kv;
  g.posgain2.Kv = -g.posgain2.Kv;
  RunReport rep;
  auto h = run(*app, true, &rep);
  const Diagnostic* blowup = rep.find(DiagCode::diverged);
  ASSERT_TRUE(blowup);
  EXPECT_FALSE(rep.ok());
  EXPECT_LT(blowup->t, 8.0);
  EXPECT_GT(blowup->t, 0.0);
  // Step of the last good time and everything after it are the same and finite.
  const int good = static_cast<int>(std::lround(blowup->t / 0.04));
  for (int i = 0; i <= 200; ++i) {
    EXPECT_TRUE(std::isfinite(h->motorpos[i][0]) && std::isfinite(h->torque[i][1]) &&
                std::isfinite(h->perierr[i]) && std::isfinite(h->force[i][0]))
        << i;
    if (i > good) {
      EXPECT_TRUE(samestep(*h, i, *h, good)) << i;
    }
  }
}

TEST(RunTest, UnreachablePathIsReportedOnceAndTheRunCompletes) {
  auto app = defaultcase('b', '1', 'L');
  app->set.line = LineSpec{0.3, 0.0, 1.2, 0.0, 4.0};
  ScriptConsole con("");
  derive(*app, con);
  RunHistory& h = app->history();
  ControlState cs;
  const RunReport rep = calcontrol(app->runmodel(), cs, h);
  EXPECT_EQ(std::count_if(rep.diagnostics.begin(), rep.diagnostics.end(),
                          [](const Diagnostic& d) { return d.code == DiagCode::unreachable; }),
            1);
  const Diagnostic* out = rep.find(DiagCode::unreachable);
  ASSERT_TRUE(out);
  EXPECT_FALSE(rep.ok());
  EXPECT_GT(out->t, 0.5);
  EXPECT_LT(out->t, 4.0);
  EXPECT_GT(std::hypot(out->values[0], out->values[1]), 1.0);  // beyond the 1.0 m reach
  for (int i = 0; i <= 200; ++i)
    EXPECT_TRUE(std::isfinite(h.tippos[i][0]) && std::isfinite(h.torque[i][0])) << i;
}

TEST(RunTest, PeripheralErrorAccumulatesTheDifferenceOfStepLengths) {
  // perierr is the tip's travelled path length minus the command's, summed
  // step by step; the tip is where the motors and the hand deflection put it.
  auto app = defaultcase('b', '6', 'S');
  auto h = run(*app);
  const ArmGeometry arm = app->runmodel().arm();
  double tipway = 0, cmdway = 0;
  for (int i = 1; i <= 200; ++i) {
    tipway += std::hypot(h->tippos[i][0] - h->tippos[i - 1][0], h->tippos[i][1] - h->tippos[i - 1][1]);
    cmdway += std::hypot(h->cmdpos[i][0] - h->cmdpos[i - 1][0], h->cmdpos[i][1] - h->cmdpos[i - 1][1]);
    EXPECT_NEAR(h->perierr[i], tipway - cmdway, 1e-12) << i;
    EXPECT_EQ(h->tippos[i], realtip(arm, h->motorpos[i], h->tipdefl[i])) << i;
  }
  // The command has covered the whole sine: its chords add up to just under
  // the arc length.
  EXPECT_LE(cmdway, app->path.pathlen);
  EXPECT_GT(cmdway, 0.999 * app->path.pathlen);
}
