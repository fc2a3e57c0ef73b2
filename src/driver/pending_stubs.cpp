// Temporary weak placeholders so that every program links while the parts
// are being built; each real definition replaces its placeholder. This file
// goes away once every part has landed.
#include <cstdio>
#include <cstdlib>

#include "control/command.h"
#include "control/contour.h"
#include "control/gains.h"
#include "control/hybrid.h"
#include "control/kinematics.h"
#include "driver/app.h"
#include "driver/datafile.h"
#include "driver/menu.h"
#include "driver/report.h"
#include "driver/startup.h"
#include "graphics/window.h"
#include "model/drive.h"
#include "model/dynamics.h"
#include "model/robotmodel.h"
#include "model/simrun.h"

#define PENDING(name)                                             \
  do {                                                            \
    std::fprintf(stderr, "not built yet: %s\n", name);            \
    std::abort();                                                 \
  } while (0)
#define W __attribute__((weak))

namespace hs {
W void callinks(const SimSettings&, RobotModel&) { PENDING("callinks"); }
W void calwork(const SimSettings&, double, RobotModel&) { PENDING("calwork"); }
W void calmotor(const SimSettings&, RobotModel&) { PENDING("calmotor"); }
W void caleff(const SimSettings&, RobotModel&) { PENDING("caleff"); }
W void caljeq(const SimSettings&, RobotModel&) { PENDING("caljeq"); }
W double backwardefficiency(double, double) { PENDING("backwardefficiency"); }
W std::vector<Pair> calmodel(SimSettings&, RobotModel&, ServoGains&, ContourPath&, DisplayState&) { PENDING("calmodel"); }
W ArmGeometry armgeometry(const SimSettings&) { PENDING("armgeometry"); }
W Pair fkine(const ArmGeometry&, const Pair&) { PENDING("fkine"); }
W Pair realtip(const ArmGeometry&, const Pair&, const Pair&) { PENDING("realtip"); }
W IkResult ikine(const ArmGeometry&, double, double, const Pair&) { PENDING("ikine"); }
W Pair unwrapjoints(const Pair&, const Pair&) { PENDING("unwrapjoints"); }
W Mat2 jacobian(const ArmGeometry&, const Pair&, double*) { PENDING("jacobian"); }
W Mat2 handjacobian(const ArmGeometry&, const Pair&, double*) { PENDING("handjacobian"); }
W double handangle(const ArmGeometry&, const Pair&) { PENDING("handangle"); }
W void setpath(SimSettings&, ContourPath&) { PENDING("setpath"); }
W void settrajectory(const SimSettings&, ContourPath&) { PENDING("settrajectory"); }
W double pathpos(const ContourPath&, char, double) { PENDING("pathpos"); }
W double pathvel(const ContourPath&, char, double) { PENDING("pathvel"); }
W double pathpos6(const ContourPath&, char, double) { PENDING("pathpos6"); }
W Pair pathpoint(const SimSettings&, const ContourPath&, double) { PENDING("pathpoint"); }
W PathPoint cmdpoint(const SimSettings&, const ContourPath&, double, double) { PENDING("cmdpoint"); }
W double arcpos(const SimSettings&, const ContourPath&, const Pair&, double) { PENDING("arcpos"); }
W double pressangle(const SimSettings&, const ContourPath&, const Pair&) { PENDING("pressangle"); }
W ContourDirs contourdirs(const SimSettings&, const ContourPath&, const Pair&) { PENDING("contourdirs"); }
W double normaloffset(char, const Pair&, double) { PENDING("normaloffset"); }
W double sinearclen(const SineSpec&, int, double) { PENDING("sinearclen"); }
W double sinexofs(const SineSpec&, int, double) { PENDING("sinexofs"); }
W Pid normalisedgains(double, double, double) { PENDING("normalisedgains"); }
W void designgains(const SimSettings&, const RobotModel&, ServoGains&) { PENDING("designgains"); }
W Pair hybridcontrol(const RunModel&, ControlState&, double, const SimState&) { PENDING("hybridcontrol"); }
W CommandOut command(const RunModel&, ControlState&, double) { PENDING("command"); }
W Pair deflectioncmd(const RunModel&, const Pair&, const Pair&, double, bool*) { PENDING("deflectioncmd"); }
W ContactOut calcontact(const SimSettings&, const ContourPath&, const Pair&) { PENDING("calcontact"); }
W double caldrive1(int, double, double, double, double, double, double, const Mat2&) { PENDING("caldrive1"); }
W Pair caldrive2(const Pair&, const Pair&, const Pair&, const Mat2&, const DriveParams&) { PENDING("caldrive2"); }
W DriveSolve solve2(double, double, const Pair&, const Pair&, const Mat2&, const DriveParams&) { PENDING("solve2"); }
W Pair solve1(double, double, double, double, double) { PENDING("solve1"); }
W double calderiv(const RunModel&, ControlState&, int, double, const SimState&) { PENDING("calderiv"); }
W Mat2 calmass(const RunModel&, const SimState&) { PENDING("calmass"); }
W double calvel(const RunModel&, int, const SimState&) { PENDING("calvel"); }
W RunReport calcontrol(const RunModel&, ControlState&, RunHistory&, const UnreachableHook&) { PENDING("calcontrol"); }
W void storestep(const RunModel&, ControlState&, RunHistory&, int, double, const Pair&, const Pair&, const SimState&) { PENDING("storestep"); }
W void setdisplaydefaults(DisplayState&) { PENDING("setdisplaydefaults"); }
W void seterrlabel(double, DisplayState&) { PENDING("seterrlabel"); }
W void installconstants(App&) { PENDING("installconstants"); }
W void setdefaults(App&, Console&) { PENDING("setdefaults"); }
W void derive(App&, Console&) { PENDING("derive"); }
W void reportunreachable(Console&, const SimSettings&, double, double) { PENDING("reportunreachable"); }
W void runsimulation(App&, Console&) { PENDING("runsimulation"); }
W void printsettings(const App&, Console&) { PENDING("printsettings"); }
W FileRead readdatafile(App&, Console&) { PENDING("readdatafile"); }
W bool loadcase(const std::string&, App&, std::string*, std::string*) { PENDING("loadcase"); }
W void keymenu(App&, Console&) { PENDING("keymenu"); }
W bool startup(App&, Console&) { PENDING("startup"); }
W bool displayavailable() { return false; }
W void startgraphics(App&, Console&, int, char**) { PENDING("startgraphics"); }
}  // namespace hs
