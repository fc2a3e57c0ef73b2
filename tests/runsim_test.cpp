#include <gtest/gtest.h>

#include "session/app.h"
#include "enginecase.h"

using namespace hs;

namespace {

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

}  // namespace

TEST(RunSimulationTest, EndsWithTheCompletionMessage) {
  auto app = defaultcase('a', '4', 'C');
  ScriptConsole con("");
  runsimulation(*app, con);
  EXPECT_EQ(con.output(), "\ncalcontrol()終わり");
}

TEST(RunSimulationTest, UnreachablePointsAskForOneKeyAndAreNotedAfterTheRun) {
  auto app = defaultcase('b', '3', 'L');
  app->set.line = LineSpec{0.3, 0.0, 1.2, 0.0, 4.0};
  ScriptConsole quiet("");
  derive(*app, quiet);
  ScriptConsole con("xyz");
  runsimulation(*app, con);
  const std::string& out = con.output();
  EXPECT_EQ(count(out, "\n!!! 逆運動学の解なし．始めからやり直し．"), 1);
  EXPECT_EQ(con.remaining(), "yz");  // exactly one key awaited
  const std::size_t done = out.find("\ncalcontrol()終わり");
  ASSERT_NE(done, std::string::npos);
  EXPECT_NE(out.find("手先の届かない指令点", done), std::string::npos);
  EXPECT_NE(out.find("t=", done), std::string::npos);
}

TEST(RunSimulationTest, BlowUpIsSaid) {
  // Springs this stiff make the integration blow up at once.
  auto app = defaultcase('b', '1', 'L');
  app->set.KH1 = app->set.KH2 = 1e7;
  ScriptConsole con("");
  runsimulation(*app, con);
  const std::string& out = con.output();
  EXPECT_EQ(out.rfind("\ncalcontrol()終わり", 0), 0u);
  EXPECT_NE(out.find("発散"), std::string::npos);
}
