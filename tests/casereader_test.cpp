// The robot data file's reader: valid cases, their echo and what is stored,
// and every refusal naming its entry with nothing changed.
#include <gtest/gtest.h>

#include <string>

#include "console/datafile.h"
#include "console/report.h"
#include "session/filedialogue.h"
#include "driver_testutil.h"
#include "enginecase.h"

namespace hs {
namespace {

using testutil::defaultapp;
using testutil::expectsame;
using testutil::readfile;

const std::string kExamples = std::string(HYBRIDSIM_SOURCE_DIR) + "/examples/";

// ---------------------------------------------------------------------------
// Valid cases: the echo lines and the fields stored.

TEST(LoadCase, RobotALineEchoesEveryGroupAndStoresTheCase) {
  auto app = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase(readfile(kExamples + "robot_a_line.dat"), *app, &echo, &error)) << error;
  EXPECT_EQ(echo,
            "\n(1-1) ロボットタイプ = a : 円筒座標ロボット"
            "\n(1-2) アーム長(アーム＋接触子)=0.700[m] "
            "\n(1-3) ワーク質量=1.000[kg] "
            "\n(1-4) モータパワー1,2=(200.00 200.00)[Watt] "
            "\n(1-5) 減速比と順伝達効率 u1=100.00 η1= 0.60"
            "\n                         u2=100.00 η2= 0.60"
            "\n(1-6) ハンドのばね定数 KH1,KH2=(500.00 500.00)"
            "\n(2-1) 第１制御系の固有振動数・第２時定数の逆数 fn= 5.00[Hz] α1= 0.00[1/s]"
            "\n      第２制御系の固有振動数・第２時定数の逆数 fn=10.00[Hz] α2= 5.00[1/s]"
            "\nHybrid1"
            "\n固有振動数fn1= 5.00[Hz], 第２時定数の逆数α1= 0.00[1/s]"
            "\n固有振動数fn2=10.00[Hz], 第２時定数の逆数α2= 5.00[1/s]"
            "\n(3-1) 直線軌道"
            "\n(3-2) 始点 P0=( 0.300  0.000)[m] 位置決め時間 tf= 4.00[s]"
            "\n      終点 Pf=( 0.300  0.300)[m]"
            "\n(3-3) 輪郭設置位置誤差 error= 5.000[mm]"
            "\n(4) 輪郭への指令押し付け力Fn=10.000[N]");
  const SimSettings& s = app->set;
  EXPECT_EQ(s.type, Robot::a);
  EXPECT_EQ(s.hybrid, Method::hybrid1);
  EXPECT_EQ(s.curve, Contour::line);
  EXPECT_DOUBLE_EQ(s.l, 0.7);
  EXPECT_DOUBLE_EQ(s.line.xf, 0.3);
  EXPECT_DOUBLE_EQ(s.line.yf, 0.3);
  EXPECT_DOUBLE_EQ(s.line.tf, 4.0);
  EXPECT_DOUBLE_EQ(s.seterror, 0.005);
  EXPECT_DOUBLE_EQ(s.Fn, 10.0);
}

TEST(LoadCase, ScaraSecondLengthIsJointTwoToContactPoint) {
  auto app = defaultapp();
  app->set.l2 = 0.9;  // overwritten by the file
  std::string echo, error;
  ASSERT_TRUE(loadcase("b 0.45 0.5 2 100 150 50 0.7 80 0.8 400 600 3 5 0 20 2 L 0.3 0 0.3 0.3 4 0.002 12",
                       *app, &echo, &error))
      << error;
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.l1, 0.45);
  EXPECT_DOUBLE_EQ(s.l2, 0.5 - 0.2);
  EXPECT_NE(echo.find("\n(1-1) ロボットタイプ = b : SCARAロボット"
                      "\n(1-2) アーム長=(0.450, 0.300)[m] J2－P間距離=0.500[m]"
                      "\n(1-3) ワーク質量=2.000[kg] "
                      "\n(1-4) モータパワー1,2=(100.00 150.00)[Watt] "
                      "\n(1-5) 減速比と順伝達効率 u1=50.00 η1= 0.70"
                      "\n                         u2=80.00 η2= 0.80"
                      "\n(1-6) ハンドのばね定数 KH1,KH2=(400.00 600.00)"),
            std::string::npos)
      << echo;
  // The SCARA's own drive fields, not robot a's.
  EXPECT_DOUBLE_EQ(s.PW1_b, 100);
  EXPECT_DOUBLE_EQ(s.PW2_b, 150);
  EXPECT_DOUBLE_EQ(s.u1_b, 50);
  EXPECT_DOUBLE_EQ(s.eta1_b, 0.7);
  EXPECT_DOUBLE_EQ(s.u2_b, 80);
  EXPECT_DOUBLE_EQ(s.eta2_b, 0.8);
  EXPECT_DOUBLE_EQ(s.PW1_a, 200);
  EXPECT_DOUBLE_EQ(s.u1_a, 100);
  EXPECT_DOUBLE_EQ(s.eta2_a, 0.6);
  EXPECT_DOUBLE_EQ(s.l, 0.7);
  EXPECT_DOUBLE_EQ(s.mw, 2);
  EXPECT_DOUBLE_EQ(s.KH1, 400);
  EXPECT_DOUBLE_EQ(s.KH2, 600);
  EXPECT_DOUBLE_EQ(s.Fn, 12);
  EXPECT_DOUBLE_EQ(s.seterror, 0.002);
}

