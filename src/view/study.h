// The study view: several runs side by side for judging what a change does.
// Six graphs over a shared time axis (contact force with Fn, force error,
// position error, peripheral error, motor 1 and motor 2 torque with their
// limits), each run in its own colour and dash and labelled by what differs
// between the runs, a table of their figures of merit with the best of each
// column marked, and a caption of what the runs share. Drawn on the canvas
// only, so the window, the picture files and the web page show the same.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "engine/run.h"
#include "view/canvas.h"

namespace hs {

// The most runs one study picture overlays.
constexpr std::size_t STUDYMAX = 8;

// One run of a study.
struct StudyRun {
  const Run* run = nullptr;  // the run drawn (the caller's, kept while drawing)
  std::string name;          // the case file's name ("robot_a_line.dat"), or empty
  std::string label;         // the run's label as drawn; empty: studylabels makes it
};

// Colour of run k of a study (k < STUDYMAX): apart from each other and from
// the black axes and texts on white.
Rgba studycolour(std::size_t k);
// Dash pattern of run k: lengths [px] drawn and left out in turn (empty: solid).
std::vector<double> studydash(std::size_t k);

// The label of each run: its own label when given, else what tells it from
// the others (joined by ", "): the case file's name where the names differ,
// the robot, method and contour where they differ, then each setting that
// differs ("fn2 = 20 Hz" for the method's own servo targets, "KH1 = 1000
// N/m"), with "run N: " before it where that does not tell it apart.
std::vector<std::string> studylabels(const std::vector<StudyRun>& runs);
// What all the runs share: robot, method and contour when equal, and the
// force, springs, work, setting error, travel time and servo targets equal
// in all of them ("robot b (SCARA), method 3, circle; Fn = 10 N, ...").
std::string studycaption(const std::vector<StudyRun>& runs);

// The four methods' runs of a comparison as a study, each labelled by its
// method ("method 3"), and the title of their picture.
std::vector<StudyRun> comparestudy(const std::array<MethodRun, 4>& rows);
constexpr const char COMPARETITLE[] = "Hybrid control methods compared";

// Width [px] of the study picture laid out for a narrow screen (a phone):
// the left part of the canvas, all 800 px tall, its texts as large as in
// the full picture.
constexpr double STUDYNARROW = 400;

// The study picture of runs (the first STUDYMAX of them) under `title`
// (empty: "Study of N runs"; one run: "Study of one run"), laid out `width`
// px wide from the canvas' left (STUDYNARROW up to the canvas' 800 px;
// below 600 px the figures stand in a column a run under a legend).
// Clears the canvas and presents it.
void drawstudy(Canvas& cv, const std::vector<StudyRun>& runs, const std::string& title = "",
               double width = 800);

}  // namespace hs
