// PID gain design by pole placement. Each loop is treated as a pure inertia
// J driven by its PID controller, J s^2 x = -(Kp + Kv s + Ki/s) x, whose
// characteristic polynomial is matched to (s + alpha)(s^2 + 2 zeta wn s + wn^2).
#include "engine/control/gains.h"

#include "engine/model/robotmodel.h"

namespace hs {

double omegaofhz(double fn) { return PI2 * fn; }

GainSpec servotargets(double fn1, double alpha1, double fn2, double alpha2) {
  return GainSpec{omegaofhz(fn1), alpha1, omegaofhz(fn2), alpha2};
}

void storeservotargets(SimSettings& s, ServoGains& g, const GainSpec& targets) {
  g.omega1 = targets.omega1;
  g.alpha1 = targets.alpha1;
  g.omega2 = targets.omega2;
  g.alpha2 = targets.alpha2;
  gainspecof(s, s.hybrid) = targets;
}

// Gains per unit inertia: the coefficients of the target polynomial.
Pid normalisedgains(double omega, double zeta, double alpha) {
  Pid p;
  p.Kp = omega * omega + 2.0 * zeta * omega * alpha;
  p.Kv = 2.0 * zeta * omega + alpha;
  p.Ki = alpha * omega * omega;
  return p;
}

namespace {
Pid scaled(const Pid& p, double f) { return {p.Kp * f, p.Kv * f, p.Ki * f}; }
}  // namespace

// Loads the servo targets of the current method, then writes the gains of
// the current robot for that method. Methods 1 and 4 act on motor-side
// errors, so their gains scale with the nominal motor inertia; methods 3 and
// 6 act on tip position (times u1^2) and on contact force through the hand
// spring (times u2^2 / KH1).
void designgains(const SimSettings& s, const RobotModel& m, ServoGains& g) {
  const GainSpec& servo = gainspecof(s, s.hybrid);
  g.omega1 = servo.omega1;
  g.alpha1 = servo.alpha1;
  g.omega2 = servo.omega2;
  g.alpha2 = servo.alpha2;

  const Pid P = normalisedgains(g.omega1, g.zeta1, g.alpha1);
  const Pid F = normalisedgains(g.omega2, g.zeta2, g.alpha2);
  const RobotData& rd = m.of(s.type);
  const RobotParams rp = robotparams(s);
  GainSet& gs = g.of(s.type);
  // A zero hand spring leaves no force to feed back: its force loop gets no gain.
  const double perspring = s.KH1 != 0.0 ? rp.u2 * rp.u2 / s.KH1 : 0.0;

  switch (s.hybrid) {
    case Method::hybrid1:
      gs.posgain1 = scaled(P, rd.jeq1);
      gs.posgain2 = scaled(P, rd.jeq2);
      gs.forcegain1 = scaled(F, rd.jeq1);
      gs.forcegain2 = scaled(F, rd.jeq2);
      break;
    case Method::hybrid3:
      gs.firstgain = scaled(P, rd.jeq1 * rp.u1 * rp.u1);
      gs.secondgain = scaled(F, rd.jeq2 * perspring);
      break;
    case Method::hybrid4:
      gs.firstgain = scaled(P, rd.jeq1);
      gs.secondgain = scaled(F, rd.jeq2);
      break;
    case Method::hybrid6:
      gs.firstgain = scaled(P, rd.jeq1 * rp.u1 * rp.u1);
      // Robot a scales its force loop by the rotary joint's inertia.
      gs.secondgain = scaled(F, (s.type == Robot::a ? rd.jeq1 : rd.jeq2) * perspring);
      break;
  }
}

}  // namespace hs