TEST(LoadCase, OnePerLineAndAllOnOneLineReadTheSame) {
  std::string lines = readfile(kExamples + "robot_b_circle.dat");
  std::string oneline = lines;
  for (char& ch : oneline)
    if (ch == '\n') ch = ' ';
  std::string tabs = "\t\r\n" + lines;  // CR LF line ends and tabs are blanks too
  for (std::size_t i = 0; (i = tabs.find('\n', i + 2)) != std::string::npos;) tabs.replace(i, 1, "\r\n\t");
  auto a = defaultapp(), b = defaultapp(), c = defaultapp();
  std::string ea, eb, ec, err;
  ASSERT_TRUE(loadcase(lines, *a, &ea, &err)) << err;
  ASSERT_TRUE(loadcase(oneline, *b, &eb, &err)) << err;
  ASSERT_TRUE(loadcase(tabs, *c, &ec, &err)) << err;
  expectsame(*a, *b);
  expectsame(*a, *c);
  EXPECT_EQ(ea, eb);
  EXPECT_EQ(ea, ec);
}

TEST(LoadCase, MethodSixTargetsStoredAsAngularFrequenciesAndEchoedTwice) {
  auto app = defaultapp();
  app->set.gainspec6 = {1, 1, 1, 1};
  std::string echo, error;
  ASSERT_TRUE(loadcase(readfile(kExamples + "robot_a_sine.dat"), *app, &echo, &error)) << error;
  const GainSpec& g6 = app->set.gainspec6;
  EXPECT_EQ(g6.omega1, PI2 * 5);  // the stored 2 pi, not 2 * PI
  EXPECT_EQ(g6.alpha1, 0);
  EXPECT_EQ(g6.omega2, PI2 * 20);
  EXPECT_EQ(g6.alpha2, 2);
  EXPECT_EQ(app->gains.omega1, PI2 * 5);
  EXPECT_EQ(app->gains.omega2, PI2 * 20);
  EXPECT_EQ(app->gains.alpha2, 2);
  EXPECT_NE(echo.find("fn= 5.00[Hz] α1= 0.00[1/s]"), std::string::npos);
  EXPECT_NE(echo.find("\nHybrid6\n固有振動数fn1= 5.00[Hz], 第２時定数の逆数α1= 0.00[1/s]"
                      "\n固有振動数fn2=20.00[Hz], 第２時定数の逆数α2= 2.00[1/s]"),
            std::string::npos)
      << echo;
  // Other methods keep their targets; damping ratios are not in the file.
  EXPECT_TRUE(testutil::samespec(app->set.gainspec1, defaultapp()->set.gainspec1));
  EXPECT_TRUE(testutil::samespec(app->set.gainspec4, defaultapp()->set.gainspec4));
  EXPECT_EQ(app->gains.zeta1, 1.0);
  EXPECT_EQ(app->gains.zeta2, 1.0);
}

