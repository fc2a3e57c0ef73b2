// The window's pixel rules for back ends that draw the picture into pixels
// themselves (the cairo files, the browser's canvas): where a window
// position lands, the band a line of some width covers, and where each
// glyph of a bitmap text starts.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "view/canvas.h"

namespace hs {

// Side of the picture [px]; window units -1 .. +1 span it both ways.
constexpr int PICTUREPX = 800;
// The window turns radians into degrees with this factor before rotating.
constexpr double RADPERDEG = 0.01745329252;

// Window units to pixels (origin top left, y down), a shade below so that
// ties of a pixel centre on a shape's edge go the window's way.
Pair topixel(const Pair& w);

// The four corners [px] of the band the window fills for a line from a to b
// of `width` [px] (rounded to whole pixels, at least one): a parallelogram
// measured along the minor axis, no caps or joins.
std::array<Pair, 4> lineband(const Pair& a, const Pair& b, double width);

// The polygons [px] the window fills for a shape through the points px [px]
// drawn with lines of `width` [px]: a polygon itself, each line segment
// its band.
std::vector<std::vector<Pair>> shapepolygons(Shape kind, const std::vector<Pair>& px,
                                             double width);

// Twice the signed area of a closed polygon [px^2] (its orientation).
double area2(const std::vector<Pair>& p);

// Em size [px] of a font.
double fontpx(Font f);
// Advance [px] of a byte in the window's bitmap font (0 for control codes).
int advance(Font f, unsigned char ch);
// Bytes the window has a glyph for (Latin-1 without control codes).
bool printable(unsigned char ch);
// One Latin-1 byte as UTF-8.
std::string utf8of(unsigned char ch);

// Where the window puts a text whose raster position is w [window units]:
// the column of its first glyph and the row of its baseline [px]. Nothing
// is drawn when the raster position is outside the window.
struct TextOrigin {
  bool shown = false;  // the raster position lies inside the window
  double x = 0;        // left of the first glyph [px]
  double baseline = 0; // row the glyphs stand on [px]
};
TextOrigin textorigin(const Pair& w);

}  // namespace hs
