// A run as the console user reads it: the points out of reach and the
// closing notes on its diagnostics.
#include "console/runsim.h"

#include <cmath>

#include "engine/case.h"
#include "engine/model/simrun.h"

namespace hs {

void reportunreachable(Console& con, const SimSettings& s, double x, double y, KeyWaits waits) {
  con.print("\n!!! 逆運動学の解なし．始めからやり直し．");
  con.print(fmt("\n    アーム長1,2=(%6.3f %6.3f) 位置(x,y)=(%6.3f %6.3f)", s.l1, s.l2 + s.wp, x, y));
  if (waits == KeyWaits::no) return;
  con.print(kKeyContinues);
  con.readkey();
}

// Reachability of path p's start and end for the robot of s; the joint
// values are not kept.
void checkpathends(const SimSettings& s, const ContourPath& p, Console& con) {
  for (const Pair& end : unreachableends(s, p, s.type)) reportunreachable(con, s, end[0], end[1]);
}

std::string domainnote(const Diagnostic& d) {
  const std::array<double, 3>& v = d.values;
  switch (d.code) {
    case DiagCode::outofreach:
      // Robot a's inner reach is 0: its radial joint went behind the base.
      if (v[2] == 0)
        return fmt("t=%.3f[s] に腕の直動関節が基部の後ろに出ました (x,y)=(%.3f %.3f)[m]．この結果は意味を持ちません．",
                   d.t, v[0], v[1]);
      if (std::hypot(v[0], v[1]) < v[2])
        return fmt("t=%.3f[s] に手先が腕の届く範囲（基部から %.3f[m] 以上）より基部の側に入りました (x,y)=(%.3f %.3f)[m]．この結果は意味を持ちません．",
                   d.t, v[2], v[0], v[1]);
      return fmt("t=%.3f[s] に手先が腕の届く範囲（基部から %.3f[m] まで）の外に出ました (x,y)=(%.3f %.3f)[m]．この結果は意味を持ちません．",
                 d.t, v[2], v[0], v[1]);
    case DiagCode::handtravel:
      return fmt("t=%.3f[s] にハンドのたわみ (%.4f %.4f)[m] がばねの動ける幅 %.3f[m] を超えました．この結果は意味を持ちません．",
                 d.t, v[0], v[1], std::fabs(v[2]));
    case DiagCode::contactlost:
      return fmt("t=%.3f[s] に接触力が %.3f[N] となり，接触が保てませんでした．この結果は意味を持ちません．",
                 d.t, v[0]);
    case DiagCode::saturated:
      return fmt("モータが %.1f%% のステップでトルク制限に達していました（%.0f%% を超えています）．", v[0], v[1]);
    default:
      return "";
  }
}

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
  for (const Diagnostic& d : rep.diagnostics) {
    const std::string note = domainnote(d);
    if (!note.empty()) con.print("\n!!! " + note);
  }
}

void tellrun(Console& con, const Run& r, const char* done) {
  const SimSettings& s = r.model->set;
  for (const Diagnostic& d : r.model->pathends)
    reportunreachable(con, s, d.values[0], d.values[1], KeyWaits::no);
  tellrun(con, s, r.report, KeyWaits::no, done);
}

}  // namespace hs
