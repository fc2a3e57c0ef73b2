// The picture files of a run: a PNG equal pixel for pixel to the GIF's
// first and last images, an SVG that is XML with the title text, a PDF of
// one 800 x 800 page, a GIF of nstep + 1 images at 4/100 s that loops, and
// failures that name the file and leave nothing behind.
#include "render/picture.h"

#include <cairo.h>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runcase.h"

namespace hs {
namespace {

// A default case after the menu's first run, as the window shows it.
const App& started() {
  static std::unique_ptr<App> app = defaultrun('b', '6', 'S');
  return *app;
}
const Run& run() { return started().run(); }

// A scratch folder, removed when the tests end.
struct Scratch {
  std::string dir;
  Scratch() {
    char t[] = "/tmp/picture_test.XXXXXX";
    dir = mkdtemp(t);
  }
  ~Scratch() { std::system(("rm -rf '" + dir + "'").c_str()); }
};
std::string tmpdir() {
  static Scratch s;
  return s.dir;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// Pixels (0xRRGGBB, row by row) of a PNG given as bytes.
struct Reader {
  const std::string* bytes;
  size_t at = 0;
};
cairo_status_t readbytes(void* closure, unsigned char* data, unsigned int len) {
  auto* r = static_cast<Reader*>(closure);
  if (r->at + len > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
  std::copy_n(r->bytes->data() + r->at, len, data);
  r->at += len;
  return CAIRO_STATUS_SUCCESS;
}
std::vector<uint32_t> pngpixels(const std::string& png, int* w, int* h) {
  Reader r{&png};
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readbytes, &r);
  std::vector<uint32_t> px;
  *w = *h = 0;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    *w = cairo_image_surface_get_width(s);
    *h = cairo_image_surface_get_height(s);
    const unsigned char* d = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < *h; ++y)
      for (int x = 0; x < *w; ++x)
        px.push_back(reinterpret_cast<const uint32_t*>(d + y * stride)[x] & 0xffffff);
  }
  cairo_surface_destroy(s);
  return px;
}

int countpx(const std::vector<uint32_t>& px, uint32_t rgb) {
  int n = 0;
  for (uint32_t p : px) n += p == rgb;
  return n;
}

TEST(PictureTest, PngIsTheWindowSizeInTheDrawingsColours) {
  int w, h;
  const std::vector<uint32_t> px = pngpixels(framebytes(run(), 100, PictureFormat::Png), &w, &h);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(h, 800);
  // Background white, grid and text black, workpiece light blue, robot,
  // axes and curves red, springs green; nothing else (no antialiasing).
  const uint32_t colours[] = {0xffffff, 0x000000, 0xff0000, 0x00ff00, 0x0000ff, 0xffff00, 0x9999ff};
  int known = 0;
  for (uint32_t c : colours) known += countpx(px, c);
  EXPECT_EQ(known, 800 * 800);
  EXPECT_GT(countpx(px, 0x9999ff), 20000);  // the sine workpiece
  EXPECT_GT(countpx(px, 0x00ff00), 50);     // the springs
  // The grid's centre lines (2 px) cross at the robot base (200, 520);
  // the red base disc covers the crossing.
  EXPECT_EQ(px[520 * 800 + 200], 0xff0000u);
  EXPECT_EQ(px[780 * 800 + 600], 0xffffffu);  // under the graphs: empty
  // A grid line at x = -0.9 covers pixel column 39 only, as in the window.
  EXPECT_EQ(px[700 * 800 + 39], 0u);
  EXPECT_EQ(px[700 * 800 + 40], 0xffffffu);
  EXPECT_EQ(px[720 * 800 + 100], 0u);  // the line y = -0.8 on row 720
  EXPECT_EQ(px[719 * 800 + 100], 0xffffffu);
}

TEST(PictureTest, TheRedTraceGrowsWithTheStep) {
  int w, h;
  const int r0 = countpx(pngpixels(framebytes(run(), 0, PictureFormat::Png), &w, &h), 0xff0000);
  const int r200 =
      countpx(pngpixels(framebytes(run(), 200, PictureFormat::Png), &w, &h), 0xff0000);
  EXPECT_GT(r200, r0 + 1000);
  // A step beyond the run shows the last one.
  const std::string last = framebytes(run(), 200, PictureFormat::Png);
  EXPECT_EQ(framebytes(run(), 5000, PictureFormat::Png), last);
}

TEST(PictureTest, SvgIsXmlWithTheTitleText) {
  const std::string path = tmpdir() + "/f.svg";
  std::string error;
  ASSERT_TRUE(writeframe(run(), 10, PictureFormat::Svg, path, &error)) << error;
  const std::string svg = slurp(path);
  EXPECT_NE(svg.find("<title>Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]</title>"),
            std::string::npos);
  EXPECT_NE(svg.find("(b) SCARA robot"), std::string::npos);
  EXPECT_NE(svg.find("width=\"800px\""), std::string::npos);
  EXPECT_EQ(shell("xmllint --noout '" + path + "' 2>&1; echo $?"), "0\n");
}

TEST(PictureTest, PdfIsOnePageOf800By800) {
  const std::string path = tmpdir() + "/f.pdf";
  std::string error;
  ASSERT_TRUE(writeframe(run(), 10, PictureFormat::Pdf, path, &error)) << error;
  const std::string info = shell("pdfinfo '" + path + "'");
  const auto field = [&](const std::string& name) {
    const size_t at = info.find(name + ":");
    if (at == std::string::npos) return std::string();
    const size_t from = info.find_first_not_of(' ', at + name.size() + 1);
    return info.substr(from, info.find('\n', from) - from);
  };
  EXPECT_EQ(field("Pages"), "1") << info;
  EXPECT_EQ(field("Page size"), "800 x 800 pts") << info;
  EXPECT_EQ(field("Title"), "Robot motion-force hybrid control   1 grid=(0.1, 0.1)[m]") << info;
  // The texts can be copied out of the page.
  const std::string text = shell("pdftotext '" + path + "' -");
  EXPECT_NE(text.find("Contact force"), std::string::npos) << text;
  EXPECT_NE(text.find("(b) SCARA robot"), std::string::npos) << text;
}

// The GIF played to each image: every image drawn over the ones before,
// its transparent pixels leaving them as they were.
TEST(PictureTest, GifHasEveryStepAtRealTimeAndEndsLikeThePngs) {
  const App& app = started();
  const std::string path = tmpdir() + "/run.gif";
  std::string error;
  ASSERT_TRUE(writegif(app.run(), path, &error)) << error;
  int err = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  EXPECT_EQ(gif->SWidth, 800);
  EXPECT_EQ(gif->SHeight, 800);
  ASSERT_EQ(gif->ImageCount, app.set.nstep + 1);
  // Loops for ever: the application extension with repeat count 0, ahead
  // of the first image.
  bool loops = false;
  const SavedImage& im0 = gif->SavedImages[0];
  for (int i = 0; i + 1 < im0.ExtensionBlockCount; ++i) {
    const ExtensionBlock& a = im0.ExtensionBlocks[i];
    const ExtensionBlock& b = im0.ExtensionBlocks[i + 1];
    if (a.Function == APPLICATION_EXT_FUNC_CODE && a.ByteCount == 11 &&
        std::string(reinterpret_cast<char*>(a.Bytes), 11) == "NETSCAPE2.0" && b.ByteCount == 3)
      loops = b.Bytes[0] == 1 && b.Bytes[1] == 0 && b.Bytes[2] == 0;
  }
  EXPECT_TRUE(loops);
  const ColorMapObject* map = gif->SColorMap;
  ASSERT_NE(map, nullptr);
  EXPECT_LE(map->ColorCount, 16);
  std::vector<uint32_t> screen(800 * 800, 0);
  std::vector<uint32_t> first;
  for (int k = 0; k < gif->ImageCount; ++k) {
    GraphicsControlBlock gcb;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, k, &gcb), GIF_OK);
    EXPECT_EQ(gcb.DelayTime, 4) << "image " << k;
    const SavedImage& im = gif->SavedImages[k];
    const GifImageDesc& d = im.ImageDesc;
    const ColorMapObject* m = d.ColorMap ? d.ColorMap : map;
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const int c = im.RasterBits[y * d.Width + x];
        if (c == gcb.TransparentColor) continue;
        const GifColorType& g = m->Colors[c];
        screen[(d.Top + y) * 800 + d.Left + x] = (g.Red << 16) | (g.Green << 8) | g.Blue;
      }
    if (k == 0) first = screen;
  }
  DGifCloseFile(gif, &err);
  int w, h;
  EXPECT_TRUE(first == pngpixels(framebytes(app.run(), 0, PictureFormat::Png), &w, &h));
  EXPECT_TRUE(screen == pngpixels(framebytes(app.run(), app.set.nstep, PictureFormat::Png), &w, &h));
}

