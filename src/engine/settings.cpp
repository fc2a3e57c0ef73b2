#include "engine/settings.h"

namespace hs {

GainSpec* gainspecof(SimSettings& s, char hybrid) {
  switch (hybrid) {
    case '1': return &s.gainspec1;
    case '3': return &s.gainspec3;
    case '4': return &s.gainspec4;
    case '6': return &s.gainspec6;
    default: return nullptr;
  }
}

const GainSpec* gainspecof(const SimSettings& s, char hybrid) {
  return gainspecof(const_cast<SimSettings&>(s), hybrid);
}

DriveData drivedata(SimSettings& s, char type) {
  if (type == 'a') return {s.PW1_a, s.PW2_a, s.u1_a, s.u2_a, s.eta1_a, s.eta2_a};
  return {s.PW1_b, s.PW2_b, s.u1_b, s.u2_b, s.eta1_b, s.eta2_b};
}

RobotParams robotparams(const SimSettings& s) {
  const DriveData d = drivedata(const_cast<SimSettings&>(s), s.type);
  return {d.u1, d.u2, d.eta1, d.eta2, d.PW1, d.PW2};
}

}  // namespace hs
