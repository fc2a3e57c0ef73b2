// Test cases of the simulation engine: an application state after start-up
// with a chosen robot, method and contour, derived as the start dialogue
// would leave it.
#pragma once

#include <memory>

#include "driver/app.h"
#include "driver/console.h"

namespace hs {

// The defaults with the case's selections made, before the derivation that
// follows the start dialogue.
inline std::unique_ptr<App> selectedcase(char type, char method, char contour) {
  auto app = std::make_unique<App>();
  ScriptConsole con("");
  installconstants(*app);
  setdefaults(*app, con);
  derive(*app, con);
  app->set.type = type;
  app->set.hybrid = method;
  app->set.curve = contour;
  return app;
}

inline std::unique_ptr<App> defaultcase(char type, char method, char contour) {
  auto app = selectedcase(type, method, contour);
  ScriptConsole con("");
  derive(*app, con);
  derive(*app, con);  // the menu's rerun derives once more
  return app;
}

}  // namespace hs
