#include "console/report.h"

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver_testutil.h"

namespace hs {
namespace {

using testutil::defaultapp;

// The report split at its line starts, so that a failure names the line.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  for (std::size_t j; (j = text.find('\n', i)) != std::string::npos; i = j + 1) out.push_back(text.substr(i, j - i));
  out.push_back(text.substr(i));
  return out;
}

std::string report(const App& app) {
  ScriptConsole con("");
  printsettings(app, con);
  return con.output();
}

void expectlines(const std::string& got, const std::vector<std::string>& want) {
  std::vector<std::string> g = lines(got);
  for (std::size_t i = 0; i < std::max(g.size(), want.size()); ++i) {
    EXPECT_EQ(i < g.size() ? g[i] : "<missing>", i < want.size() ? want[i] : "<extra>") << "line " << i;
  }
}

// Robot a with the default data, method 1 on the default line, with gains
// chosen so every column shows.
std::unique_ptr<App> robotaline() {
  auto app = defaultapp();
  app->set.type = Robot::a;
  app->set.hybrid = Method::hybrid1;
  app->set.curve = Contour::line;
  app->gains.omega1 = PI2 * 5;
  app->gains.alpha1 = 0;
  app->gains.omega2 = PI2 * 10;
  app->gains.alpha2 = 5;
  GainSet& k = app->gains.of(Robot::a);
  k.posgain1 = {1.5, 0.25, 0.125};
  k.posgain2 = {2, 0.5, 0};
  k.forcegain1 = {0.01, 0.002, 0.0005};
  k.forcegain2 = {0.01, 0.003, 0};
  app->path.x0 = 0.3;
  app->path.y0 = 0.0;
  app->path.xf = 0.3;
  app->path.yf = 0.3;
  return app;
}

const std::vector<std::string> kRobotA = {
    "",
    "",
    "現在設定している値",
    "(1-1) ロボットタイプ        円筒座標ロボット",
    "(1-2) アーム長     l =  0.700[m]",
    "(1-3) ワークの質量 mw=  1.000[kg]",
    "      アーム先端・接触子先端位置間距離(不変) wp=  0.200[m]",
    "(1-4) モータ1(回転関節)パワーPW=200.000[W]",
    "      モータ2(直動関節)パワーPW=200.000[W]",
    "(1-5) 減速機1(回転関節)減速比，順効率(u,η1)=(100.000  0.600)",
    "      減速機2(直動関節)減速比，順効率(u,η1)=(100.000  0.600)",
    "(1-6) ハンドのばね定数　          (KH1, KH2)=( 0.051  0.051)[kgf/mm]",
};

const std::vector<std::string> kLineCommon = {
    "(3-2) 接触力　       Fn=10.000[N]",
    "(3-3-1) 直線輪郭    　 移動時間 tf= 4.000[s]",
    "(3-4) ロボット初期位置    (x0,y0) =( 0.300  0.000)[m]",
    "(3-5) ロボット終端位置    (xf,yf) =( 0.300  0.300)[m]",
    "(3-6) 物体設置誤差(X正方向ずれ) e =  5.000[mm]",
    "",
};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Report, RobotADefaultsMethodOneOnTheLine) {
  auto app = robotaline();
  std::vector<std::string> want = join(kRobotA, {
      "(2-1) hybrid1:関節空間で位置Φc，力Φdを制御",
      "(2-2) 位置制御系特性 (ωn,ζ,α) =(  5.000[Hz]   1.000   0.000[1/s])",
      "      →モータ１ゲイン (Kp,Kv,Ki)=( 1.5000      0.2500  0.1250)",
      "      →モータ２ゲイン (Kp,Kv,Ki)=( 2.0000      0.5000  0.0000)",
      "      力制御系特性   (ωn,ζ,α) =( 10.000[Hz]   1.000   5.000[1/s])",
      "      →モータ１ゲイン (Kp,Kv,Ki)=( 0.0100      0.0020  0.0005)",
      "      →モータ２ゲイン (Kp,Kv,Ki)=( 0.0100      0.0030  0.0000)",
      // Two force loops in series at the tip: 0.01 * 100^2 / 0.7 each, halved.
      "      →先端サーボ剛性       KKD =  71.43[N/m]",
      "(1-6) ハンドのばね定数 (KH1, KH2)=(500.00 500.00)[N/m]",
  });
  want = join(want, kLineCommon);
  expectlines(report(*app), want);
  // The report ends with a line end: the next prompt starts a fresh line.
  EXPECT_EQ(report(*app).back(), '\n');
}

