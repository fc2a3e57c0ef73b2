#include "engine/settings.h"

namespace hs {

char keyof(Robot r) { return "ab"[static_cast<int>(r)]; }
char keyof(Method m) { return "1346"[static_cast<int>(m)]; }
char keyof(Contour c) { return "LCS"[static_cast<int>(c)]; }

namespace {

// The place of key in keys as an enum; false for a key not among them (a
// NUL is none: strchr would find the terminator).
template <class E>
bool enumof(const char* keys, char key, E* out) {
  for (int i = 0; keys[i]; ++i)
    if (keys[i] == key) {
      *out = static_cast<E>(i);
      return true;
    }
  return false;
}

}  // namespace

bool robotof(char key, Robot* out) { return enumof("ab", key, out); }
bool methodof(char key, Method* out) { return enumof("1346", key, out); }
bool contourof(char key, Contour* out) { return enumof("LCS", key, out); }

GainSpec& gainspecof(SimSettings& s, Method hybrid) {
  switch (hybrid) {
    case Method::hybrid1: return s.gainspec1;
    case Method::hybrid3: return s.gainspec3;
    case Method::hybrid4: return s.gainspec4;
    case Method::hybrid6: break;
  }
  return s.gainspec6;
}

const GainSpec& gainspecof(const SimSettings& s, Method hybrid) {
  return gainspecof(const_cast<SimSettings&>(s), hybrid);
}

DriveData drivedata(SimSettings& s, Robot type) {
  if (type == Robot::a) return {s.PW1_a, s.PW2_a, s.u1_a, s.u2_a, s.eta1_a, s.eta2_a};
  return {s.PW1_b, s.PW2_b, s.u1_b, s.u2_b, s.eta1_b, s.eta2_b};
}

RobotParams robotparams(const SimSettings& s) {
  const DriveData d = drivedata(const_cast<SimSettings&>(s), s.type);
  return {d.u1, d.u2, d.eta1, d.eta2, d.PW1, d.PW2};
}

}  // namespace hs
