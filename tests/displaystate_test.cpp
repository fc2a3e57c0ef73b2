#include "graphics/displaystate.h"

#include <gtest/gtest.h>

#include <limits>

#include "driver/console.h"

using namespace hs;

TEST(DisplayDefaultsTest, StartUpLayout) {
  DisplayState d;
  d.zoom = 2.5;
  d.frame = 17;
  d.errmag = 3.0;
  d.jointr1 = 0.0375;
  setdisplaydefaults(d);
  EXPECT_DOUBLE_EQ(d.zoom, 1.0);
  EXPECT_EQ(d.frame, 0);
  EXPECT_DOUBLE_EQ(d.errmag, 10.0);
  EXPECT_DOUBLE_EQ(d.grapherrmag, 10.0);
  EXPECT_DOUBLE_EQ(d.origin[0], -0.5);
  EXPECT_DOUBLE_EQ(d.origin[1], -0.3);
  EXPECT_DOUBLE_EQ(d.posgraph[0], 0.4);
  EXPECT_DOUBLE_EQ(d.posgraph[1], 0.5);
  EXPECT_DOUBLE_EQ(d.posheight, 0.4);
  EXPECT_DOUBLE_EQ(d.forcegraph[1], 0.1);
  EXPECT_DOUBLE_EQ(d.torquegraph[1], -0.3);
  EXPECT_DOUBLE_EQ(d.graphwidth, 0.5);
  EXPECT_DOUBLE_EQ(d.graphhalf, 0.25);
  EXPECT_EQ(d.errlabel, "00[mm]");
  EXPECT_DOUBLE_EQ(d.jointr1, 0.0375);  // set by the default installation, not here
}

TEST(SetErrLabelTest, WholeMillimetresTruncatedInTwoDigits) {
  DisplayState d;
  const struct {
    double e;
    const char* label;
  } cases[] = {{0.005, "05[mm]"}, {0.0, "00[mm]"},    {0.012, "12[mm]"},
               {0.0059, "05[mm]"}, {0.0999, "99[mm]"}, {0.0005, "00[mm]"}};
  for (const auto& c : cases) {
    seterrlabel(c.e, d);
    EXPECT_EQ(d.errlabel, c.label) << c.e;
  }
  for (int mm = 0; mm < 100; ++mm) {  // every whole value entered in mm
    seterrlabel(mm / 1000.0, d);
    EXPECT_EQ(d.errlabel, fmt("%02d[mm]", mm));
  }
}

TEST(SetErrLabelTest, OutOfRangeShowsSignAndAllDigits) {
  DisplayState d;
  seterrlabel(-0.003, d);
  EXPECT_EQ(d.errlabel, "-03[mm]");
  seterrlabel(-0.0004, d);  // rounds toward zero
  EXPECT_EQ(d.errlabel, "00[mm]");
  seterrlabel(-0.25, d);
  EXPECT_EQ(d.errlabel, "-250[mm]");
  seterrlabel(0.123, d);
  EXPECT_EQ(d.errlabel, "123[mm]");
  seterrlabel(0.1, d);
  EXPECT_EQ(d.errlabel, "100[mm]");
  seterrlabel(1e300, d);
  EXPECT_EQ(d.errlabel, "***[mm]");
  seterrlabel(std::numeric_limits<double>::quiet_NaN(), d);
  EXPECT_EQ(d.errlabel, "***[mm]");
}
