// The window's keys and what they draw, without a display: the key table,
// playback, the console keys and the frame composition they show.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/compare.h"
#include "console/meritreport.h"
#include "driver_testutil.h"
#include "session/keys.h"
#include "graphicsapp.h"
#include "runcase.h"

namespace hs {
namespace {

using testing_graphics::centroid;
using testing_graphics::makeapp;
using testing_graphics::radius;
using testing_graphics::setrun;

constexpr double EPS = 1e-9;

// The drawing keys never talk to the console.
struct SilentConsole : Console {
  std::string out;
  void print(const std::string& t) override { out += t; }
  int readkey() override { return -1; }
  ReadStatus readnumber(double&) override { return ReadStatus::End; }
  ReadStatus readword(std::string&) override { return ReadStatus::End; }
  void discardline() override {}
  bool atend() const override { return true; }
};

// ---- Key table ----

TEST(KeyTable, StepStopsAtTheLastOutputStep) {
  auto app = makeapp();
  EXPECT_EQ(keytable(*app, app->disp, 's'), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 1);
  app->disp.frame = 200;
  EXPECT_EQ(keytable(*app, app->disp, 's'), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 200);
  // More steps asked than the run recorded: 's' stops where the arrows do.
  app->set.nstep = 600;
  keytable(*app, app->disp, 's');
  EXPECT_EQ(app->disp.frame, 200);
  EXPECT_EQ(keytable(*app, app->disp, '0'), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 0);
  EXPECT_EQ(app->menukey, '0');
}

TEST(KeyTable, ZoomOutThreeTimesAndInThreeTimesRestoresZoom) {
  auto app = makeapp();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keytable(*app, app->disp, 'w'), KeyAction::Redraw);
  EXPECT_NEAR(app->disp.zoom, 0.729, 1e-12);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keytable(*app, app->disp, 'W'), KeyAction::Redraw);
  EXPECT_NEAR(app->disp.zoom, 1.0, 1e-12);
}

TEST(KeyTable, SelectionKeysChangeRobotAndContourBeforeTheMenu) {
  auto app = makeapp('b', 'S');
  app->disp.frame = 57;
  EXPECT_EQ(keytable(*app, app->disp, 'a'), KeyAction::Menu);
  EXPECT_EQ(app->set.type, Robot::a);
  EXPECT_EQ(app->menukey, 'a');
  EXPECT_EQ(app->disp.frame, 0);
  app->disp.frame = 9;
  EXPECT_EQ(keytable(*app, app->disp, 'C'), KeyAction::Menu);
  EXPECT_EQ(app->set.curve, Contour::circle);
  EXPECT_EQ(app->set.type, Robot::a);
  EXPECT_EQ(app->disp.frame, 0);
}

TEST(KeyTable, GroupKeysAndFileKeyRunTheMenuWithoutChangingSelections) {
  for (unsigned char k : {'k', 'h', 'g', 'e', 'f', 'r'}) {
    auto app = makeapp('b', 'L');
    app->disp.frame = 12;
    app->disp.zoom = 0.81;
    EXPECT_EQ(keytable(*app, app->disp, k), KeyAction::Menu) << k;
    EXPECT_EQ(app->menukey, static_cast<char>(k));
    EXPECT_EQ(app->disp.frame, 0);
    EXPECT_EQ(app->disp.zoom, 0.81);  // the keyboard resets it after the menu
    EXPECT_EQ(app->set.type, Robot::b);
    EXPECT_EQ(app->set.curve, Contour::line);
  }
}

TEST(KeyTable, EscapeQuitsOtherKeysOnlyStoreTheKey) {
  auto app = makeapp();
  app->disp.frame = 5;
  EXPECT_EQ(keytable(*app, app->disp, 27), KeyAction::Quit);
  EXPECT_EQ(keytable(*app, app->disp, 'x'), KeyAction::Stored);
  EXPECT_EQ(app->menukey, 'x');
  EXPECT_EQ(keytable(*app, app->disp, 'A'), KeyAction::Stored);  // case-sensitive
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->disp.frame, 5);
}

