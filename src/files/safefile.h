// Files written so that they are never left half-written: every writer of
// the programs (data files, run histories, pictures) goes through here.
#pragma once

#include <string>

namespace hs {

// The reason a file operation failed (an errno value) in plain words,
// independent of the locale.
std::string reasonof(int err);

// Writes text to the file through a temporary file in the same folder and a
// rename, so the file is either the old one or complete. A symbolic link is
// followed and what it finally points to is written so; a device, pipe or
// socket is written straight through. A file without write permission for
// the user (mode 0444) is not replaced. On failure nothing is left behind and
// *reason says why.
bool writefilesafely(const std::string& name, const std::string& text, std::string* reason);

// True when two names are one file: the same name, an existing file reached
// by both, or one name in one folder (./y and y, before y exists).
bool samefile(const std::string& a, const std::string& b);

}  // namespace hs
