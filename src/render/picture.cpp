// Pictures of a run as files: the frame composition of the window drawn on
// the cairo canvas, encoded by cairo (PNG, SVG, PDF) or giflib (GIF).
#include "render/picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "files/safefile.h"
#include "view/frame.h"
#include "render/filecanvas.h"

namespace hs {

namespace {

cairo_status_t appendbytes(void* closure, const unsigned char* data, unsigned int len) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), len);
  return CAIRO_STATUS_SUCCESS;
}

// Draws one picture on a surface of 800 x 800 units; returns the texts drawn.
template <class Draw>
std::vector<std::string> drawon(cairo_surface_t* surface, Draw draw) {
  cairo_t* cr = cairo_create(surface);
  std::vector<std::string> texts;
  {
    CairoCanvas cv(cr);
    draw(cv);
    texts = cv.texts();
  }
  cairo_destroy(cr);
  return texts;
}

// The window's picture of one step of the run; d's step is the one shown.
void showstep(Canvas& cv, const Run& run, DisplayState& d, int frame) {
  d.frame = run.hist.clamp(frame);
  showframe(cv, run, d);
}

std::string xmlescape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

// cairo draws SVG texts as glyph outlines; the picture's texts go into the
// document as its title (the first line) and description, so the file can
// be searched and read aloud.
std::string withtexts(const std::string& svg, const std::vector<std::string>& texts) {
  const size_t open = svg.find("<svg");
  const size_t end = open == std::string::npos ? open : svg.find('>', open);
  if (end == std::string::npos || texts.empty()) return svg;
  std::string meta = "\n<title>" + xmlescape(texts.front()) + "</title>\n<desc>";
  for (size_t i = 1; i < texts.size(); ++i) meta += (i > 1 ? "\n" : "") + xmlescape(texts[i]);
  meta += "</desc>";
  return svg.substr(0, end + 1) + meta + svg.substr(end + 1);
}

// ---- GIF ----

// The drawing's own colours; the last entry is the transparent index.
constexpr int PALETTESIZE = 8;
constexpr int TRANSPARENT = PALETTESIZE - 1;
const Rgba PALETTE[TRANSPARENT] = {WHITE, BLACK, RED, GREEN, BLUE, YELLOW, LIGHTBLUE};

int channel(float c) { return static_cast<int>(c * 255.0f + 0.5f); }

// Maps the canvas's pixels (0xRRGGBB) to palette indices; every pixel of the
// drawing is one of the palette's colours, anything else goes to the nearest.
class Quantiser {
 public:
  uint8_t index(uint32_t rgb) {
    if (rgb == lastrgb_) return lastindex_;
    int best = 0;
    long bestd = -1;
    for (int k = 0; k < TRANSPARENT; ++k) {
      const long dr = static_cast<long>((rgb >> 16) & 0xff) - channel(PALETTE[k].r);
      const long dg = static_cast<long>((rgb >> 8) & 0xff) - channel(PALETTE[k].g);
      const long db = static_cast<long>(rgb & 0xff) - channel(PALETTE[k].b);
      const long d = dr * dr + dg * dg + db * db;
      if (bestd < 0 || d < bestd) {
        bestd = d;
        best = k;
      }
    }
    lastrgb_ = rgb;
    lastindex_ = static_cast<uint8_t>(best);
    return lastindex_;
  }

 private:
  uint32_t lastrgb_ = 0xffffffff;
  uint8_t lastindex_ = 0;
};

int gifout(GifFileType* gif, const GifByteType* data, int len) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), len);
  return len;
}

// Changed pixels of a step against the one before: the box around them.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};
Rect changedbox(const std::vector<uint8_t>& cur, const std::vector<uint8_t>& prev) {
  int x0 = PICTUREPX, y0 = PICTUREPX, x1 = -1, y1 = -1;
  for (int y = 0; y < PICTUREPX; ++y) {
    const uint8_t* c = &cur[static_cast<size_t>(y) * PICTUREPX];
    const uint8_t* p = &prev[static_cast<size_t>(y) * PICTUREPX];
    if (std::memcmp(c, p, PICTUREPX) == 0) continue;
    int l = 0, r = PICTUREPX - 1;
    while (c[l] == p[l]) ++l;
    while (c[r] == p[r]) --r;
    x0 = std::min(x0, l);
    x1 = std::max(x1, r);
    y0 = std::min(y0, y);
    y1 = y;
  }
  if (x1 < 0) return {0, 0, 1, 1};  // nothing changed: one transparent pixel
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

// One image of the animation: the box of pixels that changed, the unchanged
// ones inside it transparent so the picture before shows through.
bool putstep(GifFileType* gif, const std::vector<uint8_t>& cur, const std::vector<uint8_t>* prev) {
  const Rect r = prev ? changedbox(cur, *prev) : Rect{0, 0, PICTUREPX, PICTUREPX};
  GraphicsControlBlock gcb;
  gcb.DisposalMode = DISPOSE_DO_NOT;
  gcb.UserInputFlag = false;
  gcb.DelayTime = 4;  // [1/100 s]: the output interval dt = 0.04 s
  gcb.TransparentColor = TRANSPARENT;
  GifByteType ext[4];
  EGifGCBToExtension(&gcb, ext);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK) return false;
  if (EGifPutImageDesc(gif, r.x, r.y, r.w, r.h, false, nullptr) != GIF_OK) return false;
  std::vector<GifPixelType> row(r.w);
  for (int y = r.y; y < r.y + r.h; ++y) {
    const size_t at = static_cast<size_t>(y) * PICTUREPX + r.x;
    for (int x = 0; x < r.w; ++x)
      row[x] = (prev && cur[at + x] == (*prev)[at + x]) ? TRANSPARENT : cur[at + x];
    if (EGifPutLine(gif, row.data(), r.w) != GIF_OK) return false;
  }
  return true;
}