TEST(Report, RobotBDefaultsMethodSixOnTheCircle) {
  auto app = defaultapp();  // robot b, method 6
  app->set.curve = Contour::circle;
  app->path.x0 = app->path.xf = 0.65;
  app->path.y0 = app->path.yf = 0.0;
  GainSet& k = app->gains.of(Robot::b);
  k.firstgain = {12.5, 3.25, 0};
  k.secondgain = {0.02, 0.004, 0.01};
  k.posgain1 = {99, 99, 99};  // method 1's gains are not shown under method 6
  expectlines(report(*app),
              {
                  "",
                  "",
                  "現在設定している値",
                  "(1-1) ロボットタイプ   SCARAロボット",
                  "(1-2) 第1,2アーム長 (l1,l2)=( 0.500, 0.500)[m]",
                  "(1-3) ワークの質量      mw =  1.000[kg]",
                  "      アーム先端・接触子先端位置間距離    wp=  0.200[m]",
                  "(1-4) モータ1(第１関節)パワー PW=200.00[W]",
                  "      モータ2(第２関節)パワー PW=200.00[W]",
                  "(1-5) 減速機1(第１関節)減速比,順効率=(u,η1)=(100.00  0.600)",
                  "      減速機2(第２関節)減速比,順効率=(u,η1)=(100.00  0.600)",
                  "(1-6) ハンドのばね定数　          (KH1, KH2)=(500.00 500.00)[N/m]",
                  "(2-1) hybrid6:未知物体に対し関節空間で力(Fn,0)を制御",
                  "(2-2) 接線位置制御系特性 (ωn,ζ,α) =(  5.000[Hz]   1.000   0.000[1/s])",
                  "      →ゲイン (Kp,Kv,Ki)=(12.5000      3.2500  0.0000)",
                  "      法線撓み制御系特性 (ωn,ζ,α) =( 20.000[Hz]   1.000   2.000[1/s])",
                  "      →ゲイン (Kp,Kv,Ki)=( 0.0200      0.0040  0.0100)",
                  // Normal stiffness: deflection gain times the hand spring along the hand.
                  "      →先端サーボ剛性 (接線, 法線)=( 12.50  10.00)[N/m]",
                  "(1-6) ハンドのばね定数 (KH1,  KH2) =(500.00 500.00)[N/m]",
                  "(3-2) 接触力　       Fn=10.000[N]",
                  "(3-3-2) 円輪郭　    　 移動時間 tf=  6.000[s]",
                  "              　    　 中心位置   =( 0.400  0.000)[m] 半径= 0.250[m]",
                  "(3-4) ロボット初期位置    (x0,y0) =( 0.650  0.000)[m]",
                  "(3-5) ロボット終端位置    (xf,yf) =( 0.650  0.000)[m]",
                  "(3-6) 物体設置誤差(X正方向ずれ) e =  5.000[mm]",
                  "",
              });
}

