// The start of a case for the clients without a user at the keys: the case
// chosen from a case file's text or three selections, and the console text
// the interactive start-up would show for its first run.
#include "console/startcase.h"

#include "console/datafile.h"
#include "console/report.h"
#include "console/runsim.h"

namespace hs {

// The first line of every session's console text.
void printtitle(Console& con) { con.print("\n\nロボットの制御シミュレーション"); }

bool choosecase(const std::string& casetext, Robot type, Method hybrid, Contour curve, Case& c,
                std::string* echo, std::string* error) {
  if (!casetext.empty()) return readcase(casetext, defaultcase(), c, echo, error);
  c = defaultcase();
  select(c, type, hybrid, curve);
  return true;
}

// The text follows the interactive start-up step by step: the derivation
// after the choice reports the path ends out of reach, the menu's pass of
// key '0' prints the key list and the report, and its rerun derives again
// (the same ends), reports and runs. Every key wait finds no key.
void showstartup(Console& con, const std::string& echo, const Run* run) {
  printtitle(con);
  con.print(echo);
  if (!run) return;
  const Model& m = *run->model;
  const auto pathends = [&] {
    for (const Diagnostic& d : m.pathends) reportunreachable(con, m.set, d.values[0], d.values[1]);
  };
  pathends();
  printkeylist(con);
  printsettings(m, con);
  pathends();
  printsettings(m, con);
  const bool sine = m.set.curve == Contour::sine;
  if (sine) con.print("\n     只今計算中．．．．．．．");
  tellrun(con, m.set, run->report, KeyWaits::yes, "\ncalcontrol()終わり");
  if (sine) con.print("     計算終了");
  handback(con);
}

}  // namespace hs
