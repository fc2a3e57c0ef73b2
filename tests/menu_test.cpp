// Key-command menu: scripted console sessions on a freshly started
// application, checking what the user sees and what the settings hold after.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "session/app.h"
#include "session/filedialogue.h"
#include "console/console.h"
#include "session/menu.h"
#include "session/startup.h"
#include "driver_testutil.h"
#include "view/canvas.h"
#include "view/displaystate.h"
#include "session/keys.h"

namespace hs {
namespace {

using testutil::kKeyList;
const char* const kReportHeader = "\n\n現在設定している値";
const char* const kClosing = "\n\n     描画画面へ　　　　　";

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size()))
    ++n;
  return n;
}

bool has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

bool endswith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A started application: defaults installed, robot a, method 1, the line,
// derived and run as start-up leaves it; the window's display moved away from
// its reset state so the step that closes the menu can be seen.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override { start('a', '1', 'L'); }

  void start(char type, char hybrid, char curve) {
    app = std::make_unique<App>();
    ScriptConsole con("");
    ASSERT_TRUE(startup(*app, con, selections(robotkey(type), methodkey(hybrid), contourkey(curve))));
    disp.zoom = 2.5;
    disp.errmag = 3.0;
    disp.frame = 77;
  }

  // Runs one menu command as the window hands it over (its key table and
  // keyboard) and returns the text. '0' is no menu key of the window: the
  // start-up's pass hands it to the menu itself.
  std::string run(char key, const std::string& script) {
    con = std::make_unique<ScriptConsole>(script);
    viawindow = key != '0';
    if (viawindow) {
      EXPECT_EQ(keyboard(*app, disp, *con, rec, static_cast<unsigned char>(key)), KeyAction::Menu);
    } else {
      app->menukey = key;
      keymenu(*app, *con);
    }
    return con->output();
  }

  // Every command ends with the rerun: report again, the closing line and
  // the display back at its first frame.
  void expectrerun(const std::string& out) {
    EXPECT_EQ(out.rfind(kKeyList, 0), 0u) << "the key list comes first";
    EXPECT_EQ(count(out, kReportHeader), 2);
    EXPECT_TRUE(endswith(out, kClosing));
    if (!viawindow) return;
    EXPECT_EQ(disp.zoom, 1.0);
    EXPECT_EQ(disp.errmag, 10.0);
    EXPECT_EQ(disp.frame, 0);
  }

  std::unique_ptr<App> app;
  std::unique_ptr<ScriptConsole> con;
  DisplayState disp;
  Recorder rec;
  bool viawindow = false;
};

// ---- the edge cases a user meets with the listed commands ----

TEST_F(MenuTest, ForceKeyAsksOnlyTheForceAndReportsTheNewValue) {
  std::string out = run('f', "y20\n");
  expectrerun(out);
  EXPECT_EQ(app->set.Fn, 20.0);
  EXPECT_TRUE(has(out, "\n(3-4) 接触力（法線力）　旧 Fn=10.00[N]"
                       "\n(3-4) 接触力変更？：y  変更しない：n  "
                       "\n      入力　Fn="));
  // The second report, after the answer, shows the new force.
  auto second = out.rfind(kReportHeader);
  EXPECT_GT(second, out.find("入力　Fn="));
  EXPECT_TRUE(has(out.substr(second), "Fn=20.000[N]"));
  EXPECT_FALSE(has(out, "(1-6) ハンドばね定数"));
  EXPECT_FALSE(has(out, "(2-1) hybrid制御方法"));
  EXPECT_FALSE(has(out, "(3-3) 物体設置誤差"));
  EXPECT_FALSE(has(out, "只今計算中")) << "only the sine run is framed by the notes";
}