TEST(KeyTable, DrawingKeysRedrawAtOnce) {
  auto app = makeapp();
  SilentConsole con;
  Recorder rec;
  EXPECT_EQ(keyboard(*app, app->disp, con, rec, 's'), KeyAction::Redraw);
  EXPECT_EQ(rec.cleared(), 1);
  EXPECT_EQ(rec.presented(), 1);
  EXPECT_EQ(keyboard(*app, app->disp, con, rec, 'x'), KeyAction::Stored);
  EXPECT_EQ(rec.presented(), 1);
  EXPECT_TRUE(con.out.empty());
}

// 't' shows the study view of the run on screen and the pins, and back the
// picture as it was; '+' pins the run once (up to MOSTPINS), '-' clears.
TEST(KeyTable, StudyKeysSwitchThePictureAndPinRuns) {
  auto app = makeapp();
  SilentConsole con;
  Recorder before, study, after;
  keyboard(*app, app->disp, con, before, 's');
  EXPECT_EQ(keyboard(*app, app->disp, con, study, '+'), KeyAction::Redraw);
  EXPECT_EQ(keyboard(*app, app->disp, con, study, '+'), KeyAction::Redraw);
  EXPECT_EQ(app->disp.pins.size(), 1u);
  study.forget();
  EXPECT_EQ(keyboard(*app, app->disp, con, study, 't'), KeyAction::Redraw);
  EXPECT_NE(study.findtext("Study view (t: the picture, +: pin the run, -: clear the pins)"), nullptr);
  // A fifth pin drops the oldest.
  app->disp.pins.assign(MOSTPINS, std::make_shared<const hs::Run>());
  keyboard(*app, app->disp, con, study, '+');
  ASSERT_EQ(app->disp.pins.size(), MOSTPINS);
  EXPECT_EQ(app->disp.pins.back()->model, app->run().model);
  keyboard(*app, app->disp, con, study, '-');
  EXPECT_TRUE(app->disp.pins.empty());
  keyboard(*app, app->disp, con, after, 't');
  ASSERT_EQ(after.prims().size(), before.prims().size());
  for (std::size_t i = 0; i < after.prims().size(); ++i)
    EXPECT_EQ(after.prims()[i].pts, before.prims()[i].pts) << i;
  EXPECT_TRUE(con.out.empty());
}

// ---- Frame composition ----

struct FrameFixture : ::testing::Test {
  std::unique_ptr<testing_graphics::ShownApp> app = makeapp('b', 'S');
  Recorder rec;
  RunHistory& h() { return app->history(); }
  void SetUp() override {
    for (int i = 0; i <= 200; ++i) {
      h().motorpos[i] = {100 * 0.2, 100 * 1.5};
      h().cmdpos[i] = {0.2 + 0.001 * i, 0.3};
      h().tippos[i] = {0.2 + 0.001 * i, 0.302};
      h().poserr[i] = {0.0, 0.002};
      h().force[i] = {10, 0};
    }
    app->set.seterror = 0.005;
    setrun(*app);
  }
  // Index of the first primitive satisfying pred, or -1.
  template <class F>
  int first(F pred) const {
    const auto& p = rec.prims();
    for (size_t i = 0; i < p.size(); ++i)
      if (pred(p[i])) return static_cast<int>(i);
    return -1;
  }
};

