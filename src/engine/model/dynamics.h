// Rigid-body dynamics of the arm written at the motor shafts.
#pragma once

#include "engine/model/runmodel.h"

namespace hs {

struct ControlState;

// Component j (0..5) of dx/dt at time t; evaluates the control law (j = 2, 3)
// and the command generator (j = 4, 5), which is why it takes the memory.
double calderiv(const RunModel& rm, ControlState& cs, int j, double t, const SimState& x);
// Motor-side mass matrix without rotor inertias.
Mat2 calmass(const RunModel& rm, const SimState& x);
// Motor-side velocity-dependent torque of joint k (0 or 1).
double calvel(const RunModel& rm, int k, const SimState& x);

}  // namespace hs
