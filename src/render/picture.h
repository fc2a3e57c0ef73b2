// Pictures of a run as files, without a window: one frame as PNG, SVG or
// PDF (800 x 800 px; the PDF a page of 800 x 800 pt), or the whole run as an
// animated GIF. A file is written under a temporary name in its folder and
// renamed when complete, so it is never seen half-written. Failures return
// false with a one-line reason ("<path>: <system message>").
#pragma once

#include <array>
#include <string>

#include "console/app.h"
#include "console/compare.h"

namespace hs {

enum class PictureFormat { Png, Svg, Pdf };

// The window's picture of output step `frame` (held to 0 .. nstep) of the
// current run of app.
bool writeframe(const App& app, int frame, PictureFormat format, const std::string& path,
                std::string* error);

// The run as an animated GIF: one picture per output step 0 .. nstep, 4/100 s
// each (the output interval, so it plays in real time), looping.
bool writegif(const App& app, const std::string& path, std::string* error);

// The comparison picture of the four methods' rows (comparemethods on the
// case of app): their force and peripheral errors over time and the table
// of figures, 800 x 800 px as PNG, SVG or PDF.
bool writecompare(const App& app, const std::array<MethodRun, 4>& rows, PictureFormat format,
                  const std::string& path, std::string* error);

// The bytes of those files (no file written).
std::string framebytes(const App& app, int frame, PictureFormat format);
std::string gifbytes(const App& app);
std::string comparebytes(const App& app, const std::array<MethodRun, 4>& rows,
                         PictureFormat format);

}  // namespace hs
