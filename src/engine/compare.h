// The four control methods side by side: the case run with each method, as
// if it had been chosen in the menu's method group and the run repeated,
// all four at once on separate threads.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "engine/case.h"
#include "engine/run.h"
#include "engine/model/simrun.h"
#include "engine/model/metrics.h"

namespace hs {

// The methods compared, in the order of their rows.
constexpr std::array<Method, 4> COMPAREMETHODS{Method::hybrid1, Method::hybrid3, Method::hybrid4,
                                              Method::hybrid6};

// One method's run and its figures.
struct MethodRun {
  Method method = Method::hybrid6;  // control method
  FiguresOfMerit fig;      // figures of its run
  RunReport rep;           // how its run ended: its diagnostics, path ends included
  double dt = 0;                 // output interval of the run [s]
  double tf = 0;                 // end of the commanded motion [s]
  std::vector<double> forceerr;  // force error at output steps 0 .. last [N]
  std::vector<double> perierr;   // peripheral error at output steps 0 .. last [m]
  std::shared_ptr<const Run> run;  // the whole run, for the study view of the four

  // True when the run left the reachable area (a path end or a commanded
  // point), diverged or gave figures that are not numbers: its figures mean
  // nothing, so it is marked and wins no column.
  bool failed() const { return !rep.ok(); }
};

// True when one of the rows is a failed run.
inline bool anyfailed(const std::array<MethodRun, 4>& rows) {
  for (const MethodRun& r : rows)
    if (r.failed()) return true;
  return false;
}

// Runs case c with `method`: the model and gains are derived with the
// method's own servo targets, and the run is made. Nothing is printed.
MethodRun runmethod(const Case& c, Method method);

// runmethod for each of COMPAREMETHODS, all in parallel.
std::array<MethodRun, 4> comparemethods(const Case& c);

}  // namespace hs
