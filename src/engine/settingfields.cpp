#include "engine/settingfields.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/case.h"
#include "engine/control/gains.h"

namespace hs {

namespace {

// One row: name, unit, limit and the member reached from a settings record.
#define HS_FIELD(NAME, UNIT, LIMIT, MEMBER) \
  SettingField { NAME, UNIT, Limit::LIMIT, [](SimSettings& s) -> double& { return s.MEMBER; } }

const std::vector<SettingField> FIELDS = {
    // Robot a: arm, motors, reducers.
    HS_FIELD("l", "m", Positive, l),
    HS_FIELD("PW1_a", "W", Positive, PW1_a),
    HS_FIELD("PW2_a", "W", Positive, PW2_a),
    HS_FIELD("u1_a", "-", Positive, u1_a),
    HS_FIELD("u2_a", "rad/m", Positive, u2_a),
    HS_FIELD("eta1_a", "-", Efficiency, eta1_a),
    HS_FIELD("eta2_a", "-", Efficiency, eta2_a),
    // Robot b: links, motors, reducers.
    HS_FIELD("l1", "m", Positive, l1),
    HS_FIELD("l2", "m", Positive, l2),
    HS_FIELD("PW1_b", "W", Positive, PW1_b),
    HS_FIELD("PW2_b", "W", Positive, PW2_b),
    HS_FIELD("u1_b", "-", Positive, u1_b),
    HS_FIELD("u2_b", "-", Positive, u2_b),
    HS_FIELD("eta1_b", "-", Efficiency, eta1_b),
    HS_FIELD("eta2_b", "-", Efficiency, eta2_b),
    // Work, hand springs, force, setting error.
    HS_FIELD("mw", "kg", NonNegative, mw),
    HS_FIELD("KH1", "N/m", Positive, KH1),
    HS_FIELD("KH2", "N/m", Positive, KH2),
    HS_FIELD("Fn", "N", Finite, Fn),
    HS_FIELD("seterror", "m", Finite, seterror),
    // Servo targets of every method.
    HS_FIELD("gainspec1.omega1", "rad/s", Positive, gainspec1.omega1),
    HS_FIELD("gainspec1.alpha1", "1/s", NonNegative, gainspec1.alpha1),
    HS_FIELD("gainspec1.omega2", "rad/s", Positive, gainspec1.omega2),
    HS_FIELD("gainspec1.alpha2", "1/s", NonNegative, gainspec1.alpha2),
    HS_FIELD("gainspec3.omega1", "rad/s", Positive, gainspec3.omega1),
    HS_FIELD("gainspec3.alpha1", "1/s", NonNegative, gainspec3.alpha1),
    HS_FIELD("gainspec3.omega2", "rad/s", Positive, gainspec3.omega2),
    HS_FIELD("gainspec3.alpha2", "1/s", NonNegative, gainspec3.alpha2),
    HS_FIELD("gainspec4.omega1", "rad/s", Positive, gainspec4.omega1),
    HS_FIELD("gainspec4.alpha1", "1/s", NonNegative, gainspec4.alpha1),
    HS_FIELD("gainspec4.omega2", "rad/s", Positive, gainspec4.omega2),
    HS_FIELD("gainspec4.alpha2", "1/s", NonNegative, gainspec4.alpha2),
    HS_FIELD("gainspec6.omega1", "rad/s", Positive, gainspec6.omega1),
    HS_FIELD("gainspec6.alpha1", "1/s", NonNegative, gainspec6.alpha1),
    HS_FIELD("gainspec6.omega2", "rad/s", Positive, gainspec6.omega2),
    HS_FIELD("gainspec6.alpha2", "1/s", NonNegative, gainspec6.alpha2),
    // Contours.
    HS_FIELD("line.x0", "m", Finite, line.x0),
    HS_FIELD("line.y0", "m", Finite, line.y0),
    HS_FIELD("line.xf", "m", Finite, line.xf),
    HS_FIELD("line.yf", "m", Finite, line.yf),
    HS_FIELD("line.tf", "s", Positive, line.tf),
    HS_FIELD("circle.Ox", "m", Finite, circle.Ox),
    HS_FIELD("circle.Oy", "m", Finite, circle.Oy),
    HS_FIELD("circle.rr", "m", Positive, circle.rr),
    HS_FIELD("circle.tf", "s", Positive, circle.tf),
    HS_FIELD("sine.x0", "m", Finite, sine.x0),
    HS_FIELD("sine.y0", "m", Finite, sine.y0),
    HS_FIELD("sine.L", "m", Positive, sine.L),
    HS_FIELD("sine.A", "m", Finite, sine.A),
    HS_FIELD("sine.tf", "s", Positive, sine.tf),
};

#undef HS_FIELD

}  // namespace

const std::vector<SettingField>& settingfields() { return FIELDS; }

const SettingField* settingfield(const std::string& name) {
  for (const SettingField& f : FIELDS)
    if (name == f.name) return &f;
  return nullptr;
}

Limit limitof(const char* name) {
  const SettingField* f = settingfield(name);
  if (!f) std::abort();  // a name missing from the table is a programming error
  return f->limit;
}

bool within(Limit limit, double v) {
  if (!std::isfinite(v)) return false;
  switch (limit) {
    case Limit::Finite: return true;
    case Limit::Positive: return v > 0;
    case Limit::NonNegative: return v >= 0;
    case Limit::Efficiency: return v > 0 && v <= 1;
  }
  return false;
}

const char* limittext(Limit limit) {
  switch (limit) {
    case Limit::Finite: return "有限の数値";
    case Limit::Positive: return "0 より大きい有限の数値";
    case Limit::NonNegative: return "0 以上の有限の数値";
    case Limit::Efficiency: return "0 より大きく 1 以下の数値";
  }
  return "";
}

const char* limitwords(Limit limit) {
  switch (limit) {
    case Limit::Finite: return "a finite number";
    case Limit::Positive: return "a finite number > 0";
    case Limit::NonNegative: return "a finite number >= 0";
    case Limit::Efficiency: return "a number > 0 and <= 1";
  }
  return "";
}

namespace {

// The refusal of value v (typed as `shown` when known) for a setting.
Refusal outoflimit(const char* name, const char* unit, Limit limit, double v,
                   const std::string& shown) {
  Refusal r;
  r.cause = Refusal::Cause::outoflimit;
  r.name = name;
  if (shown.empty()) {
    char value[32];
    std::snprintf(value, sizeof value, "%.17g", v);
    r.value = value;
  } else {
    r.value = shown;
  }
  r.limit = limit;
  r.unit = unit;
  return r;
}

const std::vector<ServoName> SERVONAMES = {
    {"fn1", "Hz", Limit::Positive, &GainSpec::omega1, true},
    {"alpha1", "1/s", Limit::NonNegative, &GainSpec::alpha1, false},
    {"fn2", "Hz", Limit::Positive, &GainSpec::omega2, true},
    {"alpha2", "1/s", Limit::NonNegative, &GainSpec::alpha2, false},
};

const ServoName* servoname(const std::string& name) {
  for (const ServoName& s : SERVONAMES)
    if (name == s.name) return &s;
  return nullptr;
}

}  // namespace

const std::vector<ServoName>& servonames() { return SERVONAMES; }

// A table field as stored; a servo name in the chosen method's GainSpec, a
// frequency converted with the stored 2 pi as the menu converts it.
bool setnamed(Case& c, const std::string& name, double v, Refusal* why,
              const std::string& shown) {
  if (const SettingField* f = settingfield(name)) {
    if (!within(f->limit, v)) {
      if (why) *why = outoflimit(f->name, f->unit, f->limit, v, shown);
      return false;
    }
    f->field(c.set) = v;
    return true;
  }
  if (const ServoName* s = servoname(name)) {
    const double stored = s->hz ? omegaofhz(v) : v;
    if (!within(s->limit, v) || !within(s->limit, stored)) {
      if (why) *why = outoflimit(s->name, s->unit, s->limit, v, shown);
      return false;
    }
    gainspecof(c.set, c.set.hybrid).*(s->member) = stored;
    return true;
  }
  if (why) {
    *why = Refusal{};
    why->name = name;
  }
  return false;
}

bool getnamed(const Case& c, const std::string& name, double* v) {
  double value = 0;
  if (const SettingField* f = settingfield(name)) {
    value = f->field(const_cast<SimSettings&>(c.set));
  } else if (const ServoName* s = servoname(name)) {
    const double stored = gainspecof(c.set, c.set.hybrid).*(s->member);
    value = s->hz ? stored / PI2 : stored;
  } else {
    return false;
  }
  if (v) *v = value;
  return true;
}

std::string shortest(double v) {
  char t[32];
  for (int digits = 6; digits < 17; ++digits) {
    std::snprintf(t, sizeof t, "%.*g", digits, v);
    if (std::strtod(t, nullptr) == v) return t;
  }
  std::snprintf(t, sizeof t, "%.17g", v);
  return t;
}

bool lineendsdiffer(double x0, double y0, double xf, double yf) {
  return !(x0 == xf && y0 == yf);
}

// Each setting against its limit first, then the relations: a line needs an
// end point apart from its start to give the motion a direction.
bool validcase(const Case& c, Refusal* why) {
  SimSettings s = c.set;
  for (const SettingField& f : FIELDS) {
    const double v = f.field(s);
    if (!within(f.limit, v)) {
      if (why) *why = outoflimit(f.name, f.unit, f.limit, v, "");
      return false;
    }
  }
  const LineSpec& l = s.line;
  if (!lineendsdiffer(l.x0, l.y0, l.xf, l.yf)) {
    if (why) {
      *why = Refusal{};
      why->cause = Refusal::Cause::lineends;
      why->name = "line.xf, line.yf";
      why->x0 = l.x0, why->y0 = l.y0, why->xf = l.xf, why->yf = l.yf;
    }
    return false;
  }
  return true;
}

namespace {

// The meanings of the settings that are not one of a family.
const std::vector<std::pair<std::string, std::string>> MEANINGS = {
    {"l", "robot a (cylindrical): arm length"},
    {"l1", "robot b (SCARA): length of the first arm"},
    {"l2", "robot b (SCARA): length of the second arm up to the arm tip (the tip is 0.2 m beyond)"},
    {"mw", "mass of the work carried at the hand"},
    {"KH1", "hand spring constant along the hand"},
    {"KH2", "hand spring constant across the hand"},
    {"Fn", "commanded normal contact force"},
    {"seterror",
     "setting error: workpiece displacement in +X that the controller does not know (the menu "
     "shows it in mm)"},
    {"line.x0", "line: start point X"},
    {"line.y0", "line: start point Y"},
    {"line.xf", "line: end point X"},
    {"line.yf", "line: end point Y"},
    {"line.tf", "line: travel time"},
    {"circle.Ox", "circle: centre X"},
    {"circle.Oy", "circle: centre Y"},
    {"circle.rr", "circle: radius (run once counter-clockwise from its right end)"},
    {"circle.tf", "circle: time for one revolution"},
    {"sine.x0", "sine: start point X"},
    {"sine.y0", "sine: start point Y (the wave's centre line)"},
    {"sine.L", "sine: wavelength (one wavelength is run in +X)"},
    {"sine.A", "sine: amplitude"},
    {"sine.tf", "sine: travel time"},
};

// What the two loops of each method control.
std::string loopof(char method, int loop) {
  switch (method) {
    case '1': return loop == 1 ? "joint positions" : "hand deflections of both motors";
    case '4': return loop == 1 ? "motor 1 position" : "motor 2 (pressing) hand deflection";
    default: return loop == 1 ? "position along the path" : "normal contact force";
  }
}

}  // namespace

std::string description(const ServoName& s) {
  const std::string name = s.name;
  const char loop = name.back();
  const std::string head = std::string("the chosen method's loop ") + loop + ": ";
  if (s.hz)
    return head + "natural frequency fn" + loop + " = omega" + loop + " / 2 pi (gainspecM.omega" +
           loop + " of method M in Hz; the default is method 6's)";
  return head + "further inverse time constant alpha" + loop +
         ", 0 = PD control (gainspecM.alpha" + loop + " of method M; the default is method 6's)";
}

std::string description(const SettingField& f) {
  const std::string name = f.name;
  for (const auto& [n, meaning] : MEANINGS)
    if (n == name) return meaning;
  if (name.rfind("gainspec", 0) == 0) {
    // gainspecM.omegaL / gainspecM.alphaL
    const char method = name[8];
    const char loop = name.back();
    const std::string head = std::string("method ") + method + ", loop " + loop + " (" +
                             loopof(method, loop - '0') + "): ";
    if (name.find(".omega") != std::string::npos)
      return head + "natural angular frequency (the menu and the report show fn" + loop +
             " = omega" + loop + " / 2 pi in Hz)";
    return head + "further inverse time constant alpha" + loop + ", 0 = PD control";
  }
  // PW1_a, u2_b, eta1_a: a drive's power, ratio or efficiency.
  const std::string quantity = name.substr(0, name.size() - 3);
  const char motor = name[name.size() - 3], robot = name.back();
  const std::string meaning = quantity == "PW" ? "motor power"
                              : quantity == "u" ? "reduction ratio"
                                                : "forward efficiency";
  return std::string(robot == 'a' ? "robot a (cylindrical)" : "robot b (SCARA)") + ": " + meaning +
         " of motor " + motor + "'s drive";
}

}  // namespace hs
