// How the window's keys act, apart from the toolkit: the key table, the
// hand-over to the console menu and the playback ticks.
#include "session/keys.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "session/filedialogue.h"
#include "session/menu.h"
#include "view/draw.h"

namespace hs {

const char* const WINDOWTITLE =
    "r:file, a,b:robot, k:ばね, h:hybrid, g:ゲイン，L,C,S:輪郭，e:設置誤差，f;Fn, "
    "W,w:拡大縮小，0:初期へ，s:継続";

// ---- Key table ----

int laststep(const App& app) { return app.history().laststep(); }

namespace {

// Starts a new timer chain from the shown step; the clock starts at its
// first tick. Ticks of an earlier chain still pending are dropped.
void play(DisplayState& d) {
  d.play.playing = true;
  d.play.clockset = false;
  ++d.play.chain;
}

}  // namespace

KeyAction keytable(App& app, DisplayState& d, unsigned char key) {
  app.menukey = static_cast<char>(key);
  switch (key) {
    case 'a':
    case 'b':
      robotof(static_cast<char>(key), &app.set.type);  // the menu and the next run use this robot
      pauseplayback(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 'L':
    case 'C':
    case 'S':
      contourof(static_cast<char>(key), &app.set.curve);
      pauseplayback(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 'k':
    case 'h':
    case 'g':
    case 'e':
    case 'f':
    case 'r':  // the title offers it: re-read the robot data file
      pauseplayback(d);
      d.frame = 0;
      return KeyAction::Menu;
    case 's':
    case '0':
    case 'w':
    case 'W':
      return stepkey(app.history(), d, key);
    case ' ':
      if (d.play.playing) {
        pauseplayback(d);
        return KeyAction::Stored;
      }
      if (d.frame >= laststep(app)) d.frame = 0;  // played out: again from the start
      play(d);
      return KeyAction::Play;
    case 'o':
      pauseplayback(d);  // the console has the program until the file is written
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

KeyAction specialkeytable(const App& app, DisplayState& d, SpecialKey key) {
  return specialkeytable(app.history(), d, key);
}

KeyAction keyboard(App& app, DisplayState& d, Console& con, Canvas& cv, unsigned char key) {
  const KeyAction act = keytable(app, d, key);
  // The menu's new run is shown from its first step, unzoomed; the old
  // picture stays until the next repaint.
  if (act == KeyAction::Menu) {
    keymenu(app, con);
    // The menu may have read a data file that carries its own work block
    // length; the window draws the new run next, so from here on the case
    // takes the drawn dimensions again, as at the window's first frame.
    firstdraw(app);
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

void firstdraw(App& app) { sethanddimensions(app.set); }

void display(const App& app, const DisplayState& d, Canvas& cv) {
  if (d.study)
    showstudy(cv, app.run(), d);
  else
    showframe(cv, app.run(), d);
}

std::string savepicture(const Run& run, const DisplayState& d, WindowPicture what,
                        const std::string& folder) {
  std::string path, reason;
  const bool saved = writepicture(run, d, what, folder, &path, &reason);
  const char* kind = tr(what == WindowPicture::Movie ? "アニメーション" : "描画画面");
  if (saved) return fmt("\n%sをファイル %s に保存しました．", kind, path.c_str());
  return fmt("\n%sをファイル %s に保存できません（%s）．", kind, path.c_str(), reason.c_str());
}

}  // namespace hs
