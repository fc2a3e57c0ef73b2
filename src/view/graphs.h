// Time-history graphs of the right-hand panel: tip position, contact force
// and motor torques, drawn from step 0 up to the shown frame.
#pragma once

#include "engine/run.h"
#include "view/canvas.h"
#include "view/displaystate.h"

namespace hs {

// Axes of one graph with origin O [window units]: time axis of length width
// with a tick each whole second and the run length label, value axis of
// height upwards (mode 0) or both ways (mode 1), and the blue motion-end
// marker at tf [s].
void drawtimeaxes(Canvas& cv, int mode, const Pair& O, double dt, int nstep, double width,
                  double height, double tf);

// (max, min) of tip and command X and Y over steps 0 .. nstep-1.
Pair posrange(const RunHistory& h, int nstep);

// The graphs of run (which has a model) from step 0 up to frame, laid out
// as d has them.
void drawposgraph(Canvas& cv, const Run& run, const DisplayState& d, int frame);
void drawforcegraph(Canvas& cv, const Run& run, const DisplayState& d, int frame);
void drawtorquegraph(Canvas& cv, const Run& run, const DisplayState& d, int frame);

}  // namespace hs
