// The start of a case for the clients without a user at the keys.
#pragma once

#include <string>

#include "console/console.h"
#include "engine/case.h"
#include "engine/run.h"

namespace hs {

// The title, the first line of every session's console text.
void printtitle(Console& con);

// The case of a case file's text (its echo appended to *echo), or with no
// text the case of the three selections, each on the defaults. False
// with the reader's refusal in *error. Every client without a user at the
// keys starts from it.
bool choosecase(const std::string& casetext, Robot type, Method hybrid, Contour curve, Case& c,
                std::string* echo, std::string* error);

// The console text of the start-up from a chosen case to its first run
// `run` as a session at the console shows it, made from the run alone: the
// title, the case file's echo, then the menu's first pass and the run's
// messages. With no run (a refused file, or a comparison instead of the
// run) it stops after the echo.
void showstartup(Console& con, const std::string& echo, const Run* run);

}  // namespace hs
