// Robot data file: one complete case (robot, drive data, hand springs,
// control method with its servo targets, contour, setting error, contact
// force) as a stream of blank-separated words and numbers.
//
// The whole file is read and checked before anything is stored: a file that
// stops early, holds text where a number belongs or a value the model cannot
// work with (a zero reduction ratio is divided by, a non-positive motion time
// gives no trajectory, ...) is refused with one message naming the entry, and
// the settings stay exactly as they were.
//
// One table of the file's entries drives reading, storing, the echo and
// writing a case back.
#include "console/datafile.h"
#include "files/safefile.h"

#include <locale.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
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

// How a number in the file relates to the settings field that holds it.
enum class Rule {
  Plain,    // checked against the field's limit, held as read
  Reach,    // SCARA joint 2 to contact point [m]: beyond wp, held as l2 = reach - wp
  Hz,       // a natural frequency entered in Hz, held in rad/s
  LineEnd,  // the line's yf [m]: (xf, yf) must then differ from the start (x0, y0)
};

// One number of an entry.
struct Number {
  const char* what;   // its name within the entry, as messages show it
  const char* field;  // the settings field it is checked against and held in;
                      // "%c" stands for the key of the entry's selection
  Rule rule;
  Number(const char* w, const char* f, Rule r = Rule::Plain) : what(w), field(f), rule(r) {}
};

// A case while it is read: copies of the settings, servo design inputs and
// path it goes into (the session's own stay untouched until the whole file
// is checked), and each entry's numbers as the file gives them.
struct Staged {
  SimSettings s;
  ServoGains g;
  ContourPath p;
  std::array<std::array<double, 5>, 16> v{};  // [entry][number in the entry], file units
};

// The echo lines of a stored entry, and what else it derives once stored.
using Echo = std::string (*)(const Staged& c);
using Store = void (*)(Staged& c);

// A selection as the file holds it: its key in the settings, and the
// selection of a key (false for a key that names none).
struct Choice {
  char (*key)(const SimSettings& s);
  bool (*set)(SimSettings& s, char key);
};

// One entry of the file, or one form of an entry whose numbers depend on an
// earlier selection (the arm on the robot, the contour data on the contour).
struct Entry {
  int no = 0;
  const char* name = nullptr;        // the entry in refusal messages
  const Choice* key = nullptr;       // the selection it sets, or the one its
                                     // form and the "%c" of its fields follow
  char when = 0;                     // the key this form is for; 0: any
  const char* keys = nullptr;        // a selection: the keys allowed (first character counts)
  const char* expected = nullptr;    // a selection: what a refusal asks for
  std::vector<Number> numbers;       // the numbers, in file order
  Echo echo = nullptr;               // its echo lines; none of its own when null
  Store store = nullptr;             // what it derives besides its fields
  const char* end = "\n";            // what follows it in a written file
};

// Whether an entry's form is the one for the selections made so far.
bool applies(const Entry& e, const SimSettings& s) { return !e.when || e.key->key(s) == e.when; }

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

// SCARA: the file gives joint 2 to contact point, the settings hold the
// second arm up to the arm tip (Rule::Reach; the writer inverts it).
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

// The settings field a number of entry e is held in, for the selections made.
const SettingField& fieldof(const Number& n, const Entry& e, const SimSettings& s) {
  std::string name = n.field;
  const std::size_t at = name.find("%c");
  if (at != std::string::npos) name.replace(at, 2, 1, e.key->key(s));
  const SettingField* f = settingfield(name);
  if (!f) std::abort();  // a name missing from the settings table is a programming error
  return *f;
}

// A number as the settings hold it, from the number the file gives.
double heldof(Rule rule, double v, const SimSettings& s) {
  if (rule == Rule::Reach) return l2ofreach(v, s.wp);
  if (rule == Rule::Hz) return omegaofhz(v);
  return v;
}

