// hybridsim-batch: one simulation run without a window, its run history
// written to standard output as CSV (for spreadsheets, gnuplot, pandas).
//
//   hybridsim-batch [--verbose] CASEFILE
//   hybridsim-batch [--verbose] --robot a|b --method 1|3|4|6 --contour L|C|S
//
// The run goes through the interactive start-up (defaults, derivation, the
// case file or the three selections, derivation, the menu's first rerun).
// Standard error shows its warnings and errors; with --verbose it shows the
// whole console text. No key is ever awaited.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/app.h"
#include "driver/console.h"
#include "driver/datafile.h"
#include "driver/historycsv.h"
#include "driver/startup.h"

namespace {

// Console text to standard error; the input is at its end from the start,
// so every key wait returns at once and no number is ever read. Unless
// verbose, only the warnings pass: a text whose first line starts with "!!"
// (after its line ends and indent), and the indented lines printed right
// after it, which belong to it.
class BatchConsole : public hs::Console {
 public:
  explicit BatchConsole(bool verbose) : out_(hs::makeStdConsole(stderr)), verbose_(verbose) {}
  void print(const std::string& utf8) override {
    if (verbose_ || iswarning(utf8)) {
      out_->print(utf8);
      shown_ = true;
    }
  }
  // Ends the last warning line shown.
  void finish() {
    if (!verbose_ && shown_) out_->print("\n");
  }
  // A refusal of the case: on its own lines, also when not verbose.
  void error(const std::string& text) {
    const std::size_t start = text.find_first_not_of('\n');
    out_->print(verbose_ ? "\n" + text + "\n" : text.substr(start == std::string::npos ? 0 : start) + "\n");
  }
  int readkey() override { return -1; }
  hs::ReadStatus readnumber(double&) override { return hs::ReadStatus::End; }
  hs::ReadStatus readword(std::string&) override { return hs::ReadStatus::End; }
  void discardline() override {}
  bool atend() const override { return true; }

 private:
  bool iswarning(const std::string& text) {
    const std::size_t start = text.find_first_not_of('\n');
    if (start == std::string::npos) return false;
    const std::size_t mark = text.find_first_not_of(' ', start);
    if (mark != std::string::npos && text.compare(mark, 2, "!!") == 0) return inwarning_ = true;
    const bool indented = start == 1 && mark != std::string::npos && mark > start;
    return inwarning_ = inwarning_ && indented;
  }

  std::unique_ptr<hs::Console> out_;
  bool verbose_;
  bool shown_ = false;
  bool inwarning_ = false;
};

// Exit status of a run that was carried out: 3 when its path left the
// reachable area or the integration diverged (the history is still written:
// it is what the model computed), 0 for a clean run.
int runstatus(const hs::RunReport& rep) { return rep.unreachable || rep.diverged ? 3 : 0; }

// Takes "--verbose" out of the arguments, wherever it stands.
bool takeverbose(int& argc, char** argv) {
  bool found = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--verbose")) found = true;
    else argv[kept++] = argv[i];
  }
  argc = kept;
  return found;
}

const char USAGE[] =
    "usage: hybridsim-batch [--verbose] CASEFILE\n"
    "       hybridsim-batch [--verbose] --robot a|b --method 1|3|4|6 --contour L|C|S\n"
    "CASEFILE is a robot data file. The run history goes to standard output as CSV;\n"
    "standard error shows warnings and errors (--verbose: the whole console text).\n"
    "exit status: 0 clean run; 1 case file refused or unreadable;\n"
    "             2 wrong arguments; 3 the path left the reachable area or the run\n"
    "             diverged (the history is still written)\n";

int usage() {
  std::fputs(USAGE, stderr);
  return 2;
}

// The value of a selection option if it is one of the allowed keys.
bool selection(const char* value, const char* allowed, char* out) {
  if (!value || std::strlen(value) != 1 || !std::strchr(allowed, value[0])) return false;
  *out = value[0];
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Parse everything before any work so that wrong arguments cost nothing.
  std::string casefile;
  char robot = 0, method = 0, contour = 0;
  const bool verbose = takeverbose(argc, argv);
  if (argc == 2 && argv[1][0] != '-') {
    casefile = argv[1];
  } else if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::fputs(USAGE, stdout);
    return 0;
  } else if (argc == 7) {
    for (int i = 1; i < argc; i += 2) {
      const char* opt = argv[i];
      const char* val = argv[i + 1];
      bool ok = false;
      if (!std::strcmp(opt, "--robot")) ok = !robot && selection(val, "ab", &robot);
      else if (!std::strcmp(opt, "--method")) ok = !method && selection(val, "1346", &method);
      else if (!std::strcmp(opt, "--contour")) ok = !contour && selection(val, "LCS", &contour);
      if (!ok) return usage();
    }
  } else {
    return usage();
  }

  std::string text, reason;
  if (!casefile.empty() && !hs::readcasefile(casefile, text, reason)) {
    std::fprintf(stderr, "hybridsim-batch: %s: %s\n", casefile.c_str(), reason.c_str());
    return 1;
  }

  BatchConsole con(verbose);
  static hs::App app;  // large run histories: keep them off the stack
  const hs::Chooser selected = hs::selections(robot, method, contour);
  const bool started = hs::startup(app, con, [&](hs::App& a, hs::Console& c) {
    c.print("\n\nロボットの制御シミュレーション");
    if (casefile.empty()) return selected(a, c);
    std::string echo, error;
    if (!hs::loadcase(text, a, &echo, &error)) {
      con.error(error);
      return false;
    }
    c.print(echo);
    return true;
  });
  if (!started) return 1;
  con.print("\n");
  con.finish();

  const std::string csv = hs::historycsv(app);
  std::fwrite(csv.data(), 1, csv.size(), stdout);
  if (std::fflush(stdout) != 0) return 1;
  return runstatus(app.lastrun);
}
