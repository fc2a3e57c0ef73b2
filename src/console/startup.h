// Start-up and the start dialogue.
#pragma once

#include <functional>
#include <string>

#include "console/app.h"

namespace hs {

// What start-up asks between its two derivations: the start dialogue, a
// case file or three fixed selections. False stops the start-up.
using Chooser = std::function<bool(App& app, Console& con)>;

// The one start-up sequence of every program, test and benchmark: run
// constants, defaults, derivation, the selections or case of `choose`,
// derivation, and the menu's first pass with the pending key '0' (report,
// derivation, report, the first run). False when `choose` gave up.
bool startup(App& app, Console& con, const Chooser& choose);

// The case of a case file's text (its echo appended to *echo), or with no
// text the case of the three selection keys, each on the defaults. False
// with the reader's refusal in *error. Every client without a user at the
// keys starts from it.
bool choosecase(const std::string& casetext, char type, char hybrid, char curve, Case& c,
                std::string* echo, std::string* error);

// The console text of the start-up from a chosen case to its first run
// `run` as a session at the console shows it, made from the run alone: the
// title, the case file's echo, then the menu's first pass and the run's
// messages. With no run (a refused file, or a comparison instead of the
// run) it stops after the echo.
void showstartup(Console& con, const std::string& echo, const Run* run);

// Start-up with the start dialogue (everything before the window). Returns
// false when input ended during the start dialogue (the caller ends the
// program with a message and a non-zero status).
// A case file named on the command line is read as if the data-file
// question had been answered 'y' and the name typed.
bool startup(App& app, Console& con, const std::string& casefile = "");

// A chooser that stores robot `type`, control method `hybrid` and contour
// `curve` without asking.
Chooser selections(char type, char hybrid, char curve);

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
