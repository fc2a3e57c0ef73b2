// Pictures saved from the window's 'p' and 'v': the names that tell the
// case, the numbers added rather than a file replaced, the bytes of the
// file pictures, and the console line for a folder that cannot take them.
#include "render/windowpicture.h"
#include "session/keys.h"
#include "files/safefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/datafile.h"
#include "session/filedialogue.h"
#include "render/picture.h"
#include "runcase.h"

namespace hs {
namespace {

// The SCARA sine case of method 6 after its first run, shown at step 100.
const Run& run() {
  static std::unique_ptr<App> app = defaultrun('b', '6', 'S');
  return app->run();
}
const DisplayState& shown() {
  static const DisplayState d = [] {
    DisplayState s;
    s.frame = 100;
    return s;
  }();
  return d;
}

// A fresh scratch folder per test, removed at its end.
struct Folder {
  std::string dir;
  Folder() {
    char t[] = "/tmp/windowpicture_test.XXXXXX";
    dir = mkdtemp(t);
  }
  ~Folder() { std::system(("chmod -R u+w '" + dir + "'; rm -rf '" + dir + "'").c_str()); }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
      while (const dirent* e = readdir(d))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
      closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string slurp(const std::string& name) const {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};

std::string savedline(const char* kind, const std::string& path) {
  return "\n" + std::string(kind) + "をファイル " + path + " に保存しました．";
}

TEST(PictureName, RobotMethodContourAndStepThenTheTryNumber) {
  DisplayState d = shown();
  EXPECT_EQ(picturename(run(), d, WindowPicture::Frame, 0), "hybridsim-b6S-100.png");
  EXPECT_EQ(picturename(run(), d, WindowPicture::Frame, 2), "hybridsim-b6S-100-2.png");
  EXPECT_EQ(picturename(run(), d, WindowPicture::Movie, 0), "hybridsim-b6S.gif");
  EXPECT_EQ(picturename(run(), d, WindowPicture::Movie, 1), "hybridsim-b6S-1.gif");
  // A run of robot a, method 3, the line, with no steps yet.
  Model m = *run().model;
  m.set.type = Robot::a;
  m.set.hybrid = Method::hybrid3;
  m.set.curve = Contour::line;
  hs::Run a;
  a.model = std::make_shared<const Model>(m);
  d.frame = 0;
  EXPECT_EQ(picturename(a, d, WindowPicture::Frame, 0), "hybridsim-a3L-0.png");
  a.hist.resize(200);  // robot a's last run
  d.frame = 999;  // held to the last step, as the window shows it
  EXPECT_EQ(shownstep(a, d), 200);
  EXPECT_EQ(picturename(a, d, WindowPicture::Frame, 0), "hybridsim-a3L-200.png");
}

TEST(SavePicture, ThePngOfTheShownStepNeverOverAnExistingFile) {
  Folder f;
  const std::string png = framebytes(run(), 100, PictureFormat::Png, shown());
  EXPECT_EQ(savepicture(run(), shown(), WindowPicture::Frame, f.dir),
            savedline("描画画面", f.dir + "/hybridsim-b6S-100.png"));
  // A file of a later name already there is skipped, not replaced.
  std::ofstream(f.dir + "/hybridsim-b6S-100-1.png") << "mine";
  EXPECT_EQ(savepicture(run(), shown(), WindowPicture::Frame, f.dir),
            savedline("描画画面", f.dir + "/hybridsim-b6S-100-2.png"));
  EXPECT_EQ(savepicture(run(), shown(), WindowPicture::Frame, f.dir),
            savedline("描画画面", f.dir + "/hybridsim-b6S-100-3.png"));
  EXPECT_EQ(f.files(), (std::vector<std::string>{"hybridsim-b6S-100-1.png", "hybridsim-b6S-100-2.png",
                                                 "hybridsim-b6S-100-3.png", "hybridsim-b6S-100.png"}))
      << "no temporary file is left";
  EXPECT_EQ(f.slurp("hybridsim-b6S-100-1.png"), "mine");
  EXPECT_EQ(f.slurp("hybridsim-b6S-100.png"), png);
  EXPECT_EQ(f.slurp("hybridsim-b6S-100-3.png"), png);
  // A new file gets the permissions the umask allows, like any other.
  struct stat st;
  ASSERT_EQ(stat((f.dir + "/hybridsim-b6S-100.png").c_str(), &st), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(SavePicture, TheGifOfTheRunAndTwoSavesAtOnceGetTwoNames) {
  Folder f;
  std::string line[2];
  std::thread other([&] { line[1] = savepicture(run(), shown(), WindowPicture::Movie, f.dir); });
  line[0] = savepicture(run(), shown(), WindowPicture::Movie, f.dir);
  other.join();
  std::sort(line, line + 2);
  EXPECT_EQ(line[0], savedline("アニメーション", f.dir + "/hybridsim-b6S-1.gif"));
  EXPECT_EQ(line[1], savedline("アニメーション", f.dir + "/hybridsim-b6S.gif"));
  ASSERT_EQ(f.files(), (std::vector<std::string>{"hybridsim-b6S-1.gif", "hybridsim-b6S.gif"}));
  // Both are the whole run's GIF (its bytes are checked with the pictures).
  const std::string gif = f.slurp("hybridsim-b6S.gif");
  EXPECT_EQ(gif.rfind("GIF89a", 0), 0u);
  EXPECT_GT(gif.size(), 100000u);
  EXPECT_EQ(f.slurp("hybridsim-b6S-1.gif"), gif);
}

TEST(SavePicture, AFolderThatCannotTakeTheFileGivesTheNameAndTheReason) {
  Folder f;
  const std::string missing = f.dir + "/no/such";
  EXPECT_EQ(savepicture(run(), shown(), WindowPicture::Frame, missing),
            "\n描画画面をファイル " + missing +
                "/hybridsim-b6S-100.png に保存できません（No such file or directory）．");
  // A folder without write permission; root writes anywhere it may, but
  // sysfs takes no new file from anyone.
  std::string locked = f.dir + "/locked";
  if (geteuid() == 0) {
    locked = "/sys";
  } else {
    ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  }
  const int probe = open((locked + "/probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  ASSERT_LT(probe, 0) << locked << " takes files";
  const std::string reason = reasonof(errno);
  EXPECT_EQ(savepicture(run(), shown(), WindowPicture::Frame, locked),
            "\n描画画面をファイル " + locked + "/hybridsim-b6S-100.png に保存できません（" + reason + "）．");
  for (const std::string& name : f.files())
    EXPECT_EQ(name, "locked") << "left behind";
}

}  // namespace
}  // namespace hs