// The blank-separated words of a text. Some editors write a UTF-8 byte order
// mark first: it is no word.
std::vector<std::string> wordsof(const std::string& text) {
  const char* blanks = " \t\r\n\v\f";
  const std::size_t bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  std::vector<std::string> words;
  std::size_t i = text.find_first_not_of(blanks, bom);
  while (i != std::string::npos) {
    std::size_t j = text.find_first_of(blanks, i);
    words.push_back(text.substr(i, j == std::string::npos ? std::string::npos : j - i));
    i = j == std::string::npos ? j : text.find_first_not_of(blanks, j);
  }
  return words;
}

// The name of a number within its entry, as messages put it.
std::string inentry(const char* what) { return *what ? fmt("の %s ", tr(what)) : ""; }

// The message for a word that does not fit, and for a missing one.
std::string refusaltext(const Entry& e, const char* what, const std::string& found,
                        const std::string& expected) {
  return fmt("\nデータファイルの項目%d（%s）%sに %s があります．%sが必要です．", e.no, tr(e.name),
             inentry(what).c_str(), quoted(found).c_str(), tr(expected).c_str());
}
std::string missingtext(const Entry& e, const char* what, const std::string& expected) {
  return fmt("\nデータファイルの項目%d（%s）%sがありません（ファイルの終わり）．%sが必要です．",
             e.no, tr(e.name), inentry(what).c_str(), tr(expected).c_str());
}

// Reads the words of a case one entry after the other and stops at the first
// that is missing or does not fit, with the message for the user.
class CaseReader {
 public:
  CaseReader(const std::string& text, double wp) : words_(wordsof(text)), wp_(wp) {}
  bool word(const Entry& e, char& out);
  bool number(const Entry& e, const Number& n, Limit limit, double& out);
  bool optional(Limit first, Limit second, double& a, double& b);

  // A refusal about values already read (a line whose start is its end).
  bool refuse(const Entry& e, const char* what, const std::string& found,
              const std::string& expected) {
    error = refusaltext(e, what, found, expected);
    return false;
  }

  std::string error;

 private:
  const std::string* next() { return next_ < words_.size() ? &words_[next_++] : nullptr; }

  // The next word as a number that fits, or the message why not.
  template <class Fits>
  bool take(const Entry& e, const char* what, const std::string& expected, Fits fits,
            double& out) {
    const std::string* w = next();
    if (!w) {
      error = missingtext(e, what, expected);
      return false;
    }
    double v = 0;
    if (!parsenumber(*w, v) || !fits(v)) return refuse(e, what, *w, expected);
    out = v;
    return true;
  }

  std::vector<std::string> words_;
  std::size_t next_ = 0;
  double wp_;  // arm tip to contact point [m]
};

// A selection word: only its first character counts.
bool CaseReader::word(const Entry& e, char& out) {
  const std::string* w = next();
  if (!w) {
    error = missingtext(e, "", e.expected);
    return false;
  }
  // strchr also finds the terminating NUL: a word led by a NUL byte is no key.
  if ((*w)[0] == '\0' || std::strchr(e.keys, (*w)[0]) == nullptr)
    return refuse(e, "", *w, e.expected);
  out = (*w)[0];
  return true;
}

// One number of an entry, checked against the limit of its field; the
// SCARA robot's joint 2 to contact point must be longer than the fixed arm
// tip to contact point distance wp.
bool CaseReader::number(const Entry& e, const Number& n, Limit limit, double& out) {
  if (n.rule == Rule::Reach)
    return take(e, n.what, fmt("アーム先端・接触子先端間距離 wp=%5.3f[m] より大きい有限の数値", wp_),
                [&](double v) { return std::isfinite(v) && v > wp_; }, out);
  return take(e, n.what, tr(limittext(limit)), [&](double v) { return within(limit, v); }, out);
}

// Two numbers after the last entry that fit `first` and `second`, taken
// together or not at all; other words there are no part of the case.
bool CaseReader::optional(Limit first, Limit second, double& a, double& b) {
  if (next_ + 2 > words_.size()) return false;
  double x = 0, y = 0;
  if (!parsenumber(words_[next_], x) || !parsenumber(words_[next_ + 1], y) ||
      !within(first, x) || !within(second, y))
    return false;
  next_ += 2;
  a = x;
  b = y;
  return true;
}

