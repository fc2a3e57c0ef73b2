// The comparison picture: two time graphs with four overlaid curves each,
// a legend and the table of figures, on the same canvas as the window's
// pictures (window units -1 .. +1, y up).
#include "view/comparegraph.h"

#include <cmath>
#include <string>
#include <vector>

#include "console/meritreport.h"
#include "view/draw.h"
#include "engine/model/metrics.h"

namespace hs {

// Blue, dark green, orange and magenta: apart from each other and from the
// black axes and texts on white.
const std::array<Rgba, 4> COMPARECOLOURS{
    Rgba{0.0f, 0.0f, 1.0f, 0}, Rgba{0.0f, 0.6f, 0.0f, 0}, Rgba{1.0f, 0.5f, 0.0f, 0},
    Rgba{0.8f, 0.0f, 0.8f, 0}};

namespace {

constexpr double GRAPHX = -0.80;     // left end of the time axes [window units]
constexpr double GRAPHW = 1.70;      // length of the time axes [window units]
constexpr double CURVEPX = 2.0;      // curve width [px]

// Largest finite magnitude of one series over all rows from step `from` on
// (1 when there is none), so that the four curves share one scale.
double fullscale(const std::array<MethodRun, 4>& rows, std::vector<double> MethodRun::*series,
                 std::size_t from) {
  double big = 0;
  for (const MethodRun& r : rows)
    for (std::size_t i = from; i < (r.*series).size(); ++i)
      if (std::isfinite((r.*series)[i])) big = std::max(big, std::fabs((r.*series)[i]));
  return big > 0 ? big : 1.0;
}

// One graph: a value axis both ways of half-height `half` about the time
// axis at height y0, a tick each whole second, the full scale written at
// the top, and each row's series as a line (broken where it is not finite).
// The scale is that of the steps from `from` on; earlier values beyond it
// (the impact on the workpiece) are drawn at the edge.
void graph(Canvas& cv, const std::array<MethodRun, 4>& rows, std::vector<double> MethodRun::*series,
           std::size_t from, double y0, double half, const std::string& title, const char* unit) {
  const double scale = fullscale(rows, series, from);
  const double dt = rows[0].dt;
  const int last = static_cast<int>((rows[0].*series).size()) - 1;
  const double span = last > 0 ? last * dt : 1.0;  // [s]
  drawline(cv, {GRAPHX, y0}, {GRAPHX + GRAPHW, y0}, BLACK);
  drawline(cv, {GRAPHX, y0 - half}, {GRAPHX, y0 + half}, BLACK);
  for (int s = 1; s <= static_cast<int>(span + 1e-9); ++s) {
    const double x = GRAPHX + GRAPHW * s / span;
    drawline(cv, {x, y0}, {x, y0 + 0.02}, BLACK);
  }
  // The end of the commanded motion: where the path stops and the tip settles.
  const double xf = GRAPHX + GRAPHW * std::min(rows[0].tf, span) / span;
  drawline(cv, {xf, y0 - 0.04}, {xf, y0}, BLACK);
  cv.text(static_cast<float>(xf - 0.01), static_cast<float>(y0 - 0.08), Font::Helvetica12, "tf");
  cv.text(static_cast<float>(GRAPHX + GRAPHW - 0.03), static_cast<float>(y0 + 0.03),
          Font::Helvetica12, fmt("%g s", span));
  cv.text(static_cast<float>(GRAPHX - 0.15), static_cast<float>(y0 + half - 0.03),
          Font::Helvetica12, fmt("%+.3g", scale));
  cv.text(static_cast<float>(GRAPHX - 0.15), static_cast<float>(y0 - half), Font::Helvetica12,
          fmt("%+.3g", -scale));
  cv.text(static_cast<float>(GRAPHX + 0.03), static_cast<float>(y0 + half - 0.03),
          Font::Helvetica18, title + " [" + unit + "]");
  cv.linewidth(CURVEPX);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::vector<double>& v = rows[k].*series;
    std::vector<Pair> pts;
    for (std::size_t i = 0; i <= v.size(); ++i) {
      if (i < v.size() && std::isfinite(v[i])) {
        const double y = std::max(-1.0, std::min(1.0, v[i] / scale));
        pts.push_back({GRAPHX + GRAPHW * (i * dt) / span, y0 + half * y});
        continue;
      }
      if (pts.size() > 1) cv.shape(Shape::LineStrip, COMPARECOLOURS[k], pts);
      pts.clear();
    }
  }
  cv.linewidth(1.0);
}

// The legend: a short line of each row's colour and its method.
void legend(Canvas& cv, const std::array<MethodRun, 4>& rows) {
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const double x = -0.80 + 0.45 * k;
    drawwideline(cv, {x, 0.83}, {x + 0.12, 0.83}, 0.01, COMPARECOLOURS[k]);
    cv.text(static_cast<float>(x + 0.15), 0.815f, Font::Helvetica18,
            std::string("method ") + rows[k].method);
  }
}

