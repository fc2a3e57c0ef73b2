// Robot data file: one complete case (robot, drive data, hand springs,
// control method with its servo targets, contour, setting error, contact
// force) as a stream of blank-separated words and numbers.
//
// The whole file is read and checked before anything is stored: a file that
// stops early, holds text where a number belongs or a value the model cannot
// work with (a zero reduction ratio is divided by, a non-positive motion time
// gives no trajectory, ...) is refused with one message naming the entry, and
// the settings stay exactly as they were.
#include "driver/datafile.h"

#include <locale.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace hs {

namespace {

// The entries of a case, in file order, with the names the user sees in a
// refusal message.
struct Entry {
  int no;
  const char* name;
};
constexpr Entry kType{1, "ロボットタイプ"};
constexpr Entry kArmA{2, "アーム長"};
constexpr Entry kArmB{2, "第1アーム長と第2関節・接触子先端間距離"};
constexpr Entry kMass{3, "ワーク質量"};
constexpr Entry kPower1{4, "モータ1のパワー"};
constexpr Entry kPower2{5, "モータ2のパワー"};
constexpr Entry kReducer1{6, "減速機1の減速比と順伝達効率"};
constexpr Entry kReducer2{7, "減速機2の減速比と順伝達効率"};
constexpr Entry kSprings{8, "ハンドのばね定数"};
constexpr Entry kMethod{9, "hybrid制御方法"};
constexpr Entry kLoop1{10, "第１制御系の固有振動数と第２時定数の逆数"};
constexpr Entry kLoop2{11, "第２制御系の固有振動数と第２時定数の逆数"};
constexpr Entry kCurve{12, "輪郭曲線"};
constexpr Entry kContour{13, "輪郭データ"};
constexpr Entry kError{14, "輪郭設置位置誤差"};
constexpr Entry kForce{15, "指令押し付け力"};

// What a number must satisfy for the model to be computable from it.
enum class Rule {
  Finite,       // any finite number (coordinates, amplitude, setting error, force)
  Positive,     // lengths, powers, ratios, springs, frequencies, times, radius
  NonNegative,  // work mass, alpha (0 = PD control)
  Efficiency,   // forward efficiency in (0, 1]
  BeyondWp,     // joint 2 to contact point: longer than the fixed tip distance wp
};

// Everything one case holds, checked, before it is stored.
struct Case {
  char type = 0, hybrid = 0, curve = 0;
  double len1 = 0, len2 = 0;  // a: l; b: l1 and joint 2 to contact point [m]
  double mw = 0;
  double PW1 = 0, PW2 = 0;
  double u1 = 0, eta1 = 0, u2 = 0, eta2 = 0;
  double KH1 = 0, KH2 = 0;
  double fn1 = 0, alpha1 = 0, fn2 = 0, alpha2 = 0;  // [Hz], [1/s]
  double c[5] = {0, 0, 0, 0, 0};                    // contour values in file order
  double seterror = 0, Fn = 0;
};

// The two values the reader converts rather than stores as read; the
// writer inverts exactly these.
// Servo targets: entered in Hz, held as angular frequencies with the stored 2 pi.
double omegaofhz(double fn) { return PI2 * fn; }
// SCARA: the file gives joint 2 to contact point, the settings hold the
// second arm up to the arm tip.
double l2ofreach(double reach, double wp) { return reach - wp; }

// Cuts a word for quoting in a message (a file of binary junk would
// otherwise flood the console).
std::string quoted(const std::string& w) {
  constexpr std::size_t kMax = 40;
  if (w.size() <= kMax) return "\"" + w + "\"";
  return "\"" + w.substr(0, kMax) + "…\"";
}

// A decimal number as "%lf" reads it (sign, digits, exponent, hex, inf,
// nan), but only when it is the whole word, and independent of the locale's
// decimal point.
bool parsenumber(const std::string& w, double& v) {
  const char* p = w.data();
  const char* end = p + w.size();
  bool neg = false;
  if (p < end && (*p == '+' || *p == '-')) {
    neg = *p == '-';
    ++p;
  }
  if (p == end || *p == '+' || *p == '-') return false;
  auto format = std::chars_format::general;
  if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
    format = std::chars_format::hex;
  }
  double x = 0;
  auto r = std::from_chars(p, end, x, format);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large for a double: "%lf" gives infinity (refused as non-finite);
    // too small: it gives zero.
    x = std::strtod(std::string(p, end).c_str(), nullptr);
  } else if (r.ec != std::errc() || r.ptr != end) {
    return false;
  }
  v = neg ? -x : x;
  return true;
}

