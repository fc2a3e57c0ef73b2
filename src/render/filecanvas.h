// The drawing canvas on cairo: the window's picture drawn into an image (PNG,
// animated GIF) or a vector page (SVG, PDF) of 800 x 800 pixels, with the
// window's pixel rules so a PNG agrees with a screenshot of the window.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

#include "view/canvas.h"
#include "view/pixels.h"

namespace hs {

// Draws on a cairo context whose user space is device pixels, origin top
// left (an 800 x 800 image surface, or a vector surface of 800 x 800 units).
// The context is the caller's; the canvas sets its own state on it.
class CairoCanvas : public Canvas {
 public:
  explicit CairoCanvas(cairo_t* cr);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void clear() override;
  void present() override;
  void linewidth(double px) override { width_ = px; }
  void pushframe(const Pair& at, double angle) override;
  void popframe() override;
  void shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) override;
  void text(float x, float y, Font font, const std::string& bytes) override;

  // The texts drawn since the last clear(), in drawing order (UTF-8).
  const std::vector<std::string>& texts() const { return texts_; }
  // Pixel box (left, top, width, height) of each text drawn since clear(),
  // from its raster position and the font's advance, ascent and descent.
  struct Box {
    double x, y, w, h;
  };
  const std::vector<Box>& textboxes() const { return boxes_; }

 private:
  // A point of the current frame in window units.
  Pair towindow(const Pair& p) const;
  // Adds a polygon (pixels) to the pending path.
  void polygon(const std::vector<Pair>& px);
  // Fills the pending path in the pending colour.
  void flush();

  cairo_t* cr_;
  cairo_font_face_t* face_;
  std::vector<cairo_matrix_t> frames_;  // frame -> window units, innermost last
  double width_ = 1;                    // line width [px]
  Rgba pending_;                        // colour of the pending path
  bool haspath_ = false;                // polygons wait in the path
  std::vector<std::string> texts_;
  std::vector<Box> boxes_;
};

}  // namespace hs
