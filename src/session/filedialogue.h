// The session's robot data file dialogues on the console.
#pragma once

#include <string>

#include "console/datafile.h"
#include "session/app.h"

namespace hs {

enum class FileRead {
  Loaded,     // a valid file was read and stored
  Cancelled,  // empty name or end of input: nothing changed
};

// Asks for the file name on the console, reads and checks the whole file,
// echoes each group and stores it. A file that cannot be opened or does not
// hold a valid case is reported and the name is asked again.
FileRead readdatafile(App& app, Console& con);

// The console's reader (loadcase in console/datafile.h) into the session:
// on success stores the case into app and appends the echo lines to *echo;
// on failure leaves app unchanged and sets *error to the message naming the
// entry.
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

// The window's 'o': asks for a file name on the console, asks before
// overwriting an existing file, writes the current case and reports it.
void savedatafile(const App& app, Console& con);

}  // namespace hs
