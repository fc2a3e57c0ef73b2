#include "engine/settingfields.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

std::string refusal(const SettingField& f, double v) {
  if (within(f.limit, v)) return "";
  char value[32];
  std::snprintf(value, sizeof value, "%.17g", v);
  return std::string(f.name) + " = " + value + " refused: it must be " +
         limitwords(f.limit) + " [" + f.unit + "]";
}

}  // namespace hs
