// The entries of a robot data file: what each entry holds and echoes, in
// file order, and what storing it derives.
#include "console/caseentries.h"

#include <cstdlib>

#include "console/console.h"

namespace hs::datafile {

namespace {

// A selection entry: one key word.
Entry selection(int no, const char* name, const Choice* key, const char* keys,
                const char* expected, Echo echo) {
  Entry e;
  e.no = no;
  e.name = name;
  e.key = key;
  e.keys = keys;
  e.expected = expected;
  e.echo = echo;
  return e;
}

// A number entry; `key` and `when` pick its form or fill its field names.
Entry numbers(int no, const char* name, std::vector<Number> n, Echo echo,
              const Choice* key = nullptr, char when = 0, Store store = nullptr) {
  Entry e;
  e.no = no;
  e.name = name;
  e.key = key;
  e.when = when;
  e.numbers = std::move(n);
  e.echo = echo;
  e.store = store;
  return e;
}

// ---- The echo of each entry as it is stored ----

// (1-1) The robot.
std::string echotype(const Staged& c) {
  if (c.s.type == Robot::a) return fmt("\n(1-1) ロボットタイプ = %c : 円筒座標ロボット", 'a');
  return fmt("\n(1-1) ロボットタイプ = %c : SCARAロボット", 'b');
}

// (1-2) Robot a's arm with contact tip [m].
std::string echoarma(const Staged& c) {
  return fmt("\n(1-2) アーム長(アーム＋接触子)=%5.3f[m] ", c.s.l);
}

// (1-2) Robot b's two arms and joint 2 to contact point [m].
std::string echoarmb(const Staged& c) {
  const SimSettings& s = c.s;
  return fmt("\n(1-2) アーム長=(%5.3f, %5.3f)[m] J2－P間距離=%5.3f[m]", s.l1, s.l2, s.l2 + s.wp);
}

// (1-3) Work mass [kg].
std::string echomass(const Staged& c) { return fmt("\n(1-3) ワーク質量=%5.3f[kg] ", c.s.mw); }

// (1-4) Both motor powers [W], once the second is stored.
std::string echopowers(const Staged& c) {
  const RobotParams rp = robotparams(c.s);
  return fmt("\n(1-4) モータパワー1,2=(%5.2f %5.2f)[Watt] ", rp.PW1, rp.PW2);
}

// (1-5) Reduction ratio and forward efficiency of reducer 1, then of reducer 2.
std::string echoreducer1(const Staged& c) {
  const RobotParams rp = robotparams(c.s);
  return fmt("\n(1-5) 減速比と順伝達効率 u1=%5.2f η1=%5.2f", rp.u1, rp.eta1);
}
std::string echoreducer2(const Staged& c) {
  const RobotParams rp = robotparams(c.s);
  return fmt("\n                         u2=%5.2f η2=%5.2f", rp.u2, rp.eta2);
}

// (1-6) Hand springs [N/m].
std::string echosprings(const Staged& c) {
  return fmt("\n(1-6) ハンドのばね定数 KH1,KH2=(%6.2f %6.2f)", c.s.KH1, c.s.KH2);
}

// (2-1) The servo targets as entered [Hz], [1/s]; after the second loop the
// method and the design inputs it now holds.
std::string echoloop1(const Staged& c) {
  return fmt("\n(2-1) 第１制御系の固有振動数・第２時定数の逆数 fn=%5.2f[Hz] α1=%5.2f[1/s]",
             c.v[10][0], c.v[10][1]);
}
std::string echoloop2(const Staged& c) {
  const ServoGains& g = c.g;
  return fmt("\n      第２制御系の固有振動数・第２時定数の逆数 fn=%5.2f[Hz] α2=%5.2f[1/s]",
             c.v[11][0], c.v[11][1]) +
         fmt("\nHybrid%c", keyof(c.s.hybrid)) +
         fmt("\n固有振動数fn1=%5.2f[Hz], 第２時定数の逆数α1=%5.2f[1/s]", g.omega1 / PI2, g.alpha1) +
         fmt("\n固有振動数fn2=%5.2f[Hz], 第２時定数の逆数α2=%5.2f[1/s]", g.omega2 / PI2, g.alpha2);
}

// (3-1) The kind of contour.
std::string echocurve(const Staged& c) {
  switch (c.s.curve) {
    case Contour::line: return tr("\n(3-1) 直線軌道");
    case Contour::circle: return tr("\n(3-1) 円軌道");
    case Contour::sine: break;
  }
  return tr("\n(3-1) 正弦波軌道");
}

// (3-2) The contour's data [m], [s].
std::string echoline(const Staged& c) {
  const LineSpec& l = c.s.line;
  return fmt("\n(3-2) 始点 P0=(%6.3f %6.3f)[m] 位置決め時間 tf=%5.2f[s]", l.x0, l.y0, l.tf) +
         fmt("\n      終点 Pf=(%6.3f %6.3f)[m]", l.xf, l.yf);
}
std::string echocircle(const Staged& c) {
  const CircleSpec& o = c.s.circle;
  return fmt("\n(3-2) 円中心 O=(%6.3f %6.3f)[m] 半径 rr=%6.3f[m] 運動時間 tf=%5.2f[s]", o.Ox, o.Oy,
             o.rr, o.tf);
}
std::string echosine(const Staged& c) {
  const SineSpec& w = c.s.sine;
  return fmt("\n(3-2) 始点 P0=(%6.3f %6.3f)[m] 運動時間 tf=%5.2f[s]", w.x0, w.y0, w.tf) +
         fmt("\n      正弦波の波長 L=%6.3f[m]  振幅=%6.3f[m]", w.L, w.A);
}

// (3-3) Setting error, shown in mm; (4) commanded contact force [N].
std::string echoerror(const Staged& c) {
  return fmt("\n(3-3) 輪郭設置位置誤差 error=%6.3f[mm]", 1000 * c.s.seterror);
}
std::string echoforce(const Staged& c) {
  return fmt("\n(4) 輪郭への指令押し付け力Fn=%6.3f[N]", c.s.Fn);
}

// ---- What an entry derives besides its own fields ----

// The method's servo targets, just stored, are also the current design inputs.
void storetargets(Staged& c) { storeservotargets(c.s, c.g, gainspecof(c.s, c.s.hybrid)); }

// The circle is run once from its right end, so it starts and ends there.
void storecircle(Staged& c) {
  c.p.x0 = c.p.xf = circlestart(c.s.circle)[0];
  c.p.y0 = c.p.yf = circlestart(c.s.circle)[1];
}

// One wavelength in +X: the end lies level with the start.
void storesine(Staged& c) {
  c.p.x0 = c.s.sine.x0;
  c.p.y0 = c.s.sine.y0;
  setsineend(c.s.sine);
  c.p.xf = c.s.sine.xf;
  c.p.yf = c.s.sine.yf;
}

// ---- The entries of a case, in file order ----

// The three selections as the file writes them: one key each.
const Choice TYPEKEY{[](const SimSettings& s) { return keyof(s.type); },
                   [](SimSettings& s, char k) { return robotof(k, &s.type); }};
const Choice METHODKEY{[](const SimSettings& s) { return keyof(s.hybrid); },
                    [](SimSettings& s, char k) { return methodof(k, &s.hybrid); }};
const Choice CURVEKEY{[](const SimSettings& s) { return keyof(s.curve); },
                   [](SimSettings& s, char k) { return contourof(k, &s.curve); }};
const Choice* const TYPE = &TYPEKEY;
const Choice* const METHOD = &METHODKEY;
const Choice* const CURVE = &CURVEKEY;

// An entry written on one line with the next.
Entry sharesline(Entry e) {
  e.end = " ";
  return e;
}

const std::vector<Entry> ENTRIES = {
    selection(1, "ロボットタイプ", TYPE, "ab", "a（円筒座標ロボット）または b（SCARAロボット）",
              echotype),
    numbers(2, "アーム長", {{"l", "l"}}, echoarma, TYPE, 'a'),
    numbers(2, "第1アーム長と第2関節・接触子先端間距離",
            {{"l1", "l1"}, {"J2－P間距離", "l2", Rule::Reach}}, echoarmb, TYPE, 'b'),
    numbers(3, "ワーク質量", {{"mw", "mw"}}, echomass),
    sharesline(numbers(4, "モータ1のパワー", {{"PW1", "PW1_%c"}}, nullptr, TYPE)),
    numbers(5, "モータ2のパワー", {{"PW2", "PW2_%c"}}, echopowers, TYPE),
    numbers(6, "減速機1の減速比と順伝達効率", {{"u1", "u1_%c"}, {"η1", "eta1_%c"}}, echoreducer1,
            TYPE),
    numbers(7, "減速機2の減速比と順伝達効率", {{"u2", "u2_%c"}, {"η2", "eta2_%c"}}, echoreducer2,
            TYPE),
    numbers(8, "ハンドのばね定数", {{"KH1", "KH1"}, {"KH2", "KH2"}}, echosprings),
    selection(9, "hybrid制御方法", METHOD, "1346", "1, 3, 4, 6 のどれか", nullptr),
    numbers(10, "第１制御系の固有振動数と第２時定数の逆数",
            {{"fn1", "gainspec%c.omega1", Rule::Hz}, {"α1", "gainspec%c.alpha1"}}, echoloop1,
            METHOD),
    numbers(11, "第２制御系の固有振動数と第２時定数の逆数",
            {{"fn2", "gainspec%c.omega2", Rule::Hz}, {"α2", "gainspec%c.alpha2"}}, echoloop2,
            METHOD, 0, storetargets),
    selection(12, "輪郭曲線", CURVE, "LCS", "L（直線），C（円），S（正弦波）のどれか", echocurve),
    numbers(13, "輪郭データ",
            {{"直線の始点 x0", "line.x0"},
             {"直線の始点 y0", "line.y0"},
             {"直線の終点 xf", "line.xf"},
             {"直線の終点 yf", "line.yf", Rule::LineEnd},
             {"位置決め時間 tf", "line.tf"}},
            echoline, CURVE, 'L'),
    numbers(13, "輪郭データ",
            {{"円の中心 Ox", "circle.Ox"},
             {"円の中心 Oy", "circle.Oy"},
             {"半径 rr", "circle.rr"},
             {"運動時間 tf", "circle.tf"}},
            echocircle, CURVE, 'C', storecircle),
    numbers(13, "輪郭データ",
            {{"正弦波の始点 x0", "sine.x0"},
             {"正弦波の始点 y0", "sine.y0"},
             {"波長 L", "sine.L"},
             {"振幅 A", "sine.A"},
             {"運動時間 tf", "sine.tf"}},
            echosine, CURVE, 'S', storesine),
    numbers(14, "輪郭設置位置誤差", {{"error", "seterror"}}, echoerror),
    numbers(15, "指令押し付け力", {{"Fn", "Fn"}}, echoforce),
};

}  // namespace

const std::vector<Entry>& entries() { return ENTRIES; }

double l2ofreach(double reach, double wp) { return reach - wp; }

const SettingField& fieldof(const Number& n, const Entry& e, const SimSettings& s) {
  std::string name = n.field;
  const std::size_t at = name.find("%c");
  if (at != std::string::npos) name.replace(at, 2, 1, e.key->key(s));
  const SettingField* f = settingfield(name);
  if (!f) std::abort();  // a name missing from the settings table is a programming error
  return *f;
}

double heldof(Rule rule, double v, const SimSettings& s) {
  if (rule == Rule::Reach) return l2ofreach(v, s.wp);
  if (rule == Rule::Hz) return omegaofhz(v);
  return v;
}

std::string echoof(const Staged& c) {
  std::string echo;
  for (const Entry& e : entries())
    if (applies(e, c.s) && e.echo) echo += e.echo(c);
  return echo;
}

}  // namespace hs::datafile
