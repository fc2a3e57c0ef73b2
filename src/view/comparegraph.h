// The four control methods side by side in one picture: the force error and
// the peripheral error of each method's run over time, overlaid in one
// colour per method with a legend, and the table of figures of merit below.
#pragma once

#include <array>

#include "engine/compare.h"
#include "engine/settings.h"
#include "view/canvas.h"

namespace hs {

// Colour of each row of the comparison (methods 1, 3, 4, 6 in row order).
extern const std::array<Rgba, 4> COMPARECOLOURS;

// One complete comparison picture of rows, made on the case with settings s
// (robot and contour named in the title). Clears the canvas and presents it.
void drawcompare(Canvas& cv, const SimSettings& s, const std::array<MethodRun, 4>& rows);

}  // namespace hs
