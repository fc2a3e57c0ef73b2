#include "console/historycsv.h"

#include <charconv>
#include <cmath>

#include "console/console.h"
#include "engine/model/simrun.h"

namespace hs {

namespace {

// Appends ",v" with v as "%.17g" writes it (to_chars with that precision
// gives the same characters, without printf's cost per number).
void cell(std::string& out, double v) {
  out += ',';
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
  out += fmt("%.17g", v);
#else
  char buf[32];
  const std::to_chars_result r = std::isfinite(v)
      ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17)
      : std::to_chars_result{buf, std::errc::value_too_large};
  if (r.ec == std::errc()) out.append(buf, r.ptr);
  else out += fmt("%.17g", v);
#endif
}

}  // namespace

std::string historycsv(const RunHistory& h, double dt) {
  const int laststep = h.laststep();
  std::string out =
      "step,t,motor1,motor2,tipx,tipy,cmdx,cmdy,poserrx,poserry,perierr,force,forceerr,"
      "torque1,torque2,defl1,defl2\n";
  // The run's output times, accumulated the same way as in the run.
  double t = 0;
  for (int i = 0; i <= laststep; ++i) {
    if (i > 0) t = t + dt;
    out += std::to_string(i);
    for (double v : {t, h.motorpos[i][0], h.motorpos[i][1], h.tippos[i][0], h.tippos[i][1],
                     h.cmdpos[i][0], h.cmdpos[i][1], h.poserr[i][0], h.poserr[i][1], h.perierr[i],
                     h.force[i][0], h.forceerr[i], h.torque[i][0], h.torque[i][1],
                     h.tipdefl[i][0], h.tipdefl[i][1]})
      cell(out, v);
    out += '\n';
  }
  return out;
}

std::string historycsv(const Run& r) { return historycsv(r.hist, r.model ? r.model->set.dt : 0.0); }

}  // namespace hs
