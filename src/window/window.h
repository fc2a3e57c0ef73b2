// The GLUT window: callbacks, key table and frame composition.
#pragma once

#include "session/app.h"

namespace hs {

// True when a display can be opened (checked before the start dialogue).
bool displayavailable();
// Opens the 800 x 800 window and enters the event loop; does not return.
[[noreturn]] void startgraphics(App& app, Console& con, int argc, char** argv);

}  // namespace hs
