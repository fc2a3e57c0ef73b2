// A refused setting or case in the message language's words.
#pragma once

#include <string>

#include "engine/settingfields.h"

namespace hs {

// The refusal as one line ("KH1 = 0 refused: it must be a finite number > 0
// [N/m]" in English); the name and value as they were given, unescaped.
std::string refusaltext(const Refusal& r);

}  // namespace hs
