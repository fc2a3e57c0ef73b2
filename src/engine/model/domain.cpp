// The model's domain checked over a recorded run.
#include "engine/model/domain.h"

#include <cmath>

#include "engine/control/kinematics.h"

namespace hs {

namespace {

// Rounding in the kinematics is not a step beyond the reach [m].
constexpr double SLACK = 1e-9;

}  // namespace

Reach reachof(const SimSettings& s) {
  if (s.type == Robot::a) return {0, s.l + s.wp};
  const double L2 = s.l2 + s.wp;
  return {std::fabs(s.l1 - L2), s.l1 + L2};
}

void checkdomain(const RunModel& rm, const RunHistory& h, const FiguresOfMerit& f,
                 Diagnostics& d) {
  const SimSettings& s = rm.set;
  const ArmGeometry g = armgeometry(s);
  const Reach reach = reachof(s);
  const int n = f.last;
  // Where the contact point and the tip are: each within the annulus the arm
  // reaches (robot a's radial joint also never behind the base).
  auto within = [&](double r) { return r >= reach.inner - SLACK && r <= reach.outer + SLACK; };
  for (int i = 0; i <= n; ++i) {
    const Pair q{h.motorpos[i][0] / g.u1, h.motorpos[i][1] / g.u2};
    const Pair P = fkine(g, q);
    const double rp = s.type == Robot::a ? q[1] : std::hypot(P[0], P[1]);
    const Pair& T = h.tippos[i];
    const bool pout = !within(rp), tout = !within(std::hypot(T[0], T[1]));
    if (pout || tout) {
      // The bound crossed: the outer reach, or the inner one (robot a: its
      // radial joint behind the base) for a point nearer the base.
      const Pair& at = pout ? P : T;
      const double r = pout ? rp : std::hypot(T[0], T[1]);
      const double bound = r < reach.inner - SLACK ? reach.inner : reach.outer;
      d.push_back({Severity::error, DiagCode::outofreach, i * s.dt, {at[0], at[1], bound}});
      break;
    }
  }
  // The hand springs' deflection within their travel as drawn, over the
  // settled steps (the approach to the workpiece is left out).
  for (int i = f.first; i <= n; ++i) {
    const Pair& p = h.tipdefl[i];
    const bool pressed = p[0] > HANDTRAVEL1, pulled = -p[0] > HANDTRAVEL1OUT;
    const bool across = std::fabs(p[1]) > HANDTRAVEL2;
    if (pressed || pulled || across) {
      const double travel = pressed ? HANDTRAVEL1 : pulled ? -HANDTRAVEL1OUT : HANDTRAVEL2;
      d.push_back({Severity::error, DiagCode::handtravel, i * s.dt, {p[0], p[1], travel}});
      break;
    }
  }
  // A pressing contact over the settled steps: the model's springs also
  // pull, a tip that would have left the workpiece does not.
  for (int i = f.first; i <= n; ++i)
    if (!(h.force[i][0] > 0)) {
      d.push_back({Severity::error, DiagCode::contactlost, i * s.dt, {h.force[i][0], 0, 0}});
      break;
    }
  // Motors held at their limits.
  if (f.tsat > SATURATEDSHARE)
    d.push_back({Severity::warning, DiagCode::saturated, 0, {f.tsat, SATURATEDSHARE, 0}});
}

}  // namespace hs
