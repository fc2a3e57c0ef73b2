// The cairo back end of the drawing. It follows the window's fixed-function
// rasterisation rather than cairo's own geometry: lines are not stroked but
// drawn as the window draws them (a band of the line width measured along
// the minor axis, no caps or joins), polygons are filled without
// antialiasing (a pixel is set when its centre is inside), and the bitmap
// texts become Liberation Sans, a font with Helvetica's metrics, at the
// same pixel sizes with the baseline on the raster position.
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

// Em sizes [px]. The window's 18 px bitmap font is drawn larger than its
// name (capitals 14 px high, 2 px stems): Liberation Sans at 19 px matches
// its capitals and line lengths best; the 12 px font matches at 12.
double fontpx(Font f) { return f == Font::Helvetica12 ? 12.0 : 19.0; }

// The window's bitmap fonts are Latin-1; cairo takes UTF-8. Control bytes
// have no glyph; a NUL ends the text as it does in the window.
std::string latin1toutf8(const std::string& bytes) {
  std::string out;
  for (unsigned char ch : bytes) {
    if (ch == '\0') break;
    if (ch < 0x20 || ch == 0x7f) continue;
    if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else {
      out += static_cast<char>(0xc0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3f));
    }
  }
  return out;
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
void CairoCanvas::segment(const Pair& a, const Pair& b) {
  const double h = 0.5 * std::max(1.0, width_);
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
  const std::string utf8 = latin1toutf8(bytes);
  if (utf8.empty()) return;
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
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_move_to(cr_, px, baseline);
  cairo_show_text(cr_, utf8.c_str());
  cairo_new_path(cr_);
  cairo_font_extents_t fe;
  cairo_text_extents_t te;
  cairo_font_extents(cr_, &fe);
  cairo_text_extents(cr_, utf8.c_str(), &te);
  texts_.push_back(utf8);
  boxes_.push_back({px, baseline - fe.ascent, te.x_advance, fe.ascent + fe.descent});
}

}  // namespace hs