TEST_F(FrameFixture, TitleLegendAndSettingErrorLabel) {
  app->set.hybrid = Method::hybrid3;
  setrun(*app);
  display(*app, app->disp, rec);
  struct T { const char* text; float x, y; };
  for (const T& t : {T{"Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]", -0.95f, 0.95f},
                     T{"(b) SCARA robot", -0.95f, 0.90f}, T{"Hybrid control 3", -0.88f, 0.85f},
                     T{"Workpiece setting error=", -0.88f, 0.80f}, T{"05[mm]", -0.35f, 0.80f},
                     T{"green point : 10*position error", -0.88f, 0.75f},
                     T{"white point : command position", -0.88f, 0.70f},
                     T{"black point : position without deflection", -0.88f, 0.65f}}) {
    const Primitive* p = rec.findtext(t.text);
    ASSERT_NE(p, nullptr) << t.text;
    EXPECT_EQ(p->pts[0][0], t.x) << t.text;
    EXPECT_EQ(p->pts[0][1], t.y) << t.text;
    EXPECT_EQ(p->font, Font::Helvetica18);
  }
  EXPECT_EQ(rec.findtext("(a) cylindrical coordinate robot"), nullptr);
  EXPECT_EQ(rec.cleared(), 1);
  EXPECT_EQ(rec.presented(), 1);
}

TEST_F(FrameFixture, CylindricalRobotTitle) {
  app->set.type = Robot::a;
  setrun(*app);
  display(*app, app->disp, rec);
  EXPECT_NE(rec.findtext("(a) cylindrical coordinate robot"), nullptr);
  EXPECT_EQ(rec.findtext("(b) SCARA robot"), nullptr);
}

TEST_F(FrameFixture, PointsTraceAndMaskAtTheShownStep) {
  app->disp.frame = 30;
  display(*app, app->disp, rec);
  std::vector<Primitive> trace, green, white;
  for (const Primitive& p : rec.prims()) {
    if (p.kind != Primitive::Polygon || p.pts.size() != 120 || std::fabs(radius(p) - 0.008) > 1e-6)
      continue;
    if (p.colour == RED) trace.push_back(p);
    if (p.colour == GREEN) green.push_back(p);
    if (p.colour == WHITE) white.push_back(p);
  }
  ASSERT_EQ(trace.size(), 31u);  // steps 0 .. 30
  EXPECT_NEAR(centroid(trace.back())[0], -0.5 + 0.23, EPS);
  EXPECT_NEAR(centroid(trace.back())[1], -0.3 + 0.302, EPS);
  // Green: command minus 10 x error (the error is +2 mm in Y).
  ASSERT_EQ(green.size(), 1u);
  EXPECT_NEAR(centroid(green[0])[1], -0.3 + 0.3 - 0.02, EPS);
  ASSERT_EQ(white.size(), 1u);
  EXPECT_NEAR(centroid(white[0])[0], -0.5 + 0.23, EPS);
  // Mask over the graph panel, after the robot view and before the graphs.
  const int mask = first([](const Primitive& p) {
    return p.kind == Primitive::Polygon && p.colour == WHITE && p.pts.size() == 4 &&
           std::fabs(p.pts[0][0] - 0.35) < EPS && std::fabs(p.pts[0][1] + 1) < EPS &&
           std::fabs(p.pts[2][0] - 1.35) < EPS && std::fabs(p.pts[2][1] - 1) < EPS;
  });
  ASSERT_GE(mask, 0);
  const int grid = first([](const Primitive& p) { return p.kind == Primitive::Lines && p.colour == BLACK; });
  const int axis = first([](const Primitive& p) { return p.kind == Primitive::Lines && p.colour == RED; });
  EXPECT_LT(grid, mask);
  EXPECT_LT(mask, axis);
  EXPECT_EQ(rec.findtext("Position X(red),Y(black)") - &rec.prims()[0] > mask, true);
}

TEST_F(FrameFixture, FrameZeroHasNoCurvesAndOneTracePoint) {
  display(*app, app->disp, rec);
  int curves = 0;
  for (const Primitive& p : rec.prims())
    if (p.kind == Primitive::Lines && (p.width == 3.2 || p.width == 1.6)) ++curves;
  EXPECT_EQ(curves, 0);
  int trace = 0;
  for (const Primitive& p : rec.find(Primitive::Polygon, RED))
    trace += p.pts.size() == 120 && std::fabs(radius(p) - 0.008) < 1e-6;
  EXPECT_EQ(trace, 1);
}

