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

// One figure of merit: its names, its member, its unit and its table cell.
struct FigureInfo {
  const char* name;              // name in code, in CSV headers and table heads
  const char* label;             // name on the console, in Japanese
  double FiguresOfMerit::*value; // the member holding it
  const char* unit;              // unit shown after the value
  const char* cell;              // printf format of its table cell
  int width;                     // width of that cell [characters]
};
// The nine figures in their order of CSV columns and table columns.
extern const std::array<FigureInfo, 9> FIGURES;

// For each figure (in FIGURES order) and each row, whether the row holds the
// best value of that figure: the smallest absolute value (least error, least
// effort, least time at the limit). Values are compared as printed with
// `format` (each figure's table cell when null), so values that print alike
// tie, and ties are all marked; a value that is not a number, or the row of
// a failed run, is never best.
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
