// Time-history graphs: tip position with the peripheral error, contact force
// with the force error, motor torques against their limits.
#include "view/graphs.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "view/draw.h"

namespace hs {

namespace {

// Line widths [window units]: command and error curves, axes, measured curves.
constexpr double THIN = 0.004;
constexpr double AXIS = 0.006;
constexpr double THICK = 0.008;

// One curve segment; a segment with a non-finite end (a run that blew up)
// is left out rather than handed to the rasteriser.
void segment(Canvas& cv, double xa, double ya, double xb, double yb, double width,
             const Rgba& colour) {
  if (!std::isfinite(ya) || !std::isfinite(yb)) return;
  drawwideline(cv, {xa, ya}, {xb, yb}, width, colour);
}

// Value shown at full scale: the nominal one, or, when that is zero or not a
// number (no force commanded, a motor without torque), the largest magnitude
// that occurs, or 1 when everything is zero. Keeps every coordinate finite.
double fullscale(double nominal, double largest) {
  if (nominal != 0 && std::isfinite(nominal)) return nominal;
  if (largest > 0 && std::isfinite(largest)) return largest;
  return 1.0;
}

// A text placed relative to a graph's origin.
struct Label {
  double dx, dy;
  Font font;
  const char* text;
};
void labels(Canvas& cv, const Pair& O, std::initializer_list<Label> list) {
  for (const Label& l : list)
    cv.text(static_cast<float>(O[0] + l.dx), static_cast<float>(O[1] + l.dy), l.font, l.text);
}

// Axes of one graph of the panel (the run's time span) with its labels.
void graphframe(Canvas& cv, const Run& run, const DisplayState& d, int mode, const Pair& O,
                double height, std::initializer_list<Label> list) {
  const Model& m = *run.model;
  drawtimeaxes(cv, mode, O, m.set.dt, m.set.nstep, d.graphwidth, height, m.path.tf);
  labels(cv, O, list);
}

}  // namespace

void drawtimeaxes(Canvas& cv, int mode, const Pair& O, double dt, int nstep, double width,
                  double height, double tf) {
  drawwideline(cv, O, {O[0] + width, O[1]}, AXIS, RED);
  // One tick per whole second; a run of nstep steps fills the width.
  const int sps = dt > 0 ? static_cast<int>(1.0 / dt) : 0;
  const double d = nstep > 0 ? width * sps / nstep : 0.0;
  // The small allowance keeps a whole number of ticks from losing the last
  // one to rounding (e.g. 0.5 / 0.05).
  const int c = d > 0 ? static_cast<int>(width / d + 1e-9) : 0;
  for (int i = 1; i <= c; ++i)
    drawline(cv, {O[0] + i * d, O[1]}, {O[0] + i * d, O[1] + 0.02}, RED);
  // Run length in whole seconds at the last tick, its digits ending just
  // left of the "s".
  const double xl = c > 0 ? O[0] + c * d : O[0] + width;
  const std::string secs = std::to_string(c);
  cv.text(static_cast<float>(xl - 0.02 * secs.size()), static_cast<float>(O[1] + 0.01),
          Font::Helvetica18, secs);
  cv.text(static_cast<float>(xl), static_cast<float>(O[1] + 0.01), Font::Helvetica18, "s");
  if (mode == 0)
    drawwideline(cv, O, {O[0], O[1] + height}, AXIS, RED);
  else
    drawwideline(cv, {O[0], O[1] - height}, {O[0], O[1] + height}, AXIS, RED);
  // Where the commanded motion ends.
  const double runtime = dt * nstep;
  if (runtime > 0) {
    const double xm = O[0] + width * tf / runtime;
    if (std::isfinite(xm)) drawline(cv, {xm, O[1]}, {xm, O[1] + height}, BLUE);
  }
}

Pair posrange(const RunHistory& h, int nstep) {
  double mx = -1000, mn = 1000;
  const int n = std::min(nstep, h.laststep() + 1);
  for (int i = 0; i < n; ++i) {
    for (double v : {h.tippos[i][0], h.cmdpos[i][0], h.tippos[i][1], h.cmdpos[i][1]}) {
      if (v > mx) mx = v;
      if (v < mn) mn = v;
    }
  }
  return {mx, mn};
}

void drawposgraph(Canvas& cv, const Run& run, const DisplayState& d, int frame) {
  const SimSettings& st = run.model->set;
  const RunHistory& h = run.hist;
  const double x0 = d.posgraph[0], y0 = d.posgraph[1];
  const double height = d.posheight;
  graphframe(cv, run, d, 0, d.posgraph, height + 0.05,
             {{0.05, -0.05, Font::Helvetica18, "Position X(red),Y(black)"},
              {0.1, 0.15, Font::Helvetica12, "yellow:10*peripheral positon error"},
              {-0.1, height - 0.05, Font::Helvetica18, "X,Y[m]"}});
  // The whole range of the run fills the height above the axis. A range of
  // zero width (nothing moved) is shown on a 1 m scale, centred.
  const Pair r = posrange(h, st.nstep);
  double mn = r[1];
  double k = height / (r[0] - r[1]);
  if (!(r[0] - r[1] > 1e-12) || !std::isfinite(k)) {
    k = height;
    mn = (r[0] <= r[1]) ? 0.5 * (r[0] + r[1]) - 0.5 : -0.5;
    if (!std::isfinite(mn)) mn = -0.5;
  }
  const double s = d.graphwidth / std::max(st.nstep, 1);
  const auto Y = [&](double v) { return y0 + (v - mn) * k; };
  const auto E = [&](int i) { return k * d.grapherrmag * h.perierr[i]; };
  const double lo = -0.3 * height, hi = height;  // peripheral error window
  const int last = h.clamp(frame);
  double xp = x0, ep = E(0);
  for (int i = 1; i <= last; ++i) {
    const double x = x0 + i * s;
    const Pair& c0 = h.cmdpos[i - 1];
    const Pair& c1 = h.cmdpos[i];
    const Pair& t0 = h.tippos[i - 1];
    const Pair& t1 = h.tippos[i];
    segment(cv, xp, Y(c0[0]), x, Y(c1[0]), THIN, BLUE);
    segment(cv, xp, Y(t0[0]), x, Y(t1[0]), THICK, RED);
    segment(cv, xp, Y(c0[1]), x, Y(c1[1]), THIN, BLUE);
    segment(cv, xp, Y(t0[1]), x, Y(t1[1]), THICK, BLACK);
    const double e = E(i);
    if (ep > lo && ep < hi && e > lo && e < hi) segment(cv, xp, y0 + ep, x, y0 + e, THIN, YELLOW);
    xp = x;
    ep = e;
  }
}

void drawforcegraph(Canvas& cv, const Run& run, const DisplayState& d, int frame) {
  const SimSettings& st = run.model->set;
  const RunHistory& h = run.hist;
  const double x0 = d.forcegraph[0], y0 = d.forcegraph[1];
  const double half = d.graphhalf;
  graphframe(cv, run, d, 0, d.forcegraph, half + 0.05,
             {{0.1, -0.05, Font::Helvetica18, "Contact force"},
              {0.1, 0.1, Font::Helvetica12, "yellow:5*force error"},
              {-0.05, -0.02, Font::Helvetica18, "0"},
              {-0.1, half - 0.05, Font::Helvetica18, "Fn[N]"}});
  const int last = h.clamp(frame);
  // The commanded force is full scale, on the blue line.
  double largest = 0;
  if (!(st.Fn != 0 && std::isfinite(st.Fn)))
    for (int i = 0; i <= h.laststep(); ++i)
      largest = std::max(largest, std::fabs(h.force[i][0]));
  // Scaled as a fraction of full scale so that a force equal to Fn lands
  // exactly on the blue line.
  const double fs = fullscale(st.Fn, largest);
  const auto Y = [&](double v) { return y0 + half * (v / fs); };
  const double ycmd = fs == st.Fn ? y0 + half : Y(st.Fn);
  drawline(cv, {x0, ycmd}, {x0 + d.graphwidth, ycmd}, BLUE);
  const double s = d.graphwidth / std::max(st.nstep, 1);
  double xp = x0;
  for (int i = 1; i <= last; ++i) {
    const double x = x0 + i * s;
    segment(cv, xp, Y(h.force[i - 1][0]), x, Y(h.force[i][0]), THICK, RED);
    segment(cv, xp, Y(5 * h.forceerr[i - 1]), x, Y(5 * h.forceerr[i]), THIN, YELLOW);
    xp = x;
  }
}

void drawtorquegraph(Canvas& cv, const Run& run, const DisplayState& d, int frame) {
  const SimSettings& st = run.model->set;
  const RunHistory& h = run.hist;
  const RobotData& r = run.model->robots.of(st.type);
  const double x0 = d.torquegraph[0], y0 = d.torquegraph[1];
  const double half = d.graphhalf, w = d.graphwidth;
  graphframe(cv, run, d, 1, d.torquegraph, half + 0.05,
             {{0.1, -0.05, Font::Helvetica18, "Motor torque"},
              {-0.05, -0.02, Font::Helvetica18, "0"},
              {-0.1, half - 0.05, Font::Helvetica18, "T[Nm]"}});
  // Both torques on the scale of motor 1, its limit at full scale.
  double largest = 0;
  if (!(r.T1max != 0 && std::isfinite(r.T1max))) {
    largest = std::isfinite(r.T2max) ? std::fabs(r.T2max) : 0;
    for (int i = 0; i <= h.laststep(); ++i)
      largest = std::max({largest, std::fabs(h.torque[i][0]), std::fabs(h.torque[i][1])});
  }
  // As a fraction of the limit, so a torque held at T1max lies exactly on
  // the upper red line and still counts as inside.
  const double fs = fullscale(r.T1max, largest);
  const auto Y = [&](double v) { return y0 + half * (v / fs); };
  drawline(cv, {x0, y0 + half}, {x0 + w, y0 + half}, RED);
  cv.text(static_cast<float>(x0), static_cast<float>(y0 + half + 0.01), Font::Helvetica12,
          "T1max");
  drawline(cv, {x0, y0 - half}, {x0 + w, y0 - half}, RED);
  const double y2 = Y(r.T2max);
  if (std::isfinite(y2)) {
    drawline(cv, {x0, y2}, {x0 + w, y2}, BLACK);
    cv.text(static_cast<float>(x0), static_cast<float>(y2 + 0.01), Font::Helvetica12, "T2max");
    drawline(cv, {x0, Y(-r.T2max)}, {x0 + w, Y(-r.T2max)}, BLACK);
  }
  // A segment is drawn only while both its ends are within the limits.
  const double lo = y0 - half, hi = y0 + half;
  const auto inside = [&](double y) { return y >= lo && y <= hi; };
  const double s = w / std::max(st.nstep, 1);
  const int last = h.clamp(frame);
  double xp = x0;
  for (int i = 1; i <= last; ++i) {
    const double x = x0 + i * s;
    for (int j = 0; j < 2; ++j) {
      const double ya = Y(h.torque[i - 1][j]), yb = Y(h.torque[i][j]);
      if (inside(ya) && inside(yb)) segment(cv, xp, ya, x, yb, THICK, j == 0 ? RED : BLACK);
    }
    xp = x;
  }
}

}  // namespace hs