TEST_F(FrameFixture, FirstDrawMakesTheModelUseTheDrawnWorkBlock) {
  app->set.worklen = 0.15;
  display(*app, app->disp, rec);
  EXPECT_EQ(app->set.worklen, 0.15) << "drawing writes no settings";
  firstdraw(*app);
  EXPECT_EQ(app->set.worklen, 0.14);
  EXPECT_EQ(caseof(app->set, app->path).worklen, 0.14) << "the case carries it on";
}

TEST_F(FrameFixture, StepKeyRedrawsTheNextStep) {
  SilentConsole con;
  keyboard(*app, app->disp, con, rec, 's');
  keyboard(*app, app->disp, con, rec, 's');
  int trace = 0;
  for (const Primitive& p : rec.find(Primitive::Polygon, RED))
    trace += p.pts.size() == 120 && std::fabs(radius(p) - 0.008) < 1e-6;
  EXPECT_EQ(trace, 3);
  EXPECT_EQ(rec.presented(), 2);
}

TEST_F(FrameFixture, StepLineInTheBottomLeftCornerOfTheRobotView) {
  app->disp.frame = 40;
  display(*app, app->disp, rec);
  const Primitive* p = rec.findtext("t = 1.60 s  (40/200)");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->font, Font::Helvetica12);
  EXPECT_EQ(p->pts[0][0], -0.95f);
  EXPECT_EQ(p->pts[0][1], -0.96f);
  // Drawn after the robot view's mask, so nothing covers it.
  EXPECT_GT(p - &rec.prims()[0], first([](const Primitive& q) {
              return q.kind == Primitive::Polygon && q.colour == WHITE && q.pts.size() == 4 &&
                     std::fabs(q.pts[0][0] - 0.35) < EPS;
            }));
  rec.forget();
  SilentConsole con;
  specialkeyboard(*app, app->disp, rec, SpecialKey::End);
  EXPECT_NE(rec.findtext("t = 8.00 s  (200/200)"), nullptr);
  rec.forget();
  specialkeyboard(*app, app->disp, rec, SpecialKey::Home);
  EXPECT_NE(rec.findtext("t = 0.00 s  (0/200)"), nullptr);
}

TEST_F(FrameFixture, ZoomedOutRobotMovesTowardsTheCentre) {
  SilentConsole con;
  keyboard(*app, app->disp, con, rec, 'w');
  const auto base = [&] {
    for (const Primitive& p : rec.find(Primitive::Polygon, RED))
      if (p.pts.size() == 120 && std::fabs(radius(p) - 0.9 * 0.7 * 0.0375) < 1e-6) return centroid(p);
    return Pair{9, 9};
  }();
  EXPECT_NEAR(base[0], -0.45, EPS);
  EXPECT_NEAR(base[1], -0.27, EPS);
}

// ---- Playback ----

TEST(Playback, SpacePlaysAndPausesFromTheShownStep) {
  auto app = makeapp();
  app->disp.frame = 40;
  EXPECT_EQ(keytable(*app, app->disp, ' '), KeyAction::Play);
  EXPECT_TRUE(app->disp.play.playing);
  EXPECT_EQ(app->disp.frame, 40);
  EXPECT_EQ(app->menukey, ' ');
  const int chain = app->disp.play.chain;
  EXPECT_EQ(keytable(*app, app->disp, ' '), KeyAction::Stored);
  EXPECT_FALSE(app->disp.play.playing);
  EXPECT_EQ(app->disp.frame, 40);
  // Playing again starts a new timer chain: ticks still pending from the
  // old one are dropped.
  EXPECT_EQ(keytable(*app, app->disp, ' '), KeyAction::Play);
  EXPECT_GT(app->disp.play.chain, chain);
}

