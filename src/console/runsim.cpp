// The simulation run as the console user sees it: the run itself, the
// one-time unreachable-point report, and the closing notes.
#include "console/app.h"
#include "engine/model/simrun.h"

namespace hs {

void runsimulation(App& app, Console& con) {
  const RunReport rep = calcontrol(app.runmodel(), app.ctl, app.history(),
                                   [&](double x, double y) { reportunreachable(con, app.set, x, y); });
  app.lastrun = rep;
  con.print("\ncalcontrol()終わり");
  if (rep.clamped)
    con.print(fmt("\n!!! 出力ステップ数 nstep=%d は記録できる数を超えるため，%d ステップまでで計算しました．",
                  app.set.nstep, rep.laststep));
  if (rep.unreachable)
    con.print(fmt("\n!!! t=%.3f[s] 以降，手先の届かない指令点がありました．この結果は意味を持ちません．データを変更してやり直してください．",
                  rep.unreachable_t));
  if (rep.diverged)
    con.print(fmt("\n!!! 数値計算が発散したため，t=%.3f[s] の後で計算を打ち切りました．以降は t=%.3f[s] の値のままです．",
                  rep.diverged_t, rep.diverged_t));
}

}  // namespace hs
