// The recording back end of the drawing.
#include "view/canvas.h"

#include <cmath>

namespace hs {

// ---- Recorder ----

void Recorder::clear() {
  prims_.clear();
  frames_.clear();
  ++cleared_;
}

void Recorder::pushframe(const Pair& at, double angle) {
  Frame f{map(at), 1.0, 0.0};
  double c0 = 1.0, s0 = 0.0;
  if (!frames_.empty()) {
    c0 = frames_.back().c;
    s0 = frames_.back().s;
  }
  const double c1 = std::cos(angle), s1 = std::sin(angle);
  f.c = c0 * c1 - s0 * s1;
  f.s = s0 * c1 + c0 * s1;
  frames_.push_back(f);
}

void Recorder::popframe() {
  if (!frames_.empty()) frames_.pop_back();
}

Pair Recorder::map(const Pair& p) const {
  if (frames_.empty()) return p;
  const Frame& f = frames_.back();
  return {f.at[0] + f.c * p[0] - f.s * p[1], f.at[1] + f.s * p[0] + f.c * p[1]};
}

void Recorder::shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) {
  Primitive p;
  switch (kind) {
    case Shape::Lines: p.kind = Primitive::Lines; break;
    case Shape::LineLoop: p.kind = Primitive::LineLoop; break;
    case Shape::LineStrip: p.kind = Primitive::LineStrip; break;
    case Shape::Polygon: p.kind = Primitive::Polygon; break;
  }
  p.pts.reserve(pts.size());
  for (const Pair& q : pts) p.pts.push_back(map(q));
  p.colour = colour;
  p.width = width_;
  prims_.push_back(std::move(p));
}

void Recorder::text(float x, float y, Font font, const std::string& bytes) {
  Primitive p;
  p.kind = Primitive::Text;
  p.pts.push_back(map({x, y}));
  p.colour = BLACK;
  p.width = width_;
  p.text = bytes;
  p.font = font;
  prims_.push_back(std::move(p));
}

std::vector<Primitive> Recorder::find(Primitive::Kind kind, const Rgba& colour) const {
  std::vector<Primitive> out;
  for (const Primitive& p : prims_)
    if (p.kind == kind && p.colour == colour) out.push_back(p);
  return out;
}

const Primitive* Recorder::findtext(const std::string& t) const {
  for (const Primitive& p : prims_)
    if (p.kind == Primitive::Text && p.text == t) return &p;
  return nullptr;
}

}  // namespace hs
