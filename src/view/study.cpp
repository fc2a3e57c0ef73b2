// The study view drawn on the canvas: laid out in pixels of the 800 x 800
// picture (origin top left, y down) and handed to the canvas in window
// units, with every text placed by the bitmap fonts' advances so that no
// two texts meet.
#include "view/study.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "engine/model/metrics.h"
#include "engine/settingfields.h"
#include "view/pixels.h"

namespace hs {

namespace {

// printf into a string.
std::string strf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string strf(const char* format, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  return buf;
}

// ---- Pixels to the canvas ----

Pair win(double x, double y) { return {x / 400.0 - 1.0, 1.0 - y / 400.0}; }

// Width [px] of a text in a font.
double textwidth(Font f, const std::string& s) {
  double w = 0;
  for (unsigned char ch : s) w += advance(f, ch);
  return w;
}

// A text whose first glyph starts in column x and whose baseline is row y.
void text(Canvas& cv, double x, double y, Font f, const std::string& s) {
  const Pair w = win(std::floor(x) + 0.5, 0);
  cv.text(static_cast<float>(w[0]), static_cast<float>((PICTUREPX - 1 - std::floor(y) + 0.5) / 400.0 - 1.0),
          f, s);
}

// s cut (with "...") to at most `width` px.
std::string fitted(Font f, const std::string& s, double width) {
  if (textwidth(f, s) <= width) return s;
  std::string t = s;
  while (!t.empty() && textwidth(f, t + "...") > width) t.pop_back();
  return t + "...";
}

void line(Canvas& cv, double x0, double y0, double x1, double y1, const Rgba& c, double px = 1) {
  cv.linewidth(px);
  cv.shape(Shape::Lines, c, {win(x0, y0), win(x1, y1)});
}

void box(Canvas& cv, double x0, double y0, double x1, double y1, const Rgba& c) {
  cv.shape(Shape::Polygon, c, {win(x0, y0), win(x1, y0), win(x1, y1), win(x0, y1)});
}

constexpr Rgba GRID{0.86f, 0.86f, 0.86f, 0};
constexpr Rgba FRAME{0.45f, 0.45f, 0.45f, 0};
constexpr Rgba SETTLING{0.94f, 0.94f, 0.94f, 0};
constexpr Rgba BESTCELL{1.0f, 0.93f, 0.55f, 0};
constexpr double CURVEPX = 2.0;  // trace width [px]

// A polyline [px] drawn with a dash pattern (empty: solid) of `width`.
void dashed(Canvas& cv, const std::vector<Pair>& pts, const Rgba& c, const std::vector<double>& dash,
            double width) {
  if (pts.size() < 2) return;
  cv.linewidth(width);
  std::vector<Pair> w;
  if (dash.empty()) {
    for (const Pair& p : pts) w.push_back(win(p[0], p[1]));
    cv.shape(Shape::LineStrip, c, w);
    return;
  }
  std::size_t phase = 0;
  double left = dash[0];  // [px] left of the current dash or gap
  for (std::size_t i = 1; i < pts.size(); ++i) {
    Pair a = pts[i - 1];
    const Pair b = pts[i];
    double len = std::hypot(b[0] - a[0], b[1] - a[1]);
    while (len > 0) {
      const double step = std::min(len, left);
      const Pair e{a[0] + (b[0] - a[0]) * step / len, a[1] + (b[1] - a[1]) * step / len};
      if (phase % 2 == 0) {
        w.push_back(win(a[0], a[1]));
        w.push_back(win(e[0], e[1]));
      }
      len -= step;
      left -= step;
      a = e;
      if (left <= 1e-9) {
        phase = (phase + 1) % dash.size();
        left = dash[phase];
      }
    }
  }
  if (!w.empty()) cv.shape(Shape::Lines, c, w);
}

// The part of the segment a-b inside the rectangle (Liang-Barsky); false
// when none of it is.
bool clipped(Pair& a, Pair& b, double x0, double y0, double x1, double y1) {
  double t0 = 0, t1 = 1;
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a[0] - x0, x1 - a[0], a[1] - y0, y1 - a[1]};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const Pair a0 = a;
  a = {a0[0] + t0 * dx, a0[1] + t0 * dy};
  b = {a0[0] + t1 * dx, a0[1] + t1 * dy};
  return true;
}

// ---- What the runs are ----

const Case& caseof(const StudyRun& r) { return r.run->model->source; }

const char* robotname(Robot r) { return r == Robot::a ? "robot a (cylindrical)" : "robot b (SCARA)"; }
const char* contourname(Contour c) {
  return c == Contour::line ? "line" : c == Contour::circle ? "circle" : "sine";
}

// Whether a setting of the table matters to a case: the drive data of its
// robot, the record of its contour and everything else but the servo
// targets (named by the method's own fn1 .. alpha2).
bool matters(const std::string& name, const Case& c) {
  const auto starts = [&](const char* p) { return name.rfind(p, 0) == 0; };
  if (starts("gainspec")) return false;
  if (starts("line.")) return c.set.curve == Contour::line;
  if (starts("circle.")) return c.set.curve == Contour::circle;
  if (starts("sine.")) return c.set.curve == Contour::sine;
  const bool a = name == "l" || (name.size() > 2 && name.compare(name.size() - 2, 2, "_a") == 0);
  const bool b = name == "l1" || name == "l2" || (name.size() > 2 && name.compare(name.size() - 2, 2, "_b") == 0);
  if (a) return c.set.type == Robot::a;
  if (b) return c.set.type == Robot::b;
  return true;
}

// One quantity a case is told by: its name, its unit and its value in a case.
struct Quantity {
  std::string name, unit;
  std::function<bool(const Case&, double*)> value;  // false: not a quantity of that case
};

// The settings a label or the caption can name, in the order shown: the
// servo targets of each run's method, then the table.
std::vector<Quantity> quantities() {
  std::vector<Quantity> q;
  for (const ServoName& s : servonames()) {
      const std::string name = s.name;
      q.push_back({name, s.unit, [name](const Case& c, double* v) { return getnamed(c, name, v); }});
    }
  for (const SettingField& f : settingfields()) {
    const std::string name = f.name;
    q.push_back({name, f.unit, [name](const Case& c, double* v) {
                   return matters(name, c) && getnamed(c, name, v);
                 }});
  }
  return q;
}

// "KH1 = 1000 N/m", the value with `digits` significant digits.
std::string valuetext(const Quantity& q, double v, int digits) {
  std::string t = q.name + " = " + strf("%.*g", digits, v);
  if (q.unit != "-") t += " " + q.unit;
  return t;
}

bool samemethod(const std::vector<StudyRun>& runs) {
  for (const StudyRun& r : runs)
    if (caseof(r).set.hybrid != caseof(runs[0]).set.hybrid) return false;
  return true;
}

// Each run's differing values of a quantity (none when all are equal),
// printed with as many digits as tell the values apart.
std::vector<std::string> differing(const std::vector<StudyRun>& runs, const Quantity& q) {
  std::vector<double> v(runs.size());
  std::vector<bool> has(runs.size());
  bool differs = false;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    has[i] = q.value(caseof(runs[i]), &v[i]);
    if (i > 0 && (has[i] != has[0] || (has[i] && v[i] != v[0]))) differs = true;
  }
  if (!differs) return {};
  for (int digits = 4; digits <= 17; ++digits) {
    std::vector<std::string> t(runs.size());
    bool apart = true;
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (has[i]) t[i] = valuetext(q, v[i], digits);
      for (std::size_t j = 0; j < i; ++j)
        if (has[i] && has[j] && v[i] != v[j] && t[i] == t[j]) apart = false;
    }
    if (apart || digits == 17) return t;
  }
  return {};
}

}  // namespace

