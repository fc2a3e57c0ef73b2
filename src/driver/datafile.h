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

// Reads and checks one case from text. On success stores it into app and
// appends the echo lines to *echo; on failure leaves app unchanged and sets
// *error to the message naming the entry. Used by readdatafile and the
// batch runner.
bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error);

}  // namespace hs
