// The browser's canvas: shapes become filled polygons in pixels as the
// window rasterises them (lines as bands of their width), texts one glyph
// at a time at the window's pen positions.
#include "webcanvas.h"

#include <cmath>

namespace hs {

WebCanvas::WebCanvas() { frames_.push_back({{0, 0}, 1, 0}); }

void WebCanvas::clear() {
  pending_.clear();
  ops_.clear();
  ops_.push_back(OPCLEAR);
  frames_.resize(1);
  frames_[0] = {{0, 0}, 1, 0};
}

// A frame inside the current one: its origin moved to `at`, its axes turned
// by `angle` (taken through degrees as the window takes it).
void WebCanvas::pushframe(const Pair& at, double angle) {
  const Frame& f = frames_.back();
  const double a = angle / RADPERDEG * (M_PI / 180.0);
  const double c = std::cos(a), s = std::sin(a);
  frames_.push_back({towindow(at), f.c * c - f.s * s, f.s * c + f.c * s});
}

void WebCanvas::popframe() {
  if (frames_.size() > 1) frames_.pop_back();
}

Pair WebCanvas::towindow(const Pair& p) const {
  const Frame& f = frames_.back();
  return {f.at[0] + f.c * p[0] - f.s * p[1], f.at[1] + f.s * p[0] + f.c * p[1]};
}

void WebCanvas::shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) {
  if (!(colour == colour_)) flush();
  colour_ = colour;
  std::vector<Pair> px;
  px.reserve(pts.size());
  for (const Pair& p : pts) px.push_back(topixel(towindow(p)));
  for (const std::vector<Pair>& p : shapepolygons(kind, px, width_)) polygon(p);
}

// Polygons of one colour in a row are filled as one path, each with the
// same orientation, so that overlaps add up under the non-zero rule.
void WebCanvas::polygon(const std::vector<Pair>& px) {
  if (px.size() < 3) return;
  const double a = area2(px);
  if (!(std::fabs(a) > 0)) return;
  pending_.push_back(a > 0 ? px : std::vector<Pair>(px.rbegin(), px.rend()));
}

void WebCanvas::flush() {
  if (pending_.empty()) return;
  ops_.insert(ops_.end(), {double(OPFILL), colour_.r, colour_.g, colour_.b,
                           double(pending_.size())});
  for (const std::vector<Pair>& p : pending_) {
    ops_.push_back(double(p.size()));
    for (const Pair& q : p) ops_.insert(ops_.end(), {q[0], q[1]});
  }
  pending_.clear();
}

void WebCanvas::text(float x, float y, Font font, const std::string& bytes) {
  flush();
  const TextOrigin at = textorigin(towindow({x, y}));
  if (!at.shown) return;
  std::vector<double> glyphs;
  double pen = at.x;
  for (unsigned char ch : bytes) {
    if (ch == '\0') break;
    if (printable(ch)) glyphs.insert(glyphs.end(), {double(ch), pen});
    pen += advance(font, ch);
  }
  if (glyphs.empty()) return;
  ops_.insert(ops_.end(), {double(OPGLYPHS), fontpx(font), at.baseline, double(glyphs.size() / 2)});
  ops_.insert(ops_.end(), glyphs.begin(), glyphs.end());
}

}  // namespace hs
