// Contact of the compliant tip with the workpiece, and the drive model of the
// motors and reducers whose efficiency depends on the direction of power flow.
#include "engine/model/drive.h"

#include <cmath>

#include "engine/control/contour.h"
#include "engine/control/kinematics.h"

namespace hs {

namespace {

// Where the undeflected tip sits relative to the entered workpiece: the
// direction nu in which the hand presses into it and the penetration delta
// of the tip beyond the contour along nu (negative when short of it).
struct Penetration {
  double nu = 0, delta = 0;
};

Penetration penetration(const SimSettings& s, const ContourPath& path, const Pair& P) {
  Penetration pen;
  switch (s.curve) {
    case Contour::line:
      if (std::fabs(s.line.x0 - s.line.xf) < 1e-5) {
        // Vertical line: the workpiece lies on its +X side, whichever way it runs.
        pen.nu = 0;
        pen.delta = P[0] - s.line.x0;
      } else {
        pen.nu = path.lineang - PI / 2;
        const double yl = std::tan(path.lineang) * (P[0] - s.line.x0) + s.line.y0;
        pen.delta = std::cos(path.lineang) * (yl - P[1]);
      }
      break;
    case Contour::circle: {
      // Inside the circle: press towards the centre.
      const double dx = P[0] - s.circle.Ox, dy = P[1] - s.circle.Oy;
      pen.nu = std::atan2(dy, dx) - PI;
      pen.delta = s.circle.rr - std::sqrt(dx * dx + dy * dy);
      break;
    }
    case Contour::sine: {
      // Below the sine: press along the downward normal at the tip's abscissa.
      pen.nu = contourdirs(s, path, P).nu;
      const double ys =
          s.sine.A * std::sin(2.0 * PI * (P[0] - s.sine.x0) / s.sine.L) + s.sine.y0;
      pen.delta = std::sin(pen.nu) * (P[1] - ys);
      break;
    }
  }
  return pen;
}

// Motor-side change that corresponds to a hand deflection p (hand frame):
// u * H^-1 p. At a singular posture (SCARA stretched or folded, cylindrical
// robot at r = 0) the deflection cannot be mapped back to the joints; the
// offset is then taken as zero rather than infinite.
Pair motordeflection(const ArmGeometry& g, const Pair& q, const Pair& p) {
  double det = 0;
  const Mat2 H = handjacobian(g, q, &det);
  if (det == 0) return {0, 0};
  return {(H.a22 * p[0] - H.a12 * p[1]) / det * g.u1,
          (H.a11 * p[1] - H.a21 * p[0]) / det * g.u2};
}

}  // namespace

ContactOut calcontact(const SimSettings& s, const ContourPath& path, const Pair& m) {
  const ArmGeometry g = armgeometry(s);
  const Pair q{m[0] / g.u1, m[1] / g.u2};
  const Pair P = fkine(g, q);
  const Penetration pen = penetration(s, path, P);
  const double phi = normaloffset(g.type, q, pen.nu);

  // Series springs: the normal stiffness depends on how the normal lies
  // between the stiff and the soft hand axis. The contact holds in both
  // directions (no clamp): a tip short of the contour is pulled onto it.
  ContactOut c;
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double F = pen.delta * s.KH1 * s.KH2 / (s.KH1 * sp * sp + s.KH2 * cp * cp);
  c.force = {F, 0};
  // Each spring axis deflects under its own component of the normal force.
  const double gcross = (s.KH1 - s.KH2) * F / (s.KH1 * s.KH2) * cp * sp;
  c.p = {pen.delta * cp - gcross * sp, pen.delta * sp + gcross * cp};
  c.f = {s.KH1 * c.p[0], s.KH2 * c.p[1]};
  c.dm = motordeflection(g, q, c.p);
  return c;
}

Pair contactdeflection(const SimSettings& s, const ContourPath& path, const Pair& m,
                       double force) {
  const ArmGeometry g = armgeometry(s);
  const Pair q{m[0] / g.u1, m[1] / g.u2};
  const double nu = penetration(s, path, fkine(g, q)).nu;
  const double phi = normaloffset(g.type, q, nu);
  // The spring deflection is proportional to the force along a fixed normal.
  const Pair p = {force * std::cos(phi) / s.KH1, force * std::sin(phi) / s.KH2};
  return motordeflection(g, q, p);
}

// Stationary joints: below this motor speed [rad/s] the direction of power
// flow is decided by the accelerations the candidates would produce.
static bool stationary(double v) { return std::fabs(v) < 0.001; }

double caldrive1(int k, double v, double T, double F, double eta, double etab, double jm,
                 const Mat2& M) {
  const double Mkk = k == 0 ? M.a11 : M.a22;
  // Sign of the torque delivered into the reducer.
  const double Ps = T * Mkk + jm * F;
  // Motor drives the load (forward) or the load drives the motor (backward).
  const double af = (eta * T - F) / (eta * jm + Mkk);
  const double ab = (T - etab * F) / (etab * Mkk + jm);
  if (stationary(v)) {
    // Self-locking reducer: neither direction consistent means the joint is held.
    double a = 0;
    if (Ps * af > 0) a = af;
    if (Ps * ab < 0) a = ab;
    return a;
  }
  return Ps * v >= 0 ? af : ab;
}

DriveSolve solve2(double e1, double e2, const Pair& T, const Pair& F, const Mat2& M,
                  const DriveParams& d) {
  // e_k (T_k - jm_k a_k) = (M a)_k + F_k for both joints.
  const double c = e1 * d.jm1 + M.a11;
  const double dd = e2 * d.jm2 + M.a22;
  const double b1 = e1 * T[0] - F[0];
  const double b2 = e2 * T[1] - F[1];
  const double det = c * dd - M.a21 * M.a12;
  DriveSolve r;
  r.a[0] = (dd * b1 - b2 * M.a12) / det;
  r.a[1] = (c * b2 - b1 * M.a21) / det;
  r.P[0] = T[0] - d.jm1 * r.a[0];
  r.P[1] = T[1] - d.jm2 * r.a[1];
  return r;
}

Pair solve1(double e, double T, double jm, double Mkk, double F) {
  const double a = (e * T - F) / (e * jm + Mkk);
  return {a, T - jm * a};
}

namespace {

// One power-flow assumption of the SCARA drive: which reducers run forward.
struct Candidate {
  bool fwd1, fwd2;
};
constexpr Candidate CANDIDATES[4] = {{true, true}, {true, false}, {false, true}, {false, false}};

// Tries the four power-flow assumptions in order. For joint k the test
// quantity is its speed when moving[k], otherwise the candidate's own
// acceleration. The first consistent candidate gives the accelerations.
bool trycandidates(const Pair& w, const bool moving[2], const Pair& T, const Pair& F,
                   const Mat2& M, const DriveParams& d, Pair* a) {
  for (const Candidate& c : CANDIDATES) {
    const double e1 = c.fwd1 ? d.eta1 : 1.0 / d.etab1;
    const double e2 = c.fwd2 ? d.eta2 : 1.0 / d.etab2;
    const DriveSolve r = solve2(e1, e2, T, F, M, d);
    const double w1 = moving[0] ? w[0] : r.a[0];
    const double w2 = moving[1] ? w[1] : r.a[1];
    const bool ok1 = c.fwd1 ? r.P[0] * w1 > 0 : r.P[0] * w1 < 0;
    const bool ok2 = c.fwd2 ? r.P[1] * w2 > 0 : r.P[1] * w2 < 0;
    if (ok1 && ok2) {
      *a = r.a;
      return true;
    }
  }
  return false;
}

// One joint alone with the other held. With a moving joint the test uses its
// speed w; a stationary one (w == nullptr) tests its own acceleration.
double alone(double eta, double etab, double T, double jm, double Mkk, double F,
             const double* w) {
  const Pair f = solve1(eta, T, jm, Mkk, F);
  const Pair b = solve1(1.0 / etab, T, jm, Mkk, F);
  if (f[1] * (w ? *w : f[0]) > 0) return f[0];
  if (b[1] * (w ? *w : b[0]) < 0) return b[0];
  return 0;
}

}  // namespace

Pair caldrive2(const Pair& w, const Pair& T, const Pair& F, const Mat2& M,
               const DriveParams& d) {
  const bool still1 = stationary(w[0]), still2 = stationary(w[1]);
  const bool move1 = std::fabs(w[0]) > 0.001, move2 = std::fabs(w[1]) > 0.001;
  enum { Both, Joint1, Joint2, Neither } motion = Both;
  if (move1 && still2) motion = Joint1;
  else if (still1 && move2) motion = Joint2;
  else if (still1 && still2) motion = Neither;
  // (A speed exactly at the threshold counts with the moving joints.)

  Pair a{0, 0};
  if (motion == Both) {
    const bool moving[2] = {true, true};
    if (trycandidates(w, moving, T, F, M, d, &a)) return a;
    motion = Joint1;  // nothing consistent: treat joint 2 as stationary
  }
  if (motion == Joint1) {
    const bool moving[2] = {true, false};
    if (trycandidates(w, moving, T, F, M, d, &a)) return a;
    // Joint 2 held; joint 1 alone, tested against its own speed.
    return {alone(d.eta1, d.etab1, T[0], d.jm1, M.a11, F[0], &w[0]), 0};
  }
  if (motion == Joint2) {
    const bool moving[2] = {false, true};
    if (trycandidates(w, moving, T, F, M, d, &a)) return a;
    return {0, alone(d.eta2, d.etab2, T[1], d.jm2, M.a22, F[1], &w[1])};
  }
  const bool moving[2] = {false, false};
  if (trycandidates(w, moving, T, F, M, d, &a)) return a;
  // Joint 2 held and joint 1 alone; if joint 1 stays too, joint 2 alone.
  const double a1 = alone(d.eta1, d.etab1, T[0], d.jm1, M.a11, F[0], nullptr);
  if (a1 != 0) return {a1, 0};
  return {0, alone(d.eta2, d.etab2, T[1], d.jm2, M.a22, F[1], nullptr)};
}

}  // namespace hs