TEST_F(MenuTest, GainsEnteredUnderSpringsCommandGoToTheCurrentMethod) {
  std::string out = run('k', "zzy10 0\n20 2\nn");
  expectrerun(out);
  EXPECT_EQ(app->set.KH1, 500.0);
  EXPECT_EQ(app->set.KH2, 500.0);
  EXPECT_EQ(app->set.hybrid, Method::hybrid1);
  EXPECT_DOUBLE_EQ(app->set.gainspec1.omega1, 10 * PI2);
  EXPECT_EQ(app->set.gainspec1.alpha1, 0.0);
  EXPECT_DOUBLE_EQ(app->set.gainspec1.omega2, 20 * PI2);
  EXPECT_EQ(app->set.gainspec1.alpha2, 2.0);
  EXPECT_DOUBLE_EQ(app->gains.omega1, 10 * PI2);
  EXPECT_DOUBLE_EQ(app->gains.omega2, 20 * PI2);
  // Other methods keep their own targets.
  EXPECT_DOUBLE_EQ(app->set.gainspec3.omega2, 20 * PI2);
  EXPECT_DOUBLE_EQ(app->set.gainspec3.alpha2, 2.0);
  EXPECT_TRUE(has(out, "\n(2-2) 制御ゲイン1 旧　fn1= 5.000[Hz], α1= 0.000[1/s]"
                       "\n                2 旧　fn2=10.000[Hz], α2= 5.000[1/s]"));
  EXPECT_TRUE(has(out, "\n   第１制御系 旧fn1= 5.000[Hz], α1= 0.000[1/s]  fn1 α1="
                       "   第２制御系 旧fn2=10.000[Hz], α2= 5.000[1/s]  fn2 α2="));
  EXPECT_TRUE(has(out, "\n(3-2) 物体輪郭　旧 L  直線"));
  EXPECT_FALSE(has(out, "(3-2-1) 直線"));
  EXPECT_FALSE(has(out, "(3-3) 物体設置誤差"));
  EXPECT_FALSE(has(out, "(3-4) 接触力"));
  EXPECT_EQ(con->remaining(), "");
}

TEST_F(MenuTest, NewMethodShowsOldTargetsThenRunsWithItsOwn) {
  std::string out = run('h', "y3zn");
  expectrerun(out);
  EXPECT_EQ(app->set.hybrid, Method::hybrid3);
  EXPECT_TRUE(has(out, "\n(2-1) hybrid制御方法　旧 hybrid1 "));
  EXPECT_TRUE(has(out, "\n hybrid6:関節空間で力制御：（φ1,φ2)で(Ft,Fn)制御"
                       "\n(2-1) 旧 hybrid1 →　変更 1,3,4,6 のどれか　sgn="));
  // Group (2-2) still shows method 1's targets ...
  EXPECT_TRUE(has(out, "fn2=10.000[Hz], α2= 5.000[1/s]"));
  // ... while the rerun designs from method 3's stored servo targets.
  EXPECT_DOUBLE_EQ(app->gains.omega2, 20 * PI2);
  EXPECT_DOUBLE_EQ(app->gains.alpha2, 2.0);
  EXPECT_TRUE(has(out, "(2-1) hybrid3:作業空間で接線方向位置s，法線力Fnを制御"));
}

TEST_F(MenuTest, LineKeyWithOtherAnswerMakesTheLineThePathWithoutInput) {
  start('a', '1', 'C');
  std::string out = run('L', "xn");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\n(3-2-1) 直線"
                       "\n    旧  始点 (x0,y0)=( 0.300  0.000)[m]"
                       "\n \t    終点 (xf,yf)=( 0.300  0.300)[m]  位置決め時間 tf= 4.00[s]"
                       "\n    直線終始点・時間変更する？  yes:y   no:n  以下全て変更しない:n "
                       "\n(3-3) 物体設置誤差　旧 seterror= 5.00[mm]"));
  EXPECT_FALSE(has(out, "入力  x0 y0 xf yf tf="));
  EXPECT_EQ(app->set.curve, Contour::line);
  EXPECT_EQ(app->path.x0, 0.3);
  EXPECT_EQ(app->path.yf, 0.3);
  EXPECT_EQ(app->set.line.tf, 4.0);
}