TEST(LoadCase, CircleStartsAndEndsAtItsRightEnd) {
  auto app = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase(readfile(kExamples + "robot_a_circle.dat"), *app, &echo, &error)) << error;
  EXPECT_EQ(app->set.curve, Contour::circle);
  EXPECT_DOUBLE_EQ(app->set.circle.Ox, 0.4);
  EXPECT_DOUBLE_EQ(app->set.circle.rr, 0.25);
  EXPECT_DOUBLE_EQ(app->set.circle.tf, 6.0);
  EXPECT_DOUBLE_EQ(app->path.x0, 0.65);
  EXPECT_DOUBLE_EQ(app->path.y0, 0.0);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.65);
  EXPECT_DOUBLE_EQ(app->path.yf, 0.0);
  EXPECT_NE(echo.find("\n(3-1) 円軌道"
                      "\n(3-2) 円中心 O=( 0.400  0.000)[m] 半径 rr= 0.250[m] 運動時間 tf= 6.00[s]"
                      "\n(3-3) 輪郭設置位置誤差 error= 5.000[mm]"),
            std::string::npos)
      << echo;
  // The other contour kinds keep their records.
  EXPECT_DOUBLE_EQ(app->set.sine.x0, 0.2);
  EXPECT_DOUBLE_EQ(app->set.line.yf, 0.3);
}

TEST(LoadCase, SineRunsOneWavelengthLevelWithItsStart) {
  auto app = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase("a 0.7 1 200 200 100 0.6 100 0.6 500 500 6 5 0 20 2 S 0.1 -0.2 0.5 0.05 3 0 5",
                       *app, &echo, &error))
      << error;
  const SineSpec& sn = app->set.sine;
  EXPECT_DOUBLE_EQ(sn.x0, 0.1);
  EXPECT_DOUBLE_EQ(sn.y0, -0.2);
  EXPECT_DOUBLE_EQ(sn.L, 0.5);
  EXPECT_DOUBLE_EQ(sn.A, 0.05);
  EXPECT_DOUBLE_EQ(sn.tf, 3);
  EXPECT_DOUBLE_EQ(sn.xf, 0.6);
  EXPECT_DOUBLE_EQ(sn.yf, -0.2);
  EXPECT_DOUBLE_EQ(app->path.x0, 0.1);
  EXPECT_DOUBLE_EQ(app->path.y0, -0.2);
  EXPECT_DOUBLE_EQ(app->path.xf, 0.6);
  EXPECT_DOUBLE_EQ(app->path.yf, -0.2);
  EXPECT_NE(echo.find("\n(3-1) 正弦波軌道"
                      "\n(3-2) 始点 P0=( 0.100 -0.200)[m] 運動時間 tf= 3.00[s]"
                      "\n      正弦波の波長 L= 0.500[m]  振幅= 0.050[m]"
                      "\n(3-3) 輪郭設置位置誤差 error= 0.000[mm]"
                      "\n(4) 輪郭への指令押し付け力Fn= 5.000[N]"),
            std::string::npos)
      << echo;
}

TEST(LoadCase, ValuesAfterTheLastEntryAreIgnoredAndNumbersReadLikeLf) {
  auto app = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase("abc +7e-1 1. 2E2 200 1e2 .6 100 0.6 500 500 4x 10 0 30 5 Line 0 0.3 0.3 0.3 4 "
                       "5e-3 10 anything else 1 2 3",
                       *app, &echo, &error))
      << error;
  // Only the first character of a selection word counts.
  EXPECT_EQ(app->set.type, Robot::a);
  EXPECT_EQ(app->set.hybrid, Method::hybrid4);
  EXPECT_EQ(app->set.curve, Contour::line);
  EXPECT_DOUBLE_EQ(app->set.l, 0.7);
  EXPECT_DOUBLE_EQ(app->set.PW1_a, 200);
  EXPECT_DOUBLE_EQ(app->set.eta1_a, 0.6);
  EXPECT_DOUBLE_EQ(app->set.line.x0, 0);
  EXPECT_DOUBLE_EQ(app->set.seterror, 0.005);
  EXPECT_TRUE(testutil::samespec(app->set.gainspec4, {PI2 * 10, 0, PI2 * 30, 5}));
}

