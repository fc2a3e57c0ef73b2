#include "view/displaystate.h"

#include <gtest/gtest.h>

#include <limits>

#include "console/console.h"

using namespace hs;

TEST(DisplayDefaultsTest, StartUpLayoutAndJointRadii) {
  const DisplayState d;
  EXPECT_EQ(fmt("%g %d %g %g (%g,%g) (%g,%g) %g (%g,%g) (%g,%g) %g %g", d.zoom, d.frame, d.errmag, d.grapherrmag,
                d.origin[0], d.origin[1], d.posgraph[0], d.posgraph[1], d.posheight, d.forcegraph[0],
                d.forcegraph[1], d.torquegraph[0], d.torquegraph[1], d.graphwidth, d.graphhalf),
            "1 0 10 10 (-0.5,-0.3) (0.4,0.5) 0.4 (0.4,0.1) (0.4,-0.3) 0.5 0.25");
  // The joint radii: 0.075 of the SCARA robot's default arm lengths.
  EXPECT_DOUBLE_EQ(d.jointr1, 0.0375);
  EXPECT_DOUBLE_EQ(d.jointr2, 0.0225);
}

TEST(SetErrLabelTest, WholeMillimetresTruncated) {
  const struct {
    double e;
    const char* label;
  } cases[] = {{0.005, "05[mm]"},  {0.0, "00[mm]"},     {0.012, "12[mm]"},   {0.0059, "05[mm]"},
               {0.0999, "99[mm]"}, {-0.0004, "00[mm]"}, {-0.003, "-03[mm]"}, {-0.25, "-250[mm]"},
               {0.123, "123[mm]"}, {0.1, "100[mm]"},    {1e300, "***[mm]"},
               {std::numeric_limits<double>::quiet_NaN(), "***[mm]"}};
  for (const auto& c : cases) {
    EXPECT_EQ(seterrlabel(c.e), c.label) << c.e;
  }
  for (int mm = 0; mm < 100; ++mm) {  // every whole value entered in mm
    EXPECT_EQ(seterrlabel(mm / 1000.0), fmt("%02d[mm]", mm));
  }
}
