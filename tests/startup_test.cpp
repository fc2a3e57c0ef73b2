#include "session/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/datafile.h"
#include "session/filedialogue.h"
#include "console/report.h"
#include "driver_testutil.h"
#include "view/displaystate.h"

namespace hs {
namespace {

using testutil::defaultapp;
using testutil::expectsame;
using testutil::readfile;
using testutil::writefile;
const std::string& kAsk = testutil::kFileAsk;

const std::string kTitle =
    "\n\nロボットの制御シミュレーション"
    "\n\nロボット諸元・軌道データファイルから読みとり？   yes:y   no:n    ";
const std::string kType = "\nロボットの選択   a:円筒座標ロボット　b:SCARAロボット　type=";
const std::string kMethod = "\nHYbrid制御法1,3,4,6の選択   hybrid=";
const std::string kCurve = "\n輪郭曲線の選択   L:直線　C:円　S:正弦波 curve=";

TEST(StartDialogue, ThreeKeysEachEchoedOnALineOfItsOwn) {
  auto app = defaultapp();
  ScriptConsole con("n b 3 C");
  EXPECT_TRUE(startdialogue(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\nb" + kMethod + "\n3" + kCurve + "\nC");
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid3);
  EXPECT_EQ(app->set.curve, Contour::circle);
}

TEST(StartDialogue, UpperCaseYAsksTheSelectionsNotTheFile) {
  auto app = defaultapp();
  ScriptConsole con("Y\na\n1\nL\n");
  EXPECT_TRUE(startdialogue(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\na" + kMethod + "\n1" + kCurve + "\nL");
  EXPECT_EQ(app->set.type, Robot::a);
  EXPECT_EQ(app->set.hybrid, Method::hybrid1);
  EXPECT_EQ(app->set.curve, Contour::line);
}

TEST(StartDialogue, LowerCaseYReadsTheFileAndAsksNoSelection) {
  auto app = defaultapp();
  std::string path = writefile("start_a_circle.dat", readfile(std::string(HYBRIDSIM_SOURCE_DIR) +
                                                              "/examples/robot_a_circle.dat"));
  ScriptConsole con("y" + path + "\n");
  EXPECT_TRUE(startdialogue(*app, con));
  auto expected = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase(readfile(path), *expected, &echo, &error));
  // The answer 'y' is not echoed; the file prompt follows the question at once.
  EXPECT_EQ(con.output(), kTitle + kAsk + "\n読み込んだファイル名 = " + path + echo);
  expectsame(*expected, *app);
  EXPECT_EQ(app->set.type, Robot::a);
  EXPECT_EQ(app->set.hybrid, Method::hybrid3);
  EXPECT_EQ(app->set.curve, Contour::circle);
}

TEST(StartDialogue, UnlistedKeysAreEchoedNotStoredAndAskedAgain) {
  auto app = defaultapp();
  ScriptConsole con("n A c b 2 6 l C");
  EXPECT_TRUE(startdialogue(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\nA" + kType + "\nc" + kType + "\nb" + kMethod + "\n2" + kMethod +
                              "\n6" + kCurve + "\nl" + kCurve + "\nC");
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid6);
  EXPECT_EQ(app->set.curve, Contour::circle);
}

TEST(StartDialogue, CancelledFileFallsBackToTheSelections) {
  auto app = defaultapp();
  std::string bad = writefile("start_bad.dat", "q");
  // A refused file, then end of input at the name prompt: the file dialogue
  // is cancelled, and input has ended for the selections too.
  ScriptConsole con("y " + bad);
  EXPECT_FALSE(startdialogue(*app, con));
  const std::string& out = con.output();
  EXPECT_EQ(out.rfind(kTitle + kAsk, 0), 0u);
  EXPECT_NE(out.find("項目1（ロボットタイプ）に \"q\" があります"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - (kAsk + kType).size()), kAsk + kType);
  expectsame(*defaultapp(), *app);
}

TEST(StartDialogue, EndOfInputAtAnyQuestionEndsTheDialogue) {
  for (const char* script : {"", "n", "n a", "n a 1", "n x"}) {
    auto app = defaultapp();
    ScriptConsole con(script);
    EXPECT_FALSE(startdialogue(*app, con)) << script;
    EXPECT_TRUE(con.atend()) << script;
  }
}

// ---------------------------------------------------------------------------
// The whole start-up: defaults, dialogue, derivation and the first menu pass
// with its report printed twice and the first run.

using testutil::kKeyList;
const std::string kToWindow = "\n\n     描画画面へ　　　　　";

std::string reportof(const App& app) {
  ScriptConsole con("");
  printsettings(app, con);
  return con.output();
}

TEST(StartUp, ScaraMethodThreeCircleRunsTheFirstPass) {
  auto app = std::make_unique<App>();
  ScriptConsole con("n\nb\n3\nC\n");
  ASSERT_TRUE(startup(*app, con));
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid3);
  EXPECT_EQ(app->set.curve, Contour::circle);
  EXPECT_EQ(app->menukey, '0');
  // The default circle is the current path.
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.65);
  const std::string report = reportof(*app);
  EXPECT_NE(report.find("\n(2-1) hybrid3:作業空間で接線方向位置s，力Fnを制御"), std::string::npos);
  // Nothing changes in the '0' pass: both reports show the same state.
  EXPECT_EQ(con.output(), kTitle + kType + "\nb" + kMethod + "\n3" + kCurve + "\nC" + kKeyList + report + report +
                              "\ncalcontrol()終わり" + kToWindow);
  // The window then shows the run from its first step, unzoomed.
  const DisplayState shown;
  EXPECT_EQ(shown.frame, 0);
  EXPECT_EQ(shown.zoom, 1.0);
}

TEST(StartUp, SineRunIsFramedByTheCalculatingMessages) {
  auto app = std::make_unique<App>();
  ScriptConsole con("Y a 6 S");
  ASSERT_TRUE(startup(*app, con));
  const std::string report = reportof(*app);
  EXPECT_EQ(con.output(), kTitle + kType + "\na" + kMethod + "\n6" + kCurve + "\nS" + kKeyList + report + report +
                              "\n     只今計算中．．．．．．．\ncalcontrol()終わり     計算終了" + kToWindow);
}

TEST(StartUp, DataFileCaseRunsWithoutSelectionQuestions) {
  auto app = std::make_unique<App>();
  std::string path = std::string(HYBRIDSIM_SOURCE_DIR) + "/examples/robot_b_line.dat";
  ScriptConsole con("y\n" + path + "\n");
  ASSERT_TRUE(startup(*app, con));
  auto probe = std::make_unique<App>();
  std::string echo, error;
  installconstants(*probe);
  ASSERT_TRUE(loadcase(readfile(path), *probe, &echo, &error));
  const std::string report = reportof(*app);
  EXPECT_EQ(con.output(), kTitle + kAsk + "\n読み込んだファイル名 = " + path + echo + kKeyList + report + report +
                              "\ncalcontrol()終わり" + kToWindow);
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid4);
  EXPECT_EQ(app->set.curve, Contour::line);
  EXPECT_NE(report.find("\n(1-2) 第1,2アーム長 (l1,l2)=( 0.500, 0.500)[m]"), std::string::npos);
}

TEST(StartUp, EndOfInputInTheDialogueReturnsFalseBeforeTheMenu) {
  auto app = std::make_unique<App>();
  ScriptConsole con("n b 3");
  EXPECT_FALSE(startup(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\nb" + kMethod + "\n3" + kCurve);
}

// ---------------------------------------------------------------------------
// A case file on the command line.

TEST(CaseFileArgument, FirstNonOptionIsTakenTheRestGoesToTheToolkit) {
  std::vector<std::string> words = {"hybridsim", "-display", ":3", "-iconic", "case.dat",
                                    "-geometry", "800x800+0+0", "more.dat"};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  int argc = static_cast<int>(words.size());
  EXPECT_EQ(takecasefile(argc, argv.data()), "case.dat");
  ASSERT_EQ(argc, 7);
  std::string rest;
  for (int i = 0; i < argc; ++i) rest += std::string(argv[i]) + " ";
  EXPECT_EQ(rest, "hybridsim -display :3 -iconic -geometry 800x800+0+0 more.dat ");
  EXPECT_EQ(argv[argc], nullptr);

  std::vector<std::string> only = {"hybridsim", "-display", "case.dat", "-sync"};
  std::vector<char*> argv2;
  for (std::string& w : only) argv2.push_back(&w[0]);
  argv2.push_back(nullptr);
  argc = 4;
  EXPECT_EQ(takecasefile(argc, argv2.data()), "") << "the display's name is no case file";
  EXPECT_EQ(argc, 4);
}

TEST(CaseFileArgument, RefusedFileGivesItsMessageThenTheNormalDialogue) {
  auto app = defaultapp();
  const std::string bad = writefile("start_refused.dat", "a 0.7 1 200 200 0 0.6\n");
  ScriptConsole con("n b 4 L");
  EXPECT_TRUE(startdialogue(*app, con, bad));
  EXPECT_EQ(con.output(), kTitle + kAsk + bad + "\n読み込んだファイル名 = " + bad +
                              "\nデータファイルの項目6（減速機1の減速比と順伝達効率）の u1 に \"0\" があります．"
                              "0 より大きい有限の数値が必要です．"
                              "\nファイル " + bad + " のデータは使いません（設定は変更していません）．" +
                              kTitle.substr(kTitle.find("\n\nロボット諸元")) + kType + "\nb" + kMethod +
                              "\n4" + kCurve + "\nL");
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid4);
  EXPECT_EQ(app->set.l, 0.7);

  const std::string missing = ::testing::TempDir() + "no_such_case.dat";
  ScriptConsole con2("n a 1 C");
  EXPECT_TRUE(startdialogue(*app, con2, missing));
  EXPECT_NE(con2.output().find("\nファイル " + missing +
                               " を読み込めません（No such file or directory）．\n\nロボット諸元"),
            std::string::npos)
      << con2.output();
  EXPECT_EQ(app->set.curve, Contour::circle);
}

}  // namespace
}  // namespace hs
