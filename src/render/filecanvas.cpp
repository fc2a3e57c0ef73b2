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

void CairoCanvas::shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) {
  if (!(colour == pending_)) flush();
  pending_ = colour;
  std::vector<Pair> px;
  px.reserve(pts.size());
  for (const Pair& p : pts) px.push_back(topixel(towindow(p)));
  for (const std::vector<Pair>& p : shapepolygons(kind, px, width_)) polygon(p);
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

// Each glyph of a text where the window puts it (view/pixels.h).
void CairoCanvas::text(float x, float y, Font font, const std::string& bytes) {
  flush();
  const TextOrigin at = textorigin(towindow({x, y}));
  if (!at.shown) return;
  const double px = at.x, baseline = at.baseline;
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