Rgba studycolour(std::size_t k) {
  static const std::array<Rgba, STUDYMAX> colours{
      Rgba{0.0f, 0.0f, 1.0f, 0},   Rgba{0.0f, 0.6f, 0.0f, 0},   Rgba{1.0f, 0.5f, 0.0f, 0},
      Rgba{0.8f, 0.0f, 0.8f, 0},   Rgba{0.85f, 0.0f, 0.0f, 0},  Rgba{0.0f, 0.65f, 0.75f, 0},
      Rgba{0.55f, 0.35f, 0.1f, 0}, Rgba{0.35f, 0.35f, 0.35f, 0}};
  return colours[k % STUDYMAX];
}

std::vector<double> studydash(std::size_t k) {
  switch (k % 4) {
    case 1: return {10, 4};
    case 2: return {3, 3};
    case 3: return {10, 3, 3, 3};
    default: return {};
  }
}

std::vector<std::string> studylabels(const std::vector<StudyRun>& runs) {
  std::vector<std::string> labels(runs.size());
  if (runs.empty()) return labels;
  // The case file's name where the names differ, the selections, then the
  // settings that differ.
  const auto add = [&](std::size_t i, const std::string& part) {
    if (!part.empty()) labels[i] += (labels[i].empty() ? "" : ", ") + part;
  };
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Case& c = caseof(runs[i]);
    const auto differs = [&](auto of) {
      for (const StudyRun& o : runs)
        if (of(o) != of(runs[i])) return true;
      return false;
    };
    if (differs([](const StudyRun& o) { return o.name; })) add(i, runs[i].name);
    if (differs([](const StudyRun& o) { return caseof(o).set.type; }))
      add(i, std::string("robot ") + keyof(c.set.type));
    if (differs([](const StudyRun& o) { return caseof(o).set.hybrid; }))
      add(i, std::string("method ") + keyof(c.set.hybrid));
    if (differs([](const StudyRun& o) { return caseof(o).set.curve; })) add(i, contourname(c.set.curve));
  }
  for (const Quantity& q : quantities()) {
    const std::vector<std::string> t = differing(runs, q);
    for (std::size_t i = 0; i < t.size(); ++i) add(i, t[i]);
  }
  // Where that does not tell a run apart: its number.
  const auto apart = [&](std::size_t i) {
    if (labels[i].empty()) return false;
    for (std::size_t j = 0; j < runs.size(); ++j)
      if (j != i && labels[j] == labels[i]) return false;
    return true;
  };
  std::vector<bool> told(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) told[i] = apart(i);
  for (std::size_t i = 0; i < runs.size(); ++i)
    if (!told[i]) labels[i] = strf("run %zu", i + 1) + (labels[i].empty() ? "" : ": " + labels[i]);
  for (std::size_t i = 0; i < runs.size(); ++i)
    if (!runs[i].label.empty()) labels[i] = runs[i].label;
  return labels;
}

