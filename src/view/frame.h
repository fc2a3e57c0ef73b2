// What the window shows, apart from the toolkit: one frame of a run, or the
// study view, on any canvas (the window's GL canvas, a file's, a test's
// Recorder).
#pragma once

#include <string>

#include "engine/run.h"
#include "view/canvas.h"
#include "view/displaystate.h"

namespace hs {

// The study view of run with the runs pinned in d (each named "pin N", the
// run "on screen"), as 't' shows it.
void showstudy(Canvas& cv, const Run& run, const DisplayState& d);
// One complete frame of run at output step d.frame (held to its steps); the
// hand is drawn with its own dimensions. A run without a model draws an
// empty frame.
void showframe(Canvas& cv, const Run& run, const DisplayState& d);
void beginframe(Canvas& cv);
void endframe(Canvas& cv);
void drawtext(Canvas& cv, float x, float y, Font font, const std::string& text);
// Title lines of the left panel: program, robot, method, setting error, as
// settings s have them.
void drawtitle(Canvas& cv, const SimSettings& s);
// Legend of the three points.
void drawlegend(Canvas& cv);

}  // namespace hs
