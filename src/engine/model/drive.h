// Contact model of the compliant tip against the entered workpiece, and the
// drive model of motors and reducers with direction-dependent efficiency.
#pragma once

#include "engine/model/runmodel.h"

namespace hs {

struct ContactOut {
  Pair force{};  // (normal contact force F, 0) [N]; negative F pulls
  Pair f{};      // force in the hand frame (along, across the hand) [N]
  Pair p{};      // hand spring deflection in the hand frame [m]
  Pair dm{};     // motor-side deflection [rad]
};

// Contact at motor positions m for the current robot type and contour.
ContactOut calcontact(const SimSettings& s, const ContourPath& path, const Pair& m);
// Motor-side deflection [rad] that a normal contact force `force` [N] would
// give at motor positions m (the deflection calcontact reports for that force).
Pair contactdeflection(const SimSettings& s, const ContourPath& path, const Pair& m,
                       double force);

// Reducer data of both joints of one robot.
struct DriveParams {
  double eta1 = 0, etab1 = 0;  // forward / backward efficiency of reducer 1
  double eta2 = 0, etab2 = 0;  // forward / backward efficiency of reducer 2
  double jm1 = 0, jm2 = 0;     // rotor inertias [kg m^2]
};

struct DriveSolve {
  Pair a{};  // motor accelerations [rad/s^2]
  Pair P{};  // torques delivered into the reducers [N m]
};

// Cylindrical robot, joint k alone (diagonal mass matrix).
double caldrive1(int k, double v, double T, double F, double eta, double etab,
                 double jm, const Mat2& M);
// SCARA robot, both joints together.
Pair caldrive2(const Pair& w, const Pair& T, const Pair& F, const Mat2& M,
               const DriveParams& d);
// Coupled solve with efficiency factors e1, e2.
DriveSolve solve2(double e1, double e2, const Pair& T, const Pair& F, const Mat2& M,
                  const DriveParams& d);
// One joint alone, the other held: returns (a, P).
Pair solve1(double e, double T, double jm, double Mkk, double F);

}  // namespace hs