TEST(Playback, SpaceAtTheLastStepPlaysAgainFromTheStart) {
  auto app = makeapp();
  app->disp.frame = 200;
  EXPECT_EQ(keytable(*app, app->disp, ' '), KeyAction::Play);
  EXPECT_EQ(app->disp.frame, 0);
  EXPECT_TRUE(app->disp.play.playing);
}

TEST(Playback, StepResetAndMenuKeysPauseFirstZoomAndHelpDoNot) {
  struct K {
    unsigned char key;
    KeyAction act;
    int frame;  // after the key, from frame 40
    bool playing;
  };
  for (const K& k : {K{'s', KeyAction::Redraw, 41, false}, K{'0', KeyAction::Redraw, 0, false},
                     K{'f', KeyAction::Menu, 0, false}, K{'a', KeyAction::Menu, 0, false},
                     K{'L', KeyAction::Menu, 0, false}, K{'r', KeyAction::Menu, 0, false},
                     K{'o', KeyAction::Save, 40, false}, K{'w', KeyAction::Redraw, 40, true},
                     K{'W', KeyAction::Redraw, 40, true}, K{'?', KeyAction::Help, 40, true},
                     K{'x', KeyAction::Stored, 40, true}, K{27, KeyAction::Quit, 40, true}}) {
    auto app = makeapp();
    app->disp.frame = 40;
    keytable(*app, app->disp, ' ');
    EXPECT_EQ(keytable(*app, app->disp, k.key), k.act) << k.key;
    EXPECT_EQ(app->disp.frame, k.frame) << k.key;
    EXPECT_EQ(app->disp.play.playing, k.playing) << k.key;
  }
}

TEST(Playback, ArrowsStepBackAndForthPausingAndStopAtBothEnds) {
  auto app = makeapp();
  app->menukey = 'k';
  app->disp.frame = 1;
  keytable(*app, app->disp, ' ');
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Left), KeyAction::Redraw);
  EXPECT_FALSE(app->disp.play.playing);
  EXPECT_EQ(app->disp.frame, 0);
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Left), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 0) << "back stops at step 0";
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Right), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 1);
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::End), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 200);
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Right), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 200) << "forward stops at the last step";
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Left), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 199);
  keytable(*app, app->disp, ' ');
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Home), KeyAction::Redraw);
  EXPECT_EQ(app->disp.frame, 0);
  EXPECT_FALSE(app->disp.play.playing);
  keytable(*app, app->disp, ' ');
  EXPECT_EQ(specialkeytable(*app, app->disp, SpecialKey::Other), KeyAction::Stored);
  EXPECT_TRUE(app->disp.play.playing) << "an unused special key changes nothing";
  EXPECT_EQ(app->menukey, ' ');
}

// The timer under a fake clock: 0.04 s of wall time per output step.
TEST(PlayTimer, OneStepEveryDtFromTheFirstTick) {
  Playback p;
  p.playing = true;
  PlayTick t = playtick(p, 10, 200, 0.04, 100.0);  // first tick: the clock starts
  EXPECT_EQ(t.frame, 10);
  EXPECT_FALSE(t.redraw);
  EXPECT_EQ(t.delayms, 40);
  t = playtick(t.play, t.frame, 200, 0.04, 100.04);
  EXPECT_EQ(t.frame, 11);
  EXPECT_TRUE(t.redraw);
  EXPECT_EQ(t.delayms, 40);
  // A tick a little late still shows the step due and waits only for the next.
  t = playtick(t.play, t.frame, 200, 0.04, 100.09);
  EXPECT_EQ(t.frame, 12);
  EXPECT_EQ(t.delayms, 30);
  // A tick a little early shows nothing new and waits for the rest.
  t = playtick(t.play, t.frame, 200, 0.04, 100.115);
  EXPECT_EQ(t.frame, 12);
  EXPECT_FALSE(t.redraw);
  EXPECT_EQ(t.delayms, 5);
  // After a long stall (the console had the program) it keeps to real time.
  t = playtick(t.play, t.frame, 200, 0.04, 101.0);
  EXPECT_EQ(t.frame, 35);
  EXPECT_TRUE(t.play.playing);
}

