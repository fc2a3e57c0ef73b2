// Writing a case as a robot data file: one entry a line in the reader's
// order, every number such that the reader gets back the same double.
#include <cmath>
#include <string>

#include "console/caseentries.h"
#include "console/datafile.h"

namespace hs {

namespace {

using namespace datafile;

// %.17g: seventeen significant digits always read back to the same double.
std::string num(double v) { return fmt("%.17g", v); }

// The number to write for a value that the reader derives through `read`
// (increasing in its argument) rather than stores as read: the double next
// to `guess` that the reader turns into exactly `held`. Every held value is
// such a reading (the defaults and the menu convert the same way), so a few
// steps of one unit in the last place either side of the plain inverse find
// it; should none, the plain inverse is written.
template <class Read>
double preimage(double guess, double held, Read read) {
  double below = guess, above = guess;
  for (int i = 0; i < 16; ++i) {
    if (read(below) == held) return below;
    if (read(above) == held) return above;
    below = std::nextafter(below, -HUGE_VAL);
    above = std::nextafter(above, HUGE_VAL);
  }
  return guess;
}

double hzof(double omega) { return preimage(omega / PI2, omega, omegaofhz); }

// A number as the file gives it, from the value the settings hold.
double writtenof(Rule rule, double held, const SimSettings& s) {
  if (rule == Rule::Reach)
    return preimage(held + s.wp, held, [&s](double r) { return l2ofreach(r, s.wp); });
  if (rule == Rule::Hz) return hzof(held);
  return held;
}

}  // namespace

std::string casetext(const Model& m) { return casetext(m.set, caseof(m.set, m.path)); }

// One entry a line (the two motor powers share one), in the reader's order,
// each number from the field the reader stores it in (the servo targets are
// the method's own), then what the run on screen took over from the session,
// for the same run. (The settings table reaches fields of a record it may
// change: s is a copy.)
std::string casetext(SimSettings s, const Case& carried) {
  std::string t;
  for (const Entry& e : entries()) {
    if (!applies(e, s)) continue;
    if (e.keys) t += e.key->key(s);
    for (std::size_t i = 0; i < e.numbers.size(); ++i) {
      const Number& n = e.numbers[i];
      t += (i ? " " : "") + num(writtenof(n.rule, fieldof(n, e, s).field(s), s));
    }
    t += e.end;
  }
  t += num(carried.worklen) + " " + num(carried.accwindow6) + "\n";
  return t;
}

}  // namespace hs
