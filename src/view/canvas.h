// The drawing back end: flat 2-D shapes in window units (-1 .. +1 both ways),
// line widths in pixels, bitmap texts. The OpenGL implementation is in
// glcanvas.h; the recorder here records what would be drawn so a frame can be checked without a
// display.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"

namespace hs {

// RGBA colour. Alpha is 0 throughout; blending is never on.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};
inline bool operator==(const Rgba& x, const Rgba& y) {
  return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

constexpr Rgba RED{1, 0, 0, 0};
constexpr Rgba GREEN{0, 1, 0, 0};
constexpr Rgba BLUE{0, 0, 1, 0};
constexpr Rgba YELLOW{1, 1, 0, 0};
constexpr Rgba WHITE{1, 1, 1, 0};
constexpr Rgba LIGHTBLUE{0.6f, 0.6f, 1.0f, 0};
constexpr Rgba BLACK{0, 0, 0, 0};

// The kinds of shape the pictures are made of.
enum class Shape { Lines, LineLoop, LineStrip, Polygon };
// The two bitmap fonts.
enum class Font { Helvetica18, Helvetica12 };

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Start of a frame: clear colour and depth, modelview back to identity.
  virtual void clear() = 0;
  // End of a frame: flush and show it.
  virtual void present() = 0;
  // Line width [px] for the following line shapes.
  virtual void linewidth(double px) = 0;
  // Enters a frame translated to `at` and rotated by `angle` [rad]; shapes
  // drawn until popframe() are given in that frame.
  virtual void pushframe(const Pair& at, double angle) = 0;
  virtual void popframe() = 0;
  // One shape through the points, in one colour.
  virtual void shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) = 0;
  // A text at window position (x, y), drawn black; '\n' draws nothing.
  virtual void text(float x, float y, Font font, const std::string& bytes) = 0;
};

// One recorded drawing operation.
struct Primitive {
  enum Kind { Lines, LineLoop, LineStrip, Polygon, Text } kind = Lines;
  std::vector<Pair> pts;  // window units, after the frame transforms (text: its raster position)
  Rgba colour;            // text: BLACK
  double width = 0;       // line width [px] in force when it was drawn
  std::string text;       // Text only
  Font font = Font::Helvetica18;
};

// Keeps every primitive of the frames drawn on it.
class Recorder : public Canvas {
 public:
  void clear() override;
  void present() override { ++presented_; }
  void linewidth(double px) override { width_ = px; }
  void pushframe(const Pair& at, double angle) override;
  void popframe() override;
  void shape(Shape kind, const Rgba& colour, const std::vector<Pair>& pts) override;
  void text(float x, float y, Font font, const std::string& bytes) override;

  const std::vector<Primitive>& prims() const { return prims_; }
  // Primitives of one kind and colour.
  std::vector<Primitive> find(Primitive::Kind kind, const Rgba& colour) const;
  // The text primitive with exactly this text, or nullptr.
  const Primitive* findtext(const std::string& t) const;
  int cleared() const { return cleared_; }
  int presented() const { return presented_; }
  double currentwidth() const { return width_; }
  // Drops the record (keeps the line width).
  void forget() { prims_.clear(); }

 private:
  struct Frame {
    Pair at;
    double c, s;  // cos, sin of the accumulated rotation
  };
  Pair map(const Pair& p) const;
  std::vector<Frame> frames_;
  std::vector<Primitive> prims_;
  double width_ = 1;
  int cleared_ = 0, presented_ = 0;
};

}  // namespace hs
