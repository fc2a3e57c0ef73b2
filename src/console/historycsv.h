// The run history as CSV text, one row per output step: the batch program's
// output and the scripting module's to_csv write exactly these bytes.
#pragma once

#include <string>

#include "engine/model/simrun.h"
#include "engine/run.h"

namespace hs {

// Header line, then steps 0 .. the last step of history h (output steps dt
// [s] apart), every number in %.17g so that it reads back to the same double.
std::string historycsv(const RunHistory& h, double dt);
// The same of one run.
std::string historycsv(const Run& r);

}  // namespace hs