// Reads the words of a case one entry after the other and stops at the first
// that is missing or does not fit, with the message for the user.
class CaseReader {
 public:
  CaseReader(const std::string& text, double wp) : wp_(wp) {
    const char* blanks = " \t\r\n\v\f";
    std::size_t i = text.find_first_not_of(blanks);
    while (i != std::string::npos) {
      std::size_t j = text.find_first_of(blanks, i);
      words_.push_back(text.substr(i, j == std::string::npos ? std::string::npos : j - i));
      i = j == std::string::npos ? j : text.find_first_not_of(blanks, j);
    }
  }

  // A selection word: only its first character counts.
  bool word(const Entry& e, const char* allowed, const char* expected, char& out) {
    const std::string* w = next();
    if (!w) return missing(e, "", expected);
    // strchr also finds the terminating NUL: a word led by a NUL byte is no key.
    if ((*w)[0] == '\0' || std::strchr(allowed, (*w)[0]) == nullptr)
      return refuse(e, "", *w, expected);
    out = (*w)[0];
    return true;
  }

  // One number of an entry; `what` names it within the entry.
  bool number(const Entry& e, const char* what, Rule rule, double& out) {
    std::string expected = describe(rule);
    const std::string* w = next();
    if (!w) return missing(e, what, expected);
    double v = 0;
    if (!parsenumber(*w, v) || !fits(rule, v)) return refuse(e, what, *w, expected);
    out = v;
    return true;
  }

  // A refusal about values already read (a line whose start is its end).
  bool refuse(const Entry& e, const char* what, const std::string& found,
              const std::string& expected) {
    error = fmt("\nデータファイルの項目%d（%s）%sに %s があります．%sが必要です．", e.no, e.name,
                within(what).c_str(), quoted(found).c_str(), expected.c_str());
    return false;
  }

  std::string error;

 private:
  static std::string within(const char* what) { return *what ? std::string("の ") + what + " " : ""; }

  const std::string* next() { return next_ < words_.size() ? &words_[next_++] : nullptr; }

  bool missing(const Entry& e, const char* what, const std::string& expected) {
    error = fmt("\nデータファイルの項目%d（%s）%sがありません（ファイルの終わり）．%sが必要です．",
                e.no, e.name, within(what).c_str(), expected.c_str());
    return false;
  }

  bool fits(Rule rule, double v) const {
    if (!std::isfinite(v)) return false;
    switch (rule) {
      case Rule::Finite: return true;
      case Rule::Positive: return v > 0;
      case Rule::NonNegative: return v >= 0;
      case Rule::Efficiency: return v > 0 && v <= 1;
      case Rule::BeyondWp: return v > wp_;
    }
    return false;
  }

  std::string describe(Rule rule) const {
    switch (rule) {
      case Rule::Finite: return "有限の数値";
      case Rule::Positive: return "0 より大きい有限の数値";
      case Rule::NonNegative: return "0 以上の有限の数値";
      case Rule::Efficiency: return "0 より大きく 1 以下の数値";
      case Rule::BeyondWp:
        return fmt("アーム先端・接触子先端間距離 wp=%5.3f[m] より大きい有限の数値", wp_);
    }
    return "";
  }

  std::vector<std::string> words_;
  std::size_t next_ = 0;
  double wp_;
};