TEST_F(MenuTest, DefaultCircleStartsAndEndsAtItsRightEnd) {
  std::string out = run('C', "xzn");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\n(3-2-2) 円  右端から反時計回りに１周"
                       "\n    旧円の中心O=( 0.400  0.000)[m]   半径r= 0.250[m]"
                       "\n      位置決め時間 tf=6.000[s]"));
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
  EXPECT_DOUBLE_EQ(app->path.y0, 0.0);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.65);
  EXPECT_DOUBLE_EQ(app->path.yf, 0.0);
}

TEST_F(MenuTest, CircleEnteredByCentreRadiusAndTime) {
  start('b', '6', 'S');
  std::string out = run('C', "y0.4 0 0.25 6\nzn");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\n    Ox Oy r tf="));
  EXPECT_EQ(app->set.circle.Ox, 0.4);
  EXPECT_EQ(app->set.circle.rr, 0.25);
  EXPECT_EQ(app->set.circle.tf, 6.0);
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
  EXPECT_DOUBLE_EQ(app->path.y0, 0.0);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.65);
  EXPECT_DOUBLE_EQ(app->path.yf, 0.0);
  EXPECT_TRUE(has(out, "(3-4) ロボット初期位置    (x0,y0) =( 0.650  0.000)[m]"));
  EXPECT_FALSE(has(out, "逆運動学の解なし"));
}

TEST_F(MenuTest, SineEntryMovesItsEndAndFramesTheRunWithNotes) {
  std::string out = run('S', "y0.1 0.2 0.5 0.1 4\nzn");
  expectrerun(out);
  EXPECT_EQ(app->set.sine.L, 0.5);
  EXPECT_DOUBLE_EQ(app->set.sine.xf, 0.6);
  EXPECT_DOUBLE_EQ(app->set.sine.yf, 0.2);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.6);
  auto busy = out.find("\n     只今計算中．．．．．．．");
  auto done = out.find("     計算終了");
  ASSERT_NE(busy, std::string::npos);
  ASSERT_NE(done, std::string::npos);
  EXPECT_LT(busy, done);
  EXPECT_LT(done, out.rfind(kClosing));
}

TEST_F(MenuTest, UnreachableCircleIsReportedInTheGroupAndTheRunStillHappens) {
  start('b', '6', 'C');
  // Centre 0.9, radius 0.2: the right end (1.1, 0) lies beyond the SCARA's 1.0 m.
  std::string out = run('C', "y0.9 0 0.2 6\n..zn");
  auto report = out.find("\n!!! 逆運動学の解なし．始めからやり直し．");
  ASSERT_NE(report, std::string::npos);
  EXPECT_LT(report, out.find("(3-3) 物体設置誤差"));
  EXPECT_TRUE(has(out, "位置(x,y)=( 1.100  0.000)"));
  EXPECT_TRUE(endswith(out, kClosing));
  EXPECT_EQ(disp.frame, 0);
}

TEST_F(MenuTest, SettingErrorEnteredInMillimetres) {
  std::string out = run('e', "y7\nn");
  expectrerun(out);
  EXPECT_DOUBLE_EQ(app->set.seterror, 0.007);
  EXPECT_TRUE(has(out, "\n(3-3) 物体設置誤差　旧 seterror= 5.00[mm]"
                       "\n(3-3) 設置誤差変更？：y  変更しない：z  以下全て変更しない : n "
                       "\n      入力　seterror[mm]="));
  EXPECT_TRUE(has(out.substr(out.rfind(kReportHeader)),
                  "(3-6) 物体設置誤差(X正方向ずれ) e =  7.000[mm]"));
}

// ---- what is typed after the numbers of an entry ----

