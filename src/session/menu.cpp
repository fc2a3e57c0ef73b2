// Key-command menu. One key command picks an entry group; from there the
// menu walks a fixed chain of setting groups, asking in each whether to change
// it, and always ends by deriving the model again and rerunning the simulation.
#include "session/menu.h"

#include <cmath>
#include <initializer_list>
#include <string>

#include "engine/control/contour.h"
#include "engine/control/gains.h"
#include "engine/control/kinematics.h"
#include "console/datafile.h"
#include "console/meritreport.h"
#include "console/report.h"
#include "engine/settingfields.h"
#include "session/filedialogue.h"

namespace hs {

namespace {

// The states of the chain, in the order they run.
enum class Group {
  Springs,        // (1-6) hand spring constants
  Method,         // (2-1) hybrid control method
  Gains,          // (2-2) servo targets of the current method
  Contour,        // (3-2) contour kind
  ContourParams,  // (3-2-x) geometry and time of the current contour
  SetError,       // (3-3) workpiece setting error
  Force,          // (3-4) commanded contact force
  Rerun,          // derive, report, simulate
};

// One pass of the menu: the case it edits, taken from the session when the
// pass starts, and the session, whose derived model the groups report from
// until the rerun applies the case and runs it.
struct Pass {
  App& app;
  Case c;
};

void printlines(Console& con, std::initializer_list<const char*> lines) {
  for (const char* line : lines) con.print(line);
}

// One yes/no answer key. Once the input has ended every answer is 'n', so
// the menu runs straight to its rerun instead of waiting for keys that
// will never come.
int answer(Console& con, const char* question) {
  con.print(question);
  int key = con.readkey();
  return key < 0 ? 'n' : key;
}

// Shows the old values of a group and asks whether to change it. Returns
// true when the group is to be changed; otherwise sets `next`: 'n' skips
// this and every later group, 'z' skips this group only.
bool askchange(Console& con, const std::string& old, const char* question, Group skip,
               Group& next) {
  con.print(old);
  int key = answer(con, question);
  if (key == 'n') next = Group::Rerun;
  else if (key == 'z') next = skip;
  else return true;
  return false;
}

// A selection key that must be one of `allowed`; anything else is refused
// and the prompt is shown again. Returns -1 at end of input (nothing stored).
int selectkey(Console& con, const std::string& prompt, const char* allowed,
              const char* refusal) {
  for (;;) {
    con.print(tr(prompt));
    int key = con.readkey();
    if (key < 0) return -1;
    for (const char* p = allowed; *p; ++p)
      if (key == *p) return key;
    con.print(refusal);
  }
}

// A value check: true when the values are usable, else false with the
// message that says which limit they break.
using Check = bool (*)(const double* v, std::string* why);

bool allfinite(const double* v, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

// After the numbers of an entry the rest of their line is dropped, so that
// nothing typed there reaches a later question; what was dropped is said.
void droprest(Console& con) {
  const std::string rest = trimblanks(con.restofline());
  if (rest.empty()) return;
  const std::string shown = escapebytes(con.inputtext(rest));
  con.print(fmt("\n    !! 余分な入力 \"%s\" は使いません．", shown.c_str()));
}

// Reads n numbers for one prompt into out[]. The numbers go into
// temporaries first and are stored only when all of them were read and
// pass the check, so a field never takes a partial value. Text that is not
// a number, or values outside their limits, drop the rest of the line,
// print what was expected and ask the same prompt again. At end of input
// nothing is stored and false is returned.
bool readvalues(Console& con, const std::string& prompt, int n, double* out,
                const char* expected, Check check) {
  // A prompt asked again after a refusal starts a line of its own.
  bool refused = false;
  for (;;) {
    if (refused && prompt.compare(0, 1, "\n") != 0) con.print("\n");
    refused = true;
    con.print(tr(prompt));
    double v[5];
    ReadStatus st = ReadStatus::Ok;
    for (int i = 0; i < n && st == ReadStatus::Ok; ++i) st = con.readnumber(v[i]);
    if (st == ReadStatus::End) return false;
    if (st == ReadStatus::Bad) {
      con.discardline();
      con.print(fmt("\n    !! 数値として読めません．%s を入力してください．", tr(expected)));
      continue;
    }
    std::string why;
    if (!allfinite(v, n)) why = "\n    !! 有限の数値を入力してください．";
    if (!why.empty() || (check && !check(v, &why))) {
      con.discardline();
      con.print(why.c_str());
      continue;
    }
    for (int i = 0; i < n; ++i) out[i] = v[i];
    droprest(con);
    return true;
  }
}

// The limits below are those of the table of settings, which the robot data
// file uses too: values that would make the model, the gain design or the
// time law meaningless are refused.
bool checksprings(const double* v, std::string* why) {
  if (within(limitof("KH1"), v[0]) && within(limitof("KH2"), v[1])) return true;
  return refuse(why, "\n    !! ばね定数 KH1, KH2 は正の値 (> 0 [N/m]) にしてください．");
}

bool checkloop(const double* v, std::string* why) {
  // fn is held as 2 pi fn [rad/s], which must be finite too.
  const Limit omega = limitof("gainspec1.omega1");
  if (within(omega, v[0]) && within(omega, omegaofhz(v[0])) && within(limitof("gainspec1.alpha1"), v[1]))
    return true;
  return refuse(why, "\n    !! 固有振動数 fn は正の値 (> 0 [Hz])，\n       α は 0 以上 (PD制御なら 0) にしてください．");
}

bool checkline(const double* v, std::string* why) {
  if (!within(limitof("line.tf"), v[4]))
    return refuse(why, "\n    !! 位置決め時間 tf は正の値 (> 0 [s]) にしてください．");
  if (!lineendsdiffer(v[0], v[1], v[2], v[3]))
    return refuse(why, "\n    !! 始点と終点が同じです．始点と異なる終点を入力してください．");
  return true;
}

bool checkcircle(const double* v, std::string* why) {
  if (!within(limitof("circle.rr"), v[2])) return refuse(why, "\n    !! 半径 r は正の値 (> 0 [m]) にしてください．");
  if (!within(limitof("circle.tf"), v[3]))
    return refuse(why, "\n    !! 位置決め時間 tf は正の値 (> 0 [s]) にしてください．");
  return true;
}

bool checksine(const double* v, std::string* why) {
  if (!within(limitof("sine.L"), v[2])) return refuse(why, "\n    !! 波長 L は正の値 (> 0 [m]) にしてください．");
  if (!within(limitof("sine.tf"), v[4]))
    return refuse(why, "\n    !! 位置決め時間 tf は正の値 (> 0 [s]) にしてください．");
  return true;
}

// (1-6) Hand spring constants.
Group springs(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  Group next;
  if (!askchange(con, fmt("\n(1-6) ハンドばね定数　旧(KH1,KH2)=(%7.2f %7.2f)[N/m]", s.KH1, s.KH2),
                 "\n(1-6) ハンドばね定数変更？：y  変更しない：z  以下全て変更しない : n  ",
                 Group::Method, next))
    return next;
  double v[2];
  if (readvalues(con, "\n      入力　KH1 KH2=", 2, v, "KH1 KH2 の2つの数値 [N/m]", checksprings)) {
    s.KH1 = v[0];
    s.KH2 = v[1];
  }
  return Group::Method;
}

// (2-1) Control method. The new method's servo targets are loaded only by
// the next gain design, so (2-2) still shows the previous method's values.
Group method(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  Group next;
  if (!askchange(con, fmt("\n(2-1) hybrid制御方法　旧 hybrid%c ", keyof(s.hybrid)),
                 "\n(2-1) hybrid制御方法変更？：y  変更しない：z  以下全て変更しない : n  ",
                 Group::Gains, next))
    return next;
  printlines(con, {
      "\n hybrid1:関節空間で2位置制御と2力制御：（φ1,φ2)で(x,y), (Ft,Fn)制御",
      "\n hybrid3:作業空間で1位置制御と1力制御：（φ1,φ2)で(x,,Fn)制御",
      "\n hybrid4:関節空間で1位置制御と1力制御：  φ1でx, φ2でFn制御",
      "\n hybrid6:関節空間で力制御：（φ1,φ2)で(Ft,Fn)制御",
  });
  int sel = selectkey(con, fmt("\n(2-1) 旧 hybrid%c →　変更 1,3,4,6 のどれか　sgn=", keyof(s.hybrid)),
                      "1346", "\n    !! 制御方法は 1, 3, 4, 6 のどれかのキーを押してください．");
  if (sel >= 0) methodof(static_cast<char>(sel), &s.hybrid);
  return Group::Gains;
}

// (2-2) Servo targets: natural frequency and alpha of both control loops,
// damping ratios fixed at 1. Shown and entered in Hz, held in rad/s.
Group gains(Pass& p, Console& con) {
  ServoGains& g = p.app.gains;
  double fn1 = g.omega1 / PI2, fn2 = g.omega2 / PI2;
  Group next;
  if (!askchange(con,
                 fmt("\n(2-2) 制御ゲイン1 旧　fn1=%6.3f[Hz], α1=%6.3f[1/s]", fn1, g.alpha1) +
                     fmt("\n                2 旧　fn2=%6.3f[Hz], α2=%6.3f[1/s]", fn2, g.alpha2),
                 "\n(2-2) 制御ゲイン変更？：y  変更しない：z  以下全て変更しない : n  ",
                 Group::Contour, next))
    return next;
  printlines(con, {
      "\n(2-2) PIDフィードバックゲイン変更",
      "\n   ロボット動力学を線形化した系の積分・比例・速度ゲインを設定",
      "\n   制御系の減衰比ζ1,ζ2=1.0とする",
      "\n   制御系の固有振動数ωnともう１つの時定数の逆数αを変更\n   （PD制御ならばα=0とする）",
  });
  double loop1[2] = {fn1, g.alpha1}, loop2[2] = {fn2, g.alpha2};
  readvalues(con,
             fmt("\n   第１制御系 旧fn1=%6.3f[Hz], α1=%6.3f[1/s]  fn1 α1=", fn1, g.alpha1), 2,
             loop1, "fn1 α1 の2つの数値", checkloop);
  readvalues(con,
             fmt("   第２制御系 旧fn2=%6.3f[Hz], α2=%6.3f[1/s]  fn2 α2=", fn2, g.alpha2), 2,
             loop2, "fn2 α2 の2つの数値", checkloop);
  storeservotargets(p.c.set, g, servotargets(loop1[0], loop1[1], loop2[0], loop2[1]));
  g.zeta1 = g.zeta2 = 1.0;
  designgains(p.c.set, p.app.model, g);
  return Group::Contour;
}

// (3-2) Contour kind.
Group contour(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  Group next;
  if (!askchange(con, fmt("\n(3-2) 物体輪郭　旧 %c ", keyof(s.curve)) + " " + contourname(s.curve),
                 "\n(3-2) 物体輪郭変更？：y  変更しない：z  以下全て変更しない : n  ",
                 Group::SetError, next))
    return next;
  int sel = selectkey(con, "\n      入力 L,C,S のどれか　sgn=", "LCS",
                      "\n    !! 輪郭は L, C, S のどれかのキーを押してください．");
  if (sel >= 0) contourof(static_cast<char>(sel), &s.curve);
  return Group::ContourParams;
}

// Makes the contour the current path and checks that the current robot can
// reach its start and end; an unreachable end is reported and the menu
// carries on (the user can enter other values in a later command).
void checkpath(Pass& p, Console& con) {
  setpath(p.c.set, p.app.path);
  checkpathends(p.c.set, p.app.path, con);
  settrajectory(p.c.set, p.app.path);
}

// (3-2-x) Geometry and time of the current contour. Only 'y' enters new
// numbers; 'n' reruns; 'z' leaves the path alone; any other key keeps the
// numbers but still makes the contour the current path.
Group contourparams(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  const char* question = nullptr;
  switch (s.curve) {
    case Contour::line:
      con.print("\n(3-2-1) 直線");
      con.print(fmt("\n    旧  始点 (x0,y0)=(%6.3f %6.3f)[m]", s.line.x0, s.line.y0));
      con.print(fmt("\n \t    終点 (xf,yf)=(%6.3f %6.3f)[m]  位置決め時間 tf=%5.2f[s]",
                    s.line.xf, s.line.yf, s.line.tf));
      question = "\n    直線終始点・時間変更する？  yes:y   no:n  以下全て変更しない:n ";
      break;
    case Contour::circle:
      con.print("\n(3-2-2) 円  右端から反時計回りに１周");
      con.print(fmt("\n    旧円の中心O=(%6.3f %6.3f)[m]   半径r=%6.3f[m]", s.circle.Ox,
                    s.circle.Oy, s.circle.rr));
      con.print(fmt("\n      位置決め時間 tf=%5.3f[s]", s.circle.tf));
      question = "\n    円終始点・時間変更する？  yes:y   no:n  以下全て変更しない:n ";
      break;
    case Contour::sine:
      con.print("\n(3-2-4) 正弦波軌道 y=A*sin(2π(x-x0)/L)+y0");
      con.print(fmt("\n     旧始点 P0=(%6.3f %6.3f)", s.sine.x0, s.sine.y0));
      con.print(fmt("\n       波長 L=%6.3f[m]  振幅A=%6.3f[m]  位置決め時間tf=%5.2f[s]",
                    s.sine.L, s.sine.A, s.sine.tf));
      question = "\n    正弦波終始点・時間変更する？  yes:y   no:n  以下全て変更しない:n ";
      break;
  }
  int key = answer(con, question);
  if (key == 'n') return Group::Rerun;
  if (key == 'z') return Group::SetError;
  if (key == 'y') {
    double v[5];
    switch (s.curve) {
      case Contour::line:
        if (readvalues(con, "\n  入力  x0 y0 xf yf tf=", 5, v, "x0 y0 xf yf tf の5つの数値",
                       checkline))
          s.line = LineSpec{v[0], v[1], v[2], v[3], v[4]};
        break;
      case Contour::circle:
        if (readvalues(con, "\n    Ox Oy r tf=", 4, v, "Ox Oy r tf の4つの数値", checkcircle))
          s.circle = CircleSpec{v[0], v[1], v[2], v[3]};
        break;
      case Contour::sine:
        if (readvalues(con, "\n   入力 始点・波長・振幅・時間　x0 y0 L A tf=", 5, v,
                       "x0 y0 L A tf の5つの数値", checksine)) {
          s.sine.x0 = v[0];
          s.sine.y0 = v[1];
          s.sine.L = v[2];
          s.sine.A = v[3];
          s.sine.tf = v[4];
        }
        break;
    }
  }
  checkpath(p, con);
  return Group::SetError;
}

// (3-3) Workpiece setting error, entered in mm, held in m.
Group seterror(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  Group next;
  if (!askchange(con, fmt("\n(3-3) 物体設置誤差　旧 seterror=%5.2f[mm]", 1000 * s.seterror),
                 "\n(3-3) 設置誤差変更？：y  変更しない：z  以下全て変更しない : n ",
                 Group::Force, next))
    return next;
  double mm;
  if (readvalues(con, "\n      入力　seterror[mm]=", 1, &mm, "seterror [mm] の数値", nullptr))
    s.seterror = mm / 1000;
  return Group::Force;
}

// (3-4) Commanded normal contact force, the last group: 'z' and 'n' both
// end the chain.
Group force(Pass& p, Console& con) {
  SimSettings& s = p.c.set;
  con.print(fmt("\n(3-4) 接触力（法線力）　旧 Fn=%5.2f[N]", s.Fn));
  int key = answer(con, "\n(3-4) 接触力変更？：y  変更しない：n  ");
  if (key == 'n' || key == 'z') return Group::Rerun;
  double fn;
  if (readvalues(con, "\n      入力　Fn=", 1, &fn, "Fn [N] の数値", nullptr)) s.Fn = fn;
  return Group::Rerun;
}

// The common end of every command: the case edited becomes the session's,
// derived again, reported and run; the window then shows the new run from
// its first frame.
void rerun(App& app, const Case& c, Console& con) {
  storecase(c, app.set, app.path);
  derive(app, con);
  printsettings(app, con);
  if (app.set.curve == Contour::sine) con.print("\n     只今計算中．．．．．．．");
  runsimulation(app, con);
  if (app.set.curve == Contour::sine) con.print("     計算終了");
  handback(con);
}

// The 'a' / 'b' commands: the window has already switched the robot; ask
// whether anything else is to be changed.
Group robotswitch(App& app, Console& con) {
  con.print(app.menukey == 'a' ? "\n\n(a) 円筒座標ロボットのhybrid制御"
                               : "\n\n(b) SCARAロボットのhybrid制御");
  int key = answer(con, "\nロボット・制御・輪郭等の諸元変更？:y   全て変更しない:n   ");
  return key == 'n' ? Group::Rerun : Group::Springs;
}

// Entry group of a key command.
Group entrygroup(App& app, Console& con) {
  switch (app.menukey) {
    case 'a':
    case 'b': return robotswitch(app, con);
    case 'k': return Group::Springs;
    case 'h': return Group::Method;
    case 'g': return Group::Gains;
    case 'L':
    case 'C':
    case 'S': return Group::ContourParams;
    case 'e': return Group::SetError;
    case 'f': return Group::Force;
    default: return Group::Rerun;  // '0' and anything the menu has no group for
  }
}

}  // namespace

void keymenu(App& app, Console& con) {
  printkeylist(con);
  printsettings(app, con);
  if (app.menukey == 'r') {
    readdatafile(app, con);
    rerun(app, caseof(app.set, app.path), con);
    return;
  }
  // The chain: each group returns the group that follows it.
  Pass p{app, caseof(app.set, app.path)};
  Group g = entrygroup(app, con);
  while (g != Group::Rerun) {
    switch (g) {
      case Group::Springs: g = springs(p, con); break;
      case Group::Method: g = method(p, con); break;
      case Group::Gains: g = gains(p, con); break;
      case Group::Contour: g = contour(p, con); break;
      case Group::ContourParams: g = contourparams(p, con); break;
      case Group::SetError: g = seterror(p, con); break;
      case Group::Force: g = force(p, con); break;
      case Group::Rerun: break;
    }
  }
  rerun(app, p.c, con);
}

// The window's own keys beyond the menu's list: playback, saving the case,
// this help, picture files and the figures of merit.
void printkeyhelp(Console& con) {
  printkeylist(con);
  printlines(con, {
      "\n\n描画画面のその他のキー",
      "\n(5-4) スペース：アニメーション再生・一時停止（最後からは初めから再生）",
      "\n(5-5) → ←    ：1ステップ進める・戻す",
      "\n(5-6) Home End：最初・最後のステップへ",
      "\n(7)   'o'    ：現在のロボット諸元・軌道をデータファイルに保存",
      "\n(8)   '?'    ：キー一覧の表示",
      "\n(9)   'p'    ：表示中の画面をPNGファイルに保存",
      "\n(10)  'v'    ：運動全体のアニメーションをGIFファイルに保存",
      "\n(11)  'm'    ：制御結果の評価値を表示",
      "\n(12)  'M'    ：hybrid制御1,3,4,6を同じ条件で比較",
      "\n(13)  't'    ：描画画面とスタディ表示（実行の重ね描き）の切り替え",
      "\n(14)  '+'    ：表示中の実行をスタディ表示に固定（4件まで，古いものから外れる）",
      "\n(15)  '-'    ：固定した実行をすべて外す",
  });
}

}  // namespace hs
