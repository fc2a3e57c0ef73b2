// Key-command menu: one key command, a chain of setting groups, a rerun.
#pragma once

#include "driver/app.h"

namespace hs {

// Prints the key list and the report, walks the chain from the group of
// app.set.menukey, then re-derives, reports and reruns the simulation.
void keymenu(App& app, Console& con);

}  // namespace hs
