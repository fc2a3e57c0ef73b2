// The interactive start-up and its start dialogue.
#pragma once

#include <functional>
#include <string>

#include "console/console.h"
#include "session/app.h"

namespace hs {

// What start-up asks between its two derivations: the start dialogue, a
// case file or three fixed selections. False stops the start-up.
using Chooser = std::function<bool(App& app, Console& con)>;

// The window program's start-up sequence (its tests and the benchmark run
// it too): run constants, defaults, derivation, the selections or case of `choose`,
// derivation, and the menu's first pass with the pending key '0' (report,
// derivation, report, the first run). False when `choose` gave up.
bool startup(App& app, Console& con, const Chooser& choose);

// Start-up with the start dialogue (everything before the window). Returns
// false when input ended during the start dialogue (the caller ends the
// program with a message and a non-zero status).
// A case file named on the command line is read as if the data-file
// question had been answered 'y' and the name typed.
bool startup(App& app, Console& con, const std::string& casefile = "");

// A chooser that stores robot `type`, control method `hybrid` and contour
// `curve` without asking.
Chooser selections(Robot type, Method hybrid, Contour curve);

// The start dialogue alone: the title, the data-file question and either the
// data file or the robot, method and contour keys. False at end of input.
// With a case file the question counts as answered by it; a file the reader
// refuses is reported and the dialogue goes on as usual.
bool startdialogue(App& app, Console& con, const std::string& casefile = "");

// The message language of the command line, "--lang en" or "--lang ja",
// taken out of argv (the last one counts). False when a --lang has no
// such value.
bool takelang(int& argc, char** argv, std::string& lang);

// The case file of the command line: the first argument that is neither a
// windowing-toolkit option nor the value of one. It is taken out of argv so
// that the rest goes to the toolkit unchanged; empty when there is none.
std::string takecasefile(int& argc, char** argv);

}  // namespace hs
