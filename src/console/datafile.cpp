// Robot data file: one complete case (robot, drive data, hand springs,
// control method with its servo targets, contour, setting error, contact
// force) as a stream of blank-separated words and numbers.
//
// The whole file is read and checked before anything is stored: a file that
// stops early, holds text where a number belongs or a value the model cannot
// work with (a zero reduction ratio is divided by, a non-positive motion time
// gives no trajectory, ...) is refused with one message naming the entry, and
// the settings stay exactly as they were.
#include "console/datafile.h"

#include <locale.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/control/gains.h"
#include "engine/settingfields.h"

namespace hs {

namespace {

// The entries of a case, in file order, with the names the user sees in a
// refusal message.
struct Entry {
  int no;
  const char* name;
};
constexpr Entry ITEMTYPE{1, "ロボットタイプ"};
constexpr Entry ITEMARMA{2, "アーム長"};
constexpr Entry ITEMARMB{2, "第1アーム長と第2関節・接触子先端間距離"};
constexpr Entry ITEMMASS{3, "ワーク質量"};
constexpr Entry ITEMPOWER1{4, "モータ1のパワー"};
constexpr Entry ITEMPOWER2{5, "モータ2のパワー"};
constexpr Entry ITEMREDUCER1{6, "減速機1の減速比と順伝達効率"};
constexpr Entry ITEMREDUCER2{7, "減速機2の減速比と順伝達効率"};
constexpr Entry ITEMSPRINGS{8, "ハンドのばね定数"};
constexpr Entry ITEMMETHOD{9, "hybrid制御方法"};
constexpr Entry ITEMLOOP1{10, "第１制御系の固有振動数と第２時定数の逆数"};
constexpr Entry ITEMLOOP2{11, "第２制御系の固有振動数と第２時定数の逆数"};
constexpr Entry ITEMCURVE{12, "輪郭曲線"};
constexpr Entry ITEMCONTOUR{13, "輪郭データ"};
constexpr Entry ITEMERROR{14, "輪郭設置位置誤差"};
constexpr Entry ITEMFORCE{15, "指令押し付け力"};

// Everything one case holds, checked, before it is stored.
struct FileCase {
  char type = 0, hybrid = 0, curve = 0;
  double len1 = 0, len2 = 0;  // a: l; b: l1 and joint 2 to contact point [m]
  double mw = 0;
  double PW1 = 0, PW2 = 0;
  double u1 = 0, eta1 = 0, u2 = 0, eta2 = 0;
  double KH1 = 0, KH2 = 0;
  double fn1 = 0, alpha1 = 0, fn2 = 0, alpha2 = 0;  // [Hz], [1/s]
  double c[5] = {0, 0, 0, 0, 0};                    // contour values in file order
  double seterror = 0, Fn = 0;
  // What a session left for its later runs, when the file carries it.
  bool carried = false;
  double worklen = 0;     // work block length [m]
  double accwindow6 = 0;  // method 6's acceleration time [s]
};

// The two values the reader converts rather than stores as read (servo
// targets through omegaofhz, and this one); the writer inverts exactly these.
// SCARA: the file gives joint 2 to contact point, the settings hold the
// second arm up to the arm tip.
double l2ofreach(double reach, double wp) { return reach - wp; }

// Cuts a word for quoting in a message (a file of binary junk would
// otherwise flood the console).
std::string quoted(const std::string& w) {
  // Bytes that are not printable text are shown as \xNN: a crafted file
  // must not send control sequences to the user's terminal.
  constexpr std::size_t QUOTEMAX = 40;
  if (w.size() <= QUOTEMAX) return "\"" + escapebytes(w) + "\"";
  return "\"" + escapebytes(w.substr(0, QUOTEMAX)) + "…\"";
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
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
  // This C++ library has no from_chars for double (the WebAssembly build):
  // strtod reads the same forms, hex with its "0x", and its C library keeps
  // the "C" decimal point whatever the locale. Out of range it gives
  // infinity or zero as "%lf" does.
  const std::string word(format == std::chars_format::hex ? p - 2 : p, end);
  if (std::isspace(static_cast<unsigned char>(word[0]))) return false;
  char* stop = nullptr;
  x = std::strtod(word.c_str(), &stop);
  if (stop != word.c_str() + word.size()) return false;
#else
  auto r = std::from_chars(p, end, x, format);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large for a double: "%lf" gives infinity (refused as non-finite);
    // too small: it gives zero.
    x = std::strtod(std::string(p, end).c_str(), nullptr);
  } else if (r.ec != std::errc() || r.ptr != end) {
    return false;
  }
#endif
  v = neg ? -x : x;
  return true;
}

// Reads the words of a case one entry after the other and stops at the first
// that is missing or does not fit, with the message for the user.
class CaseReader {
 public:
  CaseReader(const std::string& text, double wp) : wp_(wp) {
    const char* blanks = " \t\r\n\v\f";
    // Some editors write a UTF-8 byte order mark first: it is no word.
    const std::size_t bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::size_t i = text.find_first_not_of(blanks, bom);
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
  bool number(const Entry& e, const char* what, Limit limit, double& out) {
    return take(e, what, tr(limittext(limit)), [&](double v) { return hs::within(limit, v); }, out);
  }

  // The SCARA robot's joint 2 to contact point distance: longer than the
  // fixed arm tip to contact point distance wp.
  bool beyondwp(const Entry& e, const char* what, double& out) {
    return take(e, what,
                fmt("アーム先端・接触子先端間距離 wp=%5.3f[m] より大きい有限の数値", wp_),
                [&](double v) { return std::isfinite(v) && v > wp_; }, out);
  }

  // A refusal about values already read (a line whose start is its end).
  bool refuse(const Entry& e, const char* what, const std::string& found,
              const std::string& expected) {
    error = fmt("\nデータファイルの項目%d（%s）%sに %s があります．%sが必要です．", e.no, tr(e.name),
                within(what).c_str(), quoted(found).c_str(), tr(expected).c_str());
    return false;
  }

  // Two numbers after the last entry that fit `first` and `second`, taken
  // together or not at all; other words there are no part of the case.
  bool optional(Limit first, Limit second, double& a, double& b) {
    if (next_ + 2 > words_.size()) return false;
    double x = 0, y = 0;
    if (!parsenumber(words_[next_], x) || !parsenumber(words_[next_ + 1], y) ||
        !hs::within(first, x) || !hs::within(second, y))
      return false;
    next_ += 2;
    a = x;
    b = y;
    return true;
  }

  std::string error;

 private:
  static std::string within(const char* what) { return *what ? fmt("の %s ", tr(what)) : ""; }

  const std::string* next() { return next_ < words_.size() ? &words_[next_++] : nullptr; }

  bool missing(const Entry& e, const char* what, const std::string& expected) {
    error = fmt("\nデータファイルの項目%d（%s）%sがありません（ファイルの終わり）．%sが必要です．",
                e.no, tr(e.name), within(what).c_str(), tr(expected).c_str());
    return false;
  }

  template <class Fits>
  bool take(const Entry& e, const char* what, const std::string& expected, Fits fits,
            double& out) {
    const std::string* w = next();
    if (!w) return missing(e, what, expected);
    double v = 0;
    if (!parsenumber(*w, v) || !fits(v)) return refuse(e, what, *w, expected);
    out = v;
    return true;
  }

  std::vector<std::string> words_;
  std::size_t next_ = 0;
  double wp_;
};

// Reads and checks the entries in file order; false with r.error set at the
// first entry that does not fit.
bool readcase(CaseReader& r, FileCase& c) {
  if (!r.word(ITEMTYPE, "ab", "a（円筒座標ロボット）または b（SCARAロボット）", c.type)) return false;
  if (c.type == 'a') {
    if (!r.number(ITEMARMA, "l", limitof("l"), c.len1)) return false;
  } else {
    if (!r.number(ITEMARMB, "l1", limitof("l1"), c.len1)) return false;
    if (!r.beyondwp(ITEMARMB, "J2－P間距離", c.len2)) return false;
  }
  if (!r.number(ITEMMASS, "mw", limitof("mw"), c.mw)) return false;
  if (!r.number(ITEMPOWER1, "PW1", limitof("PW1_a"), c.PW1)) return false;
  if (!r.number(ITEMPOWER2, "PW2", limitof("PW2_a"), c.PW2)) return false;
  if (!r.number(ITEMREDUCER1, "u1", limitof("u1_a"), c.u1)) return false;
  if (!r.number(ITEMREDUCER1, "η1", limitof("eta1_a"), c.eta1)) return false;
  if (!r.number(ITEMREDUCER2, "u2", limitof("u2_a"), c.u2)) return false;
  if (!r.number(ITEMREDUCER2, "η2", limitof("eta2_a"), c.eta2)) return false;
  if (!r.number(ITEMSPRINGS, "KH1", limitof("KH1"), c.KH1)) return false;
  if (!r.number(ITEMSPRINGS, "KH2", limitof("KH2"), c.KH2)) return false;
  if (!r.word(ITEMMETHOD, "1346", "1, 3, 4, 6 のどれか", c.hybrid)) return false;
  if (!r.number(ITEMLOOP1, "fn1", limitof("gainspec1.omega1"), c.fn1)) return false;
  if (!r.number(ITEMLOOP1, "α1", limitof("gainspec1.alpha1"), c.alpha1)) return false;
  if (!r.number(ITEMLOOP2, "fn2", limitof("gainspec1.omega2"), c.fn2)) return false;
  if (!r.number(ITEMLOOP2, "α2", limitof("gainspec1.alpha2"), c.alpha2)) return false;
  if (!r.word(ITEMCURVE, "LCS", "L（直線），C（円），S（正弦波）のどれか", c.curve)) return false;
  switch (c.curve) {
    case 'L':
      if (!r.number(ITEMCONTOUR, "直線の始点 x0", limitof("line.x0"), c.c[0])) return false;
      if (!r.number(ITEMCONTOUR, "直線の始点 y0", limitof("line.y0"), c.c[1])) return false;
      if (!r.number(ITEMCONTOUR, "直線の終点 xf", limitof("line.xf"), c.c[2])) return false;
      if (!r.number(ITEMCONTOUR, "直線の終点 yf", limitof("line.yf"), c.c[3])) return false;
      if (c.c[0] == c.c[2] && c.c[1] == c.c[3]) {
        return r.refuse(ITEMCONTOUR, "直線の終点 (xf, yf)", fmt("%g %g", c.c[2], c.c[3]),
                        "始点 (x0, y0) と異なる点");
      }
      if (!r.number(ITEMCONTOUR, "位置決め時間 tf", limitof("line.tf"), c.c[4])) return false;
      break;
    case 'C':
      if (!r.number(ITEMCONTOUR, "円の中心 Ox", limitof("circle.Ox"), c.c[0])) return false;
      if (!r.number(ITEMCONTOUR, "円の中心 Oy", limitof("circle.Oy"), c.c[1])) return false;
      if (!r.number(ITEMCONTOUR, "半径 rr", limitof("circle.rr"), c.c[2])) return false;
      if (!r.number(ITEMCONTOUR, "運動時間 tf", limitof("circle.tf"), c.c[3])) return false;
      break;
    default:  // 'S'
      if (!r.number(ITEMCONTOUR, "正弦波の始点 x0", limitof("sine.x0"), c.c[0])) return false;
      if (!r.number(ITEMCONTOUR, "正弦波の始点 y0", limitof("sine.y0"), c.c[1])) return false;
      if (!r.number(ITEMCONTOUR, "波長 L", limitof("sine.L"), c.c[2])) return false;
      if (!r.number(ITEMCONTOUR, "振幅 A", limitof("sine.A"), c.c[3])) return false;
      if (!r.number(ITEMCONTOUR, "運動時間 tf", limitof("sine.tf"), c.c[4])) return false;
      break;
  }
  if (!r.number(ITEMERROR, "error", limitof("seterror"), c.seterror)) return false;
  if (!r.number(ITEMFORCE, "Fn", limitof("Fn"), c.Fn)) return false;
  c.carried = r.optional(Limit::Positive, Limit::NonNegative, c.worklen, c.accwindow6);
  return true;  // other words after the last entry are not part of the case
}

// Stores a checked case and writes the echo of each group as it is stored.
void storecase(const FileCase& c, App& app, std::string& echo) {
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

  const DriveData drive = drivedata(s, s.type);
  double& PW1 = drive.PW1;
  double& PW2 = drive.PW2;
  double& u1 = drive.u1;
  double& u2 = drive.u2;
  double& eta1 = drive.eta1;
  double& eta2 = drive.eta2;
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
  storeservotargets(s, g, servotargets(c.fn1, c.alpha1, c.fn2, c.alpha2));
  echo += fmt("\nHybrid%c", s.hybrid);
  echo += fmt("\n固有振動数fn1=%5.2f[Hz], 第２時定数の逆数α1=%5.2f[1/s]", g.omega1 / PI2, g.alpha1);
  echo += fmt("\n固有振動数fn2=%5.2f[Hz], 第２時定数の逆数α2=%5.2f[1/s]", g.omega2 / PI2, g.alpha2);

  s.curve = c.curve;
  switch (s.curve) {
    case 'L':
      echo += tr("\n(3-1) 直線軌道");
      s.line = LineSpec{c.c[0], c.c[1], c.c[2], c.c[3], c.c[4]};
      echo += fmt("\n(3-2) 始点 P0=(%6.3f %6.3f)[m] 位置決め時間 tf=%5.2f[s]", s.line.x0, s.line.y0,
                  s.line.tf);
      echo += fmt("\n      終点 Pf=(%6.3f %6.3f)[m]", s.line.xf, s.line.yf);
      break;
    case 'C':
      echo += tr("\n(3-1) 円軌道");
      s.circle = CircleSpec{c.c[0], c.c[1], c.c[2], c.c[3]};
      echo += fmt("\n(3-2) 円中心 O=(%6.3f %6.3f)[m] 半径 rr=%6.3f[m] 運動時間 tf=%5.2f[s]",
                  s.circle.Ox, s.circle.Oy, s.circle.rr, s.circle.tf);
      // The circle is run once from its right end, so it starts and ends there.
      p.x0 = p.xf = circlestart(s.circle)[0];
      p.y0 = p.yf = circlestart(s.circle)[1];
      break;
    default:  // 'S'
      echo += tr("\n(3-1) 正弦波軌道");
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
      setsineend(s.sine);
      p.xf = s.sine.xf;
      p.yf = s.sine.yf;
      break;
  }

  s.seterror = c.seterror;
  echo += fmt("\n(3-3) 輪郭設置位置誤差 error=%6.3f[mm]", 1000 * s.seterror);
  s.Fn = c.Fn;
  echo += fmt("\n(4) 輪郭への指令押し付け力Fn=%6.3f[N]", s.Fn);

  if (c.carried) {
    s.worklen = c.worklen;
    p.profile(s.type).ta = c.accwindow6;
  }
}

}  // namespace

// The C locale's message: the console's own locale may give it in a
// character set the console does not show.

// A case is a few hundred bytes; anything beyond a megabyte is not a data
// file (and reading a device such as /dev/zero would go on forever).
bool readcasefile(const std::string& name, std::string& text, std::string& reason) {
  constexpr std::size_t FILELIMIT = 1 << 20;
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
    if (text.size() > FILELIMIT) {
      std::fclose(f);
      reason = tr("1 MB を超えています（ロボットデータファイルではありません）");
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

bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error) {
  CaseReader reader(text, app.set.wp);
  FileCase c;
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
  if (!readcasefile(name, text, reason)) {
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

// The file name is the whole line, blanks trimmed at its ends (a name may
// hold blanks). An empty line cancels, saying so; so does end of input.
FileRead readdatafile(App& app, Console& con) {
  for (;;) {
    asknameprompt(con);
    std::string name;
    const ReadStatus r = con.readline(name);
    if (r == ReadStatus::Ok && name.empty())
      con.print("\nファイル名がないので読み込みません（設定は変更していません）．");
    if (r != ReadStatus::Ok || name.empty()) return FileRead::Cancelled;
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
  GainSpec targets{g.omega1, g.alpha1, g.omega2, g.alpha2};
  if (const GainSpec* servo = gainspecof(s, s.hybrid)) targets = *servo;
  t += fmt("%c\n", s.hybrid);
  t += num(hzof(targets.omega1)) + " " + num(targets.alpha1) + "\n";
  t += num(hzof(targets.omega2)) + " " + num(targets.alpha2) + "\n";
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
  // What the run on screen took over from the session, for the same run.
  t += num(app.runcase().worklen) + " " + num(app.runcase().accwindow6) + "\n";
  return t;
}


void savedatafile(const App& app, Console& con) {
  con.print("\n\n現在のロボット諸元・軌道をデータファイルに保存");
  con.print("\nファイル名入力　");
  std::string name;
  // The whole line is the name; an empty line saves nothing.
  const bool named = con.readline(name) == ReadStatus::Ok && !name.empty();
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