std::string studycaption(const std::vector<StudyRun>& runs) {
  if (runs.empty()) return "";
  const Case& c0 = caseof(runs[0]);
  bool robot = true, contour = true;
  for (const StudyRun& r : runs) {
    robot = robot && caseof(r).set.type == c0.set.type;
    contour = contour && caseof(r).set.curve == c0.set.curve;
  }
  const bool method = samemethod(runs);
  std::string t;
  const auto add = [&](const std::string& part) { t += (t.empty() ? "" : ", ") + part; };
  if (robot) add(robotname(c0.set.type));
  if (method) add(std::string("method ") + keyof(c0.set.hybrid));
  if (contour) add(contourname(c0.set.curve));
  // The settings a lab changes most, where they are equal in all runs.
  static const char* const SHOWN[] = {"Fn", "KH1", "KH2", "mw", "seterror", "fn1", "alpha1",
                                      "fn2", "alpha2", "line.tf", "circle.tf", "sine.tf"};
  std::string settings;
  for (const Quantity& q : quantities()) {
    if (std::find(std::begin(SHOWN), std::end(SHOWN), q.name) == std::end(SHOWN)) continue;
    double v = 0;
    if (!q.value(c0, &v) || !differing(runs, q).empty()) continue;
    settings += (settings.empty() ? "" : ", ") + valuetext(q, v, 6);
  }
  if (!settings.empty()) t += (t.empty() ? "" : "; ") + settings;
  return t;
}

