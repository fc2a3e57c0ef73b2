#include "engine/model/drive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/control/contour.h"
#include "engine/control/kinematics.h"
#include "enginecase.h"

using namespace hs;

namespace {

// Settings with robot a and a horizontal line from (0.1, 0.3) to (0.6, 0.3).
struct LineContact {
  SimSettings s;
  ContourPath path;
  LineContact(double kh1, double kh2) {
    s.type = Robot::a;
    s.u1_a = s.u2_a = 100;
    s.l = 0.7;
    s.l1 = 0.5;
    s.l2 = 0.3;
    s.wp = 0.2;
    s.curve = Contour::line;
    s.line = LineSpec{0.1, 0.3, 0.6, 0.3, 4.0};
    s.KH1 = kh1;
    s.KH2 = kh2;
    setpath(s, path);
  }
};

Mat2 diag(double m11, double m22) {
  Mat2 M;
  M.a11 = m11;
  M.a22 = m22;
  return M;
}

// A SCARA-like mass matrix with coupling.
Mat2 coupled() {
  Mat2 M;
  M.a11 = 4e-5;
  M.a12 = M.a21 = 1e-5;
  M.a22 = 2e-5;
  return M;
}

}  // namespace

// ---- contact model ----------------------------------------------------------

TEST(ContactTest, LineExamplePressesNineNewtonsAndTipLiesOnTheLine) {
  LineContact c(500, 2000);
  const Pair m{100 * 0.7, 100 * 0.45};
  const ContactOut out = calcontact(c.s, c.path, m);
  // Undeflected tip at 0.45 (cos 0.7, sin 0.7) = (0.3442, 0.2899), below the line.
  EXPECT_NEAR(out.force[0], 9.0, 0.05);
  EXPECT_EQ(out.force[1], 0.0);
  const Pair tip = realtip(armgeometry(c.s), m, out.p);
  EXPECT_NEAR(tip[0], 0.35083, 5e-6);
  EXPECT_NEAR(tip[1], 0.3, 1e-12);
  // Hand-frame force = spring constants times deflections.
  EXPECT_DOUBLE_EQ(out.f[0], 500 * out.p[0]);
  EXPECT_DOUBLE_EQ(out.f[1], 2000 * out.p[1]);
}

TEST(ContactTest, PenetrationOfTheLineExample) {
  // With equal springs F = K delta, so delta = F / K.
  LineContact c(1000, 1000);
  const ContactOut out = calcontact(c.s, c.path, {70, 45});
  EXPECT_NEAR(out.force[0] / 1000, 0.0101, 5e-5);
}

TEST(ContactTest, RealTipStaysOnAnyLineForEitherSignOfPenetration) {
  for (double ang : {0.0, 0.4, 1.2, 2.5, -0.7}) {
    LineContact c(500, 2000);
    c.s.line = LineSpec{0.2, 0.1, 0.2 + std::cos(ang), 0.1 + std::sin(ang), 4.0};
    setpath(c.s, c.path);
    for (Robot type : {Robot::a, Robot::b}) {
      c.s.type = type;
      c.s.u1_b = c.s.u2_b = 100;
      const ArmGeometry g = armgeometry(c.s);
      for (double q1 : {0.3, 0.9, 1.6}) {
        for (double q2 : {0.35, 0.6, 1.3}) {
          const Pair m{100 * q1, 100 * q2};
          const ContactOut out = calcontact(c.s, c.path, m);
          const Pair tip = realtip(g, m, out.p);
          // Signed distance of the real tip from the entered line.
          const double d = (tip[0] - 0.2) * std::sin(ang) - (tip[1] - 0.1) * std::cos(ang);
          EXPECT_NEAR(d, 0.0, 1e-12) << keyof(type) << " ang " << ang << " q " << q1 << "," << q2;
        }
      }
    }
  }
}

TEST(ContactTest, TipExactlyOnTheContourGivesNothing) {
  LineContact c(500, 2000);
  c.s.line = LineSpec{0.3, 0.0, 0.3, 0.3, 4.0};  // vertical: delta = P.x - 0.3
  setpath(c.s, c.path);
  const ContactOut out = calcontact(c.s, c.path, {0, 30});
  EXPECT_EQ(out.force[0], 0.0);
  EXPECT_EQ(out.p[0], 0.0);
  EXPECT_EQ(out.p[1], 0.0);
  EXPECT_EQ(out.f[0], 0.0);
  EXPECT_EQ(out.dm[0], 0.0);
  EXPECT_EQ(out.dm[1], 0.0);
}

