// Test tool: the pictures of a default case as the window would show them.
//
//   picture_tool ROBOT METHOD CONTOUR write STEP FILE   (.png .svg .pdf; .gif: the whole run)
//   picture_tool ROBOT METHOD CONTOUR compare STEP SCREENSHOT.png
//
// compare draws the step and counts the pixels that agree with a screenshot
// of the window (each channel within 40), over the whole picture and outside
// the text boxes; it prints both shares and exits 1 below 98 % / 99.5 %.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "session/keys.h"
#include "render/filecanvas.h"
#include "render/picture.h"
#include "../runcase.h"

namespace {

bool endswith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int write(const hs::App& app, int step, const std::string& path) {
  std::string error;
  bool ok;
  if (endswith(path, ".gif"))
    ok = hs::writegif(app.run(), path, &error);
  else
    ok = hs::writeframe(app.run(), step, endswith(path, ".svg")   ? hs::PictureFormat::Svg
                                   : endswith(path, ".pdf") ? hs::PictureFormat::Pdf
                                                            : hs::PictureFormat::Png,
                        path, &error);
  if (!ok) std::fprintf(stderr, "%s\n", error.c_str());
  return ok ? 0 : 1;
}

int compare(const hs::App& app, int step, const std::string& shotpath) {
  const int N = hs::PICTUREPX;
  cairo_surface_t* shot = cairo_image_surface_create_from_png(shotpath.c_str());
  if (cairo_surface_status(shot) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_width(shot) != N || cairo_image_surface_get_height(shot) != N) {
    std::fprintf(stderr, "%s: not an %d x %d PNG\n", shotpath.c_str(), N, N);
    return 2;
  }
  cairo_surface_t* mine = cairo_image_surface_create(CAIRO_FORMAT_RGB24, N, N);
  cairo_t* cr = cairo_create(mine);
  std::vector<hs::CairoCanvas::Box> boxes;
  {
    hs::DisplayState d;
    d.frame = step;
    hs::CairoCanvas cv(cr);
    hs::showframe(cv, app.run(), d);
    boxes = cv.textboxes();
  }
  cairo_destroy(cr);
  // The text boxes, with room for the window font's slightly other glyphs.
  std::vector<char> intext(static_cast<size_t>(N) * N, 0);
  for (const auto& b : boxes) {
    const int x0 = std::max(0, static_cast<int>(b.x) - 4);
    const int x1 = std::min(N, static_cast<int>(b.x + b.w) + 4);
    const int y0 = std::max(0, static_cast<int>(b.y) - 4);
    const int y1 = std::min(N, static_cast<int>(b.y + b.h) + 4);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) intext[static_cast<size_t>(y) * N + x] = 1;
  }
  long same = 0, outside = 0, outsame = 0;
  const unsigned char* a = cairo_image_surface_get_data(shot);
  const unsigned char* b = cairo_image_surface_get_data(mine);
  const int sa = cairo_image_surface_get_stride(shot), sb = cairo_image_surface_get_stride(mine);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const uint32_t p = reinterpret_cast<const uint32_t*>(a + y * sa)[x];
      const uint32_t q = reinterpret_cast<const uint32_t*>(b + y * sb)[x];
      bool ok = true;
      for (int k = 0; k < 24; k += 8)
        ok = ok && std::abs(static_cast<int>((p >> k) & 0xff) - static_cast<int>((q >> k) & 0xff)) <= 40;
      same += ok;
      if (!intext[static_cast<size_t>(y) * N + x]) {
        ++outside;
        outsame += ok;
      }
    }
  cairo_surface_destroy(shot);
  cairo_surface_destroy(mine);
  const double whole = 100.0 * same / (static_cast<double>(N) * N);
  const double out = 100.0 * outsame / static_cast<double>(outside);
  std::printf("same colour: %.3f %% of the picture, %.3f %% outside the text boxes\n", whole, out);
  return whole >= 98.0 && out >= 99.5 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: picture_tool ROBOT METHOD CONTOUR write|compare STEP FILE\n");
    return 2;
  }
  auto app = hs::defaultrun(argv[1][0], argv[2][0], argv[3][0]);
  const std::string what = argv[4];
  const int step = std::atoi(argv[5]);
  if (what == "write") return write(*app, step, argv[6]);
  if (what == "compare") return compare(*app, step, argv[6]);
  return 2;
}
