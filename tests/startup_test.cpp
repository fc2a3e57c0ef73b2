#include "driver/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/datafile.h"
#include "driver_testutil.h"

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
  EXPECT_EQ(app->set.type, 'b');
  EXPECT_EQ(app->set.hybrid, '3');
  EXPECT_EQ(app->set.curve, 'C');
}

TEST(StartDialogue, UpperCaseYAsksTheSelectionsNotTheFile) {
  auto app = defaultapp();
  ScriptConsole con("Y\na\n1\nL\n");
  EXPECT_TRUE(startdialogue(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\na" + kMethod + "\n1" + kCurve + "\nL");
  EXPECT_EQ(app->set.type, 'a');
  EXPECT_EQ(app->set.hybrid, '1');
  EXPECT_EQ(app->set.curve, 'L');
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
  EXPECT_EQ(app->set.type, 'a');
  EXPECT_EQ(app->set.hybrid, '3');
  EXPECT_EQ(app->set.curve, 'C');
}

TEST(StartDialogue, UnlistedKeysAreEchoedNotStoredAndAskedAgain) {
  auto app = defaultapp();
  ScriptConsole con("n A c b 2 6 l C");
  EXPECT_TRUE(startdialogue(*app, con));
  EXPECT_EQ(con.output(), kTitle + kType + "\nA" + kType + "\nc" + kType + "\nb" + kMethod + "\n2" + kMethod +
                              "\n6" + kCurve + "\nl" + kCurve + "\nC");
  EXPECT_EQ(app->set.type, 'b');
  EXPECT_EQ(app->set.hybrid, '6');
  EXPECT_EQ(app->set.curve, 'C');
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

}  // namespace
}  // namespace hs
