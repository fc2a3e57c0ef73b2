// Test cases of the simulation engine: an application state after start-up
// with a chosen robot, method and contour, derived and run once as the
// start-up leaves it.
#pragma once

#include <memory>

#include "driver/app.h"
#include "driver/console.h"
#include "driver/startup.h"

namespace hs {

inline std::unique_ptr<App> defaultcase(char type, char method, char contour) {
  auto app = std::make_unique<App>();
  ScriptConsole con("");
  startup(*app, con, selections(type, method, contour));
  return app;
}

}  // namespace hs