namespace {

// ---- The graphs ----

// One graph: what it shows of a run at an output step, and how it is scaled.
struct Graph {
  std::string title;  // with its unit
  std::function<double(const Run&, std::size_t)> value;
  bool settledscale;  // scaled to the settled steps (the first second's impact clipped)
  // Reference lines of a run ([value] and whether drawn both ways, +-).
  std::function<double(const Run&)> reference;
  bool both = false;
};

// Range of a graph over all runs, widened to whole ticks, and the tick step.
struct Axis {
  double lo = -1, hi = 1, step = 0.5;
};

double nicestep(double raw) {
  const double e = std::pow(10.0, std::floor(std::log10(raw)));
  const double m = raw / e;
  return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * e;
}

Axis axisof(double lo, double hi, int ticks) {
  Axis a;
  if (!(lo <= hi)) return a;
  if (hi - lo <= 1e-12 * std::max({std::fabs(lo), std::fabs(hi), 1e-300})) {
    const double pad = lo == 0 ? 1 : std::fabs(lo) * 0.1;
    lo -= pad;
    hi += pad;
  }
  a.step = nicestep((hi - lo) / std::max(1, ticks));
  a.lo = std::floor(lo / a.step + 1e-9) * a.step;
  a.hi = std::ceil(hi / a.step - 1e-9) * a.step;
  if (a.hi <= a.lo) a.hi = a.lo + a.step;
  return a;
}

std::string ticktext(double v, double step) {
  if (std::fabs(v) < step * 1e-6) v = 0;
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  if (decimals > 6 || std::fabs(v) >= 1e6) return strf("%.3g", v);
  return strf("%.*f", decimals, v);
}

// Whether a picture `width` px wide gives its figures a column a run.
bool narrow(double width) { return width < 600; }

// Texts in one row placed left to right without meeting: each at its wanted
// column or right of the one before; dropped when it would leave the row.
void placerow(Canvas& cv, std::vector<std::pair<double, std::string>> items, double y, double right,
              Font f) {
  std::sort(items.begin(), items.end());
  double free = 0;
  for (const auto& [x, s] : items) {
    const double at = std::max(x, free);
    const double w = textwidth(f, s);
    if (at + w > right) continue;
    text(cv, at, y, f, s);
    free = at + w + 8;
  }
}

struct Layout {
  double left = 74, right = 790;  // plot area columns [px]
  double span = 1;                // time across it [s]
  double x(double t) const { return left + (right - left) * t / span; }
};

// Whether all runs give the same value of f.
bool alike(const std::vector<StudyRun>& runs, const std::function<double(const Run&)>& f) {
  for (const StudyRun& r : runs)
    if (f(*r.run) != f(*runs[0].run)) return false;
  return true;
}

void drawgraph(Canvas& cv, const std::vector<StudyRun>& runs, const Layout& lay, const Graph& g,
               double top, double height, const std::vector<double>& tfs) {
  const double bottom = top + height;
  // The range: every run's finite values (from the first settled step when
  // so scaled) and reference lines.
  double lo = INFINITY, hi = -INFINITY;
  for (const StudyRun& r : runs) {
    const Run& run = *r.run;
    const std::size_t n = run.hist.tippos.size();
    const int last = static_cast<int>(n) - 1;
    const std::size_t from = g.settledscale ? static_cast<std::size_t>(settledfirst(run.model->set.dt, last)) : 0;
    for (std::size_t i = from; i < n; ++i) {
      const double v = g.value(run, i);
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (g.reference) {
      const double ref = g.reference(run);
      if (std::isfinite(ref)) {
        lo = std::min(lo, g.both ? -ref : ref);
        hi = std::max(hi, ref);
      }
    }
  }
  const int ticks = std::max(2, std::min(5, static_cast<int>(height / 20)));
  const Axis a = axisof(lo, hi, ticks);
  const auto y = [&](double v) { return bottom - height * (v - a.lo) / (a.hi - a.lo); };
  // The settling first second, shaded; the grid of ticks.
  box(cv, lay.left, top, lay.x(std::min(SETTLETIME, lay.span)), bottom, SETTLING);
  for (double t = 1; t < lay.span - 1e-9; t += 1) line(cv, lay.x(t), top, lay.x(t), bottom, GRID);
  for (int k = 0;; ++k) {
    const double v = a.lo + k * a.step;
    if (v > a.hi + a.step * 1e-6) break;
    if (v > a.lo + a.step * 1e-6 && v < a.hi - a.step * 1e-6)
      line(cv, lay.left, y(v), lay.right, y(v), std::fabs(v) < a.step * 1e-6 ? FRAME : GRID);
    const std::string s = ticktext(v, a.step);
    text(cv, lay.left - 5 - textwidth(Font::Helvetica12, s), y(v) + 4, Font::Helvetica12, s);
  }
  // The end of the commanded motion of each run.
  for (std::size_t k = 0; k < tfs.size(); ++k)
    if (tfs[k] <= lay.span)
      dashed(cv, {{lay.x(tfs[k]), top}, {lay.x(tfs[k]), bottom}},
             tfs.size() == 1 ? BLACK : studycolour(k), {4, 4}, 1);
  // Reference lines: one black for all when the runs share it.
  if (g.reference) {
    const bool one = alike(runs, g.reference);
    for (std::size_t k = 0; k < (one ? 1 : runs.size()); ++k) {
      const double ref = g.reference(*runs[k].run);
      for (double v : g.both ? std::vector<double>{ref, -ref} : std::vector<double>{ref})
        if (std::isfinite(v) && v >= a.lo && v <= a.hi)
          dashed(cv, {{lay.left, y(v)}, {lay.right, y(v)}}, one ? BLACK : studycolour(k), {6, 4}, 1);
    }
  }
  // The traces, clipped to the graph and broken where not finite.
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const Run& run = *runs[k].run;
    const double dt = run.model->set.dt;
    std::vector<Pair> strip;
    const auto flush = [&] {
      dashed(cv, strip, studycolour(k), studydash(k), CURVEPX);
      strip.clear();
    };
    const std::size_t n = run.hist.tippos.size();
    for (std::size_t i = 1; i < n; ++i) {
      const double v0 = g.value(run, i - 1), v1 = g.value(run, i);
      if (!std::isfinite(v0) || !std::isfinite(v1)) {
        flush();
        continue;
      }
      Pair p{lay.x((i - 1) * dt), y(v0)}, q{lay.x(i * dt), y(v1)};
      const Pair p0 = p;
      if (!clipped(p, q, lay.left, top, lay.right, bottom)) {
        flush();
        continue;
      }
      if (strip.empty() || p != p0) {
        flush();
        strip.push_back(p);
      }
      strip.push_back(q);
      if (q != Pair{lay.x(i * dt), y(v1)}) flush();
    }
    flush();
  }
  // The frame and the title above it.
  cv.linewidth(1);
  cv.shape(Shape::LineLoop, FRAME,
           {win(lay.left, top), win(lay.right, top), win(lay.right, bottom), win(lay.left, bottom)});
  text(cv, lay.left, top - 4, Font::Helvetica18, fitted(Font::Helvetica18, g.title, lay.right - lay.left));
}

// The reference line's words in a graph's title: its value when the runs
// share it, else "each run's".
std::string refwords(const std::vector<StudyRun>& runs, const std::function<double(const Run&)>& f,
                     const char* name, const char* unit, bool both) {
  if (!alike(runs, f)) return strf(" (dashed: each run's %s%s)", both ? "\xb1" : "", name);
  return strf(" (dashed: %s%s = %s%.4g %s)", both ? "\xb1" : "", name, both ? "\xb1" : "",
              f(*runs[0].run), unit);
}

// Text broken into lines of at most `width` px at ", " and "; " (at most
// `most` lines, the last cut).
std::vector<std::string> wrapped(Font f, const std::string& s, double width, std::size_t most) {
  std::vector<std::string> lines{""};
  std::size_t b = 0;
  while (b < s.size()) {
    std::size_t e = s.find_first_of(",;", b);
    e = e == std::string::npos ? s.size() : e + 1;
    const std::string piece = s.substr(b, e - b);
    if (!lines.back().empty() && textwidth(f, lines.back() + piece) > width) {
      if (lines.size() == most) {
        lines.back() = fitted(f, lines.back() + piece, width);
        return lines;
      }
      lines.push_back(piece.substr(piece.find_first_not_of(' ') == std::string::npos ? 0 : piece.find_first_not_of(' ')));
    } else {
      lines.back() += piece;
    }
    b = e;
  }
  for (std::string& l : lines) l = fitted(f, l, width);
  return lines;
}

constexpr double ROWPX = 16;  // height of a row of the table [px]
constexpr std::size_t FOOTLINES = 3;  // lines of the table's note in a narrow picture

// Height [px] of the table of n runs in a picture `width` px wide.
double tableheight(std::size_t n, double width) {
  if (!narrow(width)) return ROWPX * (n + 2) + 4;
  return ROWPX * (n + FIGURES.size() + 1) + 22 + 14.0 * FOOTLINES;
}

// A figure's cell: four digits, as compared; fewer for a large value that
// would not fit `width`; "*" when best.
std::string cellof(double v, bool best, double width) {
  std::string cell;
  for (int digits = 4; digits >= 1; --digits) {
    cell = strf("%.*g%s", digits, v, best ? "*" : "");
    if (textwidth(Font::Helvetica12, cell) <= width) break;
  }
  return cell;
}

// A figure's column head: its name and unit, lengths in mm.
std::string figurehead(const FigureInfo& f) {
  return strf("%s [%s]", f.name, std::string(f.unit) == "m" ? "mm" : f.unit);
}

// The table turned for a narrow picture: a legend line a run (its colour,
// dash, number and label), then a row a figure with a column a run.
void drawcolumns(Canvas& cv, const std::vector<std::string>& labels, const std::vector<FiguresOfMerit>& figs,
                 const std::vector<bool>& failed, const std::vector<std::array<bool, FIGURES.size()>>& best, double top,
                 double right, const std::string& note) {
  const double left = 6, key = 30;
  const std::size_t n = labels.size();
  for (std::size_t k = 0; k < n; ++k) {
    const double y = top + ROWPX * k;
    dashed(cv, {{left, y + 8}, {left + key - 4, y + 8}}, studycolour(k), studydash(k), CURVEPX);
    const std::string failure = failed[k] ? " (failed)" : "";
    // The run's number as its column heads it, unless its label is it.
    const std::string number = labels[k].rfind(strf("run %zu", k + 1), 0) == 0 ? "" : strf("%zu: ", k + 1);
    text(cv, left + key, y + 12, Font::Helvetica12,
         number + fitted(Font::Helvetica12, labels[k],
                         right - left - key - textwidth(Font::Helvetica12, number + failure)) + failure);
  }
  double namew = 0;
  for (const FigureInfo& f : FIGURES) namew = std::max(namew, textwidth(Font::Helvetica12, figurehead(f)));
  const double head = top + ROWPX * n + 2, col0 = left + namew + 8, colw = (right - col0) / n;
  for (std::size_t k = 0; k < n; ++k) {
    const double x = col0 + colw * k;
    dashed(cv, {{x + 3, head + 8}, {x + std::min(20.0, colw - 18), head + 8}}, studycolour(k), studydash(k),
           CURVEPX);
    text(cv, x + std::min(23.0, colw - 15), head + 12, Font::Helvetica12, strf("%zu", k + 1));
  }
  line(cv, left, head + ROWPX + 1, right, head + ROWPX + 1, FRAME);
  for (std::size_t f = 0; f < FIGURES.size(); ++f) {
    const double y = head + ROWPX * (f + 1) + 2;
    text(cv, left, y + 12, Font::Helvetica12, figurehead(FIGURES[f]));
    for (std::size_t k = 0; k < n; ++k) {
      const double x = col0 + colw * k;
      if (best[k][f]) box(cv, x, y, x + colw - 2, y + ROWPX - 1, BESTCELL);
      text(cv, x + 3, y + 12, Font::Helvetica12, cellof(figs[k].*FIGURES[f].value, best[k][f], colw - 5));
    }
  }
  const std::vector<std::string> lines = wrapped(Font::Helvetica12, note, right - left, FOOTLINES);
  for (std::size_t i = 0; i < lines.size(); ++i)
    text(cv, left, head + ROWPX * (FIGURES.size() + 1) + 16 + 14 * i, Font::Helvetica12, lines[i]);
}

// The table of figures: a row a run with its colour, dash and label (the
// legend of the graphs), a column a figure, the best of each column marked;
// in a narrow picture turned (drawcolumns).
void drawtable(Canvas& cv, const std::vector<StudyRun>& runs, const std::vector<std::string>& labels,
               double top, double width) {
  const double rowh = ROWPX, left = 6, right = width - 6;
  // The figures as the graphs show them: lengths in mm.
  std::vector<FiguresOfMerit> figs;
  std::vector<bool> failed;
  for (const StudyRun& r : runs) {
    FiguresOfMerit f = r.run->figures();
    for (const FigureInfo& fi : FIGURES)
      if (std::string(fi.unit) == "m") f.*fi.value *= 1000.0;
    figs.push_back(f);
    failed.push_back(!r.run->ok());
  }
  std::array<const char*, 9> formats;
  formats.fill("%.4g");
  const auto best = bestof(figs, failed, formats);
  bool anyfailed = false;
  for (bool f : failed) anyfailed = anyfailed || f;
  const std::string note =
      std::string("* best of the column (smallest magnitude as shown); force and position "
                  "figures over the settled steps (t >= 1 s)") +
      (anyfailed ? "; failed: out of reach or diverged, never best" : "");
  if (narrow(width)) return drawcolumns(cv, labels, figs, failed, best, top, right, note);
  // The label column as wide as the widest label, within bounds.
  double labelw = textwidth(Font::Helvetica12, "run");
  for (std::size_t k = 0; k < runs.size(); ++k)
    labelw = std::max(labelw, textwidth(Font::Helvetica12, labels[k] + (failed[k] ? " (failed)" : "")));
  labelw = std::min(labelw, 190.0);
  const double key = 30, col0 = left + key + labelw + 8;
  const double colw = (right - col0) / FIGURES.size();
  text(cv, left, top + 12, Font::Helvetica12, "run");
  for (std::size_t f = 0; f < FIGURES.size(); ++f)
    text(cv, col0 + colw * f + 3, top + 12, Font::Helvetica12,
         fitted(Font::Helvetica12, figurehead(FIGURES[f]), colw - 4));
  line(cv, left, top + rowh + 1, right, top + rowh + 1, FRAME);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const double y = top + rowh * (k + 1) + 2;
    dashed(cv, {{left, y + 8}, {left + key - 4, y + 8}}, studycolour(k), studydash(k), CURVEPX);
    const std::string failure = failed[k] ? " (failed)" : "";
    text(cv, left + key, y + 12, Font::Helvetica12,
         fitted(Font::Helvetica12, labels[k], labelw - textwidth(Font::Helvetica12, failure)) + failure);
    for (std::size_t f = 0; f < FIGURES.size(); ++f) {
      const double x = col0 + colw * f;
      if (best[k][f]) box(cv, x, y, x + colw - 2, y + rowh - 1, BESTCELL);
      text(cv, x + 3, y + 12, Font::Helvetica12, cellof(figs[k].*FIGURES[f].value, best[k][f], colw - 5));
    }
  }
  const double foot = top + rowh * (runs.size() + 1) + 16;
  text(cv, left, foot, Font::Helvetica12, fitted(Font::Helvetica12, note, right - left));
}

