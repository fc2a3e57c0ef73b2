// The cairo canvas against the window's pixel rules: where lines of each
// width and polygons land, the frame transforms, and the bitmap texts'
// places, clipping and colour.
#include "render/filecanvas.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace hs {
namespace {

// A white 800 x 800 picture with what `draw` puts on a fresh canvas.
class Picture {
 public:
  explicit Picture(const std::function<void(CairoCanvas&)>& draw)
      : img_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, PICTUREPX, PICTUREPX)) {
    cairo_t* cr = cairo_create(img_);
    {
      CairoCanvas cv(cr);
      cv.clear();
      draw(cv);
      cv.present();
      boxes_ = cv.textboxes();
      texts_ = cv.texts();
    }
    cairo_destroy(cr);
  }
  ~Picture() { cairo_surface_destroy(img_); }
  // 0xRRGGBB of pixel column x, row y (from the top).
  uint32_t at(int x, int y) const {
    const unsigned char* d = cairo_image_surface_get_data(img_);
    return reinterpret_cast<const uint32_t*>(d + y * cairo_image_surface_get_stride(img_))[x] &
           0xffffff;
  }
  // Pixels of a colour in column x / row y / the box.
  int incolumn(int x, uint32_t c) const { return count(x, 0, 1, PICTUREPX, c); }
  int inrow(int y, uint32_t c) const { return count(0, y, PICTUREPX, 1, c); }
  int count(int x0, int y0, int w, int h, uint32_t c) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) n += at(x, y) == c;
    return n;
  }
  const std::vector<CairoCanvas::Box>& boxes() const { return boxes_; }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  cairo_surface_t* img_;
  std::vector<CairoCanvas::Box> boxes_;
  std::vector<std::string> texts_;
};

constexpr uint32_t WHITEPX = 0xffffff, REDPX = 0xff0000, BLACKPX = 0;

TEST(FileCanvasTest, LineWidthsRoundToWholePixelsAcrossTheMinorAxis) {
  // Horizontal lines at y = 0.5 (between rows 199 and 200) in widths 1, 1.6,
  // 2.4, 3.2 px: 1, 2, 2 and 3 rows, the columns x = -0.5 .. 0.5 only.
  const double widths[] = {1, 1.6, 2.4, 3.2};
  const int rows[] = {1, 2, 2, 3};
  for (int k = 0; k < 4; ++k) {
    Picture p([&](CairoCanvas& cv) {
      cv.linewidth(widths[k]);
      cv.shape(Shape::Lines, RED, {{-0.5, 0.5}, {0.5, 0.5}});
    });
    EXPECT_EQ(p.incolumn(400, REDPX), rows[k]) << widths[k];
    EXPECT_EQ(p.inrow(200, REDPX), 400) << widths[k];
    EXPECT_EQ(p.count(0, 0, 800, 800, REDPX), 400 * rows[k]) << widths[k];
  }
  // A slanted line keeps its width measured straight up and down: 3 pixels
  // in every column it crosses.
  Picture slant([](CairoCanvas& cv) {
    cv.linewidth(3);
    cv.shape(Shape::LineStrip, RED, {{-0.5, -0.2}, {0.5, 0.3}});
  });
  for (int x = 210; x < 590; x += 20) EXPECT_EQ(slant.incolumn(x, REDPX), 3) << x;
}

TEST(FileCanvasTest, LineLoopsCloseAndSegmentsStandAlone) {
  Picture p([](CairoCanvas& cv) {
    cv.linewidth(1);
    cv.shape(Shape::LineLoop, BLACK, {{-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5}, {-0.5, 0.5}});
  });
  // A vertical line at x = -0.5 (pixel 200) falls on column 199, a
  // horizontal one at y = 0.5 on row 200: ties go to the lower-left pixel.
  EXPECT_EQ(p.at(199, 400), BLACKPX);
  EXPECT_EQ(p.at(200, 400), WHITEPX);
  EXPECT_EQ(p.at(400, 200), BLACKPX);
  EXPECT_EQ(p.at(400, 199), WHITEPX);
  EXPECT_EQ(p.at(599, 400), BLACKPX);  // the closing edges are drawn
  EXPECT_EQ(p.at(400, 600), BLACKPX);
  EXPECT_EQ(p.at(400, 400), WHITEPX);  // and nothing inside
}

