// Robot data file: one complete case as whitespace-separated words and numbers.
#pragma once

#include <string>

#include "console/app.h"
#include "console/safefile.h"

namespace hs {

enum class FileRead {
  Loaded,     // a valid file was read and stored
  Cancelled,  // empty name or end of input: nothing changed
};

// Asks for the file name on the console, reads and checks the whole file,
// echoes each group and stores it. A file that cannot be opened or does not
// hold a valid case is reported and the name is asked again.
FileRead readdatafile(App& app, Console& con);

// Reads the whole text of the data file `name` for the menu's 'r' and the
// batch runner. False with the reason in plain words when it cannot be
// opened or read ("Is a directory" for a folder) or exceeds 1 MB.
bool readcasefile(const std::string& name, std::string& text, std::string& reason);

// Reads and checks one case from text over case `from` (what the file does
// not hold, such as the other robot's data, stays as `from` has it). On
// success the case read is in `out` and the echo lines are appended to
// *echo; on failure `out` is untouched and *error names the entry.
bool readcase(const std::string& text, const Case& from, Case& out, std::string* echo,
              std::string* error);

// The same read into the session: on success stores the case into app and
// appends the echo lines to *echo; on failure leaves app unchanged and sets
// *error to the message naming the entry. Used by readdatafile and the
// batch runner.
bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error);

// Reads the named data file: echoes the name, then either the file's groups
// (true, stored) or one refusal naming the file (false, nothing changed).
bool loaddatafile(App& app, Console& con, const std::string& name);
// The file dialogue with the name given rather than typed (the program's
// command line): the prompt and the name as if typed, then loaddatafile.
bool readnameddatafile(App& app, Console& con, const std::string& name);

// The current robot's case as a data file in the reader's order, every
// number written so that the reader gets back the same double.
std::string casetext(const App& app);
// The same of the case run r ran (which has a model).
std::string casetext(const Run& r);
// Settings s as a data file, then the carry-overs of case `carried`.
std::string casetext(SimSettings s, const Case& carried);


// The window's 'o': asks for a file name on the console, asks before
// overwriting an existing file, writes the current case and reports it.
void savedatafile(const App& app, Console& con);

}  // namespace hs
