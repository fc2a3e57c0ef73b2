// Start-up and the start dialogue.
#pragma once

#include "driver/app.h"

namespace hs {

// Start-up up to the end of the first menu pass (everything before the
// window). Returns false when input ended during the start dialogue (the
// caller ends the program with a message and a non-zero status).
bool startup(App& app, Console& con);

// The start dialogue alone: the title, the data-file question and either the
// data file or the robot, method and contour keys. False at end of input.
bool startdialogue(App& app, Console& con);

}  // namespace hs