TEST(LoadCase, EveryExampleFileIsAValidCase) {
  for (const char* name : {"robot_a_line.dat", "robot_a_circle.dat", "robot_a_sine.dat", "robot_b_line.dat",
                           "robot_b_circle.dat", "robot_b_sine.dat"}) {
    auto app = defaultapp();
    std::string echo, error;
    std::string text = readfile(kExamples + name);
    ASSERT_FALSE(text.empty()) << name;
    EXPECT_TRUE(loadcase(text, *app, &echo, &error)) << name << error;
    EXPECT_EQ(keyof(app->set.type), name[6]) << name;
    // Every example carries the default drive data, springs, force and error.
    const SimSettings& s = app->set;
    EXPECT_DOUBLE_EQ(s.type == Robot::a ? s.l : s.l2 + s.wp, s.type == Robot::a ? 0.7 : 0.5) << name;
    EXPECT_DOUBLE_EQ(s.mw, 1.0);
    EXPECT_DOUBLE_EQ(s.KH1, 500);
    EXPECT_DOUBLE_EQ(s.Fn, 10);
    EXPECT_DOUBLE_EQ(s.seterror, 0.005);
  }
}

// A loaded case is derived by the caller; every example must derive with its
// path ends in reach, and the report shows the file's values.
TEST(LoadCase, ExamplesDeriveAndReport) {
  for (const char* name : {"robot_a_line.dat", "robot_a_circle.dat", "robot_a_sine.dat", "robot_b_line.dat",
                           "robot_b_circle.dat", "robot_b_sine.dat"}) {
    auto app = std::make_unique<App>();
    ScriptConsole con("");
    installconstants(*app);
    setdefaults(*app, con);
    std::string echo, error;
    ASSERT_TRUE(loadcase(readfile(kExamples + name), *app, &echo, &error)) << name << error;
    derive(*app, con);
    EXPECT_EQ(con.output(), "") << name;  // no unreachable path end
    printsettings(*app, con);
    const std::string& out = con.output();
    EXPECT_EQ(out.find("nan"), std::string::npos) << name << out;
    if (app->set.type == Robot::b) {
      EXPECT_NE(out.find("\n(1-2) 第1,2アーム長 (l1,l2)=( 0.500, 0.500)[m]"), std::string::npos) << out;
    } else {
      EXPECT_NE(out.find("\n(1-2) アーム長     l =  0.700[m]"), std::string::npos) << out;
    }
  }
}

// ---------------------------------------------------------------------------
// Refused cases: one message naming the entry, the text found and what is
// expected; nothing stored.

struct BadCase {
  const char* text;
  const char* entry;     // "項目N（name）" as the message names it
  const char* found;     // the text quoted, or nullptr when the value is missing
  const char* expected;  // what the message asks for
};

const char* const kA = "a 0.7 1 200 200 100 0.6 100 0.6 500 500 ";
const char* const kB = "b 0.5 0.5 1 200 200 100 0.6 100 0.6 500 500 ";

void PrintTo(const BadCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class BadFile : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadFile, NamesTheEntryAndChangesNothing) {
  const BadCase& c = GetParam();
  auto app = defaultapp();
  auto before = defaultapp();
  std::string echo = "untouched", error;
  EXPECT_FALSE(loadcase(c.text, *app, &echo, &error));
  EXPECT_EQ(echo, "untouched");
  expectsame(*before, *app);
  EXPECT_EQ(error.rfind("\nデータファイルの", 0), 0u) << error;
  EXPECT_NE(error.find(c.entry), std::string::npos) << error;
  if (c.found) {
    EXPECT_NE(error.find(std::string("に \"") + c.found + "\" があります"), std::string::npos) << error;
  } else {
    EXPECT_NE(error.find("がありません（ファイルの終わり）"), std::string::npos) << error;
  }
  EXPECT_NE(error.find(std::string(c.expected) + "が必要です．"), std::string::npos) << error;
  // One message: one line.
  EXPECT_EQ(error.find('\n', 1), std::string::npos) << error;
}

const std::string kEnd = "6 5 0 20 2 L 0.3 0 0.3 0.3 4 0.005 10";

