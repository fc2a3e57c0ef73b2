// What the window shows and how its keys act, apart from the toolkit: the
// GLUT callbacks in window.cpp only hand these the App, the window's display
// state, the Console and a GL canvas, and tests hand them a Recorder.
#pragma once

#include <string>

#include "console/app.h"
#include "engine/run.h"
#include "view/canvas.h"
#include "view/displaystate.h"

namespace hs {

// Window title with the key help (UTF-8).
extern const char* const WINDOWTITLE;

// What the key table asks the caller to do after it has updated the state.
enum class KeyAction {
  Stored,  // nothing to draw: only menukey stored, or the playback paused
  Redraw,  // s, 0, w, W, arrows, Home, End: draw the frame again
  Menu,    // a parameter-group key: run the console menu
  Quit,    // escape: end the program with status 0
  Play,    // space: draw the frame, then start the playback timer
  Help,    // '?': print the key list on the console
  Save,    // 'o': save the case through the console
  Picture, // 'p': the caller saves the shown frame as a PNG file
  Movie,   // 'v': the caller saves the run as an animated GIF file
  Metrics, // 'm': print the figures of merit of the run
  Compare, // 'M': run the four methods on the case and print their table
};

// The keys the toolkit reports apart from characters that the window uses.
enum class SpecialKey { Left, Right, Home, End, Other };

// The key table: stores the key as the pending menu key and updates type,
// curve, frame, zoom and playback as the key asks. Draws nothing.
KeyAction keytable(App& app, DisplayState& d, unsigned char key);
// The keys that only step and zoom the picture of run history h: 's' one
// step on, '0' the first step (both pausing), 'w' / 'W' zoom out / in;
// Stored for any other key. Draws nothing.
KeyAction stepkey(const RunHistory& h, DisplayState& d, unsigned char key);
// The arrows, Home and End: pause, then one step back / forward, the first /
// the last step. Not a menu key: menukey stays. Draws nothing.
KeyAction specialkeytable(const RunHistory& h, DisplayState& d, SpecialKey key);
KeyAction specialkeytable(const App& app, DisplayState& d, SpecialKey key);
// keytable, then runs the menu (after which the new run is shown from its
// first step, unzoomed, error magnified 10 times), redraws, prints the key
// list, saves the case or prints the figures of merit as asked. Quit,
// starting the timer and writing picture files are left to the caller.
KeyAction keyboard(App& app, DisplayState& d, Console& con, Canvas& cv, unsigned char key);
// specialkeytable, then redraws as asked.
KeyAction specialkeyboard(App& app, DisplayState& d, Canvas& cv, SpecialKey key);

// The last output step of the run (the shown step runs 0 .. laststep).
int laststep(const App& app);

// What one tick of the playback timer does.
struct PlayTick {
  Playback play;    // playback state after the tick
  int frame = 0;    // output step to show
  bool redraw = false;  // the shown step changed
  int delayms = -1;     // wait before the next tick [ms]; -1: no further tick
};
// One tick at wall-clock time now [s] while `frame` is shown: the step due
// is the one dt [s] of wall time per step after the first tick, at most
// `last`, where playing stops. Late ticks skip steps, so the animation keeps
// to real time. A paused playback does nothing.
PlayTick playtick(const Playback& play, int frame, int last, double dt, double now);
// The tick of timer chain `chain` on the app's display state d: playtick,
// then the new step drawn. Returns the wait before the next tick [ms], or -1
// when the chain ends (playback paused, restarted as another chain, or at
// the last step).
int playtimer(App& app, DisplayState& d, Canvas& cv, int chain, double now);

// The window's display step: the settings take the hand's dimensions (later
// derivations use them), then the run on screen is drawn at d.frame.
void display(App& app, const DisplayState& d, Canvas& cv);
// The study view of run with the runs pinned in d (each named "pin N", the
// run "on screen"), as 't' shows it.
void showstudy(Canvas& cv, const Run& run, const DisplayState& d);
// One complete frame of run at output step d.frame (held to its steps); the
// hand is drawn with its own dimensions. A run without a model draws an
// empty frame.
void showframe(Canvas& cv, const Run& run, const DisplayState& d);
void beginframe(Canvas& cv);
void endframe(Canvas& cv);
void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text);
// Title lines of the left panel: program, robot, method, setting error, as
// settings s have them.
void drawtitle(Canvas& cv, const SimSettings& s);
// Legend of the three points.
void drawlegend(Canvas& cv);

}  // namespace hs