TEST(PlayTimer, StopsAtTheLastStep) {
  Playback p;
  p.playing = true;
  PlayTick t = playtick(p, 198, 200, 0.04, 5.0);
  t = playtick(t.play, t.frame, 200, 0.04, 5.04);
  EXPECT_EQ(t.frame, 199);
  EXPECT_GE(t.delayms, 0);
  t = playtick(t.play, t.frame, 200, 0.04, 5.2);
  EXPECT_EQ(t.frame, 200);
  EXPECT_TRUE(t.redraw);
  EXPECT_FALSE(t.play.playing);
  EXPECT_EQ(t.delayms, -1);
  // Paused: a tick changes nothing and asks for no further tick.
  t = playtick(t.play, 150, 200, 0.04, 9.0);
  EXPECT_EQ(t.frame, 150);
  EXPECT_FALSE(t.redraw);
  EXPECT_EQ(t.delayms, -1);
}

TEST(PlayTimer, TicksOfAnOldChainOrAfterPauseDoNothing) {
  auto app = makeapp();
  Recorder rec;
  keytable(*app, app->disp, ' ');
  const int old = app->disp.play.chain;
  EXPECT_EQ(playtimer(*app, app->disp, rec, old, 1.0), 40);
  keytable(*app, app->disp, ' ');  // pause
  EXPECT_EQ(playtimer(*app, app->disp, rec, old, 1.04), -1);
  keytable(*app, app->disp, ' ');  // play again: a new chain
  EXPECT_EQ(playtimer(*app, app->disp, rec, old, 1.05), -1);
  EXPECT_EQ(app->disp.frame, 0);
  EXPECT_EQ(playtimer(*app, app->disp, rec, app->disp.play.chain, 2.0), 40);
  EXPECT_EQ(playtimer(*app, app->disp, rec, app->disp.play.chain, 2.04), 40);
  EXPECT_EQ(app->disp.frame, 1);
  EXPECT_EQ(rec.presented(), 1);
}

// ---- Console keys ----

TEST(ConsoleKeys, QuestionMarkPrintsTheKeyListThenTheNewKeys) {
  auto app = makeapp();
  SilentConsole con;
  Recorder rec;
  EXPECT_EQ(keyboard(*app, app->disp, con, rec, '?'), KeyAction::Help);
  EXPECT_EQ(rec.presented(), 0);
  EXPECT_EQ(con.out.rfind(testutil::kKeyList, 0), 0u);
  EXPECT_EQ(con.out.substr(testutil::kKeyList.size()),
            "\n\n描画画面のその他のキー"
            "\n(5-4) スペース：アニメーション再生・一時停止（最後からは初めから再生）"
            "\n(5-5) → ←    ：1ステップ進める・戻す"
            "\n(5-6) Home End：最初・最後のステップへ"
            "\n(7)   'o'    ：現在のロボット諸元・軌道をデータファイルに保存"
            "\n(8)   '?'    ：キー一覧の表示"
            "\n(9)   'p'    ：表示中の画面をPNGファイルに保存"
            "\n(10)  'v'    ：運動全体のアニメーションをGIFファイルに保存"
            "\n(11)  'm'    ：制御結果の評価値を表示"
            "\n(12)  'M'    ：hybrid制御1,3,4,6を同じ条件で比較"
            "\n(13)  't'    ：描画画面とスタディ表示（実行の重ね描き）の切り替え"
            "\n(14)  '+'    ：表示中の実行をスタディ表示に固定（4件まで，古いものから外れる）"
            "\n(15)  '-'    ：固定した実行をすべて外す");
}

