// Display state of the window: zoom, shown frame, error magnification,
// robot-view origin and the graph layout.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/settings.h"

namespace hs {

struct Run;

// The most runs '+' pins for the study view.
constexpr std::size_t MOSTPINS = 4;

// Playback of the run in wall time: one output step every dt.
struct Playback {
  bool playing = false;  // the timer advances the shown step
  bool clockset = false; // the first tick has taken the start time
  double start = 0;      // wall-clock time of the first tick [s]
  int startframe = 0;    // output step shown at that time
  int chain = 0;         // number of the current timer chain; older ticks are dropped
};

struct DisplayState {
  double zoom = 1.0;          // robot drawing scale (window units per metre)
  int frame = 0;              // output step shown, 0 .. nstep
  double errmag = 10.0;       // magnification of the position error (green point)
  double grapherrmag = 10.0;  // magnification of the peripheral error in the graph
  Pair origin{-0.5, -0.3};    // window position of the robot base before zoom
  // Graph layout [window units].
  Pair posgraph{0.4, 0.5};
  double posheight = 0.4;
  Pair forcegraph{0.4, 0.1};
  Pair torquegraph{0.4, -0.3};
  double graphwidth = 0.5;
  double graphhalf = 0.25;
  // Drawing radii of the joint circles [m]: 0.075 of the SCARA robot's
  // default arm lengths (0.5 m, 0.3 m), whatever arm is drawn.
  double jointr1 = 0.075 * 0.5, jointr2 = 0.075 * 0.3;
  Playback play;
  // The study view ('t') instead of the picture, and the runs pinned ('+')
  // to be shown in it with the run on screen, oldest first.
  bool study = false;
  std::vector<std::shared_ptr<const Run>> pins;
};

// The setting-error label drawn after "Workpiece setting error=", from
// seterror [m]: whole millimetres, truncated.
std::string seterrlabel(double seterror);

}  // namespace hs