TEST(ContactTest, VerticalLinePressesInPlusXWhicheverWayItRuns) {
  for (double y0 : {0.0, 0.3}) {
    LineContact c(500, 500);
    c.s.line = LineSpec{0.3, y0, 0.3, 0.3 - y0, 4.0};
    setpath(c.s, c.path);
    // Robot a at theta1 = 0, r = 0.31: 1 cm beyond the line in +X.
    const ContactOut out = calcontact(c.s, c.path, {0, 31});
    EXPECT_NEAR(out.force[0], 500 * 0.01, 1e-9);
    EXPECT_NEAR(out.p[0], 0.01, 1e-12);  // along the hand, which points in +X
    EXPECT_NEAR(out.p[1], 0.0, 1e-15);
    // Short of the line: a pulling force.
    EXPECT_LT(calcontact(c.s, c.path, {0, 29}).force[0], 0.0);
  }
}

TEST(ContactTest, EqualSpringsGiveForceKDeltaAlongTheNormal) {
  LineContact c(800, 800);
  const ContactOut out = calcontact(c.s, c.path, {70, 45});
  const ArmGeometry g = armgeometry(c.s);
  const Pair P = fkine(g, {0.7, 0.45});
  const double delta = 0.3 - P[1];  // horizontal line: penetration is straight up
  EXPECT_NEAR(out.force[0], 800 * delta, 1e-12);
  // Press direction nu = -pi/2 (the workpiece lies to the right of +X travel),
  // phi = nu - 0.7.
  const double phi = -PI / 2 - 0.7;
  EXPECT_NEAR(out.p[0], delta * std::cos(phi), 1e-14);
  EXPECT_NEAR(out.p[1], delta * std::sin(phi), 1e-14);
}

TEST(ContactTest, MotorDeflectionMapsBackToTheHandDeflection) {
  LineContact c(500, 2000);
  for (Robot type : {Robot::a, Robot::b}) {
    c.s.type = type;
    c.s.u1_b = 80;
    c.s.u2_b = 120;
    const ArmGeometry g = armgeometry(c.s);
    const Pair q{0.8, 0.9};
    const Pair m{g.u1 * q[0], g.u2 * q[1]};
    const ContactOut out = calcontact(c.s, c.path, m);
    double det = 0;
    const Mat2 H = handjacobian(g, q, &det);
    const Pair dq{out.dm[0] / g.u1, out.dm[1] / g.u2};
    EXPECT_NEAR(H.a11 * dq[0] + H.a12 * dq[1], out.p[0], 1e-14) << keyof(type);
    EXPECT_NEAR(H.a21 * dq[0] + H.a22 * dq[1], out.p[1], 1e-14) << keyof(type);
    // The deflection for a given force is proportional to it.
    const Pair dm = contactdeflection(c.s, c.path, m, out.force[0]);
    EXPECT_NEAR(dm[0], out.dm[0], 1e-12);
    EXPECT_NEAR(dm[1], out.dm[1], 1e-12);
  }
}

TEST(ContactTest, SingularPostureGivesFiniteZeroMotorDeflection) {
  LineContact c(500, 2000);
  // Robot a with the tip on the base axis (r = 0): det H = 0.
  const ContactOut a = calcontact(c.s, c.path, {0, 0});
  EXPECT_TRUE(std::isfinite(a.force[0]));
  EXPECT_EQ(a.dm[0], 0.0);
  EXPECT_EQ(a.dm[1], 0.0);
  // SCARA stretched (theta2 = 0).
  c.s.type = Robot::b;
  c.s.u1_b = c.s.u2_b = 100;
  const ContactOut b = calcontact(c.s, c.path, {50, 0});
  EXPECT_TRUE(std::isfinite(b.dm[0]));
  EXPECT_TRUE(std::isfinite(b.dm[1]));
}