// The six graphs over time, one above the other: contact force with Fn,
// force error, position error, peripheral error and the two motor torques
// with their limits.
std::vector<Graph> studygraphs(const std::vector<StudyRun>& runs) {
  const auto pair = [](std::vector<Pair> RunHistory::*m, int j) {
    return [m, j](const Run& r, std::size_t i) { return (r.hist.*m)[i][j]; };
  };
  const auto fn = [](const Run& r) { return r.model->set.Fn; };
  const auto t1 = [](const Run& r) { return r.model->robot().T1max; };
  const auto t2 = [](const Run& r) { return r.model->robot().T2max; };
  return {
      {"contact force [N], scale of t >= 1 s" + refwords(runs, fn, "Fn", "N", false),
       pair(&RunHistory::force, 0), true, fn},
      {"force error [N], scale of t >= 1 s",
       [](const Run& r, std::size_t i) { return r.hist.forceerr[i]; }, true, nullptr},
      {"position error |tip - command| [mm], scale of t >= 1 s",
       [](const Run& r, std::size_t i) {
         return 1000.0 * std::hypot(r.hist.poserr[i][0], r.hist.poserr[i][1]);
       },
       true, nullptr},
      {"peripheral error [mm]", [](const Run& r, std::size_t i) { return 1000.0 * r.hist.perierr[i]; },
       false, nullptr},
      {"motor 1 torque [N m]" + refwords(runs, t1, "T1max", "N m", true), pair(&RunHistory::torque, 0),
       false, t1, true},
      {"motor 2 torque [N m]" + refwords(runs, t2, "T2max", "N m", true), pair(&RunHistory::torque, 1),
       false, t2, true},
  };
}

