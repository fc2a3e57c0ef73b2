// Figures of merit as the user reads them: on the console (one run, or the
// four methods side by side with the best of each figure marked) and as CSV
// for the batch program.
#pragma once

#include <array>
#include <string>

#include "engine/run.h"
#include "engine/settings.h"
#include "engine/compare.h"
#include "engine/model/metrics.h"

namespace hs {

// The robot's and the contour's names in the message language, as the
// reports and the menu say them ("SCARAロボット", "正弦波曲線").
const char* robotname(Robot type);
const char* contourname(Contour curve);

// bestof (engine/model/metrics.h) of the four rows: for each figure and
// each row, whether the row holds the best value of that figure.
std::array<std::array<bool, 4>, 9> bestmarks(const std::array<MethodRun, 4>& rows,
                                             const char* format = nullptr);

// The figures f of a run with settings s: robot, method, contour and one
// line a figure.
std::string metricstext(const SimSettings& s, const FiguresOfMerit& f);
// The same of run r (which has a model).
std::string metricstext(const Run& r);
// The comparison table of rows for a case of settings s (its method marked
// as the current one).
std::string comparetext(const SimSettings& s, const std::array<MethodRun, 4>& rows);

// CSV of one run's figures: the header "method,frms,...,tsat" and one row.
std::string metricscsv(Method method, const FiguresOfMerit& f);
// The same of run r, under the method it ran.
std::string metricscsv(const Run& r);
// CSV of the comparison: the same header and one row per method, in row
// order, with a last column `failed` (1 for a failed run, else 0).
std::string comparecsv(const std::array<MethodRun, 4>& rows);

}  // namespace hs