// Reads, checks and stores the numbers of one entry; the line's end point
// is checked against its start as soon as both are read.
bool readnumbers(CaseReader& r, const Entry& e, Staged& c) {
  std::array<double, 5>& v = c.v[e.no];
  for (std::size_t i = 0; i < e.numbers.size(); ++i) {
    const Number& n = e.numbers[i];
    const SettingField& f = fieldof(n, e, c.s);
    if (!r.number(e, n, f.limit, v[i])) return false;
    if (n.rule == Rule::LineEnd && !lineendsdiffer(v[i - 3], v[i - 2], v[i - 1], v[i]))
      return r.refuse(e, "直線の終点 (xf, yf)", fmt("%g %g", v[i - 1], v[i]),
                      "始点 (x0, y0) と異なる点");
    f.field(c.s) = heldof(n.rule, v[i], c.s);
  }
  return true;
}

// Reads the entries in file order into c; false with r.error set at the
// first entry that does not fit. Other words after the last entry are not
// part of the case, except the two carry-overs a session saves with it: the
// work block length [m] and method 6's acceleration time [s].
bool readentries(CaseReader& r, Staged& c) {
  for (const Entry& e : ENTRIES) {
    if (!applies(e, c.s)) continue;
    char key = 0;
    if (e.keys ? !r.word(e, key) || !e.key->set(c.s, key) : !readnumbers(r, e, c)) return false;
    if (e.store) e.store(c);
  }
  double worklen = 0, accwindow6 = 0;
  if (r.optional(Limit::Positive, Limit::NonNegative, worklen, accwindow6)) {
    c.s.worklen = worklen;
    c.p.profile(c.s.type).ta = accwindow6;
  }
  return true;
}

// The echo of a stored case, entry by entry.
std::string echoof(const Staged& c) {
  std::string echo;
  for (const Entry& e : ENTRIES)
    if (applies(e, c.s) && e.echo) echo += e.echo(c);
  return echo;
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

namespace {

// Reads the case of `text` over staged values c; false with the refusal in
// *error, else the echo appended to *echo.
bool readstaged(const std::string& text, Staged& c, std::string* echo, std::string* error) {
  CaseReader reader(text, c.s.wp);
  if (!readentries(reader, c)) {
    if (error) *error = reader.error;
    return false;
  }
  if (echo) *echo += echoof(c);
  return true;
}

}  // namespace

bool readcase(const std::string& text, const Case& from, Case& out, std::string* echo,
              std::string* error) {
  Staged c;
  storecase(from, c.s, c.p);
  if (!readstaged(text, c, echo, error)) return false;
  out = caseof(c.s, c.p);
  return true;
}

bool loadcase(const std::string& text, SimSettings& s, ServoGains& g, ContourPath& p,
              std::string* echo, std::string* error) {
  Staged c{s, g, p};
  if (!readstaged(text, c, echo, error)) return false;
  s = c.s;
  g = c.g;
  p = c.p;
  return true;
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

// A number as the file gives it, from the value the settings hold.
double writtenof(Rule rule, double held, const SimSettings& s) {
  if (rule == Rule::Reach)
    return preimage(held + s.wp, held, [&s](double r) { return l2ofreach(r, s.wp); });
  if (rule == Rule::Hz) return hzof(held);
  return held;
}

}  // namespace

std::string casetext(const Run& r) { return casetext(r.model->set, r.model->source); }

// One entry a line (the two motor powers share one), in the reader's order,
// each number from the field the reader stores it in (the servo targets are
// the method's own), then what the run on screen took over from the session,
// for the same run. (The settings table reaches fields of a record it may
// change: s is a copy.)
std::string casetext(SimSettings s, const Case& carried) {
  std::string t;
  for (const Entry& e : ENTRIES) {
    if (!applies(e, s)) continue;
    if (e.keys) t += e.key->key(s);
    for (std::size_t i = 0; i < e.numbers.size(); ++i) {
      const Number& n = e.numbers[i];
      t += (i ? " " : "") + num(writtenof(n.rule, fieldof(n, e, s).field(s), s));
    }
    t += e.end;
  }
  t += num(carried.worklen) + " " + num(carried.accwindow6) + "\n";
  return t;
}

}  // namespace hs