// The table of figures: one column a figure, one line a method, the best
// value of each column marked with '*' (compared as shown), a failed run
// marked after its method.
void table(Canvas& cv, const std::array<MethodRun, 4>& rows) {
  const auto best = bestmarks(rows, "%.4g");
  const double x0 = -0.95, dx = 0.19, y0 = -0.66, dy = 0.065;
  cv.text(static_cast<float>(x0), static_cast<float>(y0), Font::Helvetica12, "method");
  for (std::size_t f = 0; f < FIGURES.size(); ++f)
    cv.text(static_cast<float>(x0 + dx * (f + 1)), static_cast<float>(y0), Font::Helvetica12,
            fmt("%s [%s]", FIGURES[f].name, FIGURES[f].unit));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const double y = y0 - dy * (k + 1);
    drawwideline(cv, {x0, y + 0.012}, {x0 + 0.06, y + 0.012}, 0.01, COMPARECOLOURS[k]);
    cv.text(static_cast<float>(x0 + 0.08), static_cast<float>(y), Font::Helvetica12,
            std::string(1, rows[k].method) + (rows[k].failed() ? "!" : ""));
    for (std::size_t f = 0; f < FIGURES.size(); ++f)
      cv.text(static_cast<float>(x0 + dx * (f + 1)), static_cast<float>(y), Font::Helvetica12,
              fmt("%.4g%s", rows[k].fig.*FIGURES[f].value, best[f][k] ? "*" : ""));
  }
  // The star's note, and the mark of a failed run when there is one.
  cv.text(static_cast<float>(x0), static_cast<float>(y0 - dy * 5.2), Font::Helvetica12,
          std::string("* best of the column (smallest magnitude); force figures over the settled steps "
                      "(t >= 1 s)") +
              (anyfailed(rows) ? "; ! failed run (unreachable or diverged)" : ""));
}

}  // namespace

void drawcompare(Canvas& cv, const SimSettings& s, const std::array<MethodRun, 4>& rows) {
  cv.clear();
  const char* robot = s.type == 'a' ? "(a) cylindrical coordinate robot" : "(b) SCARA robot";
  const char* contour = s.curve == 'L' ? "line" : s.curve == 'C' ? "circle" : "sine";
  cv.text(-0.95f, 0.93f, Font::Helvetica18,
          std::string("Hybrid control methods compared: ") + robot + ", " + contour);
  legend(cv, rows);
  // The force error is scaled to the settled steps, where the methods
  // differ; the contact impact of the first second would flatten them.
  const std::size_t settled =
      rows[0].dt > 0 ? static_cast<std::size_t>(std::ceil(SETTLETIME / rows[0].dt)) : 0;
  graph(cv, rows, &MethodRun::forceerr, settled, 0.42, 0.30,
        fmt("force error (scale of t >= %g s)", SETTLETIME), "N");
  graph(cv, rows, &MethodRun::perierr, 0, -0.25, 0.28, "peripheral error", "m");
  table(cv, rows);
  cv.present();
}

}  // namespace hs
