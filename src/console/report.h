// Settings report: the values in force for the current robot and method.
#pragma once

#include "console/app.h"

namespace hs {

void printsettings(const App& app, Console& con);

}  // namespace hs