TEST(Report, RobotBMethodOneTipStiffnessUsesBothLeverArms) {
  auto app = defaultapp();
  app->set.hybrid = Method::hybrid1;
  GainSet& k = app->gains.of(Robot::b);
  k.posgain1 = {1, 2, 3};
  k.posgain2 = {4, 5, 6};
  k.forcegain1 = {0.01, 0, 0};  // k1 = 0.01 * 100^2 / (0.5 + 0.3 + 0.2) = 100
  k.forcegain2 = {0.01, 0, 0};  // k2 = 0.01 * 100^2 / (0.3 + 0.2) = 200
  std::vector<std::string> got = lines(report(*app));
  std::vector<std::string> want = {
      "(2-1) hybrid1:関節空間で位置(x,y)，力(Fn,0)を制御",
      "(2-2) 制御系諸元",
      "    位置制御系の特性 (ωn,ζ,α)=(  5.000[Hz]   1.000   0.000[1/s])",
      "     →モータ１ゲイン (Kp,Kv,Ki)=( 1.0000      2.0000  3.0000)",
      "     →モータ２ゲイン (Kp,Kv,Ki)=( 4.0000      5.0000  6.0000)",
      "    力制御系の特性   (ωn,ζ,α)=( 20.000[Hz]   1.000   2.000[1/s])",
      "   　→モータ１ゲイン (Kp,Kv,Ki)=( 0.0100      0.0000  0.0000)",
      "   　→モータ２ゲイン (Kp,Kv,Ki)=( 0.0100      0.0000  0.0000)",
      "     →先端サーボ剛性       KKD =  66.67[N/m]",
      "(1-6) ハンドのばね定数(KH1, KH2)=(500.00 500.00)[N/m]",
      "(3-2) 接触力　       Fn=10.000[N]",
  };
  ASSERT_GE(got.size(), 12 + want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[12 + i], want[i]) << "line " << 12 + i;
}

TEST(Report, ZeroForceGainShowsZeroStiffnessInsteadOfDividing) {
  for (Robot type : {Robot::a, Robot::b}) {
    auto app = robotaline();
    app->set.type = type;
    app->gains.of(type).forcegain1.Kp = 0;
    app->gains.of(type).forcegain2.Kp = 0.5;
    std::string out = report(*app);
    EXPECT_NE(out.find("→先端サーボ剛性       KKD =   0.00[N/m]"), std::string::npos) << keyof(type) << out;
    app->gains.of(type).forcegain1.Kp = 0.5;
    app->gains.of(type).forcegain2.Kp = 0;
    out = report(*app);
    EXPECT_NE(out.find("→先端サーボ剛性       KKD =   0.00[N/m]"), std::string::npos) << keyof(type) << out;
    EXPECT_EQ(out.find("nan"), std::string::npos);
  }
}

// Under method 4 the report shows what method 4 runs with: its position-loop
// gain on the position lines, its force-loop gain on the force lines, and
// the tip stiffness of that force gain.
TEST(Report, MethodFourShowsItsOwnGainsOnRobotA) {
  auto app = robotaline();
  app->set.hybrid = Method::hybrid4;
  app->gains.omega1 = PI2 * 10;
  app->gains.omega2 = PI2 * 30;
  GainSet& k = app->gains.of(Robot::a);
  k.firstgain = {3, 0.75, 0};
  k.secondgain = {0.014, 0.001, 0.0002};
  k.forcegain1.Kp = k.forcegain2.Kp = 0;  // a stale method-1 design must not show
  std::vector<std::string> want = join(kRobotA, {
      "(2-1) hybrid4:関節空間で位置・力Fnをφ1・Φ2に対応させて制御",
      "(2-2) φ1の位置制御系特性  (ωn,ζ,α) =( 10.000[Hz]   1.000   0.000[1/s])",
      "      →ゲイン (Kp,Kv,Ki)=( 3.0000      0.7500  0.0000)",
      "      φ2の法線力制御系特性(ωn,ζ,α) =( 30.000[Hz]   1.000   5.000[1/s])",
      "      →ゲイン (Kp,Kv,Ki)=( 0.0140      0.0010  0.0002)",
      // 0.014 * 100^2 / 0.7 = 200 for each joint, in series: 100.
      "      →先端サーボ剛性       KKD = 100.00[N/m]",
      "(1-6) ハンドのばね定数 (KH1,  KH2) =(500.00 500.00)[N/m]",
  });
  expectlines(report(*app), join(want, kLineCommon));
}

