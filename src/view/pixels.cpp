// The window's pixel rules, shared by the back ends that draw into pixels.
#include "view/pixels.h"

#include <algorithm>
#include <cmath>

namespace hs {

namespace {

constexpr double HALFPX = PICTUREPX / 2.0;  // pixels per window unit
// The window counts rows from the bottom and a pixel centre on a shape's
// lower edge is inside, on its upper edge outside; cairo counts from the top
// with the same rule. Moving every shape down by cairo's smallest step
// (1/256 px) settles such ties the window's way.
constexpr double TIESHIFT = 1.0 / 256;

// Advances [px] of the window's bitmap fonts for the Latin-1 bytes 32 ..
// 255: each glyph of a text starts where the window starts it, so the
// lines keep the window's length and their letters its places.
constexpr unsigned char ADVANCE18[224] = {
    5, 6, 5, 10, 10, 16, 13, 4, 6, 6, 7, 10, 5, 11, 5, 5,
    10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 5, 5, 10, 11, 10, 10,
    18, 12, 13, 14, 13, 11, 11, 14, 13, 6, 10, 13, 10, 16, 13, 15,
    12, 15, 12, 13, 12, 13, 14, 18, 13, 14, 12, 5, 5, 5, 9, 10,
    4, 9, 11, 10, 11, 10, 6, 11, 10, 4, 4, 9, 4, 14, 10, 11,
    11, 11, 6, 9, 6, 10, 10, 14, 10, 10, 9, 6, 4, 6, 10, 5,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5,
    5, 6, 10, 10, 10, 10, 4, 10, 6, 15, 7, 9, 11, 7, 14, 5,
    7, 10, 6, 6, 4, 10, 10, 4, 5, 6, 7, 9, 15, 15, 15, 10,
    12, 12, 12, 12, 12, 12, 18, 14, 11, 11, 11, 11, 6, 6, 6, 6,
    13, 13, 15, 15, 15, 15, 15, 10, 15, 13, 13, 13, 13, 14, 12, 9,
    9, 9, 9, 9, 9, 9, 15, 10, 10, 10, 10, 10, 4, 4, 4, 4,
    11, 10, 11, 11, 11, 11, 11, 10, 11, 10, 10, 10, 10, 10, 11, 10,
};
constexpr unsigned char ADVANCE12[224] = {
    4, 3, 5, 7, 7, 11, 9, 3, 4, 4, 5, 7, 4, 8, 3, 4,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3, 7, 7, 7, 7,
    12, 9, 8, 9, 9, 8, 8, 9, 9, 3, 7, 8, 7, 11, 9, 10,
    8, 10, 8, 8, 7, 8, 9, 11, 9, 9, 9, 3, 4, 3, 6, 7,
    3, 7, 7, 7, 7, 7, 3, 7, 7, 3, 3, 6, 3, 9, 7, 7,
    7, 7, 4, 6, 3, 7, 7, 9, 6, 7, 6, 4, 3, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 3, 7, 7, 7, 7, 3, 6, 3, 11, 5, 7, 8, 5, 11, 4,
    5, 7, 4, 4, 2, 7, 7, 3, 3, 4, 5, 7, 10, 10, 10, 7,
    9, 9, 9, 9, 9, 9, 11, 9, 8, 8, 8, 8, 3, 3, 3, 3,
    9, 9, 10, 10, 10, 10, 10, 7, 10, 8, 8, 8, 8, 9, 8, 7,
    7, 7, 7, 7, 7, 7, 11, 7, 7, 7, 7, 7, 3, 3, 3, 3,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
};

}  // namespace

double fontpx(Font f) { return f == Font::Helvetica12 ? 12.0 : 18.0; }

int advance(Font f, unsigned char ch) {
  if (ch < 32) return 0;  // no glyph
  return (f == Font::Helvetica12 ? ADVANCE12 : ADVANCE18)[ch - 32];
}

bool printable(unsigned char ch) { return (ch >= 32 && ch < 127) || ch >= 160; }

std::string utf8of(unsigned char ch) {
  if (ch < 0x80) return std::string(1, static_cast<char>(ch));
  return {static_cast<char>(0xc0 | (ch >> 6)), static_cast<char>(0x80 | (ch & 0x3f))};
}

double area2(const std::vector<Pair>& p) {
  double a = 0;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    a += (p[j][0] - p[i][0]) * (p[j][1] + p[i][1]);
  return a;
}

Pair topixel(const Pair& w) {
  return {(w[0] + 1.0) * HALFPX, (1.0 - w[1]) * HALFPX + TIESHIFT};
}

// A line of width w covers, in each column (row) it crosses, the pixels whose
// centres lie within w/2 of it vertically (horizontally) when it runs more
// across than up (more up than across): a parallelogram, not a rectangle.
// Without antialiasing the window rounds the width to whole pixels (1.6 px
// draws 2, 3.2 px draws 3), at least one.
std::array<Pair, 4> lineband(const Pair& a, const Pair& b, double width) {
  const double h = 0.5 * std::max(1.0, std::round(width));
  const bool xmajor = std::fabs(b[0] - a[0]) >= std::fabs(b[1] - a[1]);
  const Pair o = xmajor ? Pair{0, h} : Pair{h, 0};
  return {{{a[0] - o[0], a[1] - o[1]},
           {b[0] - o[0], b[1] - o[1]},
           {b[0] + o[0], b[1] + o[1]},
           {a[0] + o[0], a[1] + o[1]}}};
}

std::vector<std::vector<Pair>> shapepolygons(Shape kind, const std::vector<Pair>& px,
                                             double width) {
  std::vector<std::vector<Pair>> out;
  auto segment = [&](const Pair& a, const Pair& b) {
    const std::array<Pair, 4> band = lineband(a, b, width);
    out.emplace_back(band.begin(), band.end());
  };
  const size_t n = px.size();
  switch (kind) {
    case Shape::Polygon:
      out.push_back(px);
      break;
    case Shape::Lines:
      for (size_t i = 0; i + 1 < n; i += 2) segment(px[i], px[i + 1]);
      break;
    case Shape::LineStrip:
      for (size_t i = 0; i + 1 < n; ++i) segment(px[i], px[i + 1]);
      break;
    case Shape::LineLoop:
      for (size_t i = 0; i + 1 < n; ++i) segment(px[i], px[i + 1]);
      if (n > 2) segment(px[n - 1], px[0]);
      break;
  }
  return out;
}

// The window draws a bitmap text only when its raster position lies inside
// the window; its glyphs stand on the pixel row that holds the raster
// position and start at the column that holds it.
TextOrigin textorigin(const Pair& w) {
  TextOrigin o;
  o.shown = w[0] >= -1 && w[0] <= 1 && w[1] >= -1 && w[1] <= 1;
  if (!o.shown) return o;
  o.x = std::floor((w[0] + 1.0) * HALFPX);
  o.baseline = PICTUREPX - 1 - std::floor((w[1] + 1.0) * HALFPX);
  return o;
}

}  // namespace hs
