// What the window shows and how its keys act, apart from the toolkit: the
// GLUT callbacks in window.cpp only hand these the App, the Console and a
// GL canvas, and tests hand them a Recorder.
#pragma once

#include <string>

#include "driver/app.h"
#include "graphics/canvas.h"

namespace hs {

// Window title with the key help (UTF-8).
extern const char* const WINDOWTITLE;

// What the key table asks the caller to do after it has updated the state.
enum class KeyAction {
  Stored,  // only menukey stored
  Redraw,  // s, 0, w, W: draw the frame again
  Menu,    // a parameter-group key: run the console menu
  Quit,    // escape: end the program with status 0
};

// The key table: stores the key as the pending menu key and updates type,
// curve, frame and zoom as the key asks. Draws nothing.
KeyAction keytable(App& app, unsigned char key);
// keytable, then runs the menu or redraws as asked. Quit is left to the
// caller (the process ends there).
KeyAction keyboard(App& app, Console& con, Canvas& cv, unsigned char key);

// One complete frame of the shown output step.
void display(App& app, Canvas& cv);
void beginframe(Canvas& cv);
void endframe(Canvas& cv);
void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text);
// Title lines of the left panel: program, robot, method, setting error.
void drawtitle(Canvas& cv, const App& app);
// Legend of the three points.
void drawlegend(Canvas& cv);

}  // namespace hs