TEST(Report, MethodFourShowsItsOwnGainsOnRobotB) {
  auto app = defaultapp();
  app->set.hybrid = Method::hybrid4;
  app->gains.omega1 = PI2 * 10;
  app->gains.omega2 = PI2 * 30;
  app->gains.alpha2 = 5;
  GainSet& k = app->gains.of(Robot::b);
  k.posgain1 = k.posgain2 = {9, 9, 9};
  k.forcegain1 = k.forcegain2 = {0, 0, 0};
  k.firstgain = {2.5, 0.5, 0};
  k.secondgain = {0.02, 0.003, 0.001};
  std::vector<std::string> got = lines(report(*app));
  std::vector<std::string> want = {
      "(2-1) hybrid4:関節空間で位置・力Fnをφ1・Φ2に対応させて制御",
      "(2-2) 制御系諸元",
      "    φ1の位置制御系の特性 (ωn,ζ,α)=( 10.000[Hz]   1.000   0.000[1/s])",
      "     →モータ１ゲイン (Kp,Kv,Ki)=( 2.5000      0.5000  0.0000)",
      "     →モータ２ゲイン (Kp,Kv,Ki)=( 2.5000      0.5000  0.0000)",
      "    φ2の力制御系の特性   (ωn,ζ,α)=( 30.000[Hz]   1.000   5.000[1/s])",
      "   　→モータ１ゲイン (Kp,Kv,Ki)=( 0.0200      0.0030  0.0010)",
      "   　→モータ２ゲイン (Kp,Kv,Ki)=( 0.0200      0.0030  0.0010)",
      // k1 = 0.02 * 100^2 / 1.0 = 200, k2 = 0.02 * 100^2 / 0.5 = 400: 133.33.
      "     →先端サーボ剛性       KKD = 133.33[N/m]",
      "(1-6) ハンドのばね定数(KH1, KH2)=(500.00 500.00)[N/m]",
  };
  ASSERT_GE(got.size(), 12 + want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[12 + i], want[i]) << "line " << 12 + i;
}

TEST(Report, MethodThreeOnTheSineWithRobotA) {
  auto app = defaultapp();
  app->set.type = Robot::a;
  app->set.hybrid = Method::hybrid3;
  app->set.KH1 = 1000;
  GainSet& k = app->gains.of(Robot::a);
  k.firstgain = {7, 1, 0};
  k.secondgain = {0.005, 0.001, 0};
  std::vector<std::string> got = lines(report(*app));
  std::vector<std::string> want = {
      "(2-1) hybrid3:作業空間で接線方向位置s，法線力Fnを制御",
      "(2-2) 接線位置制御系特性 (ωn,ζ,α) =(  5.000[Hz]   1.000   0.000[1/s])",
      "      →ゲイン (Kp,Kv,Ki)=( 7.0000      1.0000  0.0000)",
      "      法線力制御系特性   (ωn,ζ,α) =( 20.000[Hz]   1.000   2.000[1/s])",
      "      →ゲイン (Kp,Kv,Ki)=( 0.0050      0.0010  0.0000)",
      "      →先端サーボ剛性 (接線, 法線)=(  7.00   5.00)[N/m]",
      "(1-6) ハンドのばね定数 (KH1,  KH2) =(1000.00 500.00)[N/m]",
      "(3-2) 接触力　       Fn=10.000[N]",
      "(3-3-4) 正弦波曲線輪郭  移動時間 tf=  4.000[s]",
      "                    波長・振幅(L,A)=( 0.600, 0.200)[m]",
      "(3-4) ロボット初期位置    (x0,y0) =( 0.200  0.300)[m]",
      "(3-5) ロボット終端位置    (xf,yf) =( 0.800  0.300)[m]",
      "(3-6) 物体設置誤差(X正方向ずれ) e =  5.000[mm]",
      "",
  };
  ASSERT_EQ(got.size(), 12 + want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[12 + i], want[i]) << "line " << 12 + i;
  EXPECT_EQ(got[11], "(1-6) ハンドのばね定数　          (KH1, KH2)=( 0.102  0.051)[kgf/mm]");
}

TEST(Report, RobotBMethodThreeLine) {
  auto app = defaultapp();
  app->set.hybrid = Method::hybrid3;
  EXPECT_NE(report(*app).find("\n(1-6) ハンドのばね定数　          (KH1, KH2)=(500.00 500.00)[N/m]"
                              "\n(2-1) hybrid3:作業空間で接線方向位置s，力Fnを制御"
                              "\n(2-2) 接線位置制御系特性"),
            std::string::npos);
}

