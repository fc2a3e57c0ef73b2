// What one simulation run reads: the settings and the model derived from
// them. Read-only while a run goes on.
#pragma once

#include <array>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/control/kinematics.h"
#include "engine/settings.h"
#include "engine/model/robotmodel.h"

namespace hs {

// The six-element state: motor positions [rad], motor speeds [rad/s],
// time integrals of commanded minus actual motor positions [rad s].
using SimState = std::array<double, 6>;

struct RunModel {
  const SimSettings& set;
  const RobotModel& model;
  const ContourPath& path;
  const ServoGains& gains;

  Robot type() const { return set.type; }
  const RobotData& robot() const { return model.of(set.type); }
  const GainSet& gainset() const { return gains.of(set.type); }
  const SpeedProfile& profile() const { return path.profile(set.type); }
  ArmGeometry arm() const { return armgeometry(set); }
  RobotParams params() const { return robotparams(set); }
};

}  // namespace hs
