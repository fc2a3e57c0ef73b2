// The run history as CSV text, one row per output step: the batch program's
// output and the scripting module's to_csv write exactly these bytes.
#pragma once

#include <string>

#include "console/app.h"

namespace hs {

// Header line, then steps 0 .. the last step of the current robot's run, every
// number in %.17g so that it reads back to the same double.
std::string historycsv(const App& app);
// The same of one run.
std::string historycsv(const Run& r);

}  // namespace hs
