// hybridsim-batch: one simulation run without a window, its run history
// written to standard output as CSV (for spreadsheets, gnuplot, pandas).
//
//   hybridsim-batch CASEFILE
//   hybridsim-batch --robot a|b --method 1|3|4|6 --contour L|C|S
//
// The run goes through the interactive start-up (defaults, derivation, the
// case file or the three selections, derivation, the menu's first rerun);
// its console text goes to standard error. No key is ever awaited.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/app.h"
#include "driver/console.h"
#include "driver/datafile.h"
#include "driver/startup.h"

namespace {

// Console text to standard error; the input is at its end from the start,
// so every key wait returns at once and no number is ever read.
class BatchConsole : public hs::Console {
 public:
  BatchConsole() : out_(hs::makeStdConsole(stderr)) {}
  void print(const std::string& utf8) override { out_->print(utf8); }
  int readkey() override { return -1; }
  hs::ReadStatus readnumber(double&) override { return hs::ReadStatus::End; }
  hs::ReadStatus readword(std::string&) override { return hs::ReadStatus::End; }
  void discardline() override {}
  bool atend() const override { return true; }

 private:
  std::unique_ptr<hs::Console> out_;
};

const char USAGE[] =
    "usage: hybridsim-batch CASEFILE\n"
    "       hybridsim-batch --robot a|b --method 1|3|4|6 --contour L|C|S\n";

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

void writecsv(const hs::App& app, int laststep) {
  const hs::RunHistory& h = app.history();
  std::printf(
      "step,t,motor1,motor2,tipx,tipy,cmdx,cmdy,poserrx,poserry,perierr,force,forceerr,"
      "torque1,torque2,defl1,defl2\n");
  // The run's output times, accumulated the same way as in the run.
  double t = 0;
  for (int i = 0; i <= laststep; ++i) {
    if (i > 0) t = t + app.set.dt;
    std::printf(
        "%d,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,"
        "%.17g,%.17g\n",
        i, t, h.motorpos[i][0], h.motorpos[i][1], h.tippos[i][0], h.tippos[i][1],
        h.cmdpos[i][0], h.cmdpos[i][1], h.poserr[i][0], h.poserr[i][1], h.perierr[i],
        h.force[i][0], h.forceerr[i], h.torque[i][0], h.torque[i][1], h.tipdefl[i][0],
        h.tipdefl[i][1]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Parse everything before any work so that wrong arguments cost nothing.
  std::string casefile;
  char robot = 0, method = 0, contour = 0;
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

  BatchConsole con;
  static hs::App app;  // large run histories: keep them off the stack
  const hs::Chooser selected = hs::selections(robot, method, contour);
  const bool started = hs::startup(app, con, [&](hs::App& a, hs::Console& c) {
    c.print("\n\nロボットの制御シミュレーション");
    if (casefile.empty()) return selected(a, c);
    std::string echo, error;
    if (!hs::loadcase(text, a, &echo, &error)) {
      c.print("\n" + error + "\n");
      return false;
    }
    c.print(echo);
    return true;
  });
  if (!started) return 1;
  con.print("\n");

  writecsv(app, hs::laststepof(app.set.nstep));
  return std::fflush(stdout) == 0 ? 0 : 1;
}
