// A case as a value, the defaults every session starts from, and the two
// values a session leaves behind for its later runs.
#include "engine/case.h"


namespace hs {

Case caseof(const SimSettings& s, const ContourPath& p) {
  Case c;
  c.set = s;
  c.worklen = s.worklen;
  c.accwindow6 = p.profile(s.type).ta;
  return c;
}

void storecase(const Case& c, SimSettings& s, ContourPath& p) {
  s = c.set;
  // The two values the session carried over: the drawn work block, and the
  // acceleration time method 6 keeps from an earlier trajectory.
  s.worklen = c.worklen;
  p.profile(s.type).ta = c.accwindow6;
}

void installrunconstants(SimSettings& s) {
  s.dt = 0.04;
  s.nstep = 200;
  s.workoff = 0.12;
  s.wp = 0.2;
  s.worklen = 0.15;
  s.workwid = 0.02;
}

namespace {

// Servo targets per method in Hz (converted with the stored 2 pi) and 1/s.
struct SpecDefault {
  Method method;
  double fn1, alpha1, fn2, alpha2;
};
constexpr SpecDefault SPECDEFAULTS[] = {
    {Method::hybrid1, 5.0, 0.0, 10.0, 5.0},
    {Method::hybrid3, 5.0, 0.0, 20.0, 2.0},
    {Method::hybrid4, 10.0, 0.0, 30.0, 5.0},
    {Method::hybrid6, 5.0, 0.0, 20.0, 2.0},
};

// Both robots start with 200 W motors and 1:100 reducers of 60 % forward
// efficiency.
void setdefaultdrive(const DriveData& d) {
  d.PW1 = d.PW2 = 200.0;
  d.u1 = d.u2 = 100.0;
  d.eta1 = d.eta2 = 0.6;
}

// Path ends of the current path that robot `type` cannot reach.
void collectends(const SimSettings& s, const ContourPath& p, Robot type,
                 std::vector<std::pair<Robot, Pair>>& out) {
  for (const Pair& end : unreachableends(s, p, type)) out.push_back({type, end});
}

// Each robot's model is seeded while `type` names it. The motor constants
// are placeholders (zero) until the first full derivation computes them.
void installrobots(SimSettings& s, RobotModel& m) {
  // 1. Cylindrical robot.
  s.l = 0.7;
  s.type = Robot::a;
  callinks(s, m);
  s.mw = 1.0;
  calwork(s, s.mw, m);
  s.worklen = 0.15;
  s.workwid = 0.02;
  setdefaultdrive(drivedata(s, Robot::a));
  caleff(s, m);
  caljeq(s, m);

  // 2. SCARA robot.
  s.l1 = 0.5;
  s.l2 = 0.3;
  s.type = Robot::b;
  callinks(s, m);
  s.mw = 1.0;
  calwork(s, s.mw, m);
  setdefaultdrive(drivedata(s, Robot::b));
  caleff(s, m);
  caljeq(s, m);

  // 3. Hand springs.
  s.KH2 = 500.0;
  s.KH1 = s.KH2;
}

// 4. Servo targets and gains of every method, designed for both robots.
void installgains(SimSettings& s, const RobotModel& m, ServoGains& g) {
  for (const SpecDefault& d : SPECDEFAULTS) {
    s.hybrid = d.method;
    gainspecof(s, d.method) = servotargets(d.fn1, d.alpha1, d.fn2, d.alpha2);
    g.zeta1 = g.zeta2 = 1.0;
    s.type = Robot::a;
    designgains(s, m, g);
    s.type = Robot::b;
    designgains(s, m, g);
  }
}

// 6. Contours: line, circle, sine, each made the current path once and its
// trajectory prepared for both robots; the ends out of reach are collected.
void installcontours(SimSettings& s, ContourPath& p, std::vector<std::pair<Robot, Pair>>& out) {
  for (Contour kind : {Contour::line, Contour::circle, Contour::sine}) {
    s.curve = kind;
    switch (kind) {
      case Contour::line:
        s.line = LineSpec{0.3, 0.0, 0.3, 0.3, 4.0};
        break;
      case Contour::circle:
        s.circle = CircleSpec{0.4, 0.0, 0.25, 6.0};
        break;
      case Contour::sine:
        s.sine.x0 = 0.2;
        s.sine.y0 = 0.3;
        s.sine.L = 0.8 - 0.2;
        s.sine.A = 0.2;
        s.sine.tf = 4.0;
        setsineend(s.sine);
        break;
    }
    setpath(s, p);
    collectends(s, p, Robot::a, out);
    collectends(s, p, Robot::b, out);
    s.type = Robot::a;
    settrajectory(s, p);
    s.type = Robot::b;
    settrajectory(s, p);
  }
}

}  // namespace

// The order matters: the robots first, then the gains of every method for
// both, then every contour. The last of each loop leaves the selections at
// robot b, method 6, sine, and since method 6 keeps the acceleration time
// untouched it stays 0 until another method prepares a trajectory.
std::vector<std::pair<Robot, Pair>> installdefaults(SimSettings& s, RobotModel& m, ServoGains& g,
                                                    ContourPath& p) {
  std::vector<std::pair<Robot, Pair>> unreachable;
  installrobots(s, m);
  installgains(s, m, g);
  // 5. Contact force and setting error.
  s.Fn = 10.0;
  s.seterror = 0.005;
  installcontours(s, p, unreachable);
  return unreachable;
}

void select(Case& c, Robot type, Method hybrid, Contour curve) {
  c.set.type = type;
  c.set.hybrid = hybrid;
  c.set.curve = curve;
}

}  // namespace hs