// Reads and checks the entries in file order; false with r.error set at the
// first entry that does not fit.
bool readcase(CaseReader& r, Case& c) {
  if (!r.word(kType, "ab", "a（円筒座標ロボット）または b（SCARAロボット）", c.type)) return false;
  if (c.type == 'a') {
    if (!r.number(kArmA, "l", Rule::Positive, c.len1)) return false;
  } else {
    if (!r.number(kArmB, "l1", Rule::Positive, c.len1)) return false;
    if (!r.number(kArmB, "J2－P間距離", Rule::BeyondWp, c.len2)) return false;
  }
  if (!r.number(kMass, "mw", Rule::NonNegative, c.mw)) return false;
  if (!r.number(kPower1, "PW1", Rule::Positive, c.PW1)) return false;
  if (!r.number(kPower2, "PW2", Rule::Positive, c.PW2)) return false;
  if (!r.number(kReducer1, "u1", Rule::Positive, c.u1)) return false;
  if (!r.number(kReducer1, "η1", Rule::Efficiency, c.eta1)) return false;
  if (!r.number(kReducer2, "u2", Rule::Positive, c.u2)) return false;
  if (!r.number(kReducer2, "η2", Rule::Efficiency, c.eta2)) return false;
  if (!r.number(kSprings, "KH1", Rule::Positive, c.KH1)) return false;
  if (!r.number(kSprings, "KH2", Rule::Positive, c.KH2)) return false;
  if (!r.word(kMethod, "1346", "1, 3, 4, 6 のどれか", c.hybrid)) return false;
  if (!r.number(kLoop1, "fn1", Rule::Positive, c.fn1)) return false;
  if (!r.number(kLoop1, "α1", Rule::NonNegative, c.alpha1)) return false;
  if (!r.number(kLoop2, "fn2", Rule::Positive, c.fn2)) return false;
  if (!r.number(kLoop2, "α2", Rule::NonNegative, c.alpha2)) return false;
  if (!r.word(kCurve, "LCS", "L（直線），C（円），S（正弦波）のどれか", c.curve)) return false;
  switch (c.curve) {
    case 'L':
      if (!r.number(kContour, "直線の始点 x0", Rule::Finite, c.c[0])) return false;
      if (!r.number(kContour, "直線の始点 y0", Rule::Finite, c.c[1])) return false;
      if (!r.number(kContour, "直線の終点 xf", Rule::Finite, c.c[2])) return false;
      if (!r.number(kContour, "直線の終点 yf", Rule::Finite, c.c[3])) return false;
      if (c.c[0] == c.c[2] && c.c[1] == c.c[3]) {
        return r.refuse(kContour, "直線の終点 (xf, yf)", fmt("%g %g", c.c[2], c.c[3]),
                        "始点 (x0, y0) と異なる点");
      }
      if (!r.number(kContour, "位置決め時間 tf", Rule::Positive, c.c[4])) return false;
      break;
    case 'C':
      if (!r.number(kContour, "円の中心 Ox", Rule::Finite, c.c[0])) return false;
      if (!r.number(kContour, "円の中心 Oy", Rule::Finite, c.c[1])) return false;
      if (!r.number(kContour, "半径 rr", Rule::Positive, c.c[2])) return false;
      if (!r.number(kContour, "運動時間 tf", Rule::Positive, c.c[3])) return false;
      break;
    default:  // 'S'
      if (!r.number(kContour, "正弦波の始点 x0", Rule::Finite, c.c[0])) return false;
      if (!r.number(kContour, "正弦波の始点 y0", Rule::Finite, c.c[1])) return false;
      if (!r.number(kContour, "波長 L", Rule::Positive, c.c[2])) return false;
      if (!r.number(kContour, "振幅 A", Rule::Finite, c.c[3])) return false;
      if (!r.number(kContour, "運動時間 tf", Rule::Positive, c.c[4])) return false;
      break;
  }
  if (!r.number(kError, "error", Rule::Finite, c.seterror)) return false;
  if (!r.number(kForce, "Fn", Rule::Finite, c.Fn)) return false;
  return true;  // words after the last entry are not part of the case
}

