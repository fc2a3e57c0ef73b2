// The setting-error label of the window's title (pure, no drawing).
#include "view/displaystate.h"

#include <cmath>
#include <cstdio>

namespace hs {

// The setting error in whole millimetres, truncated toward zero: two digits
// (tens, units) for 0 .. 99 mm; outside that range the full signed number.
std::string seterrlabel(double seterror) {
  const double mm = 1000.0 * seterror;
  if (!std::isfinite(mm) || std::fabs(mm) >= 1e9) {
    return "***[mm]";
  }
  const long tens = static_cast<long>(100.0 * seterror);
  const long units = static_cast<long>(mm - 10.0 * tens);
  if (tens >= 0 && tens <= 9 && units >= 0 && units <= 9) {
    const char digits[] = "0123456789";
    return std::string{digits[tens], digits[units]} + "[mm]";
  }
  const long whole = static_cast<long>(mm);
  char buf[32];
  if (whole < 0)
    std::snprintf(buf, sizeof buf, "-%02ld[mm]", -whole);
  else
    std::snprintf(buf, sizeof buf, "%ld[mm]", whole);
  return buf;
}

}  // namespace hs
