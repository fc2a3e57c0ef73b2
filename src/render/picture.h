// Pictures of a run as files, without a window: one frame as PNG, SVG or
// PDF (800 x 800 px; the PDF a page of 800 x 800 pt), or the whole run as an
// animated GIF. A file is written under a temporary name in its folder and
// renamed when complete, so it is never seen half-written. Failures return
// false with a one-line reason ("<path>: <system message>").
#pragma once

#include <array>
#include <string>

#include "engine/compare.h"
#include "engine/run.h"
#include "engine/settings.h"
#include "view/displaystate.h"

namespace hs {

enum class PictureFormat { Png, Svg, Pdf };

// The window's picture of output step `frame` (held to 0 .. nstep) of run,
// as the window shows it at start-up (unzoomed).
bool writeframe(const Run& run, int frame, PictureFormat format, const std::string& path,
                std::string* error);

// The run as an animated GIF: one picture per output step 0 .. nstep, 4/100 s
// each (the output interval, so it plays in real time), looping.
bool writegif(const Run& run, const std::string& path, std::string* error);

// The comparison picture of the four methods' rows (comparemethods on the
// case with settings s): their force and peripheral errors over time and the
// table of figures, 800 x 800 px as PNG, SVG or PDF.
bool writecompare(const SimSettings& s, const std::array<MethodRun, 4>& rows,
                  PictureFormat format, const std::string& path, std::string* error);

// The bytes of those files (no file written); frames and GIF drawn with the
// display state d, the frame's step taken from `frame`.
std::string framebytes(const Run& run, int frame, PictureFormat format,
                       const DisplayState& d = DisplayState());
std::string gifbytes(const Run& run, const DisplayState& d = DisplayState());
std::string comparebytes(const SimSettings& s, const std::array<MethodRun, 4>& rows,
                         PictureFormat format);

}  // namespace hs