TEST(FileCanvasTest, PolygonsFillPixelsWhoseCentresAreInside) {
  Picture p([](CairoCanvas& cv) {
    cv.shape(Shape::Polygon, LIGHTBLUE, {{-0.5, -0.5}, {0, -0.5}, {0, 0}, {-0.5, 0}});
  });
  EXPECT_EQ(p.count(0, 0, 800, 800, 0x9999ff), 200 * 200);
  EXPECT_EQ(p.count(200, 400, 200, 200, 0x9999ff), 200 * 200);
}

TEST(FileCanvasTest, FramesTranslateAndTurnLikeTheWindow) {
  // A square turned a quarter turn about (0.5, 0) lands left of it.
  Picture p([](CairoCanvas& cv) {
    cv.pushframe({0.5, 0}, PI / 2);
    cv.shape(Shape::Polygon, RED, {{0, 0}, {0.1, 0}, {0.1, 0.1}, {0, 0.1}});
    cv.popframe();
    cv.shape(Shape::Polygon, GREEN, {{-0.9, -0.9}, {-0.8, -0.9}, {-0.8, -0.8}});
  });
  EXPECT_EQ(p.at(580, 380), REDPX);  // x in 0.4 .. 0.5, y in 0 .. 0.1
  EXPECT_EQ(p.at(620, 380), WHITEPX);
  EXPECT_EQ(p.count(0, 0, 800, 800, REDPX), 40 * 40);
  EXPECT_GT(p.count(0, 0, 800, 800, 0x00ff00), 700);  // back in window units
}

TEST(FileCanvasTest, TextsStandOnTheirRasterPositionInBlackAtTheWindowsAdvances) {
  Picture p([](CairoCanvas& cv) {
    cv.shape(Shape::Polygon, RED, {{-1, -1}, {1, -1}, {1, 1}});  // colour before the text
    cv.text(-0.5f, 0.5f, Font::Helvetica18, "Hybrid control 6");
    cv.text(-0.5f, 0.0f, Font::Helvetica12, "T1max\n");
    cv.text(-1.1f, 0.0f, Font::Helvetica18, "outside the window");
  });
  ASSERT_EQ(p.texts().size(), 2u);
  EXPECT_EQ(p.texts()[1], "T1max");
  // Widths of the window's fonts: H13 y10 b11 r6 i4 d11 space5 c10 o11 n10
  // t6 r6 o11 l4 space5 6 10 = 133; T7 1 7 m9 a7 x6 = 36.
  EXPECT_EQ(p.boxes()[0].w, 133);
  EXPECT_EQ(p.boxes()[1].w, 36);
  EXPECT_EQ(p.boxes()[0].x, 200);
  // Glyphs over the baseline (row 199, the raster position's row), black,
  // none below the descender nor left of the raster position.
  EXPECT_GT(p.count(200, 186, 133, 14, BLACKPX), 150);
  EXPECT_EQ(p.count(180, 186, 20, 20, BLACKPX), 0);
  EXPECT_EQ(p.count(200, 206, 133, 10, BLACKPX), 0);
  EXPECT_GT(p.count(200, 390, 36, 10, BLACKPX), 30);
  // Only black and the colours drawn: no grey edges.
  EXPECT_EQ(p.count(0, 0, 800, 800, BLACKPX) + p.count(0, 0, 800, 800, REDPX) +
                p.count(0, 0, 800, 800, WHITEPX),
            800 * 800);
}

}  // namespace
}  // namespace hs
