// The graphics window: one still picture of an output step of the last run,
// stepped, reset and zoomed by keys; the parameter-group keys hand control
// to the console menu, which reruns the simulation; 'p' and 'v' save the
// picture and the run as files.
#include "window/window.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "session/keys.h"
#include "window/glcanvas.h"
#include "render/windowpicture.h"

// Xlib last: its macros (None, Status, ...) would clash with names above.
#ifdef HYBRIDSIM_HAVE_X11
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace hs {

// ---- Toolkit side ----

namespace {

// The App and Console are main's; the callbacks reach them through these.
// The display state (zoom, shown step, playback) is the window's own.
App* gapp = nullptr;
Console* gcon = nullptr;
DisplayState gdisp;
GlCanvas gcanvas;
bool titleset = false;

// Window managers read the title as UTF-8 from _NET_WM_NAME; GLUT's own
// title is in the console's character set. The GLUT window is the drawable
// of the current GL context.
bool setutf8title() {
#ifdef HYBRIDSIM_HAVE_X11
  Display* dpy = glXGetCurrentDisplay();
  const GLXDrawable win = glXGetCurrentDrawable();
  if (dpy == nullptr || win == 0) return false;
  // Window managers that read only WM_NAME get the title in the locale's
  // encoding the X way: STRING when Latin-1 holds it, compound text when not.
  const char* title = tr(WINDOWTITLE);
  Xutf8SetWMProperties(dpy, win, title, title, nullptr, 0, nullptr, nullptr, nullptr);
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  const auto* bytes = reinterpret_cast<const unsigned char*>(title);
  const int len = static_cast<int>(std::strlen(title));
  for (const char* prop : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"})
    XChangeProperty(dpy, win, XInternAtom(dpy, prop, False), utf8, 8, PropModeReplace, bytes,
                    len);
  XFlush(dpy);
#endif
  return true;
}

void displaycb() {
  if (!titleset) titleset = setutf8title();
  display(*gapp, gdisp, gcanvas);
}

void reshapecb(int width, int height) {
  // The picture is square: it takes the largest centred square that fits,
  // so circles stay round in a window of any shape (at 800 x 800 the whole
  // window); the clear colour fills the margins.
  const int side = std::min(width, height);
  glViewport((width - side) / 2, (height - side) / 2, side, side);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

// Wall-clock seconds for the playback (steady: unaffected by clock changes).
double wallclock() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Between ticks the event loop sleeps until the next timer is due.
void timercb(int chain) {
  const int ms = playtimer(*gapp, gdisp, gcanvas, chain, wallclock());
  if (ms >= 0) glutTimerFunc(static_cast<unsigned>(ms), timercb, chain);
}

// Keys pressed while the console had the program (a menu, a file name, a
// comparison) wait in the frozen window's queue; they were meant for no
// prompt, so they are dropped instead of being acted on afterwards. The
// console drops them just before it says it hands back, so that a key
// pressed once that shows is kept.
void dropqueuedkeys() {
#ifdef HYBRIDSIM_HAVE_X11
  Display* dpy = glXGetCurrentDisplay();
  const GLXDrawable win = glXGetCurrentDrawable();
  if (dpy == nullptr || win == 0) return;
  XSync(dpy, False);  // every key the server has seen is in the queue now
  XEvent ev;
  while (XCheckWindowEvent(dpy, win, KeyPressMask | KeyReleaseMask, &ev)) {
  }
#endif
}

void keyboardcb(unsigned char key, int, int) {
  const KeyAction act = keyboard(*gapp, gdisp, *gcon, gcanvas, key);
  if (act == KeyAction::Quit) {
    restoreterminal();
    std::exit(0);
  }
  if (act == KeyAction::Play) glutTimerFunc(0, timercb, gdisp.play.chain);
  // Pictures go into the current folder; the console says which file.
  if (act == KeyAction::Picture) gcon->print(savepicture(gapp->run(), gdisp, WindowPicture::Frame));
  if (act == KeyAction::Movie) gcon->print(savepicture(gapp->run(), gdisp, WindowPicture::Movie));
}

void specialcb(int key, int, int) {
  SpecialKey k = SpecialKey::Other;
  switch (key) {
    case GLUT_KEY_LEFT: k = SpecialKey::Left; break;
    case GLUT_KEY_RIGHT: k = SpecialKey::Right; break;
    case GLUT_KEY_HOME: k = SpecialKey::Home; break;
    case GLUT_KEY_END: k = SpecialKey::End; break;
    default: break;
  }
  specialkeyboard(*gapp, gdisp, gcanvas, k);
}

// Closing the window from the window manager ends the program like escape.
void closecb() { restoreterminal(); }

void restoreatexit() {
  restoreterminal();
  endconsoleline();
}

}  // namespace

bool displayavailable() {
#ifdef HYBRIDSIM_HAVE_X11
  Display* dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) return false;
  XCloseDisplay(dpy);
  return true;
#else
  const char* d = std::getenv("DISPLAY");
  return d != nullptr && *d != '\0';
#endif
}

void startgraphics(App& app, Console& con, int argc, char** argv) {
  gapp = &app;
  gcon = &con;
  con.beforehandback = dropqueuedkeys;
  std::atexit(restoreatexit);
  glutInitWindowSize(800, 800);
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
  const std::string title = toCharset(tr(WINDOWTITLE), localeCharset());
  glutCreateWindow(title.c_str());
  titleset = setutf8title();
  glutDisplayFunc(displaycb);
  glutReshapeFunc(reshapecb);
  glutKeyboardFunc(keyboardcb);
  glutSpecialFunc(specialcb);
  glutCloseFunc(closecb);
  glClearColor(1, 1, 1, 1);
  firstdraw(app);
  glutMainLoop();
  // The loop only returns if the toolkit is told to; end as escape does.
  restoreterminal();
  std::exit(0);
}

}  // namespace hs