// Stores a checked case and writes the echo of each group as it is stored.
void storecase(const Case& c, App& app, std::string& echo) {
  SimSettings& s = app.set;
  ServoGains& g = app.gains;
  ContourPath& p = app.path;

  s.type = c.type;
  if (s.type == 'a') {
    echo += fmt("\n(1-1) ロボットタイプ = %c : 円筒座標ロボット", s.type);
    s.l = c.len1;
    echo += fmt("\n(1-2) アーム長(アーム＋接触子)=%5.3f[m] ", s.l);
  } else {
    echo += fmt("\n(1-1) ロボットタイプ = %c : SCARAロボット", s.type);
    s.l1 = c.len1;
    s.l2 = l2ofreach(c.len2, s.wp);
    echo += fmt("\n(1-2) アーム長=(%5.3f, %5.3f)[m] J2－P間距離=%5.3f[m]", s.l1, s.l2, s.l2 + s.wp);
  }
  s.mw = c.mw;
  echo += fmt("\n(1-3) ワーク質量=%5.3f[kg] ", s.mw);

  double& PW1 = s.type == 'a' ? s.PW1_a : s.PW1_b;
  double& PW2 = s.type == 'a' ? s.PW2_a : s.PW2_b;
  double& u1 = s.type == 'a' ? s.u1_a : s.u1_b;
  double& u2 = s.type == 'a' ? s.u2_a : s.u2_b;
  double& eta1 = s.type == 'a' ? s.eta1_a : s.eta1_b;
  double& eta2 = s.type == 'a' ? s.eta2_a : s.eta2_b;
  PW1 = c.PW1;
  PW2 = c.PW2;
  echo += fmt("\n(1-4) モータパワー1,2=(%5.2f %5.2f)[Watt] ", PW1, PW2);
  u1 = c.u1;
  eta1 = c.eta1;
  u2 = c.u2;
  eta2 = c.eta2;
  echo += fmt("\n(1-5) 減速比と順伝達効率 u1=%5.2f η1=%5.2f", u1, eta1);
  echo += fmt("\n                         u2=%5.2f η2=%5.2f", u2, eta2);

  s.KH1 = c.KH1;
  s.KH2 = c.KH2;
  echo += fmt("\n(1-6) ハンドのばね定数 KH1,KH2=(%6.2f %6.2f)", s.KH1, s.KH2);

  // Servo targets: entered in Hz, held as angular frequencies, both as the
  // current design inputs and as the method's own servo targets.
  s.hybrid = c.hybrid;
  echo += fmt("\n(2-1) 第１制御系の固有振動数・第２時定数の逆数 fn=%5.2f[Hz] α1=%5.2f[1/s]", c.fn1,
              c.alpha1);
  echo += fmt("\n      第２制御系の固有振動数・第２時定数の逆数 fn=%5.2f[Hz] α2=%5.2f[1/s]", c.fn2,
              c.alpha2);
  g.omega1 = omegaofhz(c.fn1);
  g.alpha1 = c.alpha1;
  g.omega2 = omegaofhz(c.fn2);
  g.alpha2 = c.alpha2;
  if (GainSpec* servo = gainspecof(s, s.hybrid)) *servo = GainSpec{g.omega1, g.alpha1, g.omega2, g.alpha2};
  echo += fmt("\nHybrid%c", s.hybrid);
  echo += fmt("\n固有振動数fn1=%5.2f[Hz], 第２時定数の逆数α1=%5.2f[1/s]", g.omega1 / PI2, g.alpha1);
  echo += fmt("\n固有振動数fn2=%5.2f[Hz], 第２時定数の逆数α2=%5.2f[1/s]", g.omega2 / PI2, g.alpha2);

  s.curve = c.curve;
  switch (s.curve) {
    case 'L':
      echo += "\n(3-1) 直線軌道";
      s.line = LineSpec{c.c[0], c.c[1], c.c[2], c.c[3], c.c[4]};
      echo += fmt("\n(3-2) 始点 P0=(%6.3f %6.3f)[m] 位置決め時間 tf=%5.2f[s]", s.line.x0, s.line.y0,
                  s.line.tf);
      echo += fmt("\n      終点 Pf=(%6.3f %6.3f)[m]", s.line.xf, s.line.yf);
      break;
    case 'C':
      echo += "\n(3-1) 円軌道";
      s.circle = CircleSpec{c.c[0], c.c[1], c.c[2], c.c[3]};
      echo += fmt("\n(3-2) 円中心 O=(%6.3f %6.3f)[m] 半径 rr=%6.3f[m] 運動時間 tf=%5.2f[s]",
                  s.circle.Ox, s.circle.Oy, s.circle.rr, s.circle.tf);
      // The circle is run once from its right end, so it starts and ends there.
      p.x0 = p.xf = s.circle.Ox + s.circle.rr;
      p.y0 = p.yf = s.circle.Oy;
      break;
    default:  // 'S'
      echo += "\n(3-1) 正弦波軌道";
      s.sine.x0 = c.c[0];
      s.sine.y0 = c.c[1];
      s.sine.L = c.c[2];
      s.sine.A = c.c[3];
      s.sine.tf = c.c[4];
      echo += fmt("\n(3-2) 始点 P0=(%6.3f %6.3f)[m] 運動時間 tf=%5.2f[s]", s.sine.x0, s.sine.y0,
                  s.sine.tf);
      echo += fmt("\n      正弦波の波長 L=%6.3f[m]  振幅=%6.3f[m]", s.sine.L, s.sine.A);
      // One wavelength in +X: the end lies level with the start.
      p.x0 = s.sine.x0;
      p.y0 = s.sine.y0;
      s.sine.xf = s.sine.x0 + s.sine.L;
      s.sine.yf = s.sine.y0;
      p.xf = s.sine.xf;
      p.yf = s.sine.yf;
      break;
  }

  s.seterror = c.seterror;
  echo += fmt("\n(3-3) 輪郭設置位置誤差 error=%6.3f[mm]", 1000 * s.seterror);
  s.Fn = c.Fn;
  echo += fmt("\n(4) 輪郭への指令押し付け力Fn=%6.3f[N]", s.Fn);
}

