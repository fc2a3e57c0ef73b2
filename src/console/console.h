// The one small console layer every dialogue goes through: text output,
// single-key read, number and word read. Scriptable for tests.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace hs {

// The program's texts are written in Japanese, and the Japanese text is the
// key of its translation in the English message catalog (built from
// po/en.po). tr gives the text in the message language: the one this thread
// has chosen with MessageLanguage, else the process's (setmessagelanguage,
// the programs' --lang), else the environment's (localelanguage, read at
// the first text). The text itself when the catalog has none.
const char* tr(const char* text);
std::string tr(const std::string& text);

// The message language of this thread while the object lives: "en" for
// English, "ja" for Japanese, empty for the process's.
class MessageLanguage {
 public:
  explicit MessageLanguage(const std::string& lang);
  ~MessageLanguage();
  MessageLanguage(const MessageLanguage&) = delete;
  MessageLanguage& operator=(const MessageLanguage&) = delete;

 private:
  int saved_;
};

// The message language of the whole process: "en", "ja", or empty for the
// environment's.
void setmessagelanguage(const std::string& lang);

// The language the environment asks for, "en" or "ja": the first entry of
// LANGUAGE, else the locale of LC_ALL / LC_MESSAGES / LANG. Japanese, the
// program's own, for a Japanese name (ja, ja_JP...), the C locale (C, POSIX,
// C.UTF-8) and no locale at all; English for any other language, installed
// or not. LANGUAGE does not count in the locale C or POSIX, as with gettext.
std::string localelanguage();

enum class ReadStatus {
  Ok,   // a value was read
  Bad,  // text that is not a number is next; it is left in the input
  End,  // end of input
};

class Console {
 public:
  virtual ~Console() = default;
  // Writes UTF-8 text, converted to the output character set.
  virtual void print(const std::string& utf8) = 0;
  // Writes a text of the program in the message language (see tr).
  void print(const char* text) { print(std::string(tr(text))); }
  // One key at once without echo and Enter on a terminal; otherwise the next
  // non-blank character. Returns the byte (0..255) or -1 at end of input.
  virtual int readkey() = 0;
  // "%lf": skips blanks and line ends, reads one decimal number.
  virtual ReadStatus readnumber(double& v) = 0;
  // "%s": skips blanks and line ends, reads one word.
  virtual ReadStatus readword(std::string& w) = 0;
  // A whole entry line (a file name), blanks trimmed at both ends: the rest
  // of the current line, or the next line when only blanks are left of the
  // line a key or a number was just read from. An empty line gives Ok with
  // an empty text. A console that reads words only gives the next word.
  virtual ReadStatus readline(std::string& line) { return readword(line); }
  // Drops the rest of the current input line (after a Bad read).
  virtual void discardline() = 0;
  // Drops what has been received of the current input line after the last
  // value read, up to and with its line end, and returns it (without the
  // line end): the text typed after the numbers an entry asked for.
  virtual std::string restofline() {
    discardline();
    return std::string();
  }
  // True once end of input has been met.
  virtual bool atend() const = 0;
  // Text as typed (in the terminal's character set) converted to UTF-8, for
  // echoing what was read; the bytes themselves are what a file name opens.
  virtual std::string inputtext(const std::string& typed) const { return typed; }
  // What the window does the moment the console hands control back, before
  // it says so (it drops the keys pressed meanwhile); nothing by default.
  std::function<void()> beforehandback;
};

// The closing line of every console turn the window handed over ("back to
// the window"), after beforehandback: a key pressed once it shows counts.
void handback(Console& con);

// Said at every key wait that asks no question of its own, so that the
// wait does not look like a hang.
constexpr const char kKeyContinues[] = "\nキーを押すと続けます．";

// False with the reason in *why when one is asked for: how a parser or a
// check that returns bool + std::string* refuses.
bool refuse(std::string* why, std::string reason);