TEST(Report, SettingErrorAndForceAsEntered) {
  auto app = robotaline();
  app->set.seterror = 0.007;
  app->set.Fn = 2.5;
  std::string out = report(*app);
  EXPECT_NE(out.find("\n(3-6) 物体設置誤差(X正方向ずれ) e =  7.000[mm]\n"), std::string::npos);
  EXPECT_NE(out.find("\n(3-2) 接触力　       Fn= 2.500[N]"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The report after the real default installation and derivation.

std::unique_ptr<App> derived(char type, char hybrid, char curve) {
  auto app = std::make_unique<App>();
  ScriptConsole con("");
  installconstants(*app);
  setdefaults(*app, con);
  app->set.type = robotkey(type);
  app->set.hybrid = methodkey(hybrid);
  app->set.curve = contourkey(curve);
  derive(*app, con);
  EXPECT_EQ(con.output(), "");  // every default path end is in reach
  return app;
}

TEST(ReportOfDefaults, RobotA) {
  std::string out = report(*derived('a', '1', 'L'));
  std::vector<std::string> got = lines(out);
  ASSERT_GE(got.size(), kRobotA.size());
  for (std::size_t i = 0; i < kRobotA.size(); ++i) EXPECT_EQ(got[i], kRobotA[i]) << "line " << i;
  EXPECT_NE(out.find("\n      →先端サーボ剛性       KKD = "), std::string::npos);
  EXPECT_NE(out.find("\n(1-6) ハンドのばね定数 (KH1, KH2)=(500.00 500.00)[N/m]\n(3-2) 接触力　       Fn=10.000[N]"),
            std::string::npos);
  EXPECT_EQ(out.find("nan"), std::string::npos) << out;
  EXPECT_EQ(out.find("inf"), std::string::npos) << out;
}

TEST(ReportOfDefaults, RobotB) {
  for (char method : {'1', '3', '4', '6'}) {
    std::string out = report(*derived('b', method, 'S'));
    std::vector<std::string> got = lines(out);
    ASSERT_GE(got.size(), 12u);
    EXPECT_EQ(got[4], "(1-2) 第1,2アーム長 (l1,l2)=( 0.500, 0.500)[m]");
    EXPECT_EQ(got[7], "(1-4) モータ1(第１関節)パワー PW=200.00[W]");
    EXPECT_EQ(got[8], "      モータ2(第２関節)パワー PW=200.00[W]");
    EXPECT_EQ(got[9], "(1-5) 減速機1(第１関節)減速比,順効率=(u,η1)=(100.00  0.600)");
    EXPECT_EQ(got[10], "      減速機2(第２関節)減速比,順効率=(u,η1)=(100.00  0.600)");
    EXPECT_EQ(got[11], "(1-6) ハンドのばね定数　          (KH1, KH2)=(500.00 500.00)[N/m]");
    EXPECT_EQ(out.find("nan"), std::string::npos) << out;
    EXPECT_EQ(out.find("inf"), std::string::npos) << out;
  }
}

TEST(ReportOfDefaults, Circle) {
  std::string out = report(*derived('a', '3', 'C'));
  EXPECT_NE(out.find("\n(3-2) 接触力　       Fn=10.000[N]"
                     "\n(3-3-2) 円輪郭　    　 移動時間 tf=  6.000[s]"
                     "\n              　    　 中心位置   =( 0.400  0.000)[m] 半径= 0.250[m]"
                     "\n(3-4) ロボット初期位置    (x0,y0) =( 0.650  0.000)[m]"
                     "\n(3-5) ロボット終端位置    (xf,yf) =( 0.650  0.000)[m]"
                     "\n(3-6) 物体設置誤差(X正方向ずれ) e =  5.000[mm]"
                     "\n"),
            std::string::npos)
      << out;
}

// The hand-written defaults the other report tests start from are the ones
// the program installs.
TEST(ReportOfDefaults, TestDefaultsMatchTheInstalledOnes) {
  auto app = derived('b', '6', 'S');
  testutil::expectsame(*defaultapp(), *app);
}

}  // namespace
}  // namespace hs