TEST(ContactTest, CircleAndSinePressIntoTheWorkpiece) {
  auto app = defaultcase('a', '1', 'C');
  // Robot a at theta1 = 0: tip at (r, 0); circle centre (0.4, 0), radius 0.25.
  const ContactOut in = calcontact(app->set, app->path, {0, 100 * 0.64});
  EXPECT_NEAR(in.force[0], 500 * 0.01, 1e-9);  // 1 cm inside the rim
  const ContactOut out = calcontact(app->set, app->path, {0, 100 * 0.66});
  EXPECT_NEAR(out.force[0], -500 * 0.01, 1e-9);
  app->set.curve = Contour::sine;
  setpath(app->set, app->path);
  // Sine y = 0.2 sin(2 pi (x - 0.2) / 0.6) + 0.3 at its crest x = 0.35: y = 0.5.
  // The workpiece lies below the curve: 1 cm below the crest presses,
  // 1 cm above it pulls.
  for (double y : {0.49, 0.51}) {
    const double r = std::hypot(0.35, y), th = std::atan2(y, 0.35);
    const ContactOut c = calcontact(app->set, app->path, {100 * th, 100 * r});
    EXPECT_NEAR(c.force[0], y < 0.5 ? 5.0 : -5.0, 1e-6);
  }
}

// ---- drive model ------------------------------------------------------------

TEST(DriveTest, SingleSolveSatisfiesItsEquation) {
  const double e = 0.6, T = 0.5, jm = 2e-5, Mkk = 3e-5, F = 0.1;
  const Pair r = solve1(e, T, jm, Mkk, F);
  EXPECT_NEAR(e * (T - jm * r[0]), Mkk * r[0] + F, 1e-15);
  EXPECT_DOUBLE_EQ(r[1], T - jm * r[0]);
}

TEST(DriveTest, CoupledSolveSatisfiesBothEquations) {
  Mat2 M;
  M.a11 = 4e-5;
  M.a12 = 1.5e-5;
  M.a21 = 1.5e-5;
  M.a22 = 2e-5;
  const DriveParams d{0.6, 0.33, 0.7, 0.57, 1e-5, 2e-5};
  const Pair T{0.4, -0.2}, F{0.05, 0.1};
  for (double e1 : {0.6, 1 / 0.33}) {
    for (double e2 : {0.7, 1 / 0.57}) {
      const DriveSolve r = solve2(e1, e2, T, F, M, d);
      EXPECT_NEAR(e1 * (T[0] - d.jm1 * r.a[0]), M.a11 * r.a[0] + M.a12 * r.a[1] + F[0], 1e-14);
      EXPECT_NEAR(e2 * (T[1] - d.jm2 * r.a[1]), M.a21 * r.a[0] + M.a22 * r.a[1] + F[1], 1e-14);
      EXPECT_DOUBLE_EQ(r.P[0], T[0] - d.jm1 * r.a[0]);
      EXPECT_DOUBLE_EQ(r.P[1], T[1] - d.jm2 * r.a[1]);
    }
  }
}

TEST(DriveTest, RobotAtRestWithoutTorqueOrLoadStaysAtRest) {
  const Mat2 M = diag(3e-5, 2e-5);
  EXPECT_EQ(caldrive1(0, 0, 0, 0, 0.6, 0.33, 1e-5, M), 0.0);
  EXPECT_EQ(caldrive1(1, 0, 0, 0, 0.6, 0.33, 1e-5, M), 0.0);
  const DriveParams d{0.6, 0.33, 0.6, 0.33, 1e-5, 1e-5};
  const Pair a = caldrive2({0, 0}, {0, 0}, {0, 0}, M, d);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(a[1], 0.0);
}

TEST(DriveTest, LoadBackDrivesAStationaryJointWithPositiveBackwardEfficiency) {
  const Mat2 M = diag(3e-5, 2e-5);
  const double etab = 0.3334, jm = 1e-5, F = 0.02;
  const double a = caldrive1(0, 0, 0, F, 0.6, etab, jm, M);
  EXPECT_DOUBLE_EQ(a, -etab * F / (etab * 3e-5 + jm));
  EXPECT_LT(a, 0.0);  // the load pushes the motor backwards
}