// The rendered image as palette indices.
void quantise(cairo_surface_t* img, Quantiser& q, std::vector<uint8_t>& out) {
  cairo_surface_flush(img);
  const unsigned char* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < PICTUREPX; ++y) {
    const auto* px = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    uint8_t* o = &out[static_cast<size_t>(y) * PICTUREPX];
    for (int x = 0; x < PICTUREPX; ++x) o[x] = q.index(px[x] & 0xffffff);
  }
}

// Writes the bytes of a picture never half-written; the error names the file.
bool writefile(const std::string& path, const std::string& bytes, std::string* error) {
  std::string reason = reasonof(ENOMEM);  // empty bytes: the drawing itself failed
  if (path.empty()) reason = reasonof(ENOENT);
  if (!path.empty() && !bytes.empty() && writefilesafely(path, bytes, &reason)) return true;
  if (error) *error = path + ": " + reason;
  return false;
}

// One picture as the bytes of a PNG, SVG or PDF file; empty when cairo failed.
template <class Draw>
std::string picturebytes(PictureFormat format, Draw draw) {
  std::string out;
  cairo_surface_t* s = nullptr;
  switch (format) {
    case PictureFormat::Png:
      s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, PICTUREPX, PICTUREPX);
      break;
    case PictureFormat::Svg:
      s = cairo_svg_surface_create_for_stream(appendbytes, &out, PICTUREPX, PICTUREPX);
      cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_PX);
      break;
    case PictureFormat::Pdf:
      s = cairo_pdf_surface_create_for_stream(appendbytes, &out, PICTUREPX, PICTUREPX);
      cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATOR, "hybridsim");
      break;
  }
  const std::vector<std::string> texts = drawon(s, draw);
  if (format == PictureFormat::Pdf && !texts.empty())
    cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_TITLE, texts.front().c_str());
  if (format == PictureFormat::Png) cairo_surface_write_to_png_stream(s, appendbytes, &out);
  cairo_surface_finish(s);
  const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  if (!ok) return std::string();
  return format == PictureFormat::Svg ? withtexts(out, texts) : out;
}

}  // namespace

std::string framebytes(const Run& run, int frame, PictureFormat format, const DisplayState& d) {
  DisplayState shown = d;
  return picturebytes(format, [&](Canvas& cv) { showstep(cv, run, shown, frame); });
}

std::string studybytes(const std::vector<StudyRun>& runs, const std::string& title,
                       PictureFormat format) {
  return picturebytes(format, [&](Canvas& cv) { drawstudy(cv, runs, title); });
}

std::string gifbytes(const Run& run, const DisplayState& d) {
  DisplayState shown = d;
  std::string out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, gifout, &err);
  if (!gif) return std::string();
  GifColorType colours[PALETTESIZE] = {};
  for (int k = 0; k < TRANSPARENT; ++k)
    colours[k] = {static_cast<GifByteType>(channel(PALETTE[k].r)),
                  static_cast<GifByteType>(channel(PALETTE[k].g)),
                  static_cast<GifByteType>(channel(PALETTE[k].b))};
  colours[TRANSPARENT] = {128, 128, 128};
  ColorMapObject* map = GifMakeMapObject(PALETTESIZE, colours);
  EGifSetGifVersion(gif, true);
  bool ok = map && EGifPutScreenDesc(gif, PICTUREPX, PICTUREPX, 8, 0, map) == GIF_OK;
  // Loop for ever (the application extension every viewer knows).
  if (ok) {
    const GifByteType loop[3] = {1, 0, 0};  // sub-block 1, repeat count 0 = for ever
    ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  }
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, PICTUREPX, PICTUREPX);
  Quantiser q;
  const size_t npx = static_cast<size_t>(PICTUREPX) * PICTUREPX;
  std::vector<uint8_t> cur(npx), prev(npx);
  const int last = run.hist.laststep();
  for (int f = 0; ok && f <= last; ++f) {
    drawon(img, [&](Canvas& cv) { showstep(cv, run, shown, f); });
    quantise(img, q, cur);
    ok = putstep(gif, cur, f > 0 ? &prev : nullptr);
    cur.swap(prev);
  }
  cairo_surface_destroy(img);
  if (EGifCloseFile(gif, &err) != GIF_OK) ok = false;
  GifFreeMapObject(map);
  return ok ? out : std::string();
}

bool writeframe(const Run& run, int frame, PictureFormat format, const std::string& path,
                std::string* error) {
  return writefile(path, framebytes(run, frame, format), error);
}

bool writestudy(const std::vector<StudyRun>& runs, const std::string& title, PictureFormat format,
                const std::string& path, std::string* error) {
  return writefile(path, studybytes(runs, title, format), error);
}

bool writegif(const Run& run, const std::string& path, std::string* error) {
  return writefile(path, gifbytes(run), error);
}

}  // namespace hs