// The shared time axis under the last graph: ticks, the settled region's
// start and each motion time tf.
void drawtimeaxis(Canvas& cv, const Layout& lay, double bottom, double W,
                  const std::vector<double>& tfs) {
  std::vector<std::pair<double, std::string>> ticks, marks;
  const Axis ta = axisof(0, lay.span, 10);
  for (double t = 0; t <= lay.span + 1e-9; t += ta.step) {
    const std::string s = ticktext(t, ta.step);
    const double x = lay.x(t) - textwidth(Font::Helvetica12, s) / 2;
    ticks.push_back({std::min(x, lay.right - textwidth(Font::Helvetica12, s)), s});
    line(cv, lay.x(t), bottom, lay.x(t), bottom + 3, FRAME);
  }
  placerow(cv, ticks, bottom + 15, W, Font::Helvetica12);
  const std::string tlabel = "time t [s]";
  marks.push_back({lay.right - textwidth(Font::Helvetica12, tlabel), tlabel});
  marks.push_back({lay.x(std::min(SETTLETIME, lay.span)) + 3, "settled from 1 s ->"});
  for (std::size_t k = 0; k < tfs.size(); ++k)
    marks.push_back({lay.x(std::min(tfs[k], lay.span)) - textwidth(Font::Helvetica12, "tf") / 2,
                     tfs.size() == 1 ? "tf" : strf("tf%zu", k + 1)});
  placerow(cv, marks, bottom + 29, W, Font::Helvetica12);
}

}  // namespace

