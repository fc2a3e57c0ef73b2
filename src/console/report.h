// Settings report: the values in force for the current robot and method.
#pragma once

#include "console/console.h"
#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/run.h"
#include "engine/settings.h"

namespace hs {

// The report of settings s with the gains g designed and the path p made
// from them.
void printsettings(const SimSettings& s, const ServoGains& g, const ContourPath& p, Console& con);
// The same of a derived model.
void printsettings(const Model& m, Console& con);

// The key list the menu prints at the start of every pass.
void printkeylist(Console& con);

}  // namespace hs
