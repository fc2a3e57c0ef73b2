// Pictures of a run as files, without a window: one frame as PNG, SVG or
// PDF (800 x 800 px; the PDF a page of 800 x 800 pt), or the whole run as an
// animated GIF. A file is written under a temporary name in its folder and
// renamed when complete, so it is never seen half-written. Failures return
// false with a one-line reason ("<path>: <system message>").
#pragma once

#include <string>
#include <vector>

#include "engine/run.h"
#include "engine/settings.h"
#include "view/displaystate.h"
#include "view/study.h"

namespace hs {

enum class PictureFormat { Png, Svg, Pdf };

// The window's picture of output step `frame` (held to 0 .. nstep) of run,
// as the window shows it at start-up (unzoomed).
bool writeframe(const Run& run, int frame, PictureFormat format, const std::string& path,
                std::string* error);

// The run as an animated GIF: one picture per output step 0 .. nstep, 4/100 s
// each (the output interval, so it plays in real time), looping.
bool writegif(const Run& run, const std::string& path, std::string* error);

// The study view of runs (at most STUDYMAX of them, view/study.h) under
// `title` (empty: "Study of N runs"), 800 x 800 px as PNG, SVG or PDF. The
// four-method comparison is the study of its four runs.
bool writestudy(const std::vector<StudyRun>& runs, const std::string& title, PictureFormat format,
                const std::string& path, std::string* error);

// The bytes of those files (no file written); frames and GIF drawn with the
// display state d, the frame's step taken from `frame`.
std::string framebytes(const Run& run, int frame, PictureFormat format,
                       const DisplayState& d = DisplayState());
std::string gifbytes(const Run& run, const DisplayState& d = DisplayState());
std::string studybytes(const std::vector<StudyRun>& runs, const std::string& title,
                       PictureFormat format);

}  // namespace hs