TEST(DriveTest, SelfLockingReducerHoldsTheStationaryJoint) {
  // Forward efficiency 0.45 at u = 100 gives a negative backward efficiency.
  const Mat2 M = diag(3e-5, 2e-5);
  const double etab = -0.222, jm = 1e-5;
  ASSERT_GT(jm + etab * 3e-5, 0.0);
  EXPECT_EQ(caldrive1(0, 0, 0, 0.02, 0.45, etab, jm, M), 0.0);
  EXPECT_EQ(caldrive1(0, 0, 0, -0.02, 0.45, etab, jm, M), 0.0);
}

TEST(DriveTest, MovingJointPicksTheDirectionOfPowerFlow) {
  const Mat2 M = diag(3e-5, 2e-5);
  const double eta = 0.6, etab = 0.33, jm = 1e-5, T = 0.1, F = 0.05;
  const double af = (eta * T - F) / (eta * jm + 3e-5);
  const double ab = (T - etab * F) / (etab * 3e-5 + jm);
  // Motor torque and speed agree: the motor drives.
  EXPECT_DOUBLE_EQ(caldrive1(0, 5.0, T, F, eta, etab, jm, M), af);
  // Speed against the delivered torque: the load drives.
  EXPECT_DOUBLE_EQ(caldrive1(0, -5.0, T, F, eta, etab, jm, M), ab);
  // With nothing delivered into the reducer both formulas give T / jm.
  const double F0 = -T * 3e-5 / jm;
  EXPECT_NEAR(caldrive1(0, 5.0, T, F0, eta, etab, jm, M), T / jm, 1e-9 * T / jm);
  EXPECT_NEAR(caldrive1(0, -5.0, T, F0, eta, etab, jm, M), T / jm, 1e-9 * T / jm);
}

TEST(DriveTest, StationaryJointHeldWhenMotorAndLoadAreBothTooWeak) {
  // The motor cannot overcome the load through the forward efficiency
  // (eta T < F), and the load cannot back-drive the motor (etab F < T):
  // the friction of the reducer holds the joint.
  const Mat2 M = diag(3e-5, 2e-5);
  const double eta = 0.6, etab = 0.33, jm = 1e-5;
  const double T = 0.1, F = 0.08;
  EXPECT_EQ(caldrive1(0, 0.0, T, F, eta, etab, jm, M), 0.0);
  // A stronger motor moves it forward.
  const double T2 = 0.2;
  EXPECT_DOUBLE_EQ(caldrive1(0, 0.0, T2, F, eta, etab, jm, M),
                   (eta * T2 - F) / (eta * jm + 3e-5));
}

TEST(DriveTest, DecoupledScaraJointsBehaveLikeSingleJoints) {
  // With a diagonal mass matrix and positive backward efficiencies the
  // coupled solve decides each joint as the single-joint model does.
  const Mat2 M = diag(3e-5, 2e-5);
  const DriveParams d{0.6, 0.33, 0.7, 0.57, 1e-5, 2e-5};
  const Pair Ts[] = {{0.1, 0.2}, {0.1, -0.2}, {-0.3, 0.05}};
  const Pair Fs[] = {{0.05, 0.02}, {-0.2, 0.1}};
  const Pair ws[] = {{3.0, 4.0}, {3.0, -4.0}, {-2.0, 1.0}};
  for (const Pair& T : Ts)
    for (const Pair& F : Fs)
      for (const Pair& w : ws) {
        const Pair a = caldrive2(w, T, F, M, d);
        const double a1 = caldrive1(0, w[0], T[0], F[0], d.eta1, d.etab1, d.jm1, M);
        const double a2 = caldrive1(1, w[1], T[1], F[1], d.eta2, d.etab2, d.jm2, M);
        EXPECT_NEAR(a[0], a1, 1e-12 * std::fabs(a1));
        EXPECT_NEAR(a[1], a2, 1e-12 * std::fabs(a2));
      }
}

TEST(DriveTest, ScaraForwardCandidateComesFirst) {
  const Mat2 M = coupled();
  const DriveParams d{0.6, 0.33, 0.6, 0.33, 1e-5, 1e-5};
  // Both motors driving in the direction they turn.
  const Pair T{0.3, 0.2}, F{0.0, 0.0}, w{5.0, 5.0};
  const DriveSolve c1 = solve2(0.6, 0.6, T, F, M, d);
  ASSERT_GT(c1.P[0] * w[0], 0.0);
  ASSERT_GT(c1.P[1] * w[1], 0.0);
  const Pair a = caldrive2(w, T, F, M, d);
  EXPECT_EQ(a[0], c1.a[0]);
  EXPECT_EQ(a[1], c1.a[1]);
}

