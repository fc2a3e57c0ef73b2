// Helpers shared by the dialogue tests: an App holding the default case of
// both robots (entered values only, no derivation), whole-settings
// comparison, and temporary data files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "session/app.h"
#include "session/startup.h"
#include "enginecase.h"

namespace hs {
namespace testutil {

// The defaults a user starts from: robot a and b data, springs, force,
// setting error, every method's servo targets and every contour, with the
// selections at robot b, method 6, sine. Path ends as the derivation would
// leave them for the sine.
inline std::unique_ptr<App> defaultapp() { return selectedcase('b', '6', 'S'); }

inline bool samespec(const GainSpec& a, const GainSpec& b) {
  return a.omega1 == b.omega1 && a.alpha1 == b.alpha1 && a.omega2 == b.omega2 && a.alpha2 == b.alpha2;
}

// Every entered setting, the current design inputs and the path ends.
inline void expectsame(const App& x, const App& y) {
  const SimSettings& a = x.set;
  const SimSettings& b = y.set;
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.hybrid, b.hybrid);
  EXPECT_EQ(a.curve, b.curve);
  EXPECT_EQ(x.menukey, y.menukey);
  std::vector<std::pair<double, double>> v = {
      {a.l, b.l},           {a.PW1_a, b.PW1_a},   {a.PW2_a, b.PW2_a},     {a.u1_a, b.u1_a},
      {a.u2_a, b.u2_a},     {a.eta1_a, b.eta1_a}, {a.eta2_a, b.eta2_a},   {a.l1, b.l1},
      {a.l2, b.l2},         {a.PW1_b, b.PW1_b},   {a.PW2_b, b.PW2_b},     {a.u1_b, b.u1_b},
      {a.u2_b, b.u2_b},     {a.eta1_b, b.eta1_b}, {a.eta2_b, b.eta2_b},   {a.mw, b.mw},
      {a.wp, b.wp},         {a.KH1, b.KH1},       {a.KH2, b.KH2},         {a.Fn, b.Fn},
      {a.seterror, b.seterror}, {a.dt, b.dt},     {a.workoff, b.workoff}, {a.worklen, b.worklen},
      {a.workwid, b.workwid},
      {a.line.x0, b.line.x0}, {a.line.y0, b.line.y0}, {a.line.xf, b.line.xf},
      {a.line.yf, b.line.yf}, {a.line.tf, b.line.tf},
      {a.circle.Ox, b.circle.Ox}, {a.circle.Oy, b.circle.Oy}, {a.circle.rr, b.circle.rr},
      {a.circle.tf, b.circle.tf},
      {a.sine.x0, b.sine.x0}, {a.sine.y0, b.sine.y0}, {a.sine.L, b.sine.L}, {a.sine.A, b.sine.A},
      {a.sine.tf, b.sine.tf}, {a.sine.xf, b.sine.xf}, {a.sine.yf, b.sine.yf},
      {x.gains.omega1, y.gains.omega1}, {x.gains.alpha1, y.gains.alpha1},
      {x.gains.omega2, y.gains.omega2}, {x.gains.alpha2, y.gains.alpha2},
      {x.gains.zeta1, y.gains.zeta1}, {x.gains.zeta2, y.gains.zeta2},
      {x.path.x0, y.path.x0}, {x.path.y0, y.path.y0}, {x.path.xf, y.path.xf},
      {x.path.yf, y.path.yf}, {x.path.tf, y.path.tf}};
  for (std::size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i].first, v[i].second) << "value #" << i;
  EXPECT_EQ(a.nstep, b.nstep);
  EXPECT_TRUE(samespec(a.gainspec1, b.gainspec1));
  EXPECT_TRUE(samespec(a.gainspec3, b.gainspec3));
  EXPECT_TRUE(samespec(a.gainspec4, b.gainspec4));
  EXPECT_TRUE(samespec(a.gainspec6, b.gainspec6));
}

// The two lines of the file-name prompt.
inline const std::string kFileAsk =
    "\nファイル 'robot41.dat, robot42.dat, ...'から読み込み"
    "\nファイル名入力　";

// A file in the test's temporary directory holding `text`; returns its path.
inline std::string writefile(const std::string& name, const std::string& text) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

inline std::string readfile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The key list the menu prints at the start of every pass.
inline const std::string kKeyList =
    "\n\nキーによる操作選択"
    "\n(3-1) 'r'     : データファイルdata41,42,....から全データ読み込み"
    "\n(1-1) 'a' 'b' : 円筒座標・SCARAロボットの選択"
    "\n(1-6) 'k'     : ハンドのばね定数変更"
    "\n(2-1) 'h'     : hybrid制御方法選択・変更"
    "\n(2-2) 'g'     : 制御ゲイン変更"
    "\n(3-2) 'L' 'C' 'S' : 物体輪郭を選択"
    "\n(3-2) 'e'     : 物体設置の位置誤差を変更"
    "\n(3-3) 'f'     : 接触力設定"
    "\n(5) 描画の選択"
    "\n(5-1) 's'    ：アニメーション継続"
    "\n(5-2) '0'    ：運動初期に戻す"
    "\n(5-3) 'w' 'W'：ロボット図の縮小拡大"
    "\n(6)   ESC    ：終了                                描画画面へ";

// A session as the user has it: start dialogue answered by keys, first run.
inline std::unique_ptr<App> session(const std::string& keys) {
  auto app = std::make_unique<App>();
  ScriptConsole con(keys);
  EXPECT_TRUE(startup(*app, con));
  return app;
}

}  // namespace testutil
}  // namespace hs
