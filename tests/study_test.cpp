// The study view: labels by what differs, the caption of what is shared,
// every trace inside its graph, no two texts meeting, and the best of each
// column marked by the comparison's rules (a failed run never best).
#include "view/study.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/settingfields.h"
#include "render/filecanvas.h"

namespace hs {
namespace {

Run runof(char method, const std::vector<std::pair<std::string, double>>& set) {
  Case c = defaultcase();
  c.set.type = Robot::b;
  methodof(method, &c.set.hybrid);
  c.set.curve = Contour::circle;
  for (const auto& [name, v] : set) EXPECT_TRUE(setnamed(c, name, v, nullptr)) << name;
  return simulate(derive(c));
}

std::vector<StudyRun> studyof(const std::vector<Run>& runs) {
  std::vector<StudyRun> s;
  for (const Run& r : runs) s.push_back({&r, "", ""});
  return s;
}

TEST(Study, LabelsTellWhatDiffersAndTheCaptionWhatIsShared) {
  const std::vector<hs::Run> fn = {runof('3', {{"fn2", 10}}), runof('3', {{"fn2", 20}, {"KH1", 1000}})};
  std::vector<StudyRun> s = studyof(fn);
  EXPECT_EQ(studylabels(s), (std::vector<std::string>{"fn2 = 10 Hz, KH1 = 500 N/m",
                                                      "fn2 = 20 Hz, KH1 = 1000 N/m"}));
  const std::string caption = studycaption(s);
  EXPECT_EQ(caption.rfind("robot b (SCARA), method 3, circle; fn1 = 5 Hz", 0), 0u) << caption;
  EXPECT_EQ(caption.find("fn2"), std::string::npos) << caption;
  // Methods differ: the method and its own servo targets name them; the
  // file's name where names differ; equal cases: their numbers.
  const std::vector<hs::Run> methods = {runof('1', {}), runof('6', {}), runof('6', {})};
  s = studyof(methods);
  s[1].name = "mine.dat";
  std::vector<std::string> labels = studylabels(s);
  EXPECT_EQ(labels[0], "method 1, fn2 = 10 Hz, alpha2 = 5 1/s");
  EXPECT_EQ(labels[1], "mine.dat, method 6, fn2 = 20 Hz, alpha2 = 2 1/s");
  EXPECT_EQ(labels[2], labels[1].substr(10));
  s[1].name = "";
  EXPECT_EQ(studylabels(s)[2].rfind("run 3: method 6, ", 0), 0u);
  s[2].label = "given";
  EXPECT_EQ(studylabels(s)[2], "given");
}

TEST(Study, TracesStayInTheirGraphsTextsNeverMeetFailedRunsAreNeverBest) {
  // Four runs, one of them diverged (its figures are no numbers to win with).
  const std::vector<hs::Run> runs = {runof('3', {{"fn2", 5}}), runof('3', {{"fn2", 20}}),
                                 runof('3', {{"KH1", 1e7}, {"KH2", 1e7}}), runof('3', {{"fn2", 40}})};
  ASSERT_FALSE(runs[2].ok());
  const std::vector<StudyRun> s = studyof(runs);
  Recorder rec;
  drawstudy(rec, s);
  EXPECT_EQ(rec.cleared(), 1);
  EXPECT_EQ(rec.presented(), 1);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    std::vector<Primitive> traces = rec.find(Primitive::LineStrip, studycolour(k));
    for (const Primitive& p : rec.find(Primitive::Lines, studycolour(k))) traces.push_back(p);
    ASSERT_FALSE(traces.empty()) << k;
    for (const Primitive& p : traces)
      for (const Pair& q : p.pts) {
        // Inside the plot area's columns and above the table.
        EXPECT_GE(q[0], -1 + 6 / 400.0 - 1e-9);
        EXPECT_LE(q[0], 1 - 10 / 400.0 + 1e-9);
      }
  }
  // The diverged run: marked, and no '*' on its row; the best frms carries one.
  const Primitive* failed = nullptr;
  for (const Primitive& p : rec.prims())
    if (p.kind == Primitive::Text && p.text.find("(failed)") != std::string::npos) failed = &p;
  ASSERT_NE(failed, nullptr);
  int stars = 0;
  for (const Primitive& p : rec.prims())
    if (p.kind == Primitive::Text && p.pts[0][1] == failed->pts[0][1])
      EXPECT_EQ(p.text.find('*'), std::string::npos) << p.text;
    else if (p.kind == Primitive::Text && p.text.find('*') != std::string::npos)
      ++stars;
  EXPECT_GE(stars, 9);

  // Drawn by cairo, in full and for a narrow screen (with a fifth run): no
  // two texts overlap, none leaves the picture's width.
  std::vector<StudyRun> five = s;
  five.push_back(s[0]);
  for (const auto& [width, study] : {std::pair{double(PICTUREPX), s}, std::pair{STUDYNARROW, five}}) {
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, PICTUREPX, PICTUREPX);
    cairo_t* cr = cairo_create(img);
    std::vector<CairoCanvas::Box> boxes;
    std::vector<std::string> texts;
    {
      CairoCanvas cv(cr);
      drawstudy(cv, study, "Hybrid control methods compared", width);
      boxes = cv.textboxes();
      texts = cv.texts();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(img);
    ASSERT_GT(boxes.size(), 80u);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_LE(boxes[i].x + boxes[i].w, width) << texts[i];
      EXPECT_LE(boxes[i].y + boxes[i].h, PICTUREPX) << texts[i];
      for (std::size_t j = 0; j < i; ++j) {
        const CairoCanvas::Box &a = boxes[i], &b = boxes[j];
        // Glyph boxes of adjacent rows may share a line of descent and ascent.
        const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y + 1 ||
                           b.y + b.h <= a.y + 1;
        EXPECT_TRUE(apart) << width << ": \"" << texts[i] << "\" meets \"" << texts[j] << "\"";
      }
    }
  }
}

}  // namespace
}  // namespace hs
