// A default case after the start dialogue and the menu's first run: the
// state the window shows first and the batch program writes out.
#pragma once

#include <memory>

#include "session/menu.h"
#include "enginecase.h"

namespace hs {

inline std::unique_ptr<App> defaultrun(char type, char method, char contour) {
  auto app = defaultcase(type, method, contour);
  ScriptConsole con("");
  app->menukey = '0';
  keymenu(*app, con);
  return app;
}

}  // namespace hs
