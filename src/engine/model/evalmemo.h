// Memory of pure evaluations within one run. The integrator asks for the
// command at one time and the contact at one state many times per stage;
// these tables hand back the earlier result when the inputs are the same
// bits, so a memoised run stores exactly the numbers of a plain one.
// Only functions whose result depends on nothing but their key are kept here;
// the control law's own memory still advances at every call.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/control/command.h"
#include "engine/model/drive.h"

namespace hs {

// Small most-recently-used table with exact (bitwise) keys of K doubles.
template <int K, class V, int N>
class MemoTable {
 public:
  // Returns the stored value for key, or nullptr.
  const V* find(const double (&key)[K]) const {
    for (int i = 0; i < used_; ++i) {
      const int e = (next_ - 1 - i + N) % N;
      if (std::memcmp(keys_[e], key, sizeof key) == 0) return &vals_[e];
    }
    return nullptr;
  }
  const V& put(const double (&key)[K], const V& v) {
    std::memcpy(keys_[next_], key, sizeof key);
    vals_[next_] = v;
    const V& stored = vals_[next_];
    next_ = (next_ + 1) % N;
    if (used_ < N) ++used_;
    return stored;
  }

 private:
  double keys_[N][K]{};
  V vals_[N]{};
  int next_ = 0, used_ = 0;
};

struct EvalMemo {
  MemoTable<4, CommandOut, 2> command;   // (s, sdot, qref) -> command of methods 1, 3, 4
  MemoTable<1, Pair, 2> pathpoint;       // arc position -> point on the entered contour
  MemoTable<2, ContactOut, 4> contact;   // motor positions -> contact
  MemoTable<3, double, 2> arcpos;        // (P, sprev) -> arc position of the tip
};

// Contact at motor positions m, from the run's memory when it has it.
inline ContactOut contactat(const RunModel& rm, const ControlState& cs, const Pair& m);

}  // namespace hs

#include "engine/control/hybrid.h"

namespace hs {

inline ContactOut contactat(const RunModel& rm, const ControlState& cs, const Pair& m) {
  if (!cs.memo) return calcontact(rm.set, rm.path, m);
  const double key[2] = {m[0], m[1]};
  if (const ContactOut* hit = cs.memo->contact.find(key)) return *hit;
  return cs.memo->contact.put(key, calcontact(rm.set, rm.path, m));
}

}  // namespace hs
