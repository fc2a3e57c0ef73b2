// The robot data file's writer: a case saved from a session reads back to
// the same settings and runs again byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "console/datafile.h"
#include "session/filedialogue.h"
#include "session/menu.h"
#include "view/draw.h"
#include "driver_testutil.h"
#include "enginecase.h"

namespace hs {
namespace {

using testutil::defaultapp;

// ---------------------------------------------------------------------------
// Saving the case: the file written from a session reads back to the same
// settings and, in a fresh program, to the same run history byte for byte.

namespace save {

// One menu command as the window hands it over, answered by the script.
void command(App& app, char key, const std::string& script) {
  app.menukey = key;
  robotof(key, &app.set.type);
  contourof(key, &app.set.curve);
  ScriptConsole con(script);
  keymenu(app, con);
  EXPECT_EQ(con.remaining().find_first_not_of(" \n"), std::string::npos) << key << " " << script;
}

// What hybridsim-batch does with a case file: defaults, the case, the
// menu's first pass.
// `prepare` may add what the file cannot carry.
std::unique_ptr<App> fresh(const std::string& text,
                           const std::function<void(App&)>& prepare = nullptr) {
  auto app = std::make_unique<App>();
  ScriptConsole con("");
  installconstants(*app);
  setdefaults(*app, con);
  derive(*app, con);
  std::string error;
  EXPECT_TRUE(loadcase(text, *app, nullptr, &error)) << error << "\n" << text;
  if (prepare) prepare(*app);
  derive(*app, con);
  app->menukey = '0';
  keymenu(*app, con);
  return app;
}

bool samehistory(const App& x, const App& y) { return hs::samehistory(x.history(), y.history()); }

// The first output step at which two runs differ, or -1.
int firstdifference(const App& x, const App& y) {
  const RunHistory& a = x.history();
  const RunHistory& b = y.history();
  for (int i = 0; i <= std::min(a.laststep(), b.laststep()); ++i)
    if (a.motorpos[i] != b.motorpos[i] || a.tippos[i] != b.tippos[i] ||
        a.force[i] != b.force[i] || a.torque[i] != b.torque[i] || a.perierr[i] != b.perierr[i])
      return i;
  return -1;
}

void expectroundtrip(const App& from, const std::string& what) {
  const std::string text = casetext(from);
  auto again = fresh(text);
  EXPECT_EQ(casetext(*again), text) << what;
  EXPECT_TRUE(samehistory(from, *again))
      << what << ": runs differ from step " << firstdifference(from, *again) << "\n" << text;
}

}  // namespace save

TEST(SaveCase, EveryDefaultCaseRunsAgainByteForByte) {
  for (char type : {'a', 'b'})
    for (char method : {'1', '3', '4', '6'})
      for (char curve : {'L', 'C', 'S'}) {
        auto app = testutil::session(std::string("n") + type + method + curve);
        save::expectroundtrip(*app, std::string() + type + method + curve);
      }
}

TEST(SaveCase, MenuChangesOfSpringsGainsContourErrorAndForceRunAgainByteForByte) {
  struct Change {
    const char* start;
    char key;
    const char* script;
  };
  // Values chosen so that their conversions (Hz to rad/s with the stored
  // 2 pi, mm to m) do not invert trivially.
  const Change changes[] = {
      {"na3L", 'k', "y 733.3 321.7\nn"},
      {"nb1C", 'g', "y 7.3 1.5\n13.7 0.25\nn"},
      {"nb4S", 'g', "y 0.1 0\n 33.333333333333333 4.1\nn"},
      {"na6C", 'g', "y 4.9 0\n 19.3 2.2\nn"},
      {"na1L", 'L', "y 0.31 -0.05 0.29 0.27 3.3\nn"},
      {"nb3C", 'C', "y 0.41 0.02 0.23 5.5\nn"},
      {"nb6S", 'S', "y 0.21 0.29 0.55 0.17 4.4\nn"},
      {"na4S", 'e', "y 3.7\nn"},
      {"nb3L", 'e', "y -1.3\nn"},
      {"na1C", 'f', "y 12.5\n"},
      {"nb6L", 'f', "y 7.77\n"},
      {"na3C", 'h', "y4zn"},
      {"nb1L", 'k', "y 610 480\ny 3\ny 6.2 0.5\n 21.1 1.9\ny C y 0.42 0.01 0.24 5.9\ny 2.2\ny 9.1\n"},
  };
  for (const Change& c : changes) {
    auto app = testutil::session(c.start);
    save::command(*app, c.key, c.script);
    save::expectroundtrip(*app, std::string(c.start) + " then " + c.key + " " + c.script);
  }
}

TEST(SaveCase, ScaraReachAndServoTargetsComeBackAsTheSameDoubles) {
  // Random second arms and frequencies: the reader subtracts wp and
  // multiplies by the stored 2 pi; the writer must hit those results exactly.
  std::srand(14);
  auto uniform = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
  for (int i = 0; i < 2000; ++i) {
    auto app = defaultapp();
    SimSettings& s = app->set;
    s.type = Robot::b;
    s.hybrid = static_cast<Method>(i % 4);
    s.l2 = uniform(0.2001, 2.0) - s.wp;
    gainspecof(s, s.hybrid) = GainSpec{PI2 * uniform(0.01, 200), uniform(0, 50),
                                        PI2 * uniform(0.01, 200), uniform(0, 50)};
    auto back = defaultapp();
    std::string error;
    ASSERT_TRUE(loadcase(casetext(*app), *back, nullptr, &error)) << error;
    ASSERT_EQ(back->set.l2, s.l2) << casetext(*app);
    ASSERT_TRUE(testutil::samespec(gainspecof(back->set, s.hybrid), gainspecof(s, s.hybrid)))
        << casetext(*app);
  }
}

// Two things a run depends on beyond the settings travel as the optional
// sixteenth line: the work block length the window's first drawing stores,
// and the acceleration time method 6 keeps from the last method 1 trajectory.
// Without that line a fresh program runs differently; with it, byte for byte.
TEST(SaveCase, WhatTheSessionLeavesTravelsInTheFile) {
  auto drawn = testutil::session("nb6S");
  sethanddimensions(drawn->set);  // the window's first picture: 0.14 m
  save::command(*drawn, 'h', "y1zn");
  auto switched = testutil::session("nb1L");
  save::command(*switched, 'h', "y6zn");
  EXPECT_EQ(switched->path.profile(Robot::b).ta, 0.4);
  for (const App* app : {drawn.get(), switched.get()}) {
    const std::string text = casetext(*app);
    const std::string fifteen = text.substr(0, text.rfind('\n', text.size() - 2) + 1);
    EXPECT_FALSE(save::samehistory(*app, *save::fresh(fifteen))) << fifteen;
    EXPECT_TRUE(save::samehistory(*app, *save::fresh(text))) << text;
  }
}

TEST(SaveCase, FileLooksLikeTheExamples) {
  auto app = testutil::session("nb6S");
  EXPECT_EQ(casetext(*app),
            "b\n0.5 0.5\n1\n200 200\n100 0.59999999999999998\n100 0.59999999999999998\n"
            "500 500\n6\n5 0\n20 2\nS\n"
            "0.20000000000000001 0.29999999999999999 0.60000000000000009 0.20000000000000001 4\n"
            "0.0050000000000000001\n10\n0.14999999999999999 0\n");
}

}  // namespace
}  // namespace hs