// The reason a file operation failed, in plain words independent of the
// locale (its messages may not be in the console's character set).
std::string reasonof(int err) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c ? strerror_l(err, c) : fmt("errno %d", err);
}

// Reads a whole data file. A case is a few hundred bytes; anything beyond
// a megabyte is not a data file (and reading a device could go on forever).
bool readwholefile(const std::string& name, std::string& text, std::string& reason) {
  constexpr std::size_t kLimit = 1 << 20;
  std::FILE* f = std::fopen(name.c_str(), "r");
  if (!f) {
    reason = reasonof(errno);
    return false;
  }
  text.clear();
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    text.append(buf, n);
    if (text.size() > kLimit) {
      std::fclose(f);
      reason = "1 MB を超えています（ロボットデータファイルではありません）";
      return false;
    }
  }
  bool failed = std::ferror(f);
  int err = errno;
  std::fclose(f);
  if (failed) {
    reason = reasonof(err);
    return false;
  }
  return true;
}

}  // namespace

bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error) {
  CaseReader reader(text, app.set.wp);
  Case c;
  if (!readcase(reader, c)) {
    if (error) *error = reader.error;
    return false;
  }
  std::string lines;
  storecase(c, app, lines);
  if (echo) *echo += lines;
  return true;
}

bool loaddatafile(App& app, Console& con, const std::string& name) {
  const std::string shown = con.inputtext(name);
  con.print(fmt("\n読み込んだファイル名 = %s", shown.c_str()));
  std::string text, reason;
  if (!readwholefile(name, text, reason)) {
    con.print(fmt("\nファイル %s を読み込めません（%s）．", shown.c_str(), reason.c_str()));
    return false;
  }
  std::string echo, error;
  if (!loadcase(text, app, &echo, &error)) {
    con.print(error);
    con.print(fmt("\nファイル %s のデータは使いません（設定は変更していません）．", shown.c_str()));
    return false;
  }
  con.print(echo);
  return true;
}

namespace {

void asknameprompt(Console& con) {
  con.print("\nファイル 'robot41.dat, robot42.dat, ...'から読み込み");
  con.print("\nファイル名入力　");
}

}  // namespace

bool readnameddatafile(App& app, Console& con, const std::string& name) {
  asknameprompt(con);
  con.print(con.inputtext(name));  // shown as if typed
  return loaddatafile(app, con, name);
}

// The file name is one word; an empty Enter keeps the prompt waiting for it,
// as a formatted word read does. End of input cancels.
FileRead readdatafile(App& app, Console& con) {
  for (;;) {
    asknameprompt(con);
    std::string name;
    if (con.readword(name) != ReadStatus::Ok || name.empty()) return FileRead::Cancelled;
    if (loaddatafile(app, con, name)) return FileRead::Loaded;
    con.print("ファイル名をもう一度入力してください．");
  }
}

// ---- Writing a case ----

namespace {

// %.17g: seventeen significant digits always read back to the same double.
std::string num(double v) { return fmt("%.17g", v); }

// The number to write for a value that the reader derives through `read`
// (increasing in its argument) rather than stores as read: the double next
// to `guess` that the reader turns into exactly `held`. Every held value is
// such a reading (the defaults and the menu convert the same way), so a few
// steps of one unit in the last place either side of the plain inverse find
// it; should none, the plain inverse is written.
template <class Read>
double preimage(double guess, double held, Read read) {
  double below = guess, above = guess;
  for (int i = 0; i < 16; ++i) {
    if (read(below) == held) return below;
    if (read(above) == held) return above;
    below = std::nextafter(below, -HUGE_VAL);
    above = std::nextafter(above, HUGE_VAL);
  }
  return guess;
}

double hzof(double omega) { return preimage(omega / PI2, omega, omegaofhz); }

}  // namespace

