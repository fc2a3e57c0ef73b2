// The drawing canvas of the browser: the window's picture as a list of
// drawing operations in pixels, replayed onto an HTML canvas (2-D context)
// by webcanvas.js. The pixel geometry is the window's (view/pixels.h), the
// same the picture files use.
#pragma once

#include <vector>

#include "view/canvas.h"
#include "view/pixels.h"

namespace hs {

// The operation codes of the list, each followed by its numbers.
enum WebOp : int {
  OPCLEAR = 0,  // white picture
  OPFILL = 1,   // r g b [0..1], polygons k, then k times: points n, x1 y1 .. xn yn [px]
  OPGLYPHS = 2, // em size [px], baseline [px], glyphs k, then k times: Latin-1 code, left [px]
};

class WebCanvas : public Canvas {
 public:
  WebCanvas();
  void clear() override;
  void present() override { flush(); }
  void linewidth(double px) override { width_ = px; }
  void pushframe(const Pair& at, double angle) override;
  void popframe() override;
  void shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) override;
  void text(float x, float y, Font font, const std::string& bytes) override;

  // The operations since the last clear().
  const std::vector<double>& ops() const { return ops_; }

 private:
  // A frame: window position = rot * local + at (rot as cos, sin).
  struct Frame {
    Pair at;
    double c, s;
  };
  Pair towindow(const Pair& p) const;
  void polygon(const std::vector<Pair>& px);
  void flush();

  std::vector<Frame> frames_;
  std::vector<double> ops_;
  std::vector<std::vector<Pair>> pending_;  // polygons of one colour waiting [px]
  Rgba colour_;                             // their colour
  double width_ = 1;                        // line width [px]
};

}  // namespace hs
