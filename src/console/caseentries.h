// The entries of a robot data file, shared by its reader, its echo and its
// writer: one table of what each entry holds, in file order, and where
// each of its numbers goes in the settings.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/settingfields.h"
#include "engine/settings.h"

namespace hs::datafile {

// How a number in the file relates to the settings field that holds it.
enum class Rule {
  Plain,    // checked against the field's limit, held as read
  Reach,    // SCARA joint 2 to contact point [m]: beyond wp, held as l2 = reach - wp
  Hz,       // a natural frequency entered in Hz, held in rad/s
  LineEnd,  // the line's yf [m]: (xf, yf) must then differ from the start (x0, y0)
};

// One number of an entry.
struct Number {
  const char* what;   // its name within the entry, as messages show it
  const char* field;  // the settings field it is checked against and held in;
                      // "%c" stands for the key of the entry's selection
  Rule rule;
  Number(const char* w, const char* f, Rule r = Rule::Plain) : what(w), field(f), rule(r) {}
};

// A case while it is read: copies of the settings, servo design inputs and
// path it goes into (the session's own stay untouched until the whole file
// is checked), and each entry's numbers as the file gives them.
struct Staged {
  SimSettings s;
  ServoGains g;
  ContourPath p;
  std::array<std::array<double, 5>, 16> v{};  // [entry][number in the entry], file units
};

// The echo lines of a stored entry, and what else it derives once stored.
using Echo = std::string (*)(const Staged& c);
using Store = void (*)(Staged& c);

// A selection as the file holds it: its key in the settings, and the
// selection of a key (false for a key that names none).
struct Choice {
  char (*key)(const SimSettings& s);
  bool (*set)(SimSettings& s, char key);
};

// One entry of the file, or one form of an entry whose numbers depend on an
// earlier selection (the arm on the robot, the contour data on the contour).
struct Entry {
  int no = 0;
  const char* name = nullptr;        // the entry in refusal messages
  const Choice* key = nullptr;       // the selection it sets, or the one its
                                     // form and the "%c" of its fields follow
  char when = 0;                     // the key this form is for; 0: any
  const char* keys = nullptr;        // a selection: the keys allowed (first character counts)
  const char* expected = nullptr;    // a selection: what a refusal asks for
  std::vector<Number> numbers;       // the numbers, in file order
  Echo echo = nullptr;               // its echo lines; none of its own when null
  Store store = nullptr;             // what it derives besides its fields
  const char* end = "\n";            // what follows it in a written file
};

// Whether an entry's form is the one for the selections made so far.
inline bool applies(const Entry& e, const SimSettings& s) {
  return !e.when || e.key->key(s) == e.when;
}

// The entries of a case, in file order.
const std::vector<Entry>& entries();

// The settings field a number of entry e is held in, for the selections made.
const SettingField& fieldof(const Number& n, const Entry& e, const SimSettings& s);
// A number as the settings hold it, from the number the file gives.
double heldof(Rule rule, double v, const SimSettings& s);
// SCARA: the file gives joint 2 to contact point, the settings hold the
// second arm up to the arm tip (Rule::Reach; the writer inverts it).
double l2ofreach(double reach, double wp);

// The echo of a stored case, entry by entry.
std::string echoof(const Staged& c);

}  // namespace hs::datafile
