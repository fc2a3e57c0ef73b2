// The drawing back end of the window: fixed-function OpenGL.
#pragma once

#include <string>
#include <vector>

#include "view/canvas.h"

namespace hs {

// Draws through fixed-function OpenGL and GLUT bitmap fonts (needs a current
// GL context).
class GlCanvas : public Canvas {
 public:
  void clear() override;
  void present() override;
  void linewidth(double px) override;
  void pushframe(const Pair& at, double angle) override;
  void popframe() override;
  void shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) override;
  void text(float x, float y, Font font, const std::string& bytes) override;
};

}  // namespace hs
