// Robot data file: one complete case as whitespace-separated words and numbers.
#pragma once

#include <string>

#include "console/console.h"
#include "engine/case.h"
#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/run.h"
#include "engine/settings.h"

namespace hs {

// Reads the whole text of the data file `name` for the menu's 'r' and the
// batch runner into *text. False with the reason in plain words in *why
// when it cannot be opened or read ("Is a directory" for a folder) or
// exceeds 1 MB.
bool readcasefile(const std::string& name, std::string* text, std::string* why);

// Reads and checks one case from text over case `from` (what the file does
// not hold, such as the other robot's data, stays as `from` has it). On
// success the case read is in `out` and the echo lines are appended to
// *echo; on failure `out` is untouched and *error names the entry.
bool readcase(const std::string& text, const Case& from, Case& out, std::string* echo,
              std::string* error);

// The same read over settings s, gains g and path p as they are: on success
// they hold the case read and the echo lines are appended to *echo; on
// failure they are unchanged and *error names the entry.
bool loadcase(const std::string& text, SimSettings& s, ServoGains& g, ContourPath& p,
              std::string* echo, std::string* error);

// The case of model m as a data file, with the carry-overs its derivation
// left for the next run: what the window's 'o', the batch program's
// --save-case, Python's save_case and the page's case file write.
std::string casetext(const Model& m);
// Settings s as a data file, then the carry-overs of case `carried`.
std::string casetext(SimSettings s, const Case& carried);

}  // namespace hs
