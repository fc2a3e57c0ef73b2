#include "driver/settings.h"

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

RobotParams robotparams(const SimSettings& s) {
  if (s.type == 'a') return {s.u1_a, s.u2_a, s.eta1_a, s.eta2_a, s.PW1_a, s.PW2_a};
  return {s.u1_b, s.u2_b, s.eta1_b, s.eta2_b, s.PW1_b, s.PW2_b};
}

}  // namespace hs
