// Figures of merit of one run from its recorded history.
#include "engine/model/metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace hs {

namespace {

// Root mean square of n values given by their squares.
double rms(const std::vector<double>& squares) {
  if (squares.empty()) return 0;
  return std::sqrt(exactsum(squares.data(), static_cast<int>(squares.size())) /
                   static_cast<double>(squares.size()));
}

// Peak torque of one motor as a share of its limit.
double peakshare(double peak, double limit) {
  if (!(limit > 0)) return std::numeric_limits<double>::quiet_NaN();
  return peak / limit;
}

}  // namespace

double exactsum(const double* x, int n) {
  // A plain sum first: it carries an infinity or a missing number through.
  double plain = 0;
  for (int i = 0; i < n; ++i) plain += x[i];
  if (!std::isfinite(plain)) return plain;

  // Running sum kept exactly as non-overlapping partial sums, smallest first
  // (each addition split into its rounded sum and the rounding error).
  std::vector<double> part;
  for (int i = 0; i < n; ++i) {
    double v = x[i];
    std::size_t kept = 0;
    for (double p : part) {
      double a = v, b = p;
      if (std::fabs(a) < std::fabs(b)) std::swap(a, b);
      const double hi = a + b;
      const double lo = b - (hi - a);
      if (lo != 0) part[kept++] = lo;
      v = hi;
    }
    part.resize(kept);
    part.push_back(v);
  }
  if (part.empty()) return 0;

  // Add the partials from the largest down until one addition is inexact;
  // the sign of the next partial then settles a tie in the last rounding.
  std::size_t k = part.size() - 1;
  double hi = part[k], lo = 0;
  while (k > 0) {
    const double a = hi, b = part[--k];
    hi = a + b;
    lo = b - (hi - a);
    if (lo != 0) break;
  }
  if (k > 0 && ((lo < 0 && part[k - 1] < 0) || (lo > 0 && part[k - 1] > 0))) {
    const double twice = 2 * lo;
    const double up = hi + twice;
    if (up - hi == twice) hi = up;
  }
  return hi;
}

int settledfirst(double dt, int laststep) {
  const double k0 = dt > 0 ? std::ceil(SETTLETIME / dt) : 0.0;
  return k0 >= 0 && k0 <= laststep ? static_cast<int>(k0) : 0;
}

FiguresOfMerit figuresofmerit(const RunHistory& h, int laststep, double dt, double T1max,
                              double T2max) {
  FiguresOfMerit f;
  const int n = std::clamp(laststep, 0, h.laststep());
  f.last = n;
  f.first = settledfirst(dt, n);

  // Contact force and tip position over the settled steps.
  std::vector<double> fsq, esq;
  for (int i = f.first; i <= n; ++i) {
    const double fe = h.forceerr[i];
    const double ex = h.poserr[i][0], ey = h.poserr[i][1];
    const double e2 = ex * ex + ey * ey;
    fsq.push_back(fe * fe);
    esq.push_back(e2);
    f.fmax = std::max(f.fmax, std::fabs(fe));
    f.emax = std::max(f.emax, std::sqrt(e2));
  }
  f.frms = rms(fsq);
  f.erms = rms(esq);

  // Along-path error at the end and at its worst.
  f.pend = h.perierr[n];
  for (int i = 0; i <= n; ++i) f.pmax = std::max(f.pmax, std::fabs(h.perierr[i]));

  // Motor effort: peak torques over the settled steps (the impact at the
  // start stands at the limits in almost every run), and the share of the
  // steps after the start in which either motor stood at its limit.
  double peak1 = 0, peak2 = 0;
  for (int i = f.first; i <= n; ++i) {
    peak1 = std::max(peak1, std::fabs(h.torque[i][0]));
    peak2 = std::max(peak2, std::fabs(h.torque[i][1]));
  }
  f.t1peak = peakshare(peak1, T1max);
  f.t2peak = peakshare(peak2, T2max);
  const double sat1 = T1max * (1 - SATTOL), sat2 = T2max * (1 - SATTOL);
  int saturated = 0;
  for (int i = 1; i <= n; ++i)
    if (std::fabs(h.torque[i][0]) >= sat1 || std::fabs(h.torque[i][1]) >= sat2) ++saturated;
  f.tsat = n > 0 ? 100.0 * saturated / n : 0.0;
  return f;
}

FiguresOfMerit figuresofmerit(const RunHistory& h, const SimSettings& s, const RobotModel& m) {
  const RobotData& r = m.of(s.type);
  return figuresofmerit(h, h.clamp(laststepof(s.nstep)), s.dt, r.T1max, r.T2max);
}

const std::array<FigureInfo, 9> FIGURES{{
    {"frms", &FiguresOfMerit::frms, "N"},
    {"fmax", &FiguresOfMerit::fmax, "N"},
    {"erms", &FiguresOfMerit::erms, "m"},
    {"emax", &FiguresOfMerit::emax, "m"},
    {"pend", &FiguresOfMerit::pend, "m"},
    {"pmax", &FiguresOfMerit::pmax, "m"},
    {"t1peak", &FiguresOfMerit::t1peak, "-"},
    {"t2peak", &FiguresOfMerit::t2peak, "-"},
    {"tsat", &FiguresOfMerit::tsat, "%"},
}};

std::vector<std::array<bool, 9>> bestof(const std::vector<FiguresOfMerit>& figs,
                                        const std::vector<bool>& failed,
                                        const std::array<const char*, 9>& formats) {
  const std::size_t n = figs.size();
  std::vector<std::array<bool, 9>> best(n, std::array<bool, 9>{});
  for (std::size_t c = 0; c < FIGURES.size(); ++c) {
    // Each magnitude as the reader sees it: printed, and read back.
    std::vector<double> shown(n);
    double least = INFINITY;
    for (std::size_t i = 0; i < n; ++i) {
      char cell[64];
      std::snprintf(cell, sizeof cell, formats[c], figs[i].*FIGURES[c].value);
      shown[i] = std::fabs(std::strtod(cell, nullptr));
      if (!failed[i] && shown[i] < least) least = shown[i];
    }
    for (std::size_t i = 0; i < n; ++i) best[i][c] = !failed[i] && shown[i] == least;
  }
  return best;
}

}  // namespace hs
