// How the window's keys act, apart from the toolkit: the GLUT callbacks in
// window.cpp only hand these the App, the window's display state, the
// Console and a GL canvas, and tests hand them a Recorder.
#pragma once

#include "console/console.h"
#include "engine/run.h"
#include "session/app.h"
#include "view/canvas.h"
#include "view/displaystate.h"
#include "render/windowpicture.h"
#include "view/frame.h"
#include "view/stepkeys.h"

namespace hs {

// Window title with the key help (UTF-8).
extern const char* const WINDOWTITLE;

// The key table: stores the key as the pending menu key and updates type,
// curve, frame, zoom and playback as the key asks. Draws nothing.
KeyAction keytable(App& app, DisplayState& d, unsigned char key);
// The arrows, Home and End on the run on screen (specialkeytable of its
// history).
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

// The step of the window's start before its first frame, taken once: the
// settings take the hand's dimensions as drawn (HANDWP, WORKLEN 0.14 m,
// WORKWID), which the case carries into every later derivation. Taken again
// after each pass of the menu, whose new run the window draws next.
void firstdraw(App& app);
// The window's display step: the run on screen drawn at d.frame (or the
// study view). Reads only.
void display(const App& app, const DisplayState& d, Canvas& cv);
// The window's 'p' and 'v': writepicture of the run on screen, then the
// console line naming the file, or the one saying why it could not be
// written.
std::string savepicture(const Run& run, const DisplayState& d, WindowPicture what,
                        const std::string& folder = "");

}  // namespace hs
