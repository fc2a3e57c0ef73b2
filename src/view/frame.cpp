// What the window shows and how its keys act, apart from the toolkit: the
// key table and the composition of one frame on any canvas.
#include "view/frame.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/datafile.h"
#include "console/menu.h"
#include "console/meritreport.h"
#include "view/draw.h"
#include "view/graphs.h"
#include "view/study.h"

namespace hs {

const char* const WINDOWTITLE =
    "r:file, a,b:robot, k:ばね, h:hybrid, g:ゲイン，L,C,S:輪郭，e:設置誤差，f;Fn, "
    "W,w:拡大縮小，0:初期へ，s:継続";

// ---- Key table ----

int laststep(const App& app) { return app.history().laststep(); }

namespace {

void pause(DisplayState& d) { d.play.playing = false; }

// Starts a new timer chain from the shown step; the clock starts at its
// first tick. Ticks of an earlier chain still pending are dropped.
void play(DisplayState& d) {
  d.play.playing = true;
  d.play.clockset = false;
  ++d.play.chain;
}

}  // namespace

KeyAction keytable(App& app, DisplayState& d, unsigned char key) {
  app.set.menukey = static_cast<char>(key);
  switch (key) {
    case 'a':
    case 'b':
      app.set.type = static_cast<char>(key);  // the menu and the next run use this robot
      pause(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 'L':
    case 'C':
    case 'S':
      app.set.curve = static_cast<char>(key);
      pause(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 'k':
    case 'h':
    case 'g':
    case 'e':
    case 'f':
    case 'r':  // the title offers it: re-read the robot data file
      pause(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 's':
    case '0':
    case 'w':
    case 'W':
      return stepkey(app.history(), d, key);
    case ' ':
      if (d.play.playing) {
        pause(d);
        return KeyAction::Stored;
      }
      if (d.frame >= laststep(app)) d.frame = 0;  // played out: again from the start
      play(d);
      return KeyAction::Play;
    case 'o':
      pause(d);  // the console has the program until the file is written
      return KeyAction::Save;
    case '?':
      return KeyAction::Help;
    // Like '?', the keys that only print or write a file leave playback
    // running: it keeps to real time across the pause they make.
    case 'p':
      return KeyAction::Picture;
    case 'v':
      return KeyAction::Movie;
    case 'm':
      return KeyAction::Metrics;
    case 'M':
      return KeyAction::Compare;
    case 't':
      d.study = !d.study;
      return KeyAction::Redraw;
    case '+':
      // A copy of the run on screen, unless it is the one pinned last.
      if (app.run().model && (d.pins.empty() || d.pins.back()->model != app.run().model)) {
        d.pins.push_back(std::make_shared<const Run>(app.run()));
        if (d.pins.size() > MOSTPINS) d.pins.erase(d.pins.begin());
      }
      return KeyAction::Redraw;
    case '-':
      d.pins.clear();
      return KeyAction::Redraw;
    case 27:
      return KeyAction::Quit;
    default:
      return KeyAction::Stored;
  }
}

KeyAction stepkey(const RunHistory& h, DisplayState& d, unsigned char key) {
  switch (key) {
    case 's':
      pause(d);
      d.frame = h.clamp(d.frame + 1);
      return KeyAction::Redraw;
    case '0':
      pause(d);
      d.frame = 0;
      return KeyAction::Redraw;
    case 'w':
      d.zoom *= 0.9;
      return KeyAction::Redraw;
    case 'W':
      d.zoom /= 0.9;
      return KeyAction::Redraw;
    default:
      return KeyAction::Stored;
  }
}

KeyAction specialkeytable(const RunHistory& h, DisplayState& d, SpecialKey key) {
  switch (key) {
    case SpecialKey::Right: d.frame = h.clamp(d.frame + 1); break;
    case SpecialKey::Left: d.frame = h.clamp(d.frame - 1); break;
    case SpecialKey::Home: d.frame = 0; break;
    case SpecialKey::End: d.frame = h.laststep(); break;
    case SpecialKey::Other: return KeyAction::Stored;
  }
  pause(d);
  return KeyAction::Redraw;
}

KeyAction specialkeytable(const App& app, DisplayState& d, SpecialKey key) {
  return specialkeytable(app.history(), d, key);
}

KeyAction keyboard(App& app, DisplayState& d, Console& con, Canvas& cv, unsigned char key) {
  const KeyAction act = keytable(app, d, key);
  // The menu's new run is shown from its first step, unzoomed; the old
  // picture stays until the next repaint.
  if (act == KeyAction::Menu) {
    keymenu(app, con);
    d.zoom = 1.0;
    d.errmag = 10.0;
    d.frame = 0;
  }
  if (act == KeyAction::Redraw || act == KeyAction::Play) display(app, d, cv);
  if (act == KeyAction::Help) printkeyhelp(con);
  if (act == KeyAction::Save) savedatafile(app, con);
  // The figures are read from the run on screen; the comparison runs on
  // copies, so the case, its model and its run stay as they are.
  if (act == KeyAction::Metrics) printmetrics(app, con);
  if (act == KeyAction::Compare) printcompare(app, con);
  if (act == KeyAction::Metrics || act == KeyAction::Compare)
    handback(con);
  return act;
}

KeyAction specialkeyboard(App& app, DisplayState& d, Canvas& cv, SpecialKey key) {
  const KeyAction act = specialkeytable(app, d, key);
  if (act == KeyAction::Redraw) display(app, d, cv);
  return act;
}

// ---- Playback ----

PlayTick playtick(const Playback& play, int frame, int last, double dt, double now) {
  PlayTick t;
  t.play = play;
  t.frame = frame;
  if (!play.playing) return t;
  Playback& p = t.play;
  if (!p.clockset) {
    p.clockset = true;
    p.start = now;
    p.startframe = frame;
  }
  // Steps due since the first tick; a tick exactly on time may read the
  // clock a hair early, hence the microsecond of slack.
  const double steps = dt > 0 ? std::floor((now - p.start + 1e-6) / dt) : last;
  const int due = static_cast<int>(std::min<double>(p.startframe + std::max(0.0, steps), last));
  t.redraw = due != frame;
  t.frame = due;
  if (due >= last) {
    p.playing = false;  // played out: the last step stays
    return t;
  }
  // Until the next step is due, in the timer's whole milliseconds; a tick
  // within the microsecond of slack above counts as on time.
  const double next = p.start + (due - p.startframe + 1) * dt;
  t.delayms = static_cast<int>(std::max(0.0, std::ceil((next - now) * 1000 - 1e-3)));
  return t;
}

int playtimer(App& app, DisplayState& d, Canvas& cv, int chain, double now) {
  if (chain != d.play.chain) return -1;
  const PlayTick t = playtick(d.play, d.frame, laststep(app), app.set.dt, now);
  d.play = t.play;
  d.frame = t.frame;
  if (t.redraw) display(app, d, cv);
  return t.delayms;
}

// ---- Frame ----

void beginframe(Canvas& cv) { cv.clear(); }

void endframe(Canvas& cv) { cv.present(); }

void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text) {
  cv.text(x, y, font, text);
}

void drawtitle(Canvas& cv, const SimSettings& s) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.95f, 0.95f, f, "Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]");
  if (s.type == 'a') drawtext(cv, -0.95f, 0.90f, f, "(a) cylindrical coordinate robot");
  if (s.type == 'b') drawtext(cv, -0.95f, 0.90f, f, "(b) SCARA robot");
  const char h = s.hybrid;
  if (h == '1' || h == '3' || h == '4' || h == '6')
    drawtext(cv, -0.88f, 0.85f, f, std::string("Hybrid control ") + h);
  drawtext(cv, -0.88f, 0.80f, f, "Workpiece setting error=");
  drawtext(cv, -0.35f, 0.80f, f, seterrlabel(s.seterror));
}

void drawlegend(Canvas& cv) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.88f, 0.75f, f, "green point : 10*position error");
  drawtext(cv, -0.88f, 0.70f, f, "white point : command position");
  drawtext(cv, -0.88f, 0.65f, f, "black point : position without deflection");
}

void display(App& app, const DisplayState& d, Canvas& cv) {
  sethanddimensions(app.set);
  if (d.study)
    showstudy(cv, app.run(), d);
  else
    showframe(cv, app.run(), d);
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
  const char type = s.type;
  if (type == 'a' || type == 'b') {
    const RunHistory& h = run.hist;
    const int f = h.clamp(d.frame);
    if (type == 'a')
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
             fmt("t = %.2f s  (%d/%d)", f * s.dt, f, s.nstep));
  }
  drawposgraph(cv, run, d, d.frame);
  drawforcegraph(cv, run, d, d.frame);
  drawtorquegraph(cv, run, d, d.frame);
  endframe(cv);
}

}  // namespace hs
