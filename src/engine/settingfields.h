// The table of every number a user can enter into the settings: its field
// name, its unit as stored, the limit it must satisfy for the model to be
// computable, and access to the field. The data file reader and the menu
// check entered values against this one table.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"

namespace hs {

struct Case;

// What a number must satisfy (every limit also requires a finite number).
enum class Limit {
  Finite,       // coordinates, amplitude, setting error, force
  Positive,     // lengths, powers, ratios, springs, frequencies, times, radius
  NonNegative,  // work mass, alpha (0 = PD control)
  Efficiency,   // forward efficiency in (0, 1]
};

// One enterable setting.
struct SettingField {
  const char* name;                    // field name, e.g. "KH1", "line.x0", "gainspec1.omega1"
  const char* unit;                    // SI unit as stored, e.g. "N/m", "rad/s", "-"
  Limit limit;                         // what a value must satisfy
  double& (*field)(SimSettings& s);    // the field in a settings record
};

// Every enterable setting, in the order of the settings record.
const std::vector<SettingField>& settingfields();
// The entry of a field name; nullptr for a name not in the table.
const SettingField* settingfield(const std::string& name);
// The limit of a field name that is in the table.
Limit limitof(const char* name);

// What the setting means, in English ("hand spring constant along the hand").
std::string description(const SettingField& f);

// Whether v satisfies the limit.
bool within(Limit limit, double v);
// The limit in words, as messages name it ("0 より大きい有限の数値").
const char* limittext(Limit limit);
// The limit in English, for the tables the batch program, Python and the
// page list ("a finite number > 0").
const char* limitwords(Limit limit);

// Why a setting given by name, or a case as a whole, is refused: what each
// client puts in its own words (refusaltext on the console layer).
struct Refusal {
  enum class Cause {
    nosuchname,  // no setting goes by the name
    outoflimit,  // the value is outside its setting's limit
    lineends,    // the line's end point is its start point
  };
  Cause cause = Cause::nosuchname;
  std::string name;              // the name as given, or the setting refused
  std::string value;             // the value as typed, else as "%.17g" (outoflimit)
  Limit limit = Limit::Finite;   // what the value must satisfy (outoflimit)
  const char* unit = "";         // the value's unit (outoflimit)
  double x0 = 0, y0 = 0;         // the line's start point [m] (lineends)
  double xf = 0, yf = 0;         // the line's end point [m] (lineends)
};

// One of the names the chosen method's servo targets go by, in the units the
// settings report shows: fn1, fn2 [Hz] (fn = omega / 2 pi with the stored
// 2 pi) and alpha1, alpha2 [1/s].
struct ServoName {
  const char* name;        // "fn1", "alpha1", "fn2", "alpha2"
  const char* unit;        // "Hz" or "1/s"
  Limit limit;             // what an entered value must satisfy
  double GainSpec::*member;  // the target it names in the method's GainSpec
  bool hz;                 // entered in Hz, stored as omega = 2 pi fn [rad/s]
};
// The four servo target names, in the order the report shows them.
const std::vector<ServoName>& servonames();
// What the servo name means, in English ("the chosen method's loop 2: natural
// frequency ...").
std::string description(const ServoName& s);

// A setting of case c by any name a client gives it: a field of the table
// (in its unit as stored) or one of the servo names of c's method. Every
// client (batch --set/--vary, Python, the web form) sets and reads named
// settings through these two. setnamed leaves c as it is and gives the
// reason when the name is unknown or the value is refused; getnamed is false
// for an unknown name. A refusal holds the value as the user typed it when
// `shown` is given ("KH1 = 1e-400", which reads as 0).
bool setnamed(Case& c, const std::string& name, double v, Refusal* why,
              const std::string& shown = "");
bool getnamed(const Case& c, const std::string& name, double* v);

// The shortest decimal text that reads back to the same double ("0.3").
std::string shortest(double v);

// Whether a line from (x0, y0) to (xf, yf) has a length: a line whose end is
// its start gives no direction to move along (the menu, the data file and
// validcase refuse it).
bool lineendsdiffer(double x0, double y0, double xf, double yf);

// Whether case c can be derived and run: every setting of the table within
// its limit, and the relations between them (the line's end differs from
// its start). False with the reason: the first setting outside its limit,
// else the line's ends. Every client checks a case it was given piece by
// piece (batch --set and --vary, Python, the web page) with this one test.
bool validcase(const Case& c, Refusal* why);

}  // namespace hs
