// What the window shows, apart from the toolkit: the composition of one
// frame on any canvas.
#include "view/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "view/draw.h"
#include "view/graphs.h"
#include "view/study.h"

namespace hs {

// ---- Frame ----

namespace {

// "t = 1.00 s  (50/200)": the time [s] and the output step of nstep shown.
std::string steplabel(double t, int step, int nstep) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "t = %.2f s  (%d/%d)", t, step, nstep);
  return buf;
}

}  // namespace

void beginframe(Canvas& cv) { cv.clear(); }

void endframe(Canvas& cv) { cv.present(); }

void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text) {
  cv.text(x, y, font, text);
}

void drawtitle(Canvas& cv, const SimSettings& s) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.95f, 0.95f, f, "Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]");
  drawtext(cv, -0.95f, 0.90f, f,
           s.type == Robot::a ? "(a) cylindrical coordinate robot" : "(b) SCARA robot");
  drawtext(cv, -0.88f, 0.85f, f, std::string("Hybrid control ") + keyof(s.hybrid));
  drawtext(cv, -0.88f, 0.80f, f, "Workpiece setting error=");
  drawtext(cv, -0.35f, 0.80f, f, seterrlabel(s.seterror));
}

void drawlegend(Canvas& cv) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.88f, 0.75f, f, "green point : 10*position error");
  drawtext(cv, -0.88f, 0.70f, f, "white point : command position");
  drawtext(cv, -0.88f, 0.65f, f, "black point : position without deflection");
}

void showstudy(Canvas& cv, const Run& run, const DisplayState& d) {
  std::vector<StudyRun> runs;
  for (std::size_t i = 0; i < d.pins.size(); ++i)
    runs.push_back({d.pins[i].get(), "pin " + std::to_string(i + 1), ""});
  runs.push_back({&run, "on screen", ""});
  drawstudy(cv, runs, "Study view (t: the picture, +: pin the run, -: clear the pins)");
}

void showframe(Canvas& cv, const Run& run, const DisplayState& d) {
  beginframe(cv);
  if (!run.model) {
    endframe(cv);
    return;
  }
  // The robot is drawn with its hand, whose dimensions the drawing takes
  // (the payload's work block 0.14 m long).
  SimSettings s = run.model->set;
  sethanddimensions(s);
  const RobotModel& robots = run.model->robots;
  drawtitle(cv, s);
  drawlegend(cv);
  drawgrid(cv, {d.zoom * d.origin[0], d.zoom * d.origin[1]}, 0, 20, 0.1 * d.zoom, 0.1 * d.zoom);
  drawworkpiece(cv, s, run.model->path, d);
  {
    const RunHistory& h = run.hist;
    const int f = h.clamp(d.frame);
    if (s.type == Robot::a)
      drawrobota(cv, s, robots, d, h.motorpos[f], h.tippos[f]);
    else
      drawrobotb(cv, s, robots, d, h.motorpos[f], h.tippos[f]);
    // Green: the command displaced by the magnified control error (command
    // minus actual); white: the command; red: the tip's path so far.
    const Pair& c = h.cmdpos[f];
    const Pair& e = h.poserr[f];
    drawpoint(cv, d, {c[0] - d.errmag * e[0], c[1] - d.errmag * e[1]}, GREEN);
    drawpoint(cv, d, c, WHITE);
    for (int i = 0; i <= f; ++i) drawpoint(cv, d, h.tippos[i], RED);
    // Hide what of the robot view reaches into the graph panel.
    fillrect(cv, {d.posgraph[0] - 0.05, -1.0}, 1.0, 2.0, 0, WHITE);
    // Where the animation is: time and output step, small, in the bottom
    // left corner of the robot view, below anything the robots reach.
    drawtext(cv, -0.95f, -0.96f, Font::Helvetica12,
             steplabel(f * s.dt, f, s.nstep));
  }
  drawposgraph(cv, run, d, d.frame);
  drawforcegraph(cv, run, d, d.frame);
  drawtorquegraph(cv, run, d, d.frame);
  endframe(cv);
}

}  // namespace hs
