// Drawing primitives, the metric grid, the workpiece and the two robots with
// their compliant hand. Positions are window units unless a function says
// it takes world points [m]; the robot view maps a world point p to
// zoom * (origin + p).
#pragma once

#include "engine/settings.h"
#include "view/canvas.h"
#include "view/displaystate.h"
#include "engine/model/robotmodel.h"

namespace hs {

struct ContourPath;

// Pixels per window unit at the 800-pixel window: line widths given in
// window units are drawn at this many pixels per unit.
constexpr double PXPERUNIT = 400.0;

// ---- Primitives (window units) ----
void drawline(Canvas& cv, const Pair& a, const Pair& b, const Rgba& colour);
void drawwideline(Canvas& cv, const Pair& a, const Pair& b, double width, const Rgba& colour);
void filldisc(Canvas& cv, const Pair& centre, double radius, const Rgba& colour);
void drawcircle(Canvas& cv, const Pair& centre, double radius, const Rgba& colour);
void fillhalfdisc(Canvas& cv, const Pair& centre, double radius, double start, const Rgba& colour);
void drawhalfarc(Canvas& cv, const Pair& centre, double radius, double start, const Rgba& colour);
void fillrect(Canvas& cv, const Pair& corner, double width, double height, double angle,
              const Rgba& colour);
void drawrect(Canvas& cv, const Pair& corner, double width, double height, double angle,
              const Rgba& colour);
void fillquad(Canvas& cv, const Pair& p1, const Pair& p2, const Pair& p3, const Pair& p4,
              const Rgba& colour);
void drawbracket(Canvas& cv, const Pair& corner, double width, double height, double linewidth,
                 double angle, const Rgba& colour);
void drawgrid(Canvas& cv, const Pair& centre, double angle, int n, double dx, double dy);

// ---- Robot view (world points in metres) ----
// A point of the robot view: disc of radius 0.008 m at the mapped point.
void drawpoint(Canvas& cv, const DisplayState& d, const Pair& p, const Rgba& colour);
// The workpiece of s.curve, light blue, where the settings put it.
void drawworkpiece(Canvas& cv, const SimSettings& s, const ContourPath& path,
                   const DisplayState& d);
// The cylindrical robot from the motor positions [rad, rad] and the actual
// contact tip [m] of one output step.
void drawrobota(Canvas& cv, const SimSettings& s, const RobotModel& m, const DisplayState& d,
                const Pair& motor, const Pair& tip);
// The SCARA robot likewise.
void drawrobotb(Canvas& cv, const SimSettings& s, const RobotModel& m, const DisplayState& d,
                const Pair& motor, const Pair& tip);
// One SCARA link, kind 1 (base link) or 2 (elbow link); P is a world point
// plus origin, not yet zoomed; L, W link length and width [m]; a its angle.
void drawlink(Canvas& cv, const DisplayState& d, int kind, const Pair& P, double L, double W,
              double a, const Rgba& colour);
// The compliant hand: H contact point without deflection, T actual contact
// tip (both world point plus origin, not yet zoomed), a the hand angle.
// Drawn with the dimensions the settings take from it (HANDWP, WORKLEN,
// WORKWID), see sethanddimensions.
void drawhand(Canvas& cv, const DisplayState& d, const Pair& H, const Pair& T, double a,
              const Rgba& colour);
// The hand's dimensions as drawn (HANDWP, WORKLEN, WORKWID) into settings s.
void sethanddimensions(SimSettings& s);

}  // namespace hs