const std::string kCases[] = {
    "",
    "x 0.7",
    "a abc",
    "a 0",
    "b 0.5 0.2",
    "b 0.5 0.5 -1",
    "a 0.7 1 0",
    "a 0.7 1 200 nan",
    "a 0.7 1 200 200 0 0.6",
    "a 0.7 1 200 200 100 1.5",
    "a 0.7 1 200 200 100 0.6 100 0",
    "a 0.7 1 200 200 100 0.6 100 0.6 500 0",
    std::string(kA) + "2 5 0 20 2",
    std::string(kA) + "6 0 0 20 2",
    std::string(kA) + "6 5 -1 20 2",
    std::string(kA) + "6 5 0 inf 2",
    std::string(kA) + "6 5 0 20",
    std::string(kA) + "6 5 0 20 2 X 0.3 0 0.3 0.3 4 0.005 10",
    std::string(kA) + "6 5 0 20 2 L 0.3 0 0.3 0 4 0.005 10",
    std::string(kB) + "6 5 0 20 2 L 0.3 0.1 0.3 0.1 4 0.005 10",
    std::string(kA) + "6 5 0 20 2 L 0.3 0 0.3 0.3 0 0.005 10",
    std::string(kA) + "6 5 0 20 2 C 0.4 0 0 6 0.005 10",
    std::string(kA) + "6 5 0 20 2 C 0.4 0 0.25 -6 0.005 10",
    std::string(kA) + "6 5 0 20 2 S 0.2 0.3 0 0.2 4 0.005 10",
    std::string(kA) + "6 5 0 20 2 S 0.2 0.3 0.6 0.2 4 1e999 10",
    std::string(kA) + "6 5 0 20 2 S 0.2 0.3 0.6 0.2 4 0.005",
    std::string(kA) + "6 5 0 20 2 S 0.2 0.3 0.6 0.2 4 0.005 1,5",
};

