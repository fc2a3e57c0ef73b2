// The data file dialogues of the session: the file named at the console
// ('r', the start's question) and the window's 'o' that saves the case.
#include "session/filedialogue.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_testutil.h"
#include "files/safefile.h"

namespace hs {
namespace {

using testutil::defaultapp;
using testutil::expectsame;
using testutil::readfile;
using testutil::writefile;
const std::string& kAsk = testutil::kFileAsk;

const std::string kExamples = std::string(HYBRIDSIM_SOURCE_DIR) + "/examples/";

// ---------------------------------------------------------------------------
// The console dialogue around the file.


TEST(ReadDataFile, PromptsNameEchoAndFileEcho) {
  auto app = defaultapp();
  std::string path = writefile("a_line_with_a_rather_long_file_name.dat", readfile(kExamples + "robot_a_line.dat"));
  ScriptConsole con(path + "\n");
  EXPECT_EQ(readdatafile(*app, con), FileRead::Loaded);
  auto expected = defaultapp();
  std::string echo, error;
  ASSERT_TRUE(loadcase(readfile(path), *expected, &echo, &error));
  EXPECT_EQ(con.output(), kAsk + "\n読み込んだファイル名 = " + path + echo);
  expectsame(*expected, *app);
  EXPECT_EQ(con.remaining(), "");  // the name's line is taken whole
}

TEST(ReadDataFile, UnopenableFileIsNamedWithTheReasonAndAskedAgain) {
  auto app = defaultapp();
  std::string missing = ::testing::TempDir() + "no_such_robot.dat";
  std::string good = writefile("robot_b_sine.dat", readfile(kExamples + "robot_b_sine.dat"));
  ScriptConsole con(missing + "\n" + ::testing::TempDir() + "\n" + good + "\n");
  EXPECT_EQ(readdatafile(*app, con), FileRead::Loaded);
  const std::string& out = con.output();
  EXPECT_EQ(out.rfind(kAsk + "\n読み込んだファイル名 = " + missing + "\nファイル " + missing +
                          " を読み込めません（No such file or directory）．ファイル名をもう一度入力してください．" +
                          kAsk,
                      0),
            0u)
      << out;
  // A directory opens but cannot be read as a file.
  EXPECT_NE(out.find(" を読み込めません（Is a directory）．"), std::string::npos) << out;
  EXPECT_NE(out.find("\n読み込んだファイル名 = " + good + "\n(1-1) ロボットタイプ = b : SCARAロボット"),
            std::string::npos);
  EXPECT_EQ(app->set.type, Robot::b);
  EXPECT_EQ(app->set.hybrid, Method::hybrid3);
}

TEST(ReadDataFile, BadFileIsReportedUnchangedAndAskedAgain) {
  auto app = defaultapp();
  auto before = defaultapp();
  std::string bad = writefile("short.dat", "a 0.7 1 200 200 100 0.6 100 0.6 500 500 6 5 0 20 2 L 0.3 0\n");
  ScriptConsole con(bad + "\n");
  EXPECT_EQ(readdatafile(*app, con), FileRead::Cancelled);
  EXPECT_EQ(con.output(), kAsk + "\n読み込んだファイル名 = " + bad +
                              "\nデータファイルの項目13（輪郭データ）の 直線の終点 xf がありません（ファイルの終わり）．"
                              "有限の数値が必要です．"
                              "\nファイル " + bad + " のデータは使いません（設定は変更していません）．"
                              "ファイル名をもう一度入力してください．" + kAsk);
  expectsame(*before, *app);
  // An empty file (or /dev/null) is refused the same way, as the batch program refuses it.
  for (const std::string& empty : {writefile("empty.dat", ""), std::string("/dev/null")}) {
    ScriptConsole none(empty + "\n");
    EXPECT_EQ(readdatafile(*app, none), FileRead::Cancelled);
    EXPECT_NE(none.output().find("\nデータファイルの項目1（ロボットタイプ）がありません（ファイルの終わり）．"),
              std::string::npos) << empty;
    expectsame(*before, *app);
  }
}

TEST(ReadDataFile, EmptyLineOrEndOfInputCancelsWithNothingChanged) {
  auto app = defaultapp();
  auto before = defaultapp();
  ScriptConsole con("   \n");
  EXPECT_EQ(readdatafile(*app, con), FileRead::Cancelled);
  EXPECT_EQ(con.output(), kAsk + "\nファイル名がないので読み込みません（設定は変更していません）．");
  EXPECT_FALSE(con.atend());
  con.clearoutput();
  EXPECT_EQ(readdatafile(*app, con), FileRead::Cancelled);
  EXPECT_EQ(con.output(), kAsk);
  EXPECT_TRUE(con.atend());
  expectsame(*before, *app);
}

// ---- Writing the file ----

namespace save {

// A new empty folder under the test's temporary directory.
std::string folder(const std::string& name) {
  const std::string dir = ::testing::TempDir() + name;
  std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
  return dir;
}

// The names in a folder, sorted, blank-separated.
std::string listing(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
  return out;
}

const std::string kSaveAsk = "\n\n現在のロボット諸元・軌道をデータファイルに保存\nファイル名入力　";
const std::string kBack = "\n\n     描画画面へ　　　　　";

}  // namespace save

TEST(SaveDataFile, WritesTheCaseAndGoesBackToTheWindow) {
  auto app = testutil::session("na4C");
  const std::string dir = save::folder("save_new");
  ScriptConsole con(dir + "/mine.dat\n");
  savedatafile(*app, con);
  EXPECT_EQ(con.output(), save::kSaveAsk + "\nファイル " + dir + "/mine.dat に保存しました．" + save::kBack);
  EXPECT_EQ(readfile(dir + "/mine.dat"), casetext(*app));
  EXPECT_EQ(save::listing(dir), "mine.dat");  // no temporary file left
  struct stat st;
  ASSERT_EQ(stat((dir + "/mine.dat").c_str(), &st), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(SaveDataFile, ExistingFileIsOverwrittenOnlyAfterY) {
  auto app = testutil::session("nb3S");
  const std::string dir = save::folder("save_existing");
  const std::string name = dir + "/robot.dat";
  writefile("save_existing/robot.dat", "old case\n");
  const std::string ask = "\nファイル " + name + " はすでにあります．上書きする？  yes:y   no:n  ";
  for (const char* no : {"n", "Y", ""}) {
    ScriptConsole con(name + "\n" + no);
    savedatafile(*app, con);
    EXPECT_EQ(con.output(), save::kSaveAsk + ask + "\n保存しませんでした．" + save::kBack) << no;
    EXPECT_EQ(readfile(name), "old case\n");
  }
  chmod(name.c_str(), 0640);
  ScriptConsole con("  " + name + " \t\ny");  // the whole line, trimmed
  savedatafile(*app, con);
  EXPECT_EQ(con.output(), save::kSaveAsk + ask + "\nファイル " + name + " に保存しました．" + save::kBack);
  EXPECT_EQ(readfile(name), casetext(*app));
  EXPECT_EQ(save::listing(dir), "robot.dat");
  struct stat st;
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
}

TEST(SaveDataFile, MissingFolderIsOneLineWithNameAndReason) {
  auto app = testutil::session("na1L");
  const std::string dir = save::folder("save_missing");
  const std::string name = dir + "/no/such/folder/robot.dat";
  ScriptConsole con(name + "\n");
  savedatafile(*app, con);
  EXPECT_EQ(con.output(), save::kSaveAsk + "\nファイル " + name +
                              " に保存できません（No such file or directory）．" + save::kBack);
  EXPECT_EQ(save::listing(dir), "");
}

TEST(SaveDataFile, FolderWithoutWritePermissionLeavesNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
  auto app = testutil::session("na1L");
  const std::string dir = save::folder("save_readonly");
  chmod(dir.c_str(), 0555);
  ScriptConsole con(dir + "/robot.dat\n");
  savedatafile(*app, con);
  chmod(dir.c_str(), 0755);
  EXPECT_EQ(con.output(), save::kSaveAsk + "\nファイル " + dir +
                              "/robot.dat に保存できません（Permission denied）．" + save::kBack);
  EXPECT_EQ(save::listing(dir), "");
}

// A disk that fills up while the file is written, stood in for by a limit on
// the file size: the old file stays whole and no temporary file is left.
TEST(SaveDataFile, WriteFailureKeepsTheOldFileWhole) {
  auto app = testutil::session("nb6C");
  const std::string dir = save::folder("save_full");
  const std::string name = dir + "/robot.dat";
  writefile("save_full/robot.dat", "old case\n");
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 20;  // bytes: a case is longer
  void (*oldhandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string reason;
  const bool written = writefilesafely(name, casetext(*app), &reason);
  ScriptConsole con(name + "\ny");
  savedatafile(*app, con);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldhandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(reason, "File too large");
  EXPECT_NE(con.output().find("\nファイル " + name + " に保存できません（File too large）．" + save::kBack), std::string::npos)
      << con.output();
  EXPECT_EQ(readfile(name), "old case\n");
  EXPECT_EQ(save::listing(dir), "robot.dat");
}

}  // namespace
}  // namespace hs
