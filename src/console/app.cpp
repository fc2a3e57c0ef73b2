// Start-up installation of constants and defaults, and the derivation step
// with its console report of path ends out of reach.
#include "console/app.h"

#include "engine/control/kinematics.h"

namespace hs {

// Run constants and the fixed dimensions of the carried work.
void installconstants(App& app) {
  setdisplaydefaults(app.disp);
  SimSettings& s = app.set;
  s.dt = 0.04;
  s.nstep = 200;
  s.workoff = 0.12;
  s.wp = 0.2;
  s.worklen = 0.15;
  s.workwid = 0.02;
}

void sethanddimensions(SimSettings& s) {
  s.wp = HANDWP;
  s.worklen = WORKLEN;
  s.workwid = WORKWID;
}

void reportunreachable(Console& con, const SimSettings& s, double x, double y, KeyWaits waits) {
  con.print("\n!!! 逆運動学の解なし．始めからやり直し．");
  con.print(fmt("\n    アーム長1,2=(%6.3f %6.3f) 位置(x,y)=(%6.3f %6.3f)", s.l1, s.l2 + s.wp, x, y));
  if (waits == KeyWaits::no) return;
  con.print(kKeyContinues);
  con.readkey();
}

namespace {

// Servo targets per method in Hz (converted with the stored 2 pi) and 1/s.
struct SpecDefault {
  char method;
  double fn1, alpha1, fn2, alpha2;
};
constexpr SpecDefault SPECDEFAULTS[] = {
    {'1', 5.0, 0.0, 10.0, 5.0},
    {'3', 5.0, 0.0, 20.0, 2.0},
    {'4', 10.0, 0.0, 30.0, 5.0},
    {'6', 5.0, 0.0, 20.0, 2.0},
};

// Both robots start with 200 W motors and 1:100 reducers of 60 % forward
// efficiency.
void setdefaultdrive(const DriveData& d) {
  d.PW1 = d.PW2 = 200.0;
  d.u1 = d.u2 = 100.0;
  d.eta1 = d.eta2 = 0.6;
}

}  // namespace

// Reachability of the current path's start and end for robot `type`; the
// joint values are not kept.
void checkpathends(const App& app, Console& con, char type) {
  SimSettings probe = app.set;
  probe.type = type;
  const ArmGeometry arm = armgeometry(probe);
  for (const Pair& end : {Pair{app.path.x0, app.path.y0}, Pair{app.path.xf, app.path.yf}}) {
    if (!ikine(arm, end[0], end[1], Pair{0.0, 0.0}).reachable)
      reportunreachable(con, probe, end[0], end[1]);
  }
}

// Default installation. The order matters: each robot's model is seeded
// while `type` names it, the gains of every method are designed for both
// robots, and every contour is prepared once. The last of each loop leaves
// the selections at robot b, method 6, sine, and since method 6 keeps the
// acceleration time untouched it stays 0 until another method prepares a
// trajectory.
void setdefaults(App& app, Console& con) {
  SimSettings& s = app.set;
  RobotModel& m = app.model;

  // 1. Cylindrical robot. The motor constants are placeholders (zero)
  //    until the first full derivation computes them.
  s.l = 0.7;
  s.type = 'a';
  callinks(s, m);
  s.mw = 1.0;
  calwork(s, s.mw, m);
  s.worklen = 0.15;
  s.workwid = 0.02;
  setdefaultdrive(drivedata(s, 'a'));
  caleff(s, m);
  caljeq(s, m);

  // 2. SCARA robot; the joint drawing radii follow its default lengths once.
  s.l1 = 0.5;
  s.l2 = 0.3;
  s.type = 'b';
  callinks(s, m);
  app.disp.jointr1 = 0.075 * s.l1;
  app.disp.jointr2 = 0.075 * s.l2;
  s.mw = 1.0;
  calwork(s, s.mw, m);
  setdefaultdrive(drivedata(s, 'b'));
  caleff(s, m);
  caljeq(s, m);

  // 3. Hand springs.
  s.KH2 = 500.0;
  s.KH1 = s.KH2;

  // 4. Servo targets and gains of every method for both robots.
  for (const SpecDefault& d : SPECDEFAULTS) {
    s.hybrid = d.method;
    *gainspecof(s, d.method) = servotargets(d.fn1, d.alpha1, d.fn2, d.alpha2);
    app.gains.zeta1 = app.gains.zeta2 = 1.0;
    s.type = 'a';
    designgains(s, m, app.gains);
    s.type = 'b';
    designgains(s, m, app.gains);
  }

  // 5. Contact force and setting error.
  s.Fn = 10.0;
  s.seterror = 0.005;

  // 6. Contours: line, circle, sine, each made the current path once.
  for (char kind : {'L', 'C', 'S'}) {
    s.curve = kind;
    switch (kind) {
      case 'L':
        s.line = LineSpec{0.3, 0.0, 0.3, 0.3, 4.0};
        break;
      case 'C':
        s.circle = CircleSpec{0.4, 0.0, 0.25, 6.0};
        break;
      case 'S':
        s.sine.x0 = 0.2;
        s.sine.y0 = 0.3;
        s.sine.L = 0.8 - 0.2;
        s.sine.A = 0.2;
        s.sine.tf = 4.0;
        setsineend(s.sine);
        break;
    }
    setpath(s, app.path);
    checkpathends(app, con, 'a');
    checkpathends(app, con, 'b');
    s.type = 'a';
    settrajectory(s, app.path);
    s.type = 'b';
    settrajectory(s, app.path);
  }
}

// Full derivation for the current selections and the setting-error label
// the window shows; path ends out of reach are reported one by one, each
// waiting for a key.
void derive(App& app, Console& con, KeyWaits waits) {
  const std::vector<Pair> out = calmodel(app.set, app.model, app.gains, app.path);
  seterrlabel(app.set.seterror, app.disp);
  for (const Pair& p : out) reportunreachable(con, app.set, p[0], p[1], waits);
}

}  // namespace hs
