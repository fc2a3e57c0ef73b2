// Robot data file: one complete case as whitespace-separated words and numbers.
#pragma once

#include <string>

#include "driver/app.h"

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

// Reads and checks one case from text. On success stores it into app and
// appends the echo lines to *echo; on failure leaves app unchanged and sets
// *error to the message naming the entry. Used by readdatafile and the
// batch runner.
bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error);

}  // namespace hs
