// The left-hand picture: metric grid, workpiece, and the robot in the pose of
// one output step with its compliant hand, plus the primitives the graphs use.
#include "view/draw.h"

#include <cmath>

#include "engine/control/contour.h"

namespace hs {

namespace {

// Circles are polygons of 120 points; the circle code keeps its own pi.
constexpr int CIRCLESEGS = 120;
constexpr double CIRCLEPI = 3.1415926536;

// Hand dimensions [m] that only shape the drawing; the hand's share of the
// settings (HANDWP, WORKLEN, WORKWID) and the dimensions that bound its
// springs' travel (HANDBLOCKLEN, BRACKETWID, BRACKETLEN) are in
// engine/settings.h.
constexpr double HANDBLOCKWID = 0.04;
// Bracket line width [window units] (2.8 px).
constexpr double BRACKETLINE = 0.007;
// Size of the mark discs at the contact point and of the robot-view points [m].
constexpr double MARKR = 0.005;
constexpr double POINTR = 0.008;

Pair operator+(const Pair& a, const Pair& b) { return {a[0] + b[0], a[1] + b[1]}; }
Pair operator-(const Pair& a, const Pair& b) { return {a[0] - b[0], a[1] - b[1]}; }
Pair operator*(double k, const Pair& a) { return {k * a[0], k * a[1]}; }

Pair along(double a) { return {std::cos(a), std::sin(a)}; }   // u
Pair leftof(double a) { return {-std::sin(a), std::cos(a)}; }  // n

// 120 points on a circle from angle `start` in steps of `step` [rad]: a
// whole circle counter-clockwise, or a half circle clockwise.
std::vector<Pair> arcpts(const Pair& c, double r, double start, double step) {
  std::vector<Pair> pts(CIRCLESEGS);
  for (int k = 0; k < CIRCLESEGS; ++k) {
    const double t = start + k * step;
    pts[k] = {c[0] + r * std::cos(t), c[1] + r * std::sin(t)};
  }
  return pts;
}
std::vector<Pair> circlepts(const Pair& c, double r) {
  return arcpts(c, r, 0.0, 2.0 * CIRCLEPI / CIRCLESEGS);
}
std::vector<Pair> halfpts(const Pair& c, double r, double start) {
  return arcpts(c, r, start, -CIRCLEPI / CIRCLESEGS);
}

// A rectangle in the frame of its corner, width along the rotated x axis.
void rectshape(Canvas& cv, Shape kind, const Pair& corner, double w, double h, double angle,
               const Rgba& colour) {
  cv.pushframe(corner, angle);
  cv.shape(kind, colour, {{0, 0}, {w, 0}, {w, h}, {0, h}});
  cv.popframe();
}

// Filled white rectangle with an outline in the colour: the bodies of the
// arm, block, links and hand parts.
void body(Canvas& cv, const Pair& corner, double w, double h, double angle, const Rgba& colour) {
  fillrect(cv, corner, w, h, angle, WHITE);
  drawrect(cv, corner, w, h, angle, colour);
}

}  // namespace

// ---- Primitives ----

void drawline(Canvas& cv, const Pair& a, const Pair& b, const Rgba& colour) {
  cv.shape(Shape::Lines, colour, {a, b});
}

void drawwideline(Canvas& cv, const Pair& a, const Pair& b, double width, const Rgba& colour) {
  cv.linewidth(width * PXPERUNIT);
  cv.shape(Shape::Lines, colour, {a, b});
  cv.linewidth(2);
}

void filldisc(Canvas& cv, const Pair& centre, double radius, const Rgba& colour) {
  cv.shape(Shape::Polygon, colour, circlepts(centre, radius));
}

void drawcircle(Canvas& cv, const Pair& centre, double radius, const Rgba& colour) {
  cv.shape(Shape::LineLoop, colour, circlepts(centre, radius));
}

void fillhalfdisc(Canvas& cv, const Pair& centre, double radius, double start,
                  const Rgba& colour) {
  cv.shape(Shape::Polygon, colour, halfpts(centre, radius, start));
}

void drawhalfarc(Canvas& cv, const Pair& centre, double radius, double start,
                 const Rgba& colour) {
  cv.shape(Shape::LineStrip, colour, halfpts(centre, radius, start));
}

void fillrect(Canvas& cv, const Pair& corner, double width, double height, double angle,
              const Rgba& colour) {
  rectshape(cv, Shape::Polygon, corner, width, height, angle, colour);
}

void drawrect(Canvas& cv, const Pair& corner, double width, double height, double angle,
              const Rgba& colour) {
  cv.linewidth(2);
  rectshape(cv, Shape::LineLoop, corner, width, height, angle, colour);
}

void fillquad(Canvas& cv, const Pair& p1, const Pair& p2, const Pair& p3, const Pair& p4,
              const Rgba& colour) {
  cv.linewidth(2);
  cv.shape(Shape::Polygon, colour, {p1, p2, p3, p4});
}

void drawbracket(Canvas& cv, const Pair& corner, double width, double height, double linewidth,
                 double angle, const Rgba& colour) {
  cv.linewidth(linewidth * PXPERUNIT);
  cv.pushframe(corner, angle);
  cv.shape(Shape::LineStrip, colour, {{width, 0}, {0, 0}, {0, height}, {width, height}});
  cv.popframe();
}

// Grid of 2n+1 lines each way, the two through the centre 2 px, the rest 1 px.
void drawgrid(Canvas& cv, const Pair& centre, double angle, int n, double dx, double dy) {
  cv.pushframe(centre, angle);
  for (int j = -n; j <= n; ++j) {
    cv.linewidth(j == 0 ? 2 : 1);
    cv.shape(Shape::Lines, BLACK, {{j * dx, -n * dy}, {j * dx, n * dy}});
  }
  for (int j = -n; j <= n; ++j) {
    cv.linewidth(j == 0 ? 2 : 1);
    cv.shape(Shape::Lines, BLACK, {{-n * dx, j * dy}, {n * dx, j * dy}});
  }
  cv.popframe();
}

// ---- Robot view ----

void drawpoint(Canvas& cv, const DisplayState& d, const Pair& p, const Rgba& colour) {
  filldisc(cv, d.zoom * (d.origin + p), POINTR * d.zoom, colour);
}

void drawworkpiece(Canvas& cv, const SimSettings& s, const ContourPath& path,
                   const DisplayState& d) {
  const double z = d.zoom;
  if (s.curve == Contour::line) {
    // A band 0.2 m thick on the right of the direction of travel.
    const Pair S = z * (d.origin + Pair{s.line.x0, s.line.y0});
    const Pair E = z * (d.origin + Pair{s.line.xf, s.line.yf});
    const Pair o = 0.2 * z * Pair{std::sin(path.lineang), -std::cos(path.lineang)};
    fillquad(cv, S, E, E + o, S + o, LIGHTBLUE);
  } else if (s.curve == Contour::circle) {
    filldisc(cv, z * (d.origin + Pair{s.circle.Ox, s.circle.Oy}), s.circle.rr * z, LIGHTBLUE);
  } else {
    // 100 strips under one wavelength, all standing on a floor 0.1 m below
    // the wave's lowest point; each overlaps the next by 5 mm so no seam shows.
    const SineSpec& w = s.sine;
    const double dw = w.L / 100;
    const double yb = z * (d.origin[1] + w.y0 - w.A - 0.1);
    for (int i = 0; i < 100; ++i) {
      const double xi = i * dw;
      const double left = z * (d.origin[0] + w.x0 + xi);
      const double right = left + z * (dw + 0.005);
      const double topl = z * (d.origin[1] + w.y0 + w.A * std::sin(PI2 * xi / w.L));
      const double topr = z * (d.origin[1] + w.y0 + w.A * std::sin(PI2 * (xi + dw) / w.L));
      fillquad(cv, {left, yb}, {right, yb}, {right, topr}, {left, topl}, LIGHTBLUE);
    }
  }
}

void drawrobota(Canvas& cv, const SimSettings& s, const RobotModel& m, const DisplayState& d,
                const Pair& motor, const Pair& tip) {
  const RobotData& r = m.a;
  const double z = d.zoom;
  const Pair O = z * d.origin;  // the rotary joint
  const double th = motor[0] / s.u1_a;
  const double rad = motor[1] / s.u2_a;  // radial position of the contact point [m]
  const Pair u = along(th), n = leftof(th);
  // The arm ends wp short of the contact point.
  const Pair A = O + z * ((rad - s.l - s.wp) * u - (r.darm / 2) * n);
  body(cv, A, s.l * z, r.darm * z, th, RED);
  // Block centred on the joint, turning with the arm.
  const Pair B = O + z * (-(r.blocklen / 2) * u - (r.blockwid / 2) * n);
  body(cv, B, r.blocklen * z, r.blockwid * z, th, RED);
  drawcircle(cv, O, d.jointr1 * z, RED);
  filldisc(cv, O, 0.7 * d.jointr1 * z, RED);
  drawhand(cv, d, d.origin + rad * u, d.origin + tip, th, RED);
}

void drawrobotb(Canvas& cv, const SimSettings& s, const RobotModel& m, const DisplayState& d,
                const Pair& motor, const Pair& tip) {
  const RobotData& r = m.b;
  const double th1 = motor[0] / s.u1_b;
  const double th2 = motor[1] / s.u2_b;
  const double phi = th1 + th2;
  drawlink(cv, d, 1, d.origin, s.l1, r.d1, th1, RED);
  const Pair E = d.origin + s.l1 * along(th1);
  drawlink(cv, d, 2, E, s.l2, r.d2, phi, RED);
  const Pair H = E + (s.l2 + s.wp) * along(phi);
  drawhand(cv, d, H, d.origin + tip, phi, RED);
}

void drawlink(Canvas& cv, const DisplayState& d, int kind, const Pair& P, double L, double W,
              double a, const Rgba& colour) {
  const double z = d.zoom;
  const Pair Pz = z * P;
  const Pair u = along(a), n = leftof(a);
  const double e = 0.005;  // the tube starts just behind the joint centre
  const double jr = kind == 1 ? d.jointr1 : d.jointr2;
  body(cv, Pz + z * (-e * u - (W / 2) * n), (L + e) * z, W * z, a, colour);
  // Rounded rear end.
  fillhalfdisc(cv, Pz, W * z / 2, a - PI / 2, WHITE);
  drawhalfarc(cv, Pz, W * z / 2, a - PI / 2, colour);
  drawcircle(cv, Pz, jr * z, colour);
  if (kind == 1) {
    filldisc(cv, Pz, 0.7 * jr * z, colour);  // solid base joint
    // Rounded front end; the second link has none, the hand covers it.
    const Pair F = Pz + (L - 0.003) * z * u;
    fillhalfdisc(cv, F, W * z / 2, a + PI / 2, WHITE);
    drawhalfarc(cv, F, W * z / 2, a + PI / 2, colour);
  } else {
    drawcircle(cv, Pz, 0.7 * jr * z, colour);  // double ring at the elbow
  }
}

void drawhand(Canvas& cv, const DisplayState& d, const Pair& H, const Pair& T, double a,
              const Rgba& colour) {
  const double z = d.zoom;
  const Pair Hz = z * H, Tz = z * T;
  const Pair u = z * along(a), n = z * leftof(a);  // zoomed unit vectors
  // Hand block at the wrist.
  const Pair W0 = Hz - HANDWP * u;
  body(cv, W0 - (HANDBLOCKWID / 2) * n, HANDBLOCKLEN * z, HANDBLOCKWID * z, a, colour);
  // Bracket carrying the springs, open towards the tip.
  const Pair P1 = W0 + HANDBLOCKLEN * u;
  drawbracket(cv, P1 - (BRACKETWID / 2) * n, BRACKETLEN * z, BRACKETWID * z, BRACKETLINE, a,
              colour);
  // Work block; its front end is the actual contact tip.
  const Pair Q = Tz - WORKLEN * u;
  body(cv, Q - (WORKWID / 2) * n, WORKLEN * z, WORKWID * z, a, colour);
  // Centre spring from the bracket base to the work block (along the hand).
  fillquad(cv, P1 - 0.01 * n, Q - 0.01 * n, Q + 0.01 * n, P1 + 0.01 * n, GREEN);
  // Four leaf springs from the bracket arms to the work block edges (across
  // the hand); they slant when the tip is deflected.
  const double gap = HANDWP - WORKLEN - HANDBLOCKLEN;        // centre spring length 0.04
  const double b1 = 0.5 * BRACKETLEN - 0.01;                 // 0.04
  const double b2 = 0.75 * BRACKETLEN - 0.01;                // 0.065
  const double k2 = 0.75 * BRACKETLEN - gap - 0.01;          // 0.025
  const double arm = BRACKETWID / 2, edge = WORKWID / 2;     // 0.05, 0.01
  const Pair leaf[4][2] = {
      {P1 + b1 * u + arm * n, Q + edge * n},
      {P1 + b2 * u + arm * n, Q + k2 * u + edge * n},
      {P1 + b1 * u - arm * n, Q - edge * n},
      {P1 + b2 * u - arm * n, Q + k2 * u - edge * n},
  };
  for (const auto& lf : leaf) {
    const Pair& B = lf[0];
    const Pair& K = lf[1];
    fillquad(cv, B, K, K + WORKWID * u, B + WORKWID * u, GREEN);
  }
  drawcircle(cv, Hz, MARKR * z, BLACK);  // contact point without deflection
  filldisc(cv, Tz, MARKR * z, RED);      // actual contact tip
}

void sethanddimensions(SimSettings& s) {
  s.wp = HANDWP;
  s.worklen = WORKLEN;
  s.workwid = WORKWID;
}

}  // namespace hs