TEST_F(MenuTest, TextAfterTheNumbersIsDroppedAndSaidNeverReachingTheNextQuestion) {
  // "12 13": Fn takes 12; the 13 is said to be unused and is not the key
  // (nor the value) of the next command.
  std::string out = run('f', "y12 13\n");
  expectrerun(out);
  EXPECT_EQ(app->set.Fn, 12.0);
  EXPECT_TRUE(has(out, "\n      入力　Fn=\n    !! 余分な入力 \"13\" は使いません．"));
  EXPECT_EQ(con->remaining(), "");
  out = run('e', "y4\nn");
  EXPECT_DOUBLE_EQ(app->set.seterror, 0.004);
  EXPECT_FALSE(has(out, "余分な入力"));
}

TEST_F(MenuTest, NumbersOfOneEntryMayStandOnSeveralLinesOnlyTheirLastLineIsCut) {
  std::string out = run('k', "y800\n900 n\t\nn");
  expectrerun(out);
  EXPECT_EQ(app->set.KH1, 800.0);
  EXPECT_EQ(app->set.KH2, 900.0);
  EXPECT_EQ(count(out, "余分な入力"), 1);
  EXPECT_TRUE(has(out, "余分な入力 \"n\" は使いません．"));
  EXPECT_TRUE(has(out, "(2-1) hybrid制御方法変更？")) << "the dropped 'n' was not the answer";
  // Blanks alone after the numbers are nothing to report; control bytes
  // typed there are shown as \xNN.
  EXPECT_FALSE(has(run('f', "y7   \n"), "余分な入力"));
  EXPECT_TRUE(has(run('f', "y7 a\x1b[2Jb\n"), "余分な入力 \"a\\x1B[2Jb\" は使いません．"));
}

TEST_F(MenuTest, ZInForceGroupEndsTheChainLikeN) {
  std::string out = run('f', "zy5\n");
  expectrerun(out);
  EXPECT_EQ(app->set.Fn, 10.0);
  EXPECT_FALSE(has(out, "入力　Fn="));
  EXPECT_EQ(con->remaining(), "y5\n");
}

TEST_F(MenuTest, RobotKeyAsksOnceAndNGoesStraightToTheRun) {
  std::string out = run('b', "n");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\n\n(b) SCARAロボットのhybrid制御"
                       "\nロボット・制御・輪郭等の諸元変更？:y   全て変更しない:n   "));
  EXPECT_FALSE(has(out, "(1-6) ハンドばね定数"));
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_TRUE(has(out.substr(out.rfind(kReportHeader)), "SCARAロボット"));
}

TEST_F(MenuTest, RobotKeyWithYesWalksTheWholeChainFromTheSprings) {
  std::string out = run('a', "yy800 900\nzzzzzz");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\n\n(a) 円筒座標ロボットのhybrid制御"));
  EXPECT_TRUE(has(out, "\n(1-6) ハンドばね定数　旧(KH1,KH2)=( 500.00  500.00)[N/m]"));
  EXPECT_EQ(app->set.KH1, 800.0);
  EXPECT_EQ(app->set.KH2, 900.0);
  for (const char* group : {"(2-1) hybrid制御方法変更", "(2-2) 制御ゲイン変更", "(3-2) 物体輪郭変更",
                            "(3-3) 設置誤差変更", "(3-4) 接触力変更"})
    EXPECT_EQ(count(out, group), 1) << group;
  EXPECT_FALSE(has(out, "(3-2-1) 直線")) << "'z' at the contour kind skips its parameters";
  EXPECT_EQ(con->remaining(), "z");
}

TEST_F(MenuTest, ZeroKeyOnlyReportsAndRuns) {
  std::string out = run('0', "y");
  expectrerun(out);
  EXPECT_EQ(con->remaining(), "y");
  EXPECT_EQ(out.substr(0, std::string(kKeyList).size() + std::string(kReportHeader).size()),
            std::string(kKeyList) + kReportHeader);
}

