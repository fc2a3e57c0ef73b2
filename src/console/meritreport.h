// Figures of merit as the user reads them: on the console (one run, or the
// four methods side by side with the best of each figure marked) and as CSV
// for the batch program.
#pragma once

#include <array>
#include <string>

#include "console/app.h"
#include "engine/compare.h"
#include "engine/model/metrics.h"

namespace hs {

// bestof (engine/model/metrics.h) of the four rows: for each figure and
// each row, whether the row holds the best value of that figure.
std::array<std::array<bool, 4>, 9> bestmarks(const std::array<MethodRun, 4>& rows,
                                             const char* format = nullptr);

// The figures of the run on screen: robot, method, contour and one line a figure.
std::string metricstext(const App& app);
// The same of run r (which has a model).
std::string metricstext(const Run& r);
// The comparison table of rows for the case of app.
std::string comparetext(const App& app, const std::array<MethodRun, 4>& rows);

// Prints metricstext of the run on screen.
void printmetrics(const App& app, Console& con);
// Runs the four methods on the current case and prints their table; app is
// only read.
void printcompare(const App& app, Console& con);

// CSV of one run's figures: the header "method,frms,...,tsat" and one row.
std::string metricscsv(char method, const FiguresOfMerit& f);
// The same for the run on screen, under its method.
std::string metricscsv(const App& app);
// The same of run r, under the method it ran.
std::string metricscsv(const Run& r);
// CSV of the comparison: the same header and one row per method, in row
// order, with a last column `failed` (1 for a failed run, else 0).
std::string comparecsv(const std::array<MethodRun, 4>& rows);

}  // namespace hs
