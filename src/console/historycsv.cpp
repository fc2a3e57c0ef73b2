#include "console/historycsv.h"

#include "console/console.h"
#include "engine/model/simrun.h"

namespace hs {

namespace {

std::string historycsv(const RunHistory& h, double dt) {
  const int laststep = h.laststep();
  std::string out =
      "step,t,motor1,motor2,tipx,tipy,cmdx,cmdy,poserrx,poserry,perierr,force,forceerr,"
      "torque1,torque2,defl1,defl2\n";
  // The run's output times, accumulated the same way as in the run.
  double t = 0;
  for (int i = 0; i <= laststep; ++i) {
    if (i > 0) t = t + dt;
    out += fmt(
        "%d,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,"
        "%.17g,%.17g\n",
        i, t, h.motorpos[i][0], h.motorpos[i][1], h.tippos[i][0], h.tippos[i][1], h.cmdpos[i][0],
        h.cmdpos[i][1], h.poserr[i][0], h.poserr[i][1], h.perierr[i], h.force[i][0],
        h.forceerr[i], h.torque[i][0], h.torque[i][1], h.tipdefl[i][0], h.tipdefl[i][1]);
  }
  return out;
}

}  // namespace

std::string historycsv(const App& app) { return historycsv(app.history(), app.set.dt); }

std::string historycsv(const Run& r) { return historycsv(r.hist, r.model ? r.model->set.dt : 0.0); }

}  // namespace hs
