// Start-up and the start dialogue.
#pragma once

#include <string>

#include "driver/app.h"

namespace hs {

// Start-up up to the end of the first menu pass (everything before the
// window). Returns false when input ended during the start dialogue (the
// caller ends the program with a message and a non-zero status).
// A case file named on the command line is read as if the data-file
// question had been answered 'y' and the name typed.
bool startup(App& app, Console& con, const std::string& casefile = "");

// The start dialogue alone: the title, the data-file question and either the
// data file or the robot, method and contour keys. False at end of input.
// With a case file the question counts as answered by it; a file the reader
// refuses is reported and the dialogue goes on as usual.
bool startdialogue(App& app, Console& con, const std::string& casefile = "");

// The case file of the command line: the first argument that is neither a
// windowing-toolkit option nor the value of one. It is taken out of argv so
// that the rest goes to the toolkit unchanged; empty when there is none.
std::string takecasefile(int& argc, char** argv);

}  // namespace hs
