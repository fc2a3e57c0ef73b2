// Command generator: desired point, path speed, commanded motor positions
// (including the hand deflection that produces Fn) and motor speeds at time t.
#pragma once

#include "engine/model/runmodel.h"

namespace hs {

struct ControlState;

struct CommandOut {
  Pair P{};               // commanded point [m]
  double s = 0;           // arc position of P [m]
  double sdot = 0;        // path speed [m/s]
  Pair mcmd{};            // commanded motor positions [rad]
  Pair mdotcmd{};         // commanded motor velocities [rad/s] (methods 1, 3, 4)
  bool unreachable = false;  // some inverse kinematics of this call was out of reach
};

// Reads and (method 6) writes cs.qref.
CommandOut command(const RunModel& rm, ControlState& cs, double t);

}  // namespace hs
