// Key-command menu: one key command, a chain of setting groups, a rerun.
#pragma once

#include "console/report.h"
#include "session/app.h"

namespace hs {

// Prints the key list and the report, walks the chain from the group of
// app.menukey, then re-derives, reports and reruns the simulation.
void keymenu(App& app, Console& con);

// The window's '?': the key list (printkeylist), then the window's own keys.
void printkeyhelp(Console& con);

}  // namespace hs
