#include "driver/app.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace hs;

namespace {

// A fresh application state after start-up steps 1 to 3.
std::unique_ptr<App> installed(ScriptConsole& con) {
  auto app = std::make_unique<App>();
  installconstants(*app);
  setdefaults(*app, con);
  return app;
}

}  // namespace

TEST(InstallConstantsTest, SetsRunConstantsWorkDimensionsAndDisplay) {
  auto app = std::make_unique<App>();
  app->disp.zoom = 3.0;
  installconstants(*app);
  const SimSettings& s = app->set;
  EXPECT_DOUBLE_EQ(s.dt, 0.04);
  EXPECT_EQ(s.nstep, 200);
  EXPECT_DOUBLE_EQ(s.workoff, 0.12);
  EXPECT_DOUBLE_EQ(s.wp, 0.2);
  EXPECT_DOUBLE_EQ(s.worklen, 0.15);
  EXPECT_DOUBLE_EQ(s.workwid, 0.02);
  EXPECT_DOUBLE_EQ(app->disp.zoom, 1.0);
  EXPECT_DOUBLE_EQ(app->disp.grapherrmag, 10.0);
  EXPECT_DOUBLE_EQ(app->disp.origin[0], -0.5);
  EXPECT_DOUBLE_EQ(app->disp.origin[1], -0.3);
}

TEST(SetDefaultsTest, LeavesRobotBMethodSixSine) {
  ScriptConsole con("");
  auto app = installed(con);
  EXPECT_EQ(app->set.type, 'b');
  EXPECT_EQ(app->set.hybrid, '6');
  EXPECT_EQ(app->set.curve, 'S');
  EXPECT_EQ(con.output(), "");  // every default path end is reachable
}
