// The session's robot data file dialogues: the file read at start-up and by
// the menu's 'r', and the window's 'o' that saves the case on screen.
#include "session/filedialogue.h"

#include <sys/stat.h>

#include "files/safefile.h"

namespace hs {

bool loadcase(const std::string& text, App& app, std::string* echo, std::string* error) {
  return loadcase(text, app.set, app.gains, app.path, echo, error);
}

bool loaddatafile(App& app, Console& con, const std::string& name) {
  const std::string shown = con.inputtext(name);
  con.print(fmt("\n読み込んだファイル名 = %s", shown.c_str()));
  std::string text, reason;
  if (!readcasefile(name, &text, &reason)) {
    con.print(fmt("\nファイル %s を読み込めません（%s）．", shown.c_str(), reason.c_str()));
    return false;
  }
  std::string echo, error;
  if (!loadcase(text, app, &echo, &error)) {
    con.print(error);
    con.print(fmt("\nファイル %s のデータは使いません（設定は変更していません）．", shown.c_str()));
    return false;
  }
  con.print(echo);
  return true;
}

namespace {

void asknameprompt(Console& con) {
  con.print("\nファイル 'robot41.dat, robot42.dat, ...'から読み込み");
  con.print("\nファイル名入力　");
}

}  // namespace

bool readnameddatafile(App& app, Console& con, const std::string& name) {
  asknameprompt(con);
  con.print(con.inputtext(name));  // shown as if typed
  return loaddatafile(app, con, name);
}

// The file name is the whole line, blanks trimmed at its ends (a name may
// hold blanks). An empty line cancels, saying so; so does end of input.
FileRead readdatafile(App& app, Console& con) {
  for (;;) {
    asknameprompt(con);
    std::string name;
    const ReadStatus r = con.readline(name);
    if (r == ReadStatus::Ok && name.empty())
      con.print("\nファイル名がないので読み込みません（設定は変更していません）．");
    if (r != ReadStatus::Ok || name.empty()) return FileRead::Cancelled;
    if (loaddatafile(app, con, name)) return FileRead::Loaded;
    con.print("ファイル名をもう一度入力してください．");
  }
}

std::string casetext(const App& app) { return casetext(app.set, app.runcase()); }

void savedatafile(const App& app, Console& con) {
  con.print("\n\n現在のロボット諸元・軌道をデータファイルに保存");
  con.print("\nファイル名入力　");
  std::string name;
  // The whole line is the name; an empty line saves nothing.
  const bool named = con.readline(name) == ReadStatus::Ok && !name.empty();
  const std::string shown = con.inputtext(name);
  bool write = named;
  struct stat st;
  if (named && ::stat(name.c_str(), &st) == 0) {
    con.print(fmt("\nファイル %s はすでにあります．上書きする？  yes:y   no:n  ", shown.c_str()));
    write = con.readkey() == 'y';
  }
  std::string reason;
  if (!write)
    con.print("\n保存しませんでした．");
  else if (writefilesafely(name, casetext(app), &reason))
    con.print(fmt("\nファイル %s に保存しました．", shown.c_str()));
  else
    con.print(fmt("\nファイル %s に保存できません（%s）．", shown.c_str(), reason.c_str()));
  handback(con);
}

}  // namespace hs
