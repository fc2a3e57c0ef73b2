#include "engine/compare.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session/menu.h"
#include "console/meritreport.h"
#include "enginecase.h"
#include "view/draw.h"

using namespace hs;

namespace {

// A started case with its first run on screen.
std::unique_ptr<App> shown(char type, char method, char contour) {
  return defaultcase(type, method, contour);
}

// The figures of `method` chosen through the menu: 'h', change 'y', the
// method's key, no further changes 'n'; the menu derives and reruns.
FiguresOfMerit chosenthroughmenu(const App& app, Method method) {
  auto copy = std::make_unique<App>(app);
  copy->menukey = 'h';
  ScriptConsole con(std::string("y") + keyof(method) + "n");
  keymenu(*copy, con);
  EXPECT_EQ(copy->set.hybrid, method);
  return figuresofmerit(copy->history(), copy->set, copy->model);
}

std::vector<unsigned char> bytes(const App& app) {
  const auto* p = reinterpret_cast<const unsigned char*>(&app);
  return {p, p + sizeof app};
}

}  // namespace

TEST(CompareMethods, RowsAreTheRunsChosenInTheMenu) {
  // Method 1 is on screen, so the speed profile's acceleration time is the
  // one a method-6 rerun inherits: the rows must see the same.
  for (const auto& c : {std::string("a1C"), std::string("b4S")}) {
    auto app = shown(c[0], c[1], c[2]);
    const auto rows = comparemethods(app->runcase());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].method, COMPAREMETHODS[i]);
      EXPECT_EQ(metricscsv(rows[i].method, rows[i].fig),
                metricscsv(COMPAREMETHODS[i], chosenthroughmenu(*app, COMPAREMETHODS[i])))
          << c << " method " << keyof(COMPAREMETHODS[i]);
      EXPECT_FALSE(rows[i].failed());
    }
  }
}

TEST(CompareMethods, CurrentRowIsTheRunOnScreenAfterTheWindowDrewIt) {
  // The first picture stores the hand's 0.14 m work block; M's current row
  // still shows the run on screen, made with 0.15 m, as m does.
  auto app = defaultcase('b', '6', 'S');
  sethanddimensions(app->set);
  const auto rows = comparemethods(app->runcase());
  EXPECT_EQ(metricscsv(rows[3].method, rows[3].fig), metricscsv(*app));
}

TEST(CompareMethods, RowsOfAFreshCaseAreItsSingleRuns) {
  // Compared on the state before the case's first derivation, each row is
  // the run that a start-up with that method alone makes (method 6 keeps the
  // acceleration time of the defaults there).
  for (char type : {'a', 'b'}) {
    auto app = selectedcase(type, '1', 'L');
    const auto rows = comparemethods(app->runcase());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      auto single = shown(type, keyof(COMPAREMETHODS[i]), 'L');
      EXPECT_EQ(metricscsv(rows[i].method, rows[i].fig),
                metricscsv(COMPAREMETHODS[i], figuresofmerit(single->history(), single->set,
                                                             single->model)))
          << type << " method " << keyof(COMPAREMETHODS[i]);
    }
  }
}

TEST(CompareMethods, LeavesTheApplicationStateAsItWas) {
  auto app = shown('b', '3', 'C');
  const std::vector<unsigned char> before = bytes(*app);
  const auto rows = comparemethods(app->runcase());
  // Settings, model, gains, path, control memory, both histories.
  EXPECT_TRUE(bytes(*app) == before);
  EXPECT_EQ(rows[1].method, app->set.hybrid);
}

TEST(CompareMethods, RowsKeepTheRunsErrorHistories) {
  // The comparison picture draws these: steps 0 .. nstep of the very run
  // the row's figures come from.
  auto app = selectedcase('b', '1', 'S');
  const auto rows = comparemethods(app->runcase());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    auto single = shown('b', keyof(COMPAREMETHODS[i]), 'S');
    const RunHistory& h = single->history();
    ASSERT_EQ(rows[i].forceerr.size(), 201u);
    ASSERT_EQ(rows[i].perierr.size(), 201u);
    EXPECT_EQ(rows[i].dt, single->set.dt);
    EXPECT_EQ(rows[i].tf, single->path.tf);
    for (std::size_t k = 0; k < 201; ++k) {
      EXPECT_EQ(rows[i].forceerr[k], h.forceerr[k]) << keyof(COMPAREMETHODS[i]) << " step " << k;
      EXPECT_EQ(rows[i].perierr[k], h.perierr[k]) << keyof(COMPAREMETHODS[i]) << " step " << k;
    }
  }
}