TEST(DriveTest, ScaraBackDrivenSecondJoint) {
  const Mat2 M = coupled();
  const DriveParams d{0.6, 0.33, 0.6, 0.33, 1e-5, 1e-5};
  // Joint 2 turns against its motor torque: (forward, backward) is the first
  // consistent candidate.
  const Pair T{0.3, 0.2}, F{0.0, 0.0}, w{5.0, -5.0};
  const DriveSolve c2 = solve2(0.6, 1 / 0.33, T, F, M, d);
  const Pair a = caldrive2(w, T, F, M, d);
  EXPECT_EQ(a[0], c2.a[0]);
  EXPECT_EQ(a[1], c2.a[1]);
}

TEST(DriveTest, ScaraHeldJointWhenNoCandidateFits) {
  // Joint 1 moving, joint 2 at rest, no torques and no loads: nothing is
  // consistent, joint 2 is held and joint 1 alone does not accelerate.
  const Mat2 M = coupled();
  const DriveParams d{0.6, 0.33, 0.6, 0.33, 1e-5, 1e-5};
  const Pair a = caldrive2({5.0, 0.0}, {0, 0}, {0, 0}, M, d);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(a[1], 0.0);
  // With a self-locking reducer 2 (negative backward efficiency) and a load
  // on joint 2 only, joint 1 keeps its single-joint solution.
  const DriveParams lock{0.6, 0.33, 0.45, -0.222, 1e-5, 1e-5};
  const Pair b = caldrive2({5.0, 0.0}, {0.1, 0}, {0, 0}, M, lock);
  EXPECT_TRUE(std::isfinite(b[0]));
  EXPECT_TRUE(std::isfinite(b[1]));
}

TEST(DriveTest, ScaraSpeedExactlyAtTheThresholdCountsAsMoving) {
  // Joint 1 creeping backwards against its motor, joint 2 at rest. Just
  // below the threshold joint 1 counts as stationary and the first
  // candidate (both forward) fits its own accelerations. At exactly 0.001
  // it counts as moving: no candidate fits, joint 2 is held and joint 1 is
  // back-driven alone.
  const Mat2 M = coupled();
  const DriveParams d{0.6, 0.33, 0.6, 0.33, 1e-5, 1e-5};
  const Pair T{0.3, 0.2}, F{0, 0};
  const DriveSolve c1 = solve2(0.6, 0.6, T, F, M, d);
  const Pair slow = caldrive2({-0.00099, 0.0}, T, F, M, d);
  EXPECT_EQ(slow[0], c1.a[0]);
  EXPECT_EQ(slow[1], c1.a[1]);
  const Pair edge = caldrive2({-0.001, 0.0}, T, F, M, d);
  EXPECT_EQ(edge[0], solve1(1 / 0.33, T[0], d.jm1, M.a11, F[0])[0]);
  EXPECT_EQ(edge[1], 0.0);
  // The same speed forwards: the forward candidate fits the moving joint.
  const Pair fwd = caldrive2({0.001, 0.0}, T, F, M, d);
  EXPECT_EQ(fwd[0], c1.a[0]);
  EXPECT_EQ(fwd[1], c1.a[1]);
}

