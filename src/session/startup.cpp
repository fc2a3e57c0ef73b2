// Start-up: defaults, the start dialogue (a data file, or robot, control
// method and contour by single keys), the first derivation and the first
// menu pass, which reports the settings and runs the first simulation.
#include "session/startup.h"

#include <cstring>

#include "console/startcase.h"
#include "session/filedialogue.h"
#include "session/menu.h"

namespace hs {

namespace {

// Asks one selection question until one of the listed keys comes, and echoes
// each key at the start of the next line. A key outside the list is not
// stored: the question is asked again. False at end of input.
template <class Selection>
bool choose(Console& con, const char* prompt, bool (*of)(char, Selection*), Selection& field) {
  for (;;) {
    con.print(prompt);
    int key = con.readkey();
    if (key < 0) return false;
    bool printable = key > ' ' && key < 0x7f;
    if (printable) con.print(fmt("\n%c", key));
    if (printable && of(static_cast<char>(key), &field)) return true;
  }
}

}  // namespace

bool startdialogue(App& app, Console& con, const std::string& casefile) {
  SimSettings& s = app.set;
  const char* const question = "\n\nロボット諸元・軌道データファイルから読みとり？   yes:y   no:n    ";
  printtitle(con);
  if (!casefile.empty()) {
    con.print(question);
    if (readnameddatafile(app, con, casefile)) return true;
  }
  con.print(question);
  int key = con.readkey();
  // Only the end of input ends the dialogue here; a Ctrl-D at a terminal
  // answers this yes/no question as every other one: 'n'.
  if (key < 0 && con.atend()) return false;

  // Only a lower-case 'y' reads a file; a cancelled file dialogue falls back
  // to the three selection questions.
  if (key == 'y' && readdatafile(app, con) == FileRead::Loaded) return true;
  if (!choose(con, "\nロボットの選択   a:円筒座標ロボット　b:SCARAロボット　type=", robotof, s.type))
    return false;
  s.hybrid = Method::hybrid6;
  if (!choose(con, "\nHYbrid制御法1,3,4,6の選択   hybrid=", methodof, s.hybrid)) return false;
  return choose(con, "\n輪郭曲線の選択   L:直線　C:円　S:正弦波 curve=", contourof, s.curve);
}

bool startup(App& app, Console& con, const Chooser& choose) {
  installconstants(app);
  setdefaults(app, con);
  derive(app, con);
  if (!choose(app, con)) return false;
  derive(app, con);
  app.menukey = '0';
  keymenu(app, con);
  return true;
}

bool startup(App& app, Console& con, const std::string& casefile) {
  return startup(app, con, [&](App& a, Console& c) { return startdialogue(a, c, casefile); });
}

Chooser selections(Robot type, Method hybrid, Contour curve) {
  return [=](App& app, Console&) {
    app.set.type = type;
    app.set.hybrid = hybrid;
    app.set.curve = curve;
    return true;
  };
}

bool takelang(int& argc, char** argv, std::string& lang) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) != "--lang") continue;
    const std::string value = i + 1 < argc ? argv[i + 1] : "";
    const int taken = i + 1 < argc ? 2 : 1;
    for (int j = i; j + taken <= argc; ++j) argv[j] = argv[j + taken];  // with the null pointer
    argc -= taken;
    if (value != "en" && value != "ja") return false;
    lang = value;
    --i;
  }
  return true;
}

std::string takecasefile(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-display" || arg == "-geometry") {
      ++i;  // the toolkit option's value
      continue;
    }
    if (arg.empty() || arg[0] == '-') continue;
    for (int j = i; j < argc; ++j) argv[j] = argv[j + 1];  // argv[argc] is the null pointer
    --argc;
    return arg;
  }
  return "";
}

}  // namespace hs