TEST(PictureTest, AFileThatCannotBeWrittenGivesItsNameAndReason) {
  std::string error;
  const std::string missing = tmpdir() + "/no/such/folder/f.png";
  EXPECT_FALSE(writeframe(run(), 0, PictureFormat::Png, missing, &error));
  EXPECT_EQ(error, missing + ": No such file or directory");
  // A folder in the way of the name: the temporary file is removed again.
  const std::string dir = tmpdir() + "/taken";
  ASSERT_EQ(shell("mkdir -p '" + dir + "/x.gif' && echo ok"), "ok\n");
  EXPECT_FALSE(writegif(run(), dir + "/x.gif", &error));
  EXPECT_EQ(error.rfind(dir + "/x.gif: ", 0), 0u) << error;
  EXPECT_EQ(shell("ls '" + dir + "'"), "x.gif\n");
}

TEST(PictureTest, AnExistingFileIsReplacedWhole) {
  const std::string path = tmpdir() + "/again.png";
  std::string error;
  { std::ofstream(path) << std::string(5000000, 'x'); }
  ASSERT_TRUE(writeframe(run(), 3, PictureFormat::Png, path, &error)) << error;
  EXPECT_EQ(slurp(path), framebytes(run(), 3, PictureFormat::Png));
  EXPECT_EQ(shell("ls '" + tmpdir() + "' | grep -c part"), "0\n");
}

}  // namespace
}  // namespace hs
