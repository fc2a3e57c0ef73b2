// Bodies of the fuzz targets, shared with the replay test of the normal suite.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "session/app.h"
#include "console/console.h"
#include "console/datafile.h"
#include "session/filedialogue.h"
#include "session/menu.h"
#include "session/startup.h"
#include "engine/settingfields.h"
#include "view/canvas.h"
#include "session/keys.h"

namespace hs {
namespace fuzz {

// Any bytes as a robot data file: a case is either taken whole and valid, or
// refused with a message and the settings untouched.
inline void datafile(const std::uint8_t* data, std::size_t size) {
  auto app = std::make_unique<App>();
  installconstants(*app);
  ScriptConsole quiet("");
  setdefaults(*app, quiet);
  // Byte copy of the settings (padding zeroed on both sides) to prove that a
  // refused file changes nothing.
  SimSettings before;
  std::memset(static_cast<void*>(&before), 0, sizeof before);
  before = app->set;
  std::string echo, error;
  const bool ok = loadcase(std::string(reinterpret_cast<const char*>(data), size), *app, &echo, &error);
  if (!ok) {
    if (error.empty()) std::abort();  // a refusal always says why
    if (std::memcmp(&before, &app->set, sizeof before) != 0) std::abort();  // nothing half-stored
    return;
  }
  if (!std::isfinite(app->set.Fn) || !std::isfinite(app->set.seterror)) std::abort();
  // What the reader takes, the whole-case check takes too.
  if (!validcase(caseof(app->set, app->path), nullptr)) std::abort();
}

// A finished history never holds a value that is not finite.
inline void checkhistory(const App& app) {
  const RunHistory& h = app.history();
  for (int i = 0; i <= h.laststep(); ++i) {
    const double v[] = {h.motorpos[i][0], h.motorpos[i][1], h.tippos[i][0], h.tippos[i][1],
                        h.cmdpos[i][0],   h.cmdpos[i][1],   h.perierr[i],    h.force[i][0],
                        h.forceerr[i],    h.torque[i][0],   h.torque[i][1]};
    for (double x : v)
      if (!std::isfinite(x)) std::abort();
  }
}

// Any bytes as standard input: the start dialogue, then up to two window keys
// (taken from the same input) with their menu passes and reruns, each frame
// drawn on a recorder.
inline void dialogue(const std::uint8_t* data, std::size_t size) {
  auto app = std::make_unique<App>();
  ScriptConsole con(std::string(reinterpret_cast<const char*>(data), size));
  if (!startup(*app, con)) return;
  checkhistory(*app);
  Recorder rec;
  DisplayState disp;
  for (int pass = 0; pass < 2; ++pass) {
    const int key = con.readkey();
    if (key < 0) break;
    if (keytable(*app, disp, static_cast<unsigned char>(key)) == KeyAction::Menu) {
      keymenu(*app, con);
      checkhistory(*app);
      // The new run from its first step, unzoomed, as the keyboard shows it.
      disp.zoom = 1.0;
      disp.errmag = 10.0;
      disp.frame = 0;
    }
    display(*app, disp, rec);
  }
}

}  // namespace fuzz
}  // namespace hs