TEST_F(MenuTest, FileKeyWithoutANameChangesNothingAndStillReruns) {
  double kh = app->set.KH1;
  std::string out = run('r', "");
  expectrerun(out);
  EXPECT_EQ(app->set.KH1, kh);
  EXPECT_EQ(app->set.type, Robot::a);
}

// A file saved before any window drew carries the start-up's 0.15 m work
// block: the run 'r' makes uses it, and once the window draws that run every
// later derivation takes the drawn 0.14 m again.
TEST_F(MenuTest, FileWithItsOwnWorkBlockHoldsOnlyForItsOwnRun) {
  ASSERT_EQ(app->set.worklen, 0.15);
  const std::string path = ::testing::TempDir() + "menu_worklen.dat";
  {
    std::ofstream f(path);
    f << casetext(*app);
  }
  run('r', path + "\n");
  EXPECT_EQ(app->run().model->set.worklen, 0.15);
  EXPECT_EQ(app->set.worklen, 0.14);
  run('f', "y20\n");
  EXPECT_EQ(app->run().model->set.worklen, 0.14);
  std::remove(path.c_str());
}

TEST_F(MenuTest, FileKeyReadsTheWholeCaseAndRunsIt) {
  std::string out = run('r', std::string(HYBRIDSIM_SOURCE_DIR) + "/examples/robot_b_circle.dat\n");
  expectrerun(out);
  EXPECT_TRUE(has(out, "\nファイル名入力　"));
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid6);
  EXPECT_EQ(app->set.curve, Contour::circle);
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
  // The report after the file shows the loaded robot, before it the old one.
  auto second = out.rfind(kReportHeader);
  EXPECT_FALSE(has(out.substr(0, out.find("ファイル名入力")), "(1-1) ロボットタイプ   SCARAロボット"));
  EXPECT_TRUE(has(out.substr(second), "(1-1) ロボットタイプ   SCARAロボット"));
  EXPECT_FALSE(has(out, "(3-4) 接触力変更")) << "no group is asked after the file";
}

// ---- answers the menu refuses ----

TEST_F(MenuTest, TextWhereNumbersAreAskedIsRefusedAndAskedAgain) {
  std::string out = run('k', "y500 abc 7\n0 500\n-1 2\n600 700\nn");
  expectrerun(out);
  EXPECT_EQ(app->set.KH1, 600.0);
  EXPECT_EQ(app->set.KH2, 700.0);
  EXPECT_EQ(count(out, "\n      入力　KH1 KH2="), 4);
  EXPECT_EQ(count(out, "数値として読めません"), 1);
  EXPECT_TRUE(has(out, "KH1 KH2 の2つの数値"));
  EXPECT_EQ(count(out, "ばね定数 KH1, KH2 は正の値 (> 0 [N/m])"), 2);
}

TEST_F(MenuTest, ZeroRadiusIsRefusedAndTheCircleStaysWhole) {
  std::string out = run('C', "y0.5 0.1 0 5\n0.5 0.1 abc\n0.45 0.05 0.2 5\nzn");
  expectrerun(out);
  EXPECT_EQ(count(out, "\n    Ox Oy r tf="), 3);
  EXPECT_TRUE(has(out, "半径 r は正の値 (> 0 [m])"));
  EXPECT_TRUE(has(out, "Ox Oy r tf の4つの数値"));
  EXPECT_EQ(app->set.circle.Ox, 0.45);
  EXPECT_EQ(app->set.circle.Oy, 0.05);
  EXPECT_EQ(app->set.circle.rr, 0.2);
  EXPECT_EQ(app->set.circle.tf, 5.0);
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
}

