// What the window shows and how its keys act, apart from the toolkit: the
// key table and the composition of one frame on any canvas.
#include "graphics/frame.h"

#include <algorithm>
#include <string>

#include "driver/menu.h"
#include "graphics/draw.h"
#include "graphics/graphs.h"

namespace hs {

const char* const WINDOWTITLE =
    "r:file, a,b:robot, k:ばね, h:hybrid, g:ゲイン，L,C,S:輪郭，e:設置誤差，f;Fn, "
    "W,w:拡大縮小，0:初期へ，s:継続";

// ---- Key table ----

KeyAction keytable(App& app, unsigned char key) {
  app.set.menukey = static_cast<char>(key);
  switch (key) {
    case 'a':
    case 'b':
      app.set.type = static_cast<char>(key);  // the menu and the next run use this robot
      app.disp.frame = 0;
      return KeyAction::Menu;
    case 'L':
    case 'C':
    case 'S':
      app.set.curve = static_cast<char>(key);
      app.disp.frame = 0;
      return KeyAction::Menu;
    case 'k':
    case 'h':
    case 'g':
    case 'e':
    case 'f':
    case 'r':  // the title offers it: re-read the robot data file
      app.disp.frame = 0;
      return KeyAction::Menu;
    case 's':
      app.disp.frame = std::max(0, std::min(app.disp.frame + 1, app.set.nstep));
      return KeyAction::Redraw;
    case '0':
      app.disp.frame = 0;
      return KeyAction::Redraw;
    case 'w':
      app.disp.zoom *= 0.9;
      return KeyAction::Redraw;
    case 'W':
      app.disp.zoom /= 0.9;
      return KeyAction::Redraw;
    case 27:
      return KeyAction::Quit;
    default:
      return KeyAction::Stored;
  }
}

KeyAction keyboard(App& app, Console& con, Canvas& cv, unsigned char key) {
  const KeyAction act = keytable(app, key);
  // After the menu the old picture stays until the next repaint.
  if (act == KeyAction::Menu) keymenu(app, con);
  if (act == KeyAction::Redraw) display(app, cv);
  return act;
}

// ---- Frame ----

void beginframe(Canvas& cv) { cv.clear(); }

void endframe(Canvas& cv) { cv.present(); }

void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text) {
  cv.text(x, y, font, text);
}

void drawtitle(Canvas& cv, const App& app) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.95f, 0.95f, f, "Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]");
  if (app.set.type == 'a') drawtext(cv, -0.95f, 0.90f, f, "(a) cylindrical coordinate robot");
  if (app.set.type == 'b') drawtext(cv, -0.95f, 0.90f, f, "(b) SCARA robot");
  const char h = app.set.hybrid;
  if (h == '1' || h == '3' || h == '4' || h == '6')
    drawtext(cv, -0.88f, 0.85f, f, std::string("Hybrid control ") + h);
  drawtext(cv, -0.88f, 0.80f, f, "Workpiece setting error=");
  drawtext(cv, -0.35f, 0.80f, f, app.disp.errlabel);
}

void drawlegend(Canvas& cv) {
  const Font f = Font::Helvetica18;
  drawtext(cv, -0.88f, 0.75f, f, "green point : 10*position error");
  drawtext(cv, -0.88f, 0.70f, f, "white point : command position");
  drawtext(cv, -0.88f, 0.65f, f, "black point : position without deflection");
}

void display(App& app, Canvas& cv) {
  DisplayState& d = app.disp;
  beginframe(cv);
  drawtitle(cv, app);
  drawlegend(cv);
  drawgrid(cv, {d.zoom * d.origin[0], d.zoom * d.origin[1]}, 0, 20, 0.1 * d.zoom, 0.1 * d.zoom);
  drawworkpiece(cv, app.set, app.path, d);
  const char type = app.set.type;
  if (type == 'a' || type == 'b') {
    const RunHistory& h = app.history();
    const int f = std::max(0, std::min(d.frame, laststepof(app.set.nstep)));
    // The robot is drawn with its hand, whose dimensions the settings take
    // from here on (the payload's work block becomes 0.14 m long).
    sethanddimensions(app.set);
    if (type == 'a')
      drawrobota(cv, app.set, app.model, d, h.motorpos[f], h.tippos[f]);
    else
      drawrobotb(cv, app.set, app.model, d, h.motorpos[f], h.tippos[f]);
    // Green: the command displaced by the magnified control error (command
    // minus actual); white: the command; red: the tip's path so far.
    const Pair& c = h.cmdpos[f];
    const Pair& e = h.poserr[f];
    drawpoint(cv, d, {c[0] - d.errmag * e[0], c[1] - d.errmag * e[1]}, GREEN);
    drawpoint(cv, d, c, WHITE);
    for (int i = 0; i <= f; ++i) drawpoint(cv, d, h.tippos[i], RED);
    // Hide what of the robot view reaches into the graph panel.
    fillrect(cv, {d.posgraph[0] - 0.05, -1.0}, 1.0, 2.0, 0, WHITE);
  }
  drawposgraph(cv, app, d.frame);
  drawforcegraph(cv, app, d.frame);
  drawtorquegraph(cv, app, d.frame);
  endframe(cv);
}

}  // namespace hs