INSTANTIATE_TEST_SUITE_P(
    Entries, BadFile,
    ::testing::Values(
        BadCase{kCases[0].c_str(), "項目1（ロボットタイプ）", nullptr, "a（円筒座標ロボット）または b（SCARAロボット）"},
        BadCase{kCases[1].c_str(), "項目1（ロボットタイプ）に", "x", "a（円筒座標ロボット）または b（SCARAロボット）"},
        BadCase{kCases[2].c_str(), "項目2（アーム長）の l に", "abc", "0 より大きい有限の数値"},
        BadCase{kCases[3].c_str(), "項目2（アーム長）の l に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[4].c_str(), "項目2（第1アーム長と第2関節・接触子先端間距離）の J2－P間距離 に", "0.2",
                "アーム先端・接触子先端間距離 wp=0.200[m] より大きい有限の数値"},
        BadCase{kCases[5].c_str(), "項目3（ワーク質量）の mw に", "-1", "0 以上の有限の数値"},
        BadCase{kCases[6].c_str(), "項目4（モータ1のパワー）の PW1 に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[7].c_str(), "項目5（モータ2のパワー）の PW2 に", "nan", "0 より大きい有限の数値"},
        BadCase{kCases[8].c_str(), "項目6（減速機1の減速比と順伝達効率）の u1 に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[9].c_str(), "項目6（減速機1の減速比と順伝達効率）の η1 に", "1.5", "0 より大きく 1 以下の数値"},
        BadCase{kCases[10].c_str(), "項目7（減速機2の減速比と順伝達効率）の η2 に", "0", "0 より大きく 1 以下の数値"},
        BadCase{kCases[11].c_str(), "項目8（ハンドのばね定数）の KH2 に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[12].c_str(), "項目9（hybrid制御方法）に", "2", "1, 3, 4, 6 のどれか"},
        BadCase{kCases[13].c_str(), "項目10（第１制御系の固有振動数と第２時定数の逆数）の fn1 に", "0",
                "0 より大きい有限の数値"},
        BadCase{kCases[14].c_str(), "項目10（第１制御系の固有振動数と第２時定数の逆数）の α1 に", "-1",
                "0 以上の有限の数値"},
        BadCase{kCases[15].c_str(), "項目11（第２制御系の固有振動数と第２時定数の逆数）の fn2 に", "inf",
                "0 より大きい有限の数値"},
        BadCase{kCases[16].c_str(), "項目11（第２制御系の固有振動数と第２時定数の逆数）の α2 が", nullptr,
                "0 以上の有限の数値"},
        BadCase{kCases[17].c_str(), "項目12（輪郭曲線）に", "X", "L（直線），C（円），S（正弦波）のどれか"},
        BadCase{kCases[18].c_str(), "項目13（輪郭データ）の 直線の終点 (xf, yf) に", "0.3 0",
                "始点 (x0, y0) と異なる点"},
        BadCase{kCases[19].c_str(), "項目13（輪郭データ）の 直線の終点 (xf, yf) に", "0.3 0.1",
                "始点 (x0, y0) と異なる点"},
        BadCase{kCases[20].c_str(), "項目13（輪郭データ）の 位置決め時間 tf に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[21].c_str(), "項目13（輪郭データ）の 半径 rr に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[22].c_str(), "項目13（輪郭データ）の 運動時間 tf に", "-6", "0 より大きい有限の数値"},
        BadCase{kCases[23].c_str(), "項目13（輪郭データ）の 波長 L に", "0", "0 より大きい有限の数値"},
        BadCase{kCases[24].c_str(), "項目14（輪郭設置位置誤差）の error に", "1e999", "有限の数値"},
        BadCase{kCases[25].c_str(), "項目15（指令押し付け力）の Fn が", nullptr, "有限の数値"},
        BadCase{kCases[26].c_str(), "項目15（指令押し付け力）の Fn に", "1,5", "有限の数値"}));

TEST(LoadCase, BinaryJunkIsQuotedShortened) {
  auto app = defaultapp();
  std::string junk(5000, 'Z');
  std::string error;
  EXPECT_FALSE(loadcase(junk, *app, nullptr, &error));
  EXPECT_LT(error.size(), 400u);
  EXPECT_NE(error.find("項目1（ロボットタイプ）に \"ZZZZ"), std::string::npos) << error;
}

// A selection word is judged by its first byte; a NUL byte there is not one
// of the listed keys (a binary file must not pass as a robot, method or contour).
TEST(LoadCase, SelectionWordStartingWithANulByteIsRefused) {
  const std::string nul(1, '\0');
  const std::string cases[] = {
      nul + "a 0.7 1 200 200 100 0.6 100 0.6 500 500 " + kEnd,
      std::string(kA) + nul + "6 5 0 20 2 L 0.3 0 0.3 0.3 4 0.005 10",
      std::string(kA) + "6 5 0 20 2 " + nul + "S 0.2 0.3 0.6 0.2 4 0.005 10",
  };
  const char* const entries[] = {"項目1（ロボットタイプ）", "項目9（hybrid制御方法）", "項目12（輪郭曲線）"};
  for (int i = 0; i < 3; ++i) {
    auto app = defaultapp();
    auto before = defaultapp();
    std::string echo, error;
    EXPECT_FALSE(loadcase(cases[i], *app, &echo, &error)) << i;
    EXPECT_TRUE(echo.empty()) << i;
    EXPECT_NE(error.find(entries[i]), std::string::npos) << error;
    expectsame(*before, *app);
  }
}

// Words of a file reach the terminal only as printable text: control and
// escape bytes, and bytes that are no UTF-8, are shown as \xNN; a word cut
// for length inside a character shows the cut bytes the same way.
TEST(LoadCase, BytesThatAreNotTextAreShownAsHexInTheMessage) {
  auto app = defaultapp();
  std::string error;
  EXPECT_FALSE(loadcase("\x1b[2J\x07\xff速 0.7", *app, nullptr, &error));
  EXPECT_NE(error.find("に \"\\x1B[2J\\x07\\xFF速\" があります"), std::string::npos) << error;
  EXPECT_EQ(error.find('\x1b'), std::string::npos);
  EXPECT_FALSE(loadcase("a " + std::string(39, '9') + "速", *app, nullptr, &error));
  EXPECT_NE(error.find(std::string(39, '9') + "\\xE9…\""), std::string::npos) << error;
}

// Some editors put a UTF-8 byte order mark first; it is not part of the case.
TEST(LoadCase, ByteOrderMarkAtTheStartIsSkipped) {
  auto app = defaultapp();
  auto plain = defaultapp();
  const std::string text = readfile(kExamples + "robot_a_line.dat");
  std::string echo, plainecho, error;
  ASSERT_TRUE(loadcase("\xEF\xBB\xBF" + text, *app, &echo, &error)) << error;
  ASSERT_TRUE(loadcase(text, *plain, &plainecho, &error));
  EXPECT_EQ(echo, plainecho);
  expectsame(*plain, *app);
  // Only at the start: elsewhere it is a word like any other.
  EXPECT_FALSE(loadcase("a \xEF\xBB\xBF" "0.7", *app, nullptr, &error));
  EXPECT_NE(error.find("\"\\xEF\\xBB\\xBF0.7\""), std::string::npos) << error;
}
}  // namespace
}  // namespace hs