// One entry (or group of entries) a line, in the reader's order.
std::string casetext(const App& app) {
  const SimSettings& s = app.set;
  std::string t = fmt("%c\n", s.type);
  if (s.type == 'a') {
    t += num(s.l) + "\n";
  } else {
    const double reach = preimage(s.l2 + s.wp, s.l2, [&s](double r) { return l2ofreach(r, s.wp); });
    t += num(s.l1) + " " + num(reach) + "\n";
  }
  t += num(s.mw) + "\n";
  const RobotParams rp = robotparams(s);
  t += num(rp.PW1) + " " + num(rp.PW2) + "\n";
  t += num(rp.u1) + " " + num(rp.eta1) + "\n";
  t += num(rp.u2) + " " + num(rp.eta2) + "\n";
  t += num(s.KH1) + " " + num(s.KH2) + "\n";
  // The servo targets the next derivation designs with: the method's own.
  const ServoGains& g = app.gains;
  GainSpec spec{g.omega1, g.alpha1, g.omega2, g.alpha2};
  if (const GainSpec* servo = gainspecof(s, s.hybrid)) spec = *servo;
  t += fmt("%c\n", s.hybrid);
  t += num(hzof(spec.omega1)) + " " + num(spec.alpha1) + "\n";
  t += num(hzof(spec.omega2)) + " " + num(spec.alpha2) + "\n";
  t += fmt("%c\n", s.curve);
  switch (s.curve) {
    case 'L':
      t += num(s.line.x0) + " " + num(s.line.y0) + " " + num(s.line.xf) + " " + num(s.line.yf) +
           " " + num(s.line.tf) + "\n";
      break;
    case 'C':
      t += num(s.circle.Ox) + " " + num(s.circle.Oy) + " " + num(s.circle.rr) + " " +
           num(s.circle.tf) + "\n";
      break;
    default:  // 'S'
      t += num(s.sine.x0) + " " + num(s.sine.y0) + " " + num(s.sine.L) + " " + num(s.sine.A) +
           " " + num(s.sine.tf) + "\n";
      break;
  }
  t += num(s.seterror) + "\n";
  t += num(s.Fn) + "\n";
  return t;
}

bool writefilesafely(const std::string& name, const std::string& text, std::string* reason) {
  auto fail = [reason](int err) {
    if (reason) *reason = reasonof(err);
    return false;
  };
  // A replaced file keeps its permissions; a new one gets what the umask allows.
  mode_t mode;
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // The temporary file's name extends the file's own, so it lies in the
  // same folder and the rename cannot cross file systems.
  std::string tmp = name + ".XXXXXX";
  const int fd = ::mkstemp(&tmp[0]);
  if (fd < 0) return fail(errno);
  int err = 0;
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0 && err == 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno != EINTR) err = errno;
      continue;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // A full disk may show only when the data reach it: sync before the rename.
  if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tmp.c_str(), name.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return fail(err);
  }
  return true;
}

void savedatafile(const App& app, Console& con) {
  con.print("\n\n現在のロボット諸元・軌道をデータファイルに保存");
  con.print("\nファイル名入力　");
  std::string name;
  const bool named = con.readword(name) == ReadStatus::Ok && !name.empty();
  if (named) con.discardline();  // a file name is one word
  const std::string shown = con.inputtext(name);
  bool write = named;
  struct stat st;
  if (named && ::stat(name.c_str(), &st) == 0) {
    con.print(fmt("\nファイル %s はすでにあります．上書きする？  yes:y   no:n  ", shown.c_str()));
    write = con.readkey() == 'y';
  }
  std::string reason;
  if (!write)
    con.print("\n保存しませんでした．");
  else if (writefilesafely(name, casetext(app), &reason))
    con.print(fmt("\nファイル %s に保存しました．", shown.c_str()));
  else
    con.print(fmt("\nファイル %s に保存できません（%s）．", shown.c_str(), reason.c_str()));
  con.print("\n\n     描画画面へ　　　　　");
}

}  // namespace hs