// The picture and figure keys leave the shown step and the playback as
// they are ('?' does the same); the menu key is stored as for any key. The
// key table has no file back end: 'p' and 'v' print and draw nothing.
TEST(ConsoleKeys, PictureAndFigureKeysNeitherMoveNorPause) {
  struct K {
    unsigned char key;
    KeyAction act;
  };
  for (const K& k : {K{'p', KeyAction::Picture}, K{'v', KeyAction::Movie},
                     K{'m', KeyAction::Metrics}, K{'M', KeyAction::Compare}}) {
    auto app = makeapp();
    SilentConsole con;
    Recorder rec;
    app->disp.frame = 40;
    keytable(*app, app->disp, ' ');
    const bool picture = k.key == 'p' || k.key == 'v';
    EXPECT_EQ(picture ? keyboard(*app, app->disp, con, rec, k.key) : keytable(*app, app->disp, k.key), k.act) << k.key;
    EXPECT_EQ(app->disp.frame, 40) << k.key;
    EXPECT_TRUE(app->disp.play.playing) << k.key;
    EXPECT_EQ(app->menukey, static_cast<char>(k.key));
    EXPECT_EQ(app->set.hybrid, Method::hybrid6);
    EXPECT_TRUE(con.out.empty()) << k.key;
    EXPECT_EQ(rec.presented(), 0) << k.key;
  }
}

const char* const kBackToWindow = "\n\n     描画画面へ　　　　　";

template <class T>
std::vector<unsigned char> bytes(const T& value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&value);
  return {p, p + sizeof value};
}

TEST(ConsoleKeys, SmallMPrintsTheFiguresOfTheRunOnScreen) {
  auto app = defaultrun('a', '1', 'C');
  DisplayState disp;
  SilentConsole con;
  Recorder rec;
  EXPECT_EQ(keyboard(*app, disp, con, rec, 'm'), KeyAction::Metrics);
  EXPECT_EQ(con.out, metricstext(*app) + kBackToWindow);
  EXPECT_NE(con.out.find("\n\n制御結果の評価　円筒座標ロボット　hybrid1　円"), std::string::npos);
  EXPECT_EQ(rec.presented(), 0);
}

TEST(ConsoleKeys, CapitalMComparesTheMethodsAndLeavesTheStateByteForByte) {
  // A run of method 3 on screen at step 57 while playing, zoomed.
  auto app = defaultrun('b', '3', 'C');
  DisplayState disp;
  disp.frame = 57;
  disp.zoom = 0.81;
  keytable(*app, disp, ' ');
  const std::string expected = comparetext(app->set, comparemethods(app->runcase())) + kBackToWindow;
  // Every key is stored as the pending menu key; apart from that the key
  // changes nothing: settings, model, gains, path, control memory, both
  // run histories and the display.
  app->menukey = 'M';
  const std::vector<unsigned char> before = bytes(*app);
  const std::vector<unsigned char> shown = bytes(disp);
  SilentConsole con;
  Recorder rec;
  EXPECT_EQ(keyboard(*app, disp, con, rec, 'M'), KeyAction::Compare);
  EXPECT_TRUE(bytes(*app) == before);
  EXPECT_TRUE(bytes(disp) == shown);
  EXPECT_EQ(con.out, expected);
  EXPECT_NE(con.out.find("\n  hybrid3"), std::string::npos);
  EXPECT_NE(con.out.find(" ←現在"), std::string::npos);
  EXPECT_EQ(rec.presented(), 0);
}

TEST(WindowTitle, KeyHelpText) {
  EXPECT_STREQ(WINDOWTITLE,
               "r:file, a,b:robot, k:ばね, h:hybrid, g:ゲイン，L,C,S:輪郭，e:設置誤差，f;Fn, "
               "W,w:拡大縮小，0:初期へ，s:継続");
}

}  // namespace
}  // namespace hs
