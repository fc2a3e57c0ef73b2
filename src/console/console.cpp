// Console layer: text output in the locale's character set, single-key read
// (raw terminal mode only for the duration of one read), number and word read.
#include "console/console.h"

#include <iconv.h>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace hs {

void handback(Console& con) {
  if (con.beforehandback) con.beforehandback();
  con.print("\n\n     描画画面へ　　　　　");
}

bool refuse(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return false;
}

std::string fmt(const char* format, ...) {
  const char* text = tr(format);
  char small[512];
  va_list ap;
  va_start(ap, format);
  const int n = std::vsnprintf(small, sizeof small, text, ap);
  va_end(ap);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_start(ap, format);
  std::vsnprintf(&big[0], big.size(), text, ap);
  va_end(ap);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

// ---------------------------------------------------------------------------
// Character set of the output.

namespace {

bool isblankbyte(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

const char* const LINEBLANKS = " \t\r\v\f";

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool namesshiftjis(const std::string& name) {
  const std::string n = lower(name);
  for (const char* key : {"sjis", "shift_jis", "shift-jis", "shiftjis", "cp932", "windows-31j", "ms932", "ibm-943", "ibm943"})
    if (n.find(key) != std::string::npos) return true;
  return false;
}

}  // namespace

std::string trimblanks(const std::string& text) {
  const std::size_t b = text.find_first_not_of(LINEBLANKS);
  if (b == std::string::npos) return std::string();
  return text.substr(b, text.find_last_not_of(LINEBLANKS) - b + 1);
}

std::string localeCharset() {
  // Only the character-type category follows the environment: numbers keep
  // the C locale's decimal point in every format and every read.
  const char* loc = std::setlocale(LC_CTYPE, "");
  if (loc != nullptr) {
    const char* cs = nl_langinfo(CODESET);
    if (cs != nullptr && namesshiftjis(cs)) return "CP932";
    if (cs != nullptr && lower(cs) != "ansi_x3.4-1968") return "UTF-8";
  }
  // The locale may not be installed: judge by its name.
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') return namesshiftjis(v) ? "CP932" : "UTF-8";
  }
  return "UTF-8";
}

namespace {

bool isutf8name(const std::string& charset) {
  return charset.empty() || lower(charset) == "utf-8" || lower(charset) == "utf8";
}

// Converts text between character sets; a character the target lacks, or a
// broken sequence in the source, becomes '?'.
std::string convertcharset(const std::string& text, const std::string& from, const std::string& to) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  const bool fromutf8 = isutf8name(from);
  std::string out;
  out.reserve(text.size());
  std::vector<char> in(text.begin(), text.end());
  char* ip = in.data();
  std::size_t il = in.size();
  char chunk[1024];
  while (il > 0) {
    char* op = chunk;
    std::size_t ol = sizeof chunk;
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    out.append(chunk, static_cast<std::size_t>(op - chunk));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Skip the offending byte, and in UTF-8 the continuation bytes after it.
      std::size_t skip = 1;
      if (fromutf8)
        while (skip < il && skip < 4 && (static_cast<unsigned char>(ip[skip]) & 0xC0) == 0x80) ++skip;
      out += '?';
      ip += skip;
      il -= skip;
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string toCharset(const std::string& utf8, const std::string& charset) {
  if (isutf8name(charset)) return utf8;
  return convertcharset(utf8, "UTF-8", charset);
}

std::string fromCharset(const std::string& bytes, const std::string& charset) {
  if (isutf8name(charset)) return bytes;
  return convertcharset(bytes, charset, "UTF-8");
}

namespace {

// Length of the well-formed UTF-8 sequence of a printable character at p
// (0 when the bytes there are a control, broken, overlong or a surrogate).
std::size_t printablelength(const unsigned char* p, std::size_t left) {
  const unsigned char c = p[0];
  if (c < 0x80) return c >= 0x20 && c != 0x7f ? 1 : 0;
  std::size_t n;
  unsigned int cp;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1Fu;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0Fu;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07u;
  else return 0;
  if (left < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3Fu);
  }
  const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
  const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
  const bool c1control = cp >= 0x80 && cp <= 0x9F;
  // Invisible format characters: zero-width marks, line and paragraph
  // separators, direction overrides (which reorder what the terminal
  // shows), the byte order mark.
  const bool invisible = (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) ||
                         (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF;
  if (overlong || surrogate || c1control || invisible || cp > 0x10FFFF) return 0;
  return n;
}

}  // namespace

std::string escapebytes(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = printablelength(p + i, text.size() - i);
    if (n > 0) {
      out.append(text, i, n);
      i += n;
    } else {
      out += fmt("\\x%02X", p[i]);
      ++i;
    }
  }
  return out;
}

std::string echoed(const std::string& text, std::size_t most) {
  if (text.size() <= most) return escapebytes(text);
  // Cut at a character's first byte, so that no broken character is shown.
  std::size_t cut = most;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return escapebytes(text.substr(0, cut)) + "…";
}

std::size_t numberat(const char* text, double& v) {
  if (isblankbyte(static_cast<unsigned char>(*text))) return 0;
  char* end = nullptr;
  const double x = std::strtod(text, &end);
  if (end == text) return 0;
  // Decimal numbers only: strtod's hexadecimal form ("0x10") is not one.
  for (const char* c = text; c < end; ++c)
    if (*c == 'x' || *c == 'X') return 0;
  v = x;
  return static_cast<std::size_t>(end - text);
}

bool wholenumber(const std::string& text, double& v) {
  double x = 0;
  if (text.empty() || numberat(text.c_str(), x) != text.size()) return false;
  v = x;
  return true;
}

// ---------------------------------------------------------------------------
// Input rules shared by the real and the scripted console.

bool InputBuffer::skipblanks() {
  for (;;) {
    while (pos_ < buf_.size() && isblankbyte(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
    if (pos_ < buf_.size()) return true;
    if (eof_ || !fill()) {
      eof_ = true;
      return false;
    }
  }
}

void InputBuffer::fillline() {
  while (!eof_ && buf_.find('\n', pos_) == std::string::npos) {
    if (!fill()) eof_ = true;
  }
}

ReadStatus InputBuffer::number(double& v) {
  if (!skipblanks()) return ReadStatus::End;
  fillline();
  const std::size_t n = numberat(buf_.c_str() + pos_, v);
  if (n == 0) return ReadStatus::Bad;
  pos_ += n;
  midline_ = true;
  return ReadStatus::Ok;
}

ReadStatus InputBuffer::word(std::string& w) {
  if (!skipblanks()) return ReadStatus::End;
  w.clear();
  for (;;) {
    while (pos_ < buf_.size() && !isblankbyte(static_cast<unsigned char>(buf_[pos_]))) w += buf_[pos_++];
    if (pos_ < buf_.size() || eof_) break;
    if (!fill()) eof_ = true;
  }
  midline_ = true;
  return ReadStatus::Ok;
}

ReadStatus InputBuffer::line(std::string& l) {
  for (;;) {
    fillline();
    if (pos_ >= buf_.size() && eof_) return ReadStatus::End;
    const bool afterread = midline_;
    const std::string text = trimblanks(takeline());
    // Blanks after a key or a value end that entry's line: the entry typed
    // for this prompt is on the next one.
    if (text.empty() && afterread) continue;
    l = text;
    return ReadStatus::Ok;
  }
}

int InputBuffer::nextnonblank() {
  if (!skipblanks()) return -1;
  midline_ = true;
  return static_cast<unsigned char>(buf_[pos_++]);
}

void InputBuffer::dropline() {
  midline_ = false;
  for (;;) {
    const std::size_t nl = buf_.find('\n', pos_);
    if (nl != std::string::npos) {
      pos_ = nl + 1;
      break;
    }
    pos_ = buf_.size();
    if (eof_ || !fill()) {
      eof_ = true;
      break;
    }
  }
  compact();
}

std::string InputBuffer::takeline() {
  const std::size_t nl = buf_.find('\n', pos_);
  const std::size_t stop = nl == std::string::npos ? buf_.size() : nl;
  std::string line = buf_.substr(pos_, stop - pos_);
  pos_ = nl == std::string::npos ? stop : nl + 1;
  midline_ = false;
  compact();
  return line;
}

void InputBuffer::compact() {
  // Keep the buffer from growing without bound in a long session.
  if (pos_ > 4096) {
    buf_.erase(0, pos_);
    pos_ = 0;
  }
}

int ScriptConsole::readkey() {
  const int c = nextnonblank();
  if (c < 0) ended_ = true;
  return c;
}

ReadStatus ScriptConsole::readnumber(double& v) {
  const ReadStatus r = number(v);
  if (r == ReadStatus::End) ended_ = true;
  return r;
}

ReadStatus ScriptConsole::readword(std::string& w) {
  const ReadStatus r = word(w);
  if (r == ReadStatus::End) ended_ = true;
  return r;
}

ReadStatus ScriptConsole::readline(std::string& l) {
  const ReadStatus r = line(l);
  if (r == ReadStatus::End) ended_ = true;
  return r;
}

// ---------------------------------------------------------------------------
// The terminal: saved mode, raw single-key reads, restore on every exit path.

namespace {

struct termios g_saved;
volatile std::sig_atomic_t g_raw = 0;
bool g_handlers = false;

struct termios g_keymode;  // the single-key mode while a key is awaited

// Where the standard console writes, and whether its last line is open.
int g_outfd = -1;
volatile std::sig_atomic_t g_openline = 0;

void onfatalsignal(int sig) {
  restoreterminal();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void installstop();

// Ctrl-Z while a key is awaited: the shell gets its terminal back as it was,
// and on 'fg' the single-key mode returns so the waiting read needs no Enter.
void onstop(int) {
  const int savederrno = errno;
  const bool waskey = g_raw != 0;
  restoreterminal();
  std::signal(SIGTSTP, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(SIGTSTP);  // stopped here until continued
  installstop();
  if (waskey) {
    g_raw = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &g_keymode);
  }
  errno = savederrno;
}

void installstop() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = onstop;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTSTP, &sa, nullptr);
}

void installhandlers() {
  if (g_handlers) return;
  g_handlers = true;
  std::atexit(restoreterminal);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onfatalsignal;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
  installstop();
}

class StdConsole : public Console, private InputBuffer {
 public:
  explicit StdConsole(std::FILE* out) : out_(out), charset_(localeCharset()), tty_(isatty(STDIN_FILENO) == 1) {
    if (tty_) installhandlers();
  }
  using Console::print;

  void print(const std::string& utf8) override {
    const std::string bytes = toCharset(utf8, charset_);
    std::fwrite(bytes.data(), 1, bytes.size(), out_);
    std::fflush(out_);
    if (!bytes.empty()) {
      g_outfd = fileno(out_);
      g_openline = bytes.back() != '\n';
    }
  }

  int readkey() override {
    if (ended_) return -1;
    if (!tty_) {
      const int c = nextnonblank();
      if (c < 0) ended_ = true;
      return c;
    }
    // Keys typed ahead (what the terminal delivered beyond the lines the
    // entries took) are answered in order, as from a pipe; the rest of an
    // entry's own line never gets here (restofline takes it).
    const int ahead = bufferedkey();
    if (ahead >= 0) return ahead;
    const int c = rawkey();
    if (c == kCtrlD) return -1;  // cancels this answer only
    if (c < 0) ended_ = true;
    return c;
  }

  ReadStatus readnumber(double& v) override {
    afterkey_ = false;
    double x = v;
    const ReadStatus r = afterread(number(x));
    if (r == ReadStatus::Ok) v = x;
    return r;
  }
  ReadStatus readword(std::string& w) override {
    afterkey_ = false;
    return afterread(word(w));
  }
  ReadStatus readline(std::string& l) override {
    afterkey_ = false;
    std::string text;
    const ReadStatus r = afterread(line(text));
    if (r == ReadStatus::Ok) l = text;
    return r;
  }

  void discardline() override {
    dropline();
    if (tty_ && !closed_) eof_ = false;
  }
  std::string restofline() override { return takeline(); }
  bool atend() const override { return ended_; }
  std::string inputtext(const std::string& typed) const override { return fromCharset(typed, charset_); }

 private:
  bool fill() override {
    char chunk[4096];
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
      if (n > 0) {
        buf_.append(chunk, static_cast<std::size_t>(n));
        return true;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) closed_ = true;  // a terminal that is gone, not a Ctrl-D
      return false;
    }
  }

  static constexpr int kCtrlD = 4;

  // The next non-blank byte already received, without waiting for more;
  // -1 when none is.
  int bufferedkey() {
    // The rest of a line a value was read from is that entry's, never a key.
    if (midline_ && !afterkey_) {
      const std::size_t nl = buf_.find('\n', pos_);
      pos_ = nl == std::string::npos ? buf_.size() : nl + 1;
      midline_ = false;
    }
    while (pos_ < buf_.size() && isblankbyte(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
    if (pos_ >= buf_.size()) {
      dropbuffered();
      return -1;
    }
    midline_ = afterkey_ = true;
    return static_cast<unsigned char>(buf_[pos_++]);
  }
  bool afterkey_ = false;  // the last thing read from the buffer was a key

  // End of input on a pipe or file is final. At a terminal it is a Ctrl-D:
  // it cancels only the entry it was typed at (what was typed before it on
  // that line goes with it) and the next entry reads the terminal again.
  ReadStatus afterread(ReadStatus r) {
    if (!eof_) return r;
    if (tty_ && !closed_) {
      eof_ = false;
      dropbuffered();
      return ReadStatus::End;
    }
    if (r == ReadStatus::End) ended_ = true;
    return r;
  }

  // One key from the terminal at once, without echo and without Enter.
  int rawkey() {
    struct termios raw;
    if (tcgetattr(STDIN_FILENO, &g_saved) != 0) {
      const int c = nextnonblank();
      return c;
    }
    raw = g_saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    g_keymode = raw;
    g_raw = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    unsigned char c = 0;
    ssize_t n;
    do {
      n = ::read(STDIN_FILENO, &c, 1);
    } while (n < 0 && errno == EINTR);
    restoreterminal();
    if (n <= 0) return -1;  // closed terminal
    return c;
  }

  std::FILE* out_;
  std::string charset_;
  bool tty_;
  bool ended_ = false;
  bool closed_ = false;  // the terminal read failed: its end is final
};

}  // namespace

void restoreterminal() {
  if (g_raw) {
    tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    g_raw = 0;
  }
}

void endconsoleline() {
  if (g_openline && g_outfd >= 0 && ::write(g_outfd, "\n", 1) == 1) g_openline = 0;
}

std::unique_ptr<Console> makeStdConsole(std::FILE* out) {
  return std::make_unique<StdConsole>(out);
}

}  // namespace hs
