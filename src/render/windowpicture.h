// Pictures saved from the window's keys: the shown frame as PNG ('p') and
// the whole run as an animated GIF ('v'), in a folder (the current one) under
// a name that tells robot, method, contour and step, never over a file that
// is already there.
#pragma once

#include <string>

#include "engine/run.h"
#include "view/displaystate.h"

namespace hs {

enum class WindowPicture {
  Frame,  // the shown output step, PNG
  Movie,  // every output step of the run, animated GIF
};

// The output step the window shows: the display's frame held to 0 .. the
// last step of the run.
int shownstep(const Run& run, const DisplayState& d);

// The file name of try n: n = 0 has no number ("hybridsim-b6S-100.png",
// "hybridsim-b6S.gif"), later tries add it ("hybridsim-b6S-100-1.png",
// "hybridsim-b6S-2.gif").
// Robot, method and contour are the run's, the step the shown one.
std::string picturename(const Run& run, const DisplayState& d, WindowPicture what, int n);

// Writes the picture of run as the display state d shows it into `folder`
// ("" for the current folder) under the first picturename not taken, whose
// path is left in *path (the last one tried on failure). The file appears
// complete or not at all. False with the reason in plain words in *reason.
bool writepicture(const Run& run, const DisplayState& d, WindowPicture what,
                  const std::string& folder, std::string* path, std::string* reason);

}  // namespace hs
