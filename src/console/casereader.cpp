// Reading a robot data file: the whole text is read and checked before
// anything is stored. A file that stops early, holds text where a number
// belongs or a value the model cannot work with (a zero reduction ratio is
// divided by, a non-positive motion time gives no trajectory, ...) is
// refused with one message naming the entry, and the settings stay exactly
// as they were.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/caseentries.h"
#include "console/datafile.h"
#include "engine/control/gains.h"

namespace hs {

namespace {

using namespace datafile;

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
  const std::size_t at = next_;
  if (!take(e, n.what, tr(limittext(limit)), [&](double v) { return within(limit, v); }, out))
    return false;
  // A frequency is held as 2 pi fn [rad/s]: that must be within the limit too.
  if (n.rule != Rule::Hz || within(limit, omegaofhz(out))) return true;
  return refuse(e, n.what, words_[at], tr("0 より大きく，2π 倍しても有限の数値"));
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
  for (const Entry& e : entries()) {
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

}  // namespace hs
