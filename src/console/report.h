// Settings report: the values in force for the current robot and method.
#pragma once

#include "console/app.h"

namespace hs {

// The report of settings s with the gains g designed and the path p made
// from them.
void printsettings(const SimSettings& s, const ServoGains& g, const ContourPath& p, Console& con);
// The same of a derived model, and of the session's current derivation.
void printsettings(const Model& m, Console& con);
void printsettings(const App& app, Console& con);

}  // namespace hs
