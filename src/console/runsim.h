// The console's words for a run: the points out of reach, the closing notes
// on a run's diagnostics, and the sentences for the model's domain.
#pragma once

#include <string>

#include "console/console.h"
#include "engine/control/contour.h"
#include "engine/run.h"
#include "engine/settings.h"

namespace hs {

// Whether a report of a point out of reach waits for a key: at the
// console it does; clients without a user at the keys (the batch program,
// the Python module) take the text alone.
enum class KeyWaits { yes, no };
// Reachability of path p's start and end for the robot of settings s, each
// point out of reach reported at once; the joint values are not kept.
void checkpathends(const SimSettings& s, const ContourPath& p, Console& con);
// Prints the two unreachable-point lines and waits for one key.
void reportunreachable(Console& con, const SimSettings& s, double x, double y,
                       KeyWaits waits = KeyWaits::yes);
// The console's words for a run's diagnostics: the point out of reach
// (with its key wait), then `done`, then the closing notes on steps cut,
// points out of reach, a blow-up and each step beyond the model's domain
// (domainnote). A torque at its limit is not told.
void tellrun(Console& con, const SimSettings& s, const RunReport& rep, KeyWaits waits,
             const char* done);
// The console's sentence for a diagnostic of the model's domain (outofreach,
// handtravel, contactlost, saturated), in the message language; empty for
// any other code.
std::string domainnote(const Diagnostic& d);
// The console's words for a run made by a client without a user at the keys:
// its path ends out of reach as the derivation reports them, then tellrun.
// `done` is said after the run's messages (the batch program says nothing).
void tellrun(Console& con, const Run& r, const char* done = "\ncalcontrol()終わり");

}  // namespace hs
