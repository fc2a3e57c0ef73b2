#include "driver/compare.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/menu.h"
#include "driver/meritreport.h"
#include "enginecase.h"

using namespace hs;

namespace {

// A started case with its first run on screen.
std::unique_ptr<App> shown(char type, char method, char contour) {
  auto app = defaultcase(type, method, contour);
  calcontrol(app->runmodel(), app->ctl, app->history());
  return app;
}

// The figures of `method` chosen through the menu: 'h', change 'y', the
// method's key, no further changes 'n'; the menu derives and reruns.
FiguresOfMerit chosenthroughmenu(const App& app, char method) {
  auto copy = std::make_unique<App>(app);
  copy->set.menukey = 'h';
  ScriptConsole con(std::string("y") + method + "n");
  keymenu(*copy, con);
  EXPECT_EQ(copy->set.hybrid, method);
  return figuresofmerit(copy->history(), copy->set, copy->model);
}

std::vector<unsigned char> bytes(const App& app) {
  const auto* p = reinterpret_cast<const unsigned char*>(&app);
  return std::vector<unsigned char>(p, p + sizeof app);
}

}  // namespace

TEST(CompareMethods, RowsAreTheRunsChosenInTheMenu) {
  // Method 1 is on screen, so the speed profile's acceleration time is the
  // one a method-6 rerun inherits: the rows must see the same.
  for (const auto& c : {std::string("a1C"), std::string("b4S")}) {
    auto app = shown(c[0], c[1], c[2]);
    const auto rows = comparemethods(*app);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].method, COMPAREMETHODS[i]);
      EXPECT_EQ(metricscsv(rows[i].method, rows[i].fig),
                metricscsv(COMPAREMETHODS[i], chosenthroughmenu(*app, COMPAREMETHODS[i])))
          << c << " method " << COMPAREMETHODS[i];
      EXPECT_FALSE(rows[i].rep.diverged);
      EXPECT_FALSE(rows[i].rep.unreachable);
      EXPECT_EQ(rows[i].unreachableends, 0);
    }
  }
}

TEST(CompareMethods, RowsOfAFreshCaseAreItsSingleRuns) {
  // Compared on the state before the case's first derivation, each row is
  // the run that a start-up with that method alone makes (method 6 keeps the
  // acceleration time of the defaults there).
  for (char type : {'a', 'b'}) {
    auto app = selectedcase(type, '1', 'L');
    const auto rows = comparemethods(*app);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      auto single = shown(type, COMPAREMETHODS[i], 'L');
      EXPECT_EQ(metricscsv(rows[i].method, rows[i].fig),
                metricscsv(COMPAREMETHODS[i], figuresofmerit(single->history(), single->set,
                                                             single->model)))
          << type << " method " << COMPAREMETHODS[i];
    }
  }
}

TEST(CompareMethods, LeavesTheApplicationStateAsItWas) {
  auto app = shown('b', '3', 'C');
  app->disp.frame = 57;
  app->disp.zoom = 2.0;
  const std::vector<unsigned char> before = bytes(*app);
  const std::string label = app->disp.errlabel;
  const auto copy = std::make_unique<App>(*app);
  comparemethods(*app);
  EXPECT_TRUE(bytes(*app) == before);
  EXPECT_EQ(app->disp.errlabel, label);
  // The run on screen is still the method-3 run, untouched.
  EXPECT_EQ(std::memcmp(&app->history(), &copy->history(), sizeof(RunHistory)), 0);
  EXPECT_EQ(std::memcmp(&app->set, &copy->set, sizeof(SimSettings)), 0);
  EXPECT_EQ(app->set.hybrid, '3');
}

TEST(CompareMethods, MethodsReallyDiffer) {
  // Four different laws on one case give four different runs, each with
  // its own servo targets (a row that repeated another would show it here).
  auto app = shown('a', '6', 'S');
  const auto rows = comparemethods(*app);
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = i + 1; j < rows.size(); ++j)
      EXPECT_NE(rows[i].fig.frms, rows[j].fig.frms) << rows[i].method << rows[j].method;
  // The row of the method on screen is the run on screen.
  EXPECT_EQ(metricscsv('6', rows[3].fig),
            metricscsv('6', figuresofmerit(app->history(), app->set, app->model)));
}