std::vector<StudyRun> comparestudy(const std::array<MethodRun, 4>& rows) {
  std::vector<StudyRun> runs;
  for (const MethodRun& r : rows) runs.push_back({r.run.get(), "", std::string("method ") + keyof(r.method)});
  return runs;
}

void drawstudy(Canvas& cv, const std::vector<StudyRun>& all, const std::string& title, double width) {
  const double W = std::max(STUDYNARROW, std::min(width, static_cast<double>(PICTUREPX)));
  cv.clear();
  std::vector<StudyRun> runs;
  for (const StudyRun& r : all)
    if (r.run && r.run->model && runs.size() < STUDYMAX) runs.push_back(r);
  const std::string head =
      !title.empty() ? title : runs.size() == 1 ? "Study of one run" : strf("Study of %zu runs", runs.size());
  text(cv, 6, 20, Font::Helvetica18, fitted(Font::Helvetica18, head, W - 12));
  if (runs.empty()) {
    cv.present();
    return;
  }
  const std::vector<std::string> lines =
      wrapped(Font::Helvetica12, studycaption(runs), W - 12, narrow(W) ? FOOTLINES : 2);
  for (std::size_t i = 0; i < lines.size(); ++i) text(cv, 6, 37 + 14 * i, Font::Helvetica12, lines[i]);

  Layout lay;
  lay.right = W - 10;
  lay.span = 0;
  std::vector<double> tfs;
  for (const StudyRun& r : runs) {
    lay.span = std::max(lay.span, r.run->laststep() * r.run->model->set.dt);
    tfs.push_back(r.run->model->path.tf);
  }
  if (!(lay.span > 0)) lay.span = 1;
  if (std::all_of(tfs.begin(), tfs.end(), [&](double t) { return t == tfs[0]; })) tfs.resize(1);

  const std::vector<Graph> graphs = studygraphs(runs);
  // Graphs from below the caption down to the time axis' texts, the table
  // under them.
  const double tabletop = PICTUREPX - 6 - tableheight(runs.size(), W);
  const double top = 37 + 14 * lines.size() + 4;
  const double strip = 21, axis = 36;
  const double height = (tabletop - axis - top - strip * graphs.size()) / graphs.size();
  for (std::size_t g = 0; g < graphs.size(); ++g)
    drawgraph(cv, runs, lay, graphs[g], top + strip * (g + 1) + height * g, height, tfs);
  // The shared time axis under the last graph.
  const double bottom = top + (strip + height) * graphs.size();
  drawtimeaxis(cv, lay, bottom, W, tfs);

  drawtable(cv, runs, studylabels(runs), tabletop, W);
  cv.present();
}

}  // namespace hs
