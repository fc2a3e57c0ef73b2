// PID gain design by pole placement (s + alpha)(s^2 + 2 zeta wn s + wn^2).
#pragma once

#include "engine/settings.h"

namespace hs {

struct RobotModel;

struct Pid {
  double Kp = 0, Kv = 0, Ki = 0;
};

// Gains of one robot type.
struct GainSet {
  Pid posgain1, posgain2;      // method 1 position loops, motor 1 / 2
  Pid forcegain1, forcegain2;  // method 1 force (deflection) loops
  Pid firstgain, secondgain;   // methods 3, 4, 6
};

struct ServoGains {
  // Current design inputs, copied from the GainSpec of the current method.
  double omega1 = 0, alpha1 = 0;  // [rad/s], [1/s]
  double omega2 = 0, alpha2 = 0;  // [rad/s], [1/s]
  double zeta1 = 1.0, zeta2 = 1.0;  // damping ratios
  GainSet set[2];                 // index typeindex(type)
  GainSet& of(Robot type) { return set[typeindex(type)]; }
  const GainSet& of(Robot type) const { return set[typeindex(type)]; }
};

// A natural frequency entered in Hz as the angular frequency held [rad/s]
// (with the stored 2 pi).
double omegaofhz(double fn);
// Servo targets from entered frequencies fn1, fn2 [Hz] (converted with the
// stored 2 pi) and alpha1, alpha2 [1/s].
GainSpec servotargets(double fn1, double alpha1, double fn2, double alpha2);
// Entered servo targets become the current design inputs and the servo
// targets of the current method s.hybrid.
void storeservotargets(SimSettings& s, ServoGains& g, const GainSpec& targets);

// Normalised PID gains for a loop with natural frequency omega, damping zeta, alpha.
Pid normalisedgains(double omega, double zeta, double alpha);
// Designs the gains of robot s.type for method s.hybrid from its GainSpec
// and the nominal inertias of the model.
void designgains(const SimSettings& s, const RobotModel& m, ServoGains& g);

}  // namespace hs
