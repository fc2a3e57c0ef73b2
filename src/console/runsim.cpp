// The simulation run as the console user sees it: the run itself, the
// one-time unreachable-point report, and the closing notes.
#include "console/app.h"
#include "engine/model/simrun.h"

namespace hs {

void tellrun(Console& con, const SimSettings& s, const RunReport& rep, KeyWaits waits,
             const char* done) {
  const Diagnostic* out = rep.find(DiagCode::unreachable);
  if (out) reportunreachable(con, s, out->values[0], out->values[1], waits);
  con.print(done);
  if (out)
    con.print(fmt("\n!!! t=%.3f[s] 以降，手先の届かない指令点がありました．\n    この結果は意味を持ちません．データを変更してやり直してください．",
                  out->t));
  if (const Diagnostic* d = rep.find(DiagCode::diverged))
    con.print(fmt("\n!!! 数値計算が発散したため，t=%.3f[s] の後で計算を打ち切りました．\n    以降は t=%.3f[s] の値のままです．",
                  d->t, d->t));
}

void tellrun(Console& con, const Run& r) {
  const SimSettings& s = r.model->set;
  for (const Diagnostic& d : r.model->pathends)
    reportunreachable(con, s, d.values[0], d.values[1], KeyWaits::no);
  tellrun(con, s, r.report, KeyWaits::no, "\ncalcontrol()終わり");
}

void runsimulation(App& app, Console& con, KeyWaits waits) {
  Run& run = app.runs[typeindex(app.set.type)];
  run = simulate(derive(caseof(app.set, app.path)));
  tellrun(con, app.set, run.report, waits, "\ncalcontrol()終わり");
}

}  // namespace hs
