// Workpiece contours and the path the hand follows along them.
//
// The entered contour is where the workpiece really is (the contact model and
// tip measurements use it); the commanded contour is the same shape shifted by
// the setting error in +X, which is where the controller of methods 1, 3, 4
// believes the workpiece to be. Arc positions run from 0 at the path start.
#include "engine/control/contour.h"

#include <cmath>

namespace hs {

namespace {

// Slope amplitude k = 2 pi A / L and wave number w = 2 pi / L of the sine
// contour. A zero wavelength (never accepted as input) is taken as a flat
// contour so that nothing downstream turns into NaN.
struct SineWave {
  double k, w;
};
SineWave sinewave(const SineSpec& sine) {
  if (sine.L == 0.0) return {0.0, 0.0};
  return {2.0 * PI * sine.A / sine.L, 2.0 * PI / sine.L};
}

// Phase 2 pi (x - x0) / L of the sine at the abscissa offset dx from its start.
double sinephase(const SineSpec& sine, double dx) {
  return sine.L != 0.0 ? 2.0 * PI * dx / sine.L : 0.0;
}

// Slope dy/dx = (2 pi / L) A cos(phase) of the sine.
double sineslope(const SineSpec& sine, double phase) {
  return sine.L != 0.0 ? (2.0 * PI / sine.L) * sine.A * std::cos(phase) : 0.0;
}

// Polar angle along a circle of radius rr for arc position arc (0 for a
// degenerate circle).
double circleangle(double arc, double rr) { return rr != 0.0 ? arc / rr : 0.0; }

}  // namespace

void setsineend(SineSpec& sn) {
  sn.xf = sn.x0 + sn.L;
  sn.yf = sn.y0;
}

Pair circlestart(const CircleSpec& c) { return {c.Ox + c.rr, c.Oy}; }

// Path preparation: start, end and time of the selected contour, the line's
// direction, and the commanded copies displaced by the setting error.
void setpath(SimSettings& s, ContourPath& p) {
  switch (s.curve) {
    case Contour::line: {
      const LineSpec& ln = s.line;
      p.tf = ln.tf;
      p.x0 = ln.x0;
      p.y0 = ln.y0;
      p.xf = ln.xf;
      p.yf = ln.yf;
      p.lineang = std::atan2(p.yf - p.y0, p.xf - p.x0);
      p.cmdline0 = {ln.x0 + s.seterror, ln.y0};
      const Pair cmdend{ln.xf + s.seterror, ln.yf};
      p.cmdlineang = std::atan2(cmdend[1] - p.cmdline0[1], cmdend[0] - p.cmdline0[0]);
      break;
    }
    case Contour::circle: {
      const CircleSpec& c = s.circle;
      p.tf = c.tf;
      const Pair start = circlestart(c);
      p.x0 = start[0];
      p.y0 = start[1];
      p.xf = p.x0;
      p.yf = p.y0;
      p.cmdcentre = {c.Ox + s.seterror, c.Oy};
      break;
    }
    case Contour::sine: {
      SineSpec& sn = s.sine;
      p.tf = sn.tf;
      p.x0 = sn.x0;
      p.y0 = sn.y0;
      setsineend(sn);
      p.xf = sn.xf;
      p.yf = sn.yf;
      p.cmdsine0 = {sn.x0 + s.seterror, sn.y0};
      break;
    }
  }
}

// Path length and speed profile of the current robot. Methods 1, 3, 4 use a
// symmetric trapezoid (10 % of the time accelerating, 10 % decelerating) whose
// area over [0, tf] is the path length; method 6 runs at constant speed and
// leaves the trapezoid data as they were.
void settrajectory(const SimSettings& s, ContourPath& p) {
  switch (s.curve) {
    case Contour::line: {
      const double dx = s.line.xf - s.line.x0, dy = s.line.yf - s.line.y0;
      p.pathlen = std::sqrt(dx * dx + dy * dy);
      p.lineang = std::atan2(dy, dx);
      break;
    }
    case Contour::circle:
      p.pathlen = 2.0 * PI * s.circle.rr;
      break;
    case Contour::sine:
      p.pathlen = sinearclen(s.sine, 200, s.sine.L);
      break;
  }
  SpeedProfile& pr = p.profile(s.type);
  if (s.hybrid != Method::hybrid6) {
    pr.ta = pr.td = 0.1 * p.tf;
    const double span = pr.ta * (p.tf - pr.ta);
    pr.acc = span != 0.0 ? p.pathlen / span : 0.0;  // no motion time: no profile
    pr.dec = pr.acc;
    pr.vmax = pr.acc * pr.ta;
  } else {
    pr.vmax = p.tf != 0.0 ? p.pathlen / p.tf : 0.0;
  }
}

// Trapezoidal time law: arc position (pathpos) and path speed (pathvel).
// The phase boundaries carry a small tolerance so that output steps landing
// on ta or tf - td are assigned consistently.
namespace {
constexpr double PHASETOL = 1e-5;  // [s]

struct ArcState {
  double s, sdot;
};

ArcState timelaw(const ContourPath& p, Robot type, double t) {
  const SpeedProfile& pr = p.profile(type);
  if (t <= pr.ta + PHASETOL) return {0.5 * pr.acc * t * t, pr.acc * t};
  if (t < p.tf - pr.td - PHASETOL)
    return {0.5 * pr.acc * pr.ta * pr.ta + (t - pr.ta) * pr.vmax, pr.vmax};
  if (t <= p.tf + PHASETOL) {
    const double rest = p.tf - t;
    return {p.pathlen - 0.5 * pr.dec * rest * rest, rest * pr.dec};
  }
  return {p.pathlen, 0.0};
}
}  // namespace

double pathpos(const ContourPath& p, Robot type, double t) { return timelaw(p, type, t).s; }
double pathvel(const ContourPath& p, Robot type, double t) { return timelaw(p, type, t).sdot; }

// Method 6: constant speed, stopping at the path end.
double pathpos6(const ContourPath& p, Robot type, double t) {
  const double s = p.profile(type).vmax * t;
  return s > p.pathlen ? p.pathlen : s;
}

// Point at arc position `arc` on the entered contour.
Pair pathpoint(const SimSettings& s, const ContourPath& p, double arc) {
  switch (s.curve) {
    case Contour::line:
      return {s.line.x0 + arc * std::cos(p.lineang), s.line.y0 + arc * std::sin(p.lineang)};
    case Contour::circle: {
      const double phi = circleangle(arc, s.circle.rr);
      return {s.circle.Ox + s.circle.rr * std::cos(phi), s.circle.Oy + s.circle.rr * std::sin(phi)};
    }
    case Contour::sine: {
      const double x = sinexofs(s.sine, 200, arc);
      return {x, s.sine.A * std::sin(sinephase(s.sine, x - s.sine.x0)) + s.sine.y0};
    }
    default:
      return {p.x0, p.y0};
  }
}

// Point and velocity (path speed arcdot along the tangent) on the commanded
// contour.
PathPoint cmdpoint(const SimSettings& s, const ContourPath& p, double arc, double arcdot) {
  PathPoint r;
  switch (s.curve) {
    case Contour::line: {
      const double c = std::cos(p.cmdlineang), n = std::sin(p.cmdlineang);
      r.x = p.cmdline0[0] + arc * c;
      r.y = p.cmdline0[1] + arc * n;
      r.vx = arcdot * c;
      r.vy = arcdot * n;
      break;
    }
    case Contour::circle: {
      const double phi = circleangle(arc, s.circle.rr);
      r.x = p.cmdcentre[0] + s.circle.rr * std::cos(phi);
      r.y = p.cmdcentre[1] + s.circle.rr * std::sin(phi);
      r.vx = -arcdot * std::sin(phi);
      r.vy = arcdot * std::cos(phi);
      break;
    }
    case Contour::sine: {
      // Abscissa advance of the unshifted sine, added to the commanded start.
      r.x = p.cmdsine0[0] + (sinexofs(s.sine, 200, arc) - s.sine.x0);
      const double phi = sinephase(s.sine, r.x - p.cmdsine0[0]);
      r.y = s.sine.A * std::sin(phi) + p.cmdsine0[1];
      const double slope = sineslope(s.sine, phi);
      r.vx = arcdot / std::sqrt(1.0 + slope * slope);
      r.vy = slope * r.vx;
      break;
    }
    default:
      r.x = p.x0;
      r.y = p.y0;
      break;
  }
  return r;
}

// Arc position of point P on the entered contour. On the circle atan2 gives
// -pi*rr < s <= pi*rr; when that jumps by more than 1 m from the previous
// value the point has passed half a revolution and one circumference (with
// the stored 2 pi) is added. The threshold is absolute, so circles of at most
// 1 m circumference never get the correction.
double arcpos(const SimSettings& s, const ContourPath& p, const Pair& P, double sprev) {
  switch (s.curve) {
    case Contour::line:
      return std::hypot(P[0] - p.x0, P[1] - p.y0);
    case Contour::circle: {
      double arc = s.circle.rr * std::atan2(P[1] - s.circle.Oy, P[0] - s.circle.Ox);
      if (std::fabs(sprev - arc) > 1.0) arc += s.circle.rr * PI2;
      return arc;
    }
    case Contour::sine:
      return sinearclen(s.sine, 100, P[0] - p.x0);
    default:
      return 0.0;
  }
}

// Press direction at P on the commanded contour: right of the travel
// direction for the line and the sine, towards the centre for the circle.
double pressangle(const SimSettings& s, const ContourPath& p, const Pair& P) {
  switch (s.curve) {
    case Contour::line:
      return p.cmdlineang - PI / 2.0;
    case Contour::circle:
      return std::atan2(P[1] - p.cmdcentre[1], P[0] - p.cmdcentre[0]) - PI;
    case Contour::sine: {
      return std::atan(sineslope(s.sine, sinephase(s.sine, P[0] - p.cmdsine0[0]))) - PI / 2.0;
    }
    default:
      return 0.0;
  }
}

// Press and tangent directions at P on the entered contour.
ContourDirs contourdirs(const SimSettings& s, const ContourPath& p, const Pair& P) {
  ContourDirs d;
  switch (s.curve) {
    case Contour::line:
      d.tau = p.lineang;
      d.nu = p.lineang - PI / 2.0;
      break;
    case Contour::circle: {
      const double beta = std::atan2(P[1] - s.circle.Oy, P[0] - s.circle.Ox);
      d.nu = beta + PI;
      d.tau = beta + PI / 2.0;
      break;
    }
    case Contour::sine: {
      d.tau = std::atan(sineslope(s.sine, sinephase(s.sine, P[0] - s.sine.x0)));
      d.nu = d.tau - PI / 2.0;
      break;
    }
  }
  return d;
}

// Angle from the hand direction to the press direction, brought once into
// about (-pi, pi].
double normaloffset(Robot type, const Pair& q, double nu) {
  const double psi = type == Robot::a ? q[0] : q[0] + q[1];
  double d = nu - psi;
  if (d > PI) d -= 2.0 * PI;
  if (d < -PI) d += 2.0 * PI;
  return d;
}

// Arc length of the sine over the abscissa span X: composite Simpson rule on
// sqrt(1 + k^2 cos^2(w x)) with n intervals (n/2 double panels).
double sinearclen(const SineSpec& sine, int n, double X) {
  if (n < 2) return 0.0;
  const SineWave sw = sinewave(sine);
  auto f = [&](double x) {
    const double c = std::cos(sw.w * x);
    return std::sqrt(1.0 + sw.k * sw.k * c * c);
  };
  const double h = X / n;
  double sum = 0.0;
  for (int i = 0; i < n / 2; ++i) {
    const double x = 2.0 * i * h;
    sum += f(x) + 4.0 * f(x + h) + f(x + 2.0 * h);
  }
  return h * sum / 3.0;
}

// Inverse of the arc length: integrates dx/ds = 1/sqrt(1 + k^2 cos^2(w x))
// from x = 0 by n Heun steps of size arc/n; returns the abscissa sine.x0 + x.
double sinexofs(const SineSpec& sine, int n, double arc) {
  if (n < 1) return sine.x0;
  const SineWave sw = sinewave(sine);
  auto g = [&](double x) {
    const double c = std::cos(sw.w * x);
    return 1.0 / std::sqrt(1.0 + sw.k * sw.k * c * c);
  };
  const double h = arc / n;
  double x = 0.0;
  for (int i = 0; i < n; ++i) {
    const double k1 = h * g(x);
    x += (k1 + h * g(x + k1)) / 2.0;
  }
  return sine.x0 + x;
}

}  // namespace hs