// printf into a std::string; the format is looked up with tr first.
std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Converts UTF-8 text to the character set named (e.g. "CP932"); "UTF-8" or
// an empty name returns the text unchanged. Unconvertible characters become '?'.
std::string toCharset(const std::string& utf8, const std::string& charset);
// Converts text in the named character set to UTF-8 (the inverse of toCharset).
std::string fromCharset(const std::string& bytes, const std::string& charset);
// Text from outside (a data file word, typed text) made safe to print:
// every byte that is not part of printable UTF-8 text (control bytes, broken
// or overlong sequences, C1 controls, invisible format characters such as
// direction overrides and the byte order mark) becomes "\xNN".
std::string escapebytes(const std::string& text);
// The text with the blanks at both ends of its line removed (spaces, tabs,
// carriage returns, vertical tabs, form feeds).
std::string trimblanks(const std::string& text);
// One number read at `text` as a menu entry reads it ("%lf": sign, digits,
// decimal point, exponent, hex, inf, nan), with no blank skipped before it.
// Returns the bytes it takes, 0 when no number starts there.
std::size_t numberat(const char* text, double& v);
// True when the whole text is one such number (no blank before or after it).
bool wholenumber(const std::string& text, double& v);
// An argument or name from outside as an error line echoes it: escapebytes,
// and cut to `most` bytes with "…" when longer.
std::string echoed(const std::string& text, std::size_t most = 80);

// The output character set the locale asks for: "CP932" for a Shift-JIS
// locale, "UTF-8" otherwise (also in the C/POSIX locale).
std::string localeCharset();

// Console on the process's standard input and an output stream (stdout for
// the interactive program, stderr for the batch runner).
std::unique_ptr<Console> makeStdConsole(std::FILE* out);

// Input bytes with the "%lf" / "%s" / key rules, shared by the consoles.
class InputBuffer {
 public:
  virtual ~InputBuffer() = default;
  // Appends more input to buf_; false at end of input.
  virtual bool fill() = 0;
  // Skips blanks and line ends; false when input ended first.
  bool skipblanks();
  // Makes the rest of the current line (up to '\n' or end) available.
  void fillline();
  ReadStatus number(double& v);
  ReadStatus word(std::string& w);
  // The entry line of Console::readline.
  ReadStatus line(std::string& l);
  // The next non-blank byte, or -1 at end of input.
  int nextnonblank();
  void dropline();
  // Drops the current line as far as it has been received (never waits for
  // more input) and returns it without its line end.
  std::string takeline();
  // Drops everything received and not yet read.
  void dropbuffered() {
    pos_ = buf_.size();
    midline_ = false;
    compact();
  }
  std::string rest() const { return buf_.substr(pos_); }

 protected:
  void compact();

  std::string buf_;
  std::size_t pos_ = 0;
  bool eof_ = false;
  bool midline_ = false;  // a key or a value was read and its line is not yet done
};

// Console reading a fixed script and collecting the output as UTF-8.
class ScriptConsole : public Console, private InputBuffer {
 public:
  explicit ScriptConsole(std::string input) { buf_ = std::move(input); }
  using Console::print;
  void print(const std::string& utf8) override { out_ += utf8; }
  int readkey() override;
  ReadStatus readnumber(double& v) override;
  ReadStatus readword(std::string& w) override;
  ReadStatus readline(std::string& l) override;
  void discardline() override { dropline(); }
  std::string restofline() override { return takeline(); }
  bool atend() const override { return ended_; }
  const std::string& output() const { return out_; }
  void clearoutput() { out_.clear(); }
  // What is left of the script.
  std::string remaining() const { return rest(); }

 private:
  bool fill() override { return false; }
  std::string out_;
  bool ended_ = false;
};

// Restores the terminal mode if a key read left it raw (called on every exit
// path; safe to call at any time, also from a signal handler).
void restoreterminal();
// Ends the last line of the standard console with a line break when its
// output left that line open, so that the shell's prompt after the program
// starts a line of its own (called when the program ends).
void endconsoleline();

}  // namespace hs
