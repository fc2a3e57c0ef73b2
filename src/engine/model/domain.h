// Whether a run stayed within what the model describes: an arm that reaches
// the points it is at, a hand deflected no further than its springs travel,
// a contact that presses, and motors that are not held at their limits.
#pragma once

#include "engine/model/diagnostics.h"
#include "engine/model/metrics.h"
#include "engine/model/runmodel.h"
#include "engine/model/simrun.h"

namespace hs {

// Above this share of the steps at a torque limit [%] a run is told to have
// motors at their limits most of the time.
constexpr double SATURATEDSHARE = 50.0;

// How far the arm of settings s reaches: the distance of the undeflected
// contact point from the base lies in [inner, outer] [m]. Robot a: its radial
// joint carries the contact point from the base out to l + wp. Robot b: the
// two links l1 and l2 + wp give |l1 - (l2 + wp)| .. l1 + l2 + wp.
struct Reach {
  double inner = 0, outer = 0;
};
Reach reachof(const SimSettings& s);

// Appends to d what run h of model rm did beyond the model's domain, each
// once at its first output step: the undeflected contact point or the real
// tip beyond the reach (outofreach), and over the settled steps of f a hand
// deflection beyond HANDTRAVEL1, HANDTRAVEL1OUT or HANDTRAVEL2 (handtravel) and a contact
// force of zero or below (contactlost), all errors; and a warning when more
// than SATURATEDSHARE per cent of the steps had a motor at its limit
// (saturated).
void checkdomain(const RunModel& rm, const RunHistory& h, const FiguresOfMerit& f,
                 Diagnostics& d);

}  // namespace hs