namespace {

// The SCARA drive rules written out case by case, for comparison.
struct Rules {
  const Mat2& M;
  const DriveParams& d;
  Pair T, F;
  // First consistent candidate; speed[k] says whether joint k is tested
  // against its speed w[k] (moving) or the candidate's acceleration.
  bool candidates(const Pair& w, bool speed1, bool speed2, Pair* a) const {
    const double f[4][2] = {{d.eta1, d.eta2}, {d.eta1, 1 / d.etab2}, {1 / d.etab1, d.eta2},
                            {1 / d.etab1, 1 / d.etab2}};
    for (int c = 0; c < 4; ++c) {
      const DriveSolve r = solve2(f[c][0], f[c][1], T, F, M, d);
      const double x1 = speed1 ? w[0] : r.a[0], x2 = speed2 ? w[1] : r.a[1];
      const bool fwd1 = c < 2, fwd2 = c % 2 == 0;
      if ((fwd1 ? r.P[0] * x1 > 0 : r.P[0] * x1 < 0) && (fwd2 ? r.P[1] * x2 > 0 : r.P[1] * x2 < 0)) {
        *a = r.a;
        return true;
      }
    }
    return false;
  }
  // Joint k alone; w null: tested against its own acceleration.
  double alone(int k, const double* w) const {
    const double eta = k ? d.eta2 : d.eta1, etab = k ? d.etab2 : d.etab1;
    const double jm = k ? d.jm2 : d.jm1, Mkk = k ? M.a22 : M.a11;
    const Pair f = solve1(eta, T[k], jm, Mkk, F[k]), b = solve1(1 / etab, T[k], jm, Mkk, F[k]);
    if (f[1] * (w ? *w : f[0]) > 0) return f[0];
    if (b[1] * (w ? *w : b[0]) < 0) return b[0];
    return 0;
  }
  Pair solve(const Pair& w) const {
    const double v1 = std::fabs(w[0]), v2 = std::fabs(w[1]);
    Pair a{0, 0};
    int c = 4;
    if ((v1 > 0.001 && v2 > 0.001) || v1 == 0.001 || v2 == 0.001) c = 1;
    else if (v1 > 0.001) c = 2;
    else if (v2 > 0.001) c = 3;
    if (c == 1) {
      if (candidates(w, true, true, &a)) return a;
      c = 2;
    }
    if (c == 2) return candidates(w, true, false, &a) ? a : Pair{alone(0, &w[0]), 0};
    if (c == 3) return candidates(w, false, true, &a) ? a : Pair{0, alone(1, &w[1])};
    if (candidates(w, false, false, &a)) return a;
    const double a1 = alone(0, nullptr);
    if (a1 != 0) return {a1, 0};
    return {0, alone(1, nullptr)};
  }
};

}  // namespace

TEST(DriveTest, ScaraFollowsTheCandidateRulesForAnyMotion) {
  // Random torques, loads, couplings and reducers (self-locking ones too),
  // with speeds on both sides of the stationary threshold and exactly on it.
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> u(-1, 1);
  const double speeds[] = {0, 0.001, -0.001, 0.0009, -0.0005, 0.0011, 2.0, -2.0};
  const double etas[] = {0.45, 0.5, 0.6, 0.7, 0.9};
  int mismatches = 0;
  for (int it = 0; it < 20000; ++it) {
    const double eta1 = etas[it % 5], eta2 = etas[(it / 5) % 5];
    const DriveParams d{eta1, backwardefficiency(100, eta1), eta2, backwardefficiency(100, eta2),
                        1e-5 * (1 + 0.5 * u(rng)), 1e-5 * (1 + 0.5 * u(rng))};
    Mat2 M;
    M.a11 = 4e-5 * (1 + 0.5 * u(rng));
    M.a22 = 2e-5 * (1 + 0.5 * u(rng));
    M.a12 = M.a21 = it % 3 == 0 ? 0.0 : 1e-5 * u(rng);
    auto pick = [&](double scale) { return rng() % 4 == 0 ? 0.0 : scale * u(rng); };
    const Rules rules{M, d, {pick(0.8), pick(0.8)}, {pick(0.4), pick(0.4)}};
    const Pair w{rng() % 2 ? speeds[rng() % 8] : 3 * u(rng), rng() % 2 ? speeds[rng() % 8] : 3 * u(rng)};
    const Pair got = caldrive2(w, rules.T, rules.F, M, d);
    const Pair want = rules.solve(w);
    if (got != want && ++mismatches <= 5)
      ADD_FAILURE() << "w=(" << w[0] << ", " << w[1] << ") T=(" << rules.T[0] << ", " << rules.T[1]
                    << ") F=(" << rules.F[0] << ", " << rules.F[1] << "): got (" << got[0] << ", "
                    << got[1] << "), rules give (" << want[0] << ", " << want[1] << ")";
  }
  EXPECT_EQ(mismatches, 0);
}
