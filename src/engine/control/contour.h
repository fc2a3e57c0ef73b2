// Workpiece contours (line, circle, sine), the current path with its
// commanded copy displaced by the setting error, and the time law.
#pragma once

#include "engine/settings.h"

namespace hs {

// Speed profile along the path, one per robot type.
struct SpeedProfile {
  double ta = 0;    // acceleration time [s]
  double td = 0;    // deceleration time [s]
  double vmax = 0;  // cruising speed [m/s]
  double acc = 0;   // acceleration [m/s^2]
  double dec = 0;   // deceleration magnitude [m/s^2]
};

struct ContourPath {
  double tf = 0;                 // motion time of the current path [s]
  double x0 = 0, y0 = 0;         // path start on the entered contour [m]
  double xf = 0, yf = 0;         // path end on the entered contour [m]
  double lineang = 0;            // direction of the entered line [rad]
  Pair cmdline0{};               // start of the commanded line [m]
  double cmdlineang = 0;         // direction of the commanded line [rad]
  Pair cmdcentre{};              // centre of the commanded circle [m]
  Pair cmdsine0{};               // start of the commanded sine [m]
  double pathlen = 0;            // path length along the contour [m]
  SpeedProfile prof[2];          // index typeindex(type)
  const SpeedProfile& profile(Robot type) const { return prof[typeindex(type)]; }
  SpeedProfile& profile(Robot type) { return prof[typeindex(type)]; }
};

// Point and velocity on the commanded contour.
struct PathPoint {
  double x = 0, y = 0;    // [m]
  double vx = 0, vy = 0;  // [m/s]
};

// Press direction nu (into the workpiece) and tangent tau [rad].
struct ContourDirs {
  double nu = 0, tau = 0;
};

// The sine's end point: one wavelength in +X, level with its start.
void setsineend(SineSpec& sn);
// The circle's start (and end) point: it is run once from its right end.
Pair circlestart(const CircleSpec& c);

// Makes the contour s.curve the current path (start, end, time, line
// direction, commanded copies); for S also sets s.sine.xf, s.sine.yf.
void setpath(SimSettings& s, ContourPath& p);
// Path length and the speed profile of robot s.type for method s.hybrid.
void settrajectory(const SimSettings& s, ContourPath& p);
// Time law of methods 1, 3, 4 (trapezoid) for robot type `type`.
double pathpos(const ContourPath& p, Robot type, double t);
double pathvel(const ContourPath& p, Robot type, double t);
// Time law of method 6: s = vmax t limited to pathlen.
double pathpos6(const ContourPath& p, Robot type, double t);
// Point at arc position s on the entered contour.
Pair pathpoint(const SimSettings& s, const ContourPath& p, double arc);
// Point and velocity on the commanded contour.
PathPoint cmdpoint(const SimSettings& s, const ContourPath& p, double arc, double arcdot);
// Arc position of point P on the entered contour.
double arcpos(const SimSettings& s, const ContourPath& p, const Pair& P, double sprev);
// Press direction at P on the commanded contour.
double pressangle(const SimSettings& s, const ContourPath& p, const Pair& P);
// Press and tangent directions at P on the entered contour.
ContourDirs contourdirs(const SimSettings& s, const ContourPath& p, const Pair& P);
// Angle from the hand direction to nu, reduced once into about (-pi, pi].
double normaloffset(Robot type, const Pair& q, double nu);
// Sine arc length over abscissa span X (Simpson, n intervals) and its inverse
// (Heun, n steps; returns sine.x0 + advance).
double sinearclen(const SineSpec& sine, int n, double X);
double sinexofs(const SineSpec& sine, int n, double arc);

}  // namespace hs
