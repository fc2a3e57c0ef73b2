// What a run has to say about itself, as data: each client words it in its
// own way (the console in Japanese with its key waits, the batch program in
// its exit status, the Python module as records).
#pragma once

#include <array>
#include <vector>

namespace hs {

enum class Severity {
  warning,  // the run is complete, but something in it deserves a look
  error,    // the run's results have no meaning
};

enum class DiagCode {
  unreachable,   // a commanded point was out of the arm's reach
  diverged,      // the state stopped being finite / physical
  torquelimit,   // a motor torque reached its limit
  pathend,       // a path end lies beyond the arm's reach (found by the derivation)
  nonfinite,     // a figure of merit is not a number (a motor with no torque to speak of)
  outofreach,    // the contact point or the tip left the arm's reach
  handtravel,    // the hand deflected further than its springs can travel
  contactlost,   // the contact force fell to zero or below over the settled steps
  saturated,     // the motors stood at their torque limits most of the settled time
};

struct Diagnostic {
  Severity severity = Severity::warning;
  DiagCode code = DiagCode::unreachable;
  double t = 0;  // time [s]: first unreachable command, last sound output
                 // step before the blow-up, first output step at the limit,
                 // first output step beyond the model's domain; 0 for a path
                 // end and for saturated
  // What the code is about:
  //   unreachable  - the commanded point (X, Y) [m]
  //   diverged     - unused
  //   torquelimit  - the motor (1 or 2) [-] and its torque limit [N m]
  //   pathend      - the path end (X, Y) [m]
  //   nonfinite    - the figure's place in FiguresOfMerit order (frms 0 .. tsat 8)
  //                  and its value
  //   outofreach   - the point (X, Y) [m] and the reach it crossed [m]: the
  //                  outer one, or the inner one for a point nearer the base
  //                  (the third value)
  //   handtravel   - the deflection along and across the hand [m], and the
  //                  travel it exceeds [m] (the third value; negative for the
  //                  travel along the hand pulled out)
  //   contactlost  - the contact force [N]
  //   saturated    - the share of the settled steps at a limit [%] and the
  //                  share above which this is told [%]
  std::array<double, 3> values{};
};

using Diagnostics = std::vector<Diagnostic>;

// The first diagnostic of `code`, or null.
const Diagnostic* finddiagnostic(const Diagnostics& d, DiagCode code);
// No error among them: the run's results mean what they say.
bool noerror(const Diagnostics& d);

}  // namespace hs
