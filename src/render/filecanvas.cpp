// The cairo back end of the drawing. It follows the window's fixed-function
// rasterisation rather than cairo's own geometry: lines are not stroked but
// drawn as the window draws them (a band of the line width measured along
// the minor axis, no caps or joins), polygons are filled without
// antialiasing (a pixel is set when its centre is inside), and the bitmap
// texts become Liberation Sans, a font with Helvetica's metrics, at the
// same pixel sizes, each glyph where the window puts it.
#include "render/filecanvas.h"

#include <cmath>

namespace hs {

namespace {

// The window turns radians into degrees with this factor before rotating.
constexpr double RADPERDEG = 0.01745329252;
constexpr double HALFPX = PICTUREPX / 2.0;  // pixels per window unit
// The window counts rows from the bottom and a pixel centre on a shape's
// lower edge is inside, on its upper edge outside; cairo counts from the top
// with the same rule. Moving every shape down by cairo's smallest step
// (1/256 px) settles such ties the window's way.
constexpr double TIESHIFT = 1.0 / 256;

// Em sizes [px] of the two fonts.
double fontpx(Font f) { return f == Font::Helvetica12 ? 12.0 : 18.0; }

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

int advance(Font f, unsigned char ch) {
  if (ch < 32) return 0;  // no glyph
  return (f == Font::Helvetica12 ? ADVANCE12 : ADVANCE18)[ch - 32];
}

// Bytes the window has a glyph for (Latin-1 without control codes).
bool printable(unsigned char ch) { return (ch >= 32 && ch < 127) || ch >= 160; }

// One Latin-1 byte as UTF-8.
std::string utf8of(unsigned char ch) {
  if (ch < 0x80) return std::string(1, static_cast<char>(ch));
  return {static_cast<char>(0xc0 | (ch >> 6)), static_cast<char>(0x80 | (ch & 0x3f))};
}

// Twice the signed area of a closed polygon (pixel space).
double area2(const std::vector<Pair>& p) {
  double a = 0;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    a += (p[j][0] - p[i][0]) * (p[j][1] + p[i][1]);
  return a;
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr)
    : cr_(cr),
      face_(cairo_toy_font_face_create("Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                                       CAIRO_FONT_WEIGHT_NORMAL)) {
  cairo_matrix_t id;
  cairo_matrix_init_identity(&id);
  frames_.push_back(id);
}

CairoCanvas::~CairoCanvas() { cairo_font_face_destroy(face_); }

void CairoCanvas::clear() {
  flush();
  cairo_identity_matrix(cr_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgb(cr_, 1, 1, 1);
  cairo_paint(cr_);
  frames_.resize(1);
  cairo_matrix_init_identity(&frames_[0]);
  texts_.clear();
  boxes_.clear();
}

void CairoCanvas::present() {
  flush();
  cairo_surface_flush(cairo_get_target(cr_));
}

void CairoCanvas::pushframe(const Pair& at, double angle) {
  cairo_matrix_t m = frames_.back();
  cairo_matrix_translate(&m, at[0], at[1]);
  cairo_matrix_rotate(&m, angle / RADPERDEG * (M_PI / 180.0));
  frames_.push_back(m);
}

void CairoCanvas::popframe() {
  if (frames_.size() > 1) frames_.pop_back();
}

Pair CairoCanvas::towindow(const Pair& p) const {
  double x = p[0], y = p[1];
  cairo_matrix_transform_point(&frames_.back(), &x, &y);
  return {x, y};
}

Pair CairoCanvas::topixel(const Pair& w) {
  return {(w[0] + 1.0) * HALFPX, (1.0 - w[1]) * HALFPX + TIESHIFT};
}

void CairoCanvas::shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) {
  if (!(colour == pending_)) flush();
  pending_ = colour;
  std::vector<Pair> px;
  px.reserve(pts.size());
  for (const Pair& p : pts) px.push_back(topixel(towindow(p)));
  const size_t n = px.size();
  switch (kind) {
    case Shape::Polygon:
      polygon(px);
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
}

// A line of width w covers, in each column (row) it crosses, the pixels whose
// centres lie within w/2 of it vertically (horizontally) when it runs more
// across than up (more up than across): a parallelogram, not a rectangle.
// Without antialiasing the window rounds the width to whole pixels (1.6 px
// draws 2, 3.2 px draws 3), at least one.
void CairoCanvas::segment(const Pair& a, const Pair& b) {
  const double h = 0.5 * std::max(1.0, std::round(width_));
  const bool xmajor = std::fabs(b[0] - a[0]) >= std::fabs(b[1] - a[1]);
  const Pair o = xmajor ? Pair{0, h} : Pair{h, 0};
  polygon({{a[0] - o[0], a[1] - o[1]},
           {b[0] - o[0], b[1] - o[1]},
           {b[0] + o[0], b[1] + o[1]},
           {a[0] + o[0], a[1] + o[1]}});
}

// Polygons of one colour in a row are filled as one path; each goes in with
// the same orientation so that overlaps add up under the non-zero rule.
void CairoCanvas::polygon(const std::vector<Pair>& px) {
  if (px.size() < 3) return;
  const double a = area2(px);
  if (!(std::fabs(a) > 0)) return;  // no area, nothing to fill (or not finite)
  const bool forward = a > 0;
  const size_t n = px.size();
  for (size_t k = 0; k < n; ++k) {
    const Pair& p = px[forward ? k : n - 1 - k];
    if (k == 0)
      cairo_move_to(cr_, p[0], p[1]);
    else
      cairo_line_to(cr_, p[0], p[1]);
  }
  cairo_close_path(cr_);
  haspath_ = true;
}

void CairoCanvas::flush() {
  if (!haspath_) return;
  cairo_set_source_rgb(cr_, pending_.r, pending_.g, pending_.b);
  cairo_fill(cr_);
  haspath_ = false;
}

// The window draws a bitmap text only when its raster position lies inside
// the window; its glyphs stand on the pixel row that holds the raster
// position and start at the column that holds it.
void CairoCanvas::text(float x, float y, Font font, const std::string& bytes) {
  flush();
  const Pair w = towindow({x, y});
  if (!(w[0] >= -1 && w[0] <= 1 && w[1] >= -1 && w[1] <= 1)) return;
  const double px = std::floor((w[0] + 1.0) * HALFPX);
  const double baseline = PICTUREPX - 1 - std::floor((w[1] + 1.0) * HALFPX);
  cairo_set_font_face(cr_, face_);
  cairo_set_font_size(cr_, fontpx(font));
  cairo_font_options_t* opt = cairo_font_options_create();
  cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_NONE);
  cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_FULL);
  cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_ON);
  cairo_set_font_options(cr_, opt);
  cairo_font_options_destroy(opt);
  cairo_scaled_font_t* sf = cairo_get_scaled_font(cr_);
  // Each printable byte is one glyph at the window's pen position; the
  // glyphs carry their text (one cluster each) so PDF readers can copy it.
  std::vector<cairo_glyph_t> glyphs;
  std::vector<cairo_text_cluster_t> clusters;
  std::string utf8;
  double pen = px;
  for (unsigned char ch : bytes) {
    if (ch == '\0') break;
    if (printable(ch)) {
      cairo_glyph_t* g = nullptr;
      int n = 0;
      const std::string one = utf8of(ch);
      if (cairo_scaled_font_text_to_glyphs(sf, pen, baseline, one.c_str(), -1, &g, &n, nullptr,
                                           nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
          n > 0) {
        glyphs.insert(glyphs.end(), g, g + n);
        clusters.push_back({static_cast<int>(one.size()), n});
        utf8 += one;
      }
      cairo_glyph_free(g);
    }
    pen += advance(font, ch);
  }
  if (utf8.empty()) return;
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_show_text_glyphs(cr_, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                         static_cast<int>(glyphs.size()), clusters.data(),
                         static_cast<int>(clusters.size()), cairo_text_cluster_flags_t(0));
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  texts_.push_back(utf8);
  boxes_.push_back({px, baseline - fe.ascent, pen - px, fe.ascent + fe.descent});
}

}  // namespace hs
