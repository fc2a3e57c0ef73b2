// Physical model derived from the few engineering numbers the user enters:
// steel-tube links, payload, motors, reducers with direction-dependent
// efficiency, and the nominal inertia each motor sees.
#pragma once

#include <vector>

#include "engine/settings.h"

namespace hs {

struct ContourPath;
struct ServoGains;

// One set of derived values per robot type (fields of the other type unused).
struct RobotData {
  // Cylindrical robot (type a).
  double darm = 0;      // arm tube outer diameter [m]
  double marm = 0;      // arm mass [kg]
  double iarm = 0;      // arm inertia about its centre [kg m^2]
  double blocklen = 0;  // rotary joint block length, drawing only [m]
  double blockwid = 0;  // rotary joint block width, drawing only [m]
  // SCARA robot (type b).
  double lc1 = 0, lc2 = 0;  // joint to link centre distances [m]
  double d1 = 0, d2 = 0;    // link tube outer diameters [m]
  double m1 = 0, m2 = 0;    // link masses [kg]
  double i1 = 0, i2 = 0;    // link inertias about their centres [kg m^2]
  // Both types.
  double iw = 0;              // payload inertia about its centre [kg m^2]
  double jm1 = 0, jm2 = 0;    // rotor inertias [kg m^2]
  double T1max = 0, T2max = 0;  // motor torque limits [N m]
  double etab1 = 0, etab2 = 0;  // backward efficiencies of the reducers [-]
  double jeq1 = 0, jeq2 = 0;    // nominal inertia at the motor shafts [kg m^2]
};

struct RobotModel {
  RobotData a, b;
  RobotData& of(Robot type) { return type == Robot::a ? a : b; }
  const RobotData& of(Robot type) const { return type == Robot::a ? a : b; }
};

// Single derivation steps, each for the current robot type s.type only.
void callinks(const SimSettings& s, RobotModel& m);
void calwork(const SimSettings& s, double mw, RobotModel& m);
void calmotor(const SimSettings& s, RobotModel& m);
void caleff(const SimSettings& s, RobotModel& m);
void caljeq(const SimSettings& s, RobotModel& m);

// Backward efficiency of a reducer with ratio u and forward efficiency eta.
double backwardefficiency(double u, double eta);

// Re-derives everything for the current robot type, in the fixed order:
// links, payload, motors, efficiencies, nominal inertias, gain design,
// path, reachability of the path ends, trajectory.
// Returns the path end points the current robot cannot reach, in the order
// they were checked (start, then end); the caller reports them.
std::vector<Pair> calmodel(SimSettings& s, RobotModel& m, ServoGains& g, ContourPath& path);
// The ends of path p (start, then end) that robot `type` of s cannot reach.
std::vector<Pair> unreachableends(const SimSettings& s, const ContourPath& p, Robot type);

}  // namespace hs
