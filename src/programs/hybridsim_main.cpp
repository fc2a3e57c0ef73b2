// The interactive simulator: start dialogue on the console, first run, then
// the window whose keys hand control back to the console menu.
//
//   hybridsim [--lang en|ja] [CASEFILE] [toolkit options such as -display, -geometry]
#include <cstdio>
#include <string>

#include "session/app.h"
#include "console/console.h"
#include "session/startup.h"
#include "window/window.h"

int main(int argc, char** argv) {
  auto con = hs::makeStdConsole(stdout);
  std::string lang;
  const bool langok = hs::takelang(argc, argv, lang);
  if (!lang.empty()) hs::setmessagelanguage(lang);
  if (!langok) {
    con->print("\n--lang には en（英語）か ja（日本語）を指定してください．\n");
    return 2;
  }
  // Fail before the dialogue, not after it, when no window can be shown.
  if (!hs::displayavailable()) {
    con->print("\nグラフィック画面を開けません (DISPLAY が設定されていないか，X サーバに接続できません)．"
               "\n画面なしで計算するには hybridsim-batch を使ってください．\n");
    return 1;
  }
  static hs::App app;  // large run histories: keep them off the stack
  const std::string casefile = hs::takecasefile(argc, argv);
  if (!hs::startup(app, *con, casefile)) {
    con->print("\n\n入力が終わりました．プログラムを終了します．\n");
    hs::restoreterminal();
    return 1;
  }
  hs::startgraphics(app, *con, argc, argv);
}
