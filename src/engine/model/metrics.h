// Figures of merit of one run: how well the tip pressed with the commanded
// force and followed the path, and how hard the motors had to work for it.
// A pure function of the recorded history, the run's step settings and the
// motors' torque limits of the derived model.
#pragma once

#include <array>
#include <vector>

#include "engine/settings.h"
#include "engine/model/robotmodel.h"
#include "engine/model/simrun.h"

namespace hs {

// Time after which a run counts as settled: the force and position figures
// leave out the approach to the workpiece in the first second.
constexpr double SETTLETIME = 1.0;  // [s]
// A motor counts as saturated when its torque is within this fraction of its limit.
constexpr double SATTOL = 1e-9;     // [-]

struct FiguresOfMerit {
  double frms = 0;    // root mean square of forceerr over the settled steps [N]
  double fmax = 0;    // largest |forceerr| over the settled steps [N]
  double erms = 0;    // root mean square of |poserr| over the settled steps [m]
  double emax = 0;    // largest |poserr| over the settled steps [m]
  double pend = 0;    // perierr at the last step: tip path ahead (+) of the command's [m]
  double pmax = 0;    // largest |perierr| over all steps [m]
  double t1peak = 0;  // largest |torque| of motor 1 over the settled steps / T1max [-]
  double t2peak = 0;  // largest |torque| of motor 2 over the settled steps / T2max [-]
  double tsat = 0;    // share of the steps 1 .. last with a motor at its limit [%]
  int first = 0;      // first settled step [output step index]
  int last = 0;       // last step of the run [output step index]
};

// The first settled output step of a run of steps 0 .. laststep recorded
// every dt seconds: the first output time at or after SETTLETIME, or 0 (the
// run as a whole) when that lies beyond the run or dt is not a positive time.
int settledfirst(double dt, int laststep);

// Figures of steps 0 .. laststep of h, recorded every dt seconds, with the
// motor torque limits T1max, T2max [N m]. The settled steps are
// k0 .. laststep with k0 = ceil(SETTLETIME / dt), or all steps when k0 lies
// beyond the run. Sums of squares are rounded once (exactly rounded sums),
// so that each figure is reproduced to the last bit from the printed
// history by the same formulas; |poserr| is sqrt(x*x + y*y). A torque peak
// with a limit that is not positive is not a number.
FiguresOfMerit figuresofmerit(const RunHistory& h, int laststep, double dt, double T1max,
                              double T2max);
// The figures of the run of robot s.type as calcontrol recorded it: its last
// step is nstep (held to the history), its limits those of the model.
FiguresOfMerit figuresofmerit(const RunHistory& h, const SimSettings& s, const RobotModel& m);

// Sum of n doubles rounded once to the nearest double (ties to even), as if
// summed exactly: independent of the order of the terms.
double exactsum(const double* x, int n);

// One figure of merit: its name, its member and its unit.
struct FigureInfo {
  const char* name;              // name in code, in CSV headers and table heads
  double FiguresOfMerit::*value; // the member holding it
  const char* unit;              // unit shown after the value
};
// The nine figures in their order of CSV columns and table columns.
extern const std::array<FigureInfo, 9> FIGURES;

// The best of runs side by side: for each run (figs[i], failed[i]) and each
// figure (in FIGURES order), whether the run holds the best value of that
// figure: the smallest absolute value (least error, least effort, least
// time at the limit). Values are compared as printed, figure c with the
// printf format formats[c], so values that print alike tie, and ties are
// all marked; a value that is not a number, or a failed run (out of reach,
// diverged), is never best.
std::vector<std::array<bool, 9>> bestof(const std::vector<FiguresOfMerit>& figs,
                                        const std::vector<bool>& failed,
                                        const std::array<const char*, 9>& formats);

}  // namespace hs
