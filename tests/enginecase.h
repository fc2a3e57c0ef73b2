// Test cases of the simulation engine: an application state after start-up
// with a chosen robot, method and contour, derived and run once as the
// start-up leaves it.
#pragma once

#include <memory>

#include "session/app.h"
#include "console/console.h"
#include "session/startup.h"

namespace hs {

// The selections of their keys, as the tests name cases ('b', '6', 'S').
inline Robot robotkey(char k) {
  Robot r = Robot::b;
  robotof(k, &r);
  return r;
}
inline Method methodkey(char k) {
  Method m = Method::hybrid6;
  methodof(k, &m);
  return m;
}
inline Contour contourkey(char k) {
  Contour c = Contour::sine;
  contourof(k, &c);
  return c;
}

// The engine's default case as the console holds it (derived once, no run),
// with the case's selections made: the state before the derivation that
// follows the start dialogue.
inline std::unique_ptr<App> selectedcase(char type, char method, char contour) {
  auto app = std::make_unique<App>(appof(derive(hs::defaultcase())));
  app->set.type = robotkey(type);
  app->set.hybrid = methodkey(method);
  app->set.curve = contourkey(contour);
  return app;
}

// A default case through the one start-up sequence, up to its first run.
inline std::unique_ptr<App> defaultcase(char type, char method, char contour) {
  auto app = std::make_unique<App>();
  ScriptConsole con("");
  startup(*app, con, selections(robotkey(type), methodkey(method), contourkey(contour)));
  return app;
}

// The same numbers in every step of two histories of the same length.
inline bool samehistory(const RunHistory& a, const RunHistory& b) {
  return a.motorpos == b.motorpos && a.tippos == b.tippos && a.cmdpos == b.cmdpos &&
         a.poserr == b.poserr && a.perierr == b.perierr && a.force == b.force &&
         a.forceerr == b.forceerr && a.torque == b.torque && a.tipdefl == b.tipdefl;
}

}  // namespace hs
