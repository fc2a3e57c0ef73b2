// The table of every number a user can enter into the settings: its field
// name, its unit as stored, the limit it must satisfy for the model to be
// computable, and access to the field. The data file reader and the menu
// check entered values against this one table.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"

namespace hs {

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
// The limit in English, for the batch program's and scripts' messages
// ("a finite number > 0").
const char* limitwords(Limit limit);
// Why the value v is refused for field f ("KH1 = 0 refused: it must be a
// finite number > 0 [N/m]"); empty when it is within the limit.
std::string refusal(const SettingField& f, double v);

}  // namespace hs