TEST_F(MenuTest, LimitsOfTheOtherNumberPrompts) {
  // A line back onto its start, a zero time, a negative alpha, a zero
  // frequency and a zero wavelength are each refused once.
  run('L', "y0.3 0 0.3 0 4\n0.3 0 0.3 0.3 0\n0.2 0 0.2 0.4 3\nzn");
  EXPECT_EQ(app->set.line.yf, 0.4);
  EXPECT_EQ(app->set.line.tf, 3.0);
  std::string out = con->output();
  EXPECT_TRUE(has(out, "始点と終点が同じです"));
  EXPECT_TRUE(has(out, "位置決め時間 tf は正の値 (> 0 [s])"));

  // (a frequency whose 2 pi fn is no finite number is refused too)
  out = run('g', "y5 -1\n0 1\n1e308 0\n6 0\n0 3\n12 3\nn");
  EXPECT_EQ(count(out, "固有振動数 fn は正の値"), 4);
  EXPECT_TRUE(has(out, "にしてください．\n   第２制御系")) << "the prompt asked again starts a line";
  EXPECT_DOUBLE_EQ(app->set.gainspec1.omega1, 6 * PI2);
  EXPECT_DOUBLE_EQ(app->set.gainspec1.omega2, 12 * PI2);
  EXPECT_EQ(app->set.gainspec1.alpha2, 3.0);

  out = run('S', "y0.2 0.3 0 0.2 4\n0.2 0.3 0.4 0.1 5\nzn");
  EXPECT_TRUE(has(out, "波長 L は正の値 (> 0 [m])"));
  EXPECT_EQ(app->set.sine.L, 0.4);

  // "inf" is either not a number to the reader or an infinite one: refused.
  out = run('f', "yinf\n-3\n");
  EXPECT_EQ(count(out, "有限の数値") + count(out, "数値として読めません"), 1);
  EXPECT_EQ(app->set.Fn, -3.0) << "any finite force is taken";
}

TEST_F(MenuTest, UnlistedMethodAndContourKeysAreAskedAgain) {
  std::string out = run('h', "y24zyXCzzn");
  expectrerun(out);
  EXPECT_EQ(app->set.hybrid, Method::hybrid4);
  EXPECT_EQ(count(out, "\n(2-1) 旧 hybrid1 →　変更 1,3,4,6 のどれか　sgn="), 2);
  EXPECT_EQ(count(out, "制御方法は 1, 3, 4, 6 のどれか"), 1);
  EXPECT_EQ(app->set.curve, Contour::circle);
  EXPECT_EQ(count(out, "\n      入力 L,C,S のどれか　sgn="), 2);
  EXPECT_EQ(count(out, "輪郭は L, C, S のどれか"), 1);
  EXPECT_TRUE(has(out, "(3-2-2) 円"));
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65) << "the rerun derives the circle";
}

// ---- end of input ----

TEST_F(MenuTest, EndOfInputInsideANumberLeavesTheFieldAndEndsWithTheRun) {
  std::string out = run('C', "y0.5 0.1");
  expectrerun(out);
  EXPECT_EQ(app->set.circle.Ox, 0.4);
  EXPECT_EQ(app->set.circle.Oy, 0.0);
  EXPECT_EQ(app->set.circle.rr, 0.25);
  // Every later answer counts as 'n': the chain goes no further.
  EXPECT_FALSE(has(out, "(3-4) 接触力変更"));
  EXPECT_TRUE(con->atend());
}

TEST_F(MenuTest, EndOfInputAtAKeyCountsAsNo) {
  std::string out = run('k', "y");
  expectrerun(out);
  EXPECT_EQ(app->set.KH1, 500.0);
  EXPECT_EQ(count(out, "(2-1) hybrid制御方法変更？"), 1);
  EXPECT_FALSE(has(out, "(2-2) 制御ゲイン変更？"));

  out = run('h', "y");
  expectrerun(out);
  EXPECT_EQ(app->set.hybrid, Method::hybrid1);
  EXPECT_EQ(count(out, "sgn="), 1);
}

}  // namespace
}  // namespace hs
