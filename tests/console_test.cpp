#include "console/console.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

namespace hs {
namespace {

TEST(ScriptConsole, KeysAreTheNextNonBlankCharacters) {
  ScriptConsole con("  n\n b\r\n3 C");
  EXPECT_EQ(con.readkey(), 'n');
  EXPECT_EQ(con.readkey(), 'b');
  EXPECT_EQ(con.readkey(), '3');
  EXPECT_EQ(con.readkey(), 'C');
  EXPECT_FALSE(con.atend());
  EXPECT_EQ(con.readkey(), -1);
  EXPECT_TRUE(con.atend());
  EXPECT_EQ(con.readkey(), -1);  // end of input stays, never a loop
}

TEST(ScriptConsole, NumbersReadLikeScanfLf) {
  ScriptConsole con("10 0\n  20\n2.5e-1 -3\n");
  double a = 0, b = 0, c = 0, d = 0, e = 0;
  EXPECT_EQ(con.readnumber(a), ReadStatus::Ok);
  EXPECT_EQ(con.readnumber(b), ReadStatus::Ok);
  EXPECT_EQ(con.readnumber(c), ReadStatus::Ok);
  EXPECT_EQ(con.readnumber(d), ReadStatus::Ok);
  EXPECT_EQ(con.readnumber(e), ReadStatus::Ok);
  EXPECT_DOUBLE_EQ(a, 10);
  EXPECT_DOUBLE_EQ(b, 0);
  EXPECT_DOUBLE_EQ(c, 20);
  EXPECT_DOUBLE_EQ(d, 0.25);
  EXPECT_DOUBLE_EQ(e, -3);
  EXPECT_EQ(con.readnumber(a), ReadStatus::End);
  EXPECT_DOUBLE_EQ(a, 10);  // unchanged at end of input
}

TEST(ScriptConsole, TextThatIsNotANumberStaysUntilDiscarded) {
  ScriptConsole con("abc 5\n7\ny");
  double v = 1.5;
  EXPECT_EQ(con.readnumber(v), ReadStatus::Bad);
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_EQ(con.readnumber(v), ReadStatus::Bad);  // still there
  con.discardline();
  EXPECT_EQ(con.readnumber(v), ReadStatus::Ok);
  EXPECT_DOUBLE_EQ(v, 7);
  EXPECT_EQ(con.readkey(), 'y');
}

TEST(ScriptConsole, NumberFollowedByKeyOnTheSameLine) {
  // "12y": the number ends where the digits end; the key comes next.
  ScriptConsole con("12y");
  double v = 0;
  EXPECT_EQ(con.readnumber(v), ReadStatus::Ok);
  EXPECT_DOUBLE_EQ(v, 12);
  EXPECT_EQ(con.readkey(), 'y');
}

TEST(ScriptConsole, WordsOfAnyLength) {
  const std::string longname(300, 'x');
  ScriptConsole con("\n  robot41.dat  " + longname + "\n");
  std::string w;
  EXPECT_EQ(con.readword(w), ReadStatus::Ok);
  EXPECT_EQ(w, "robot41.dat");
  EXPECT_EQ(con.readword(w), ReadStatus::Ok);
  EXPECT_EQ(w, longname);
  EXPECT_EQ(con.readword(w), ReadStatus::End);
}

TEST(ConsoleText, BytesThatAreNotPrintableTextAreShownAsHex) {
  EXPECT_EQ(escapebytes("robot41.dat 速度"), "robot41.dat 速度");
  EXPECT_EQ(escapebytes("a\x1b]2;x\x07\tb\x7f"), "a\\x1B]2;x\\x07\\x09b\\x7F");
  EXPECT_EQ(escapebytes(std::string("\0z", 2)), "\\x00z");
  // A right-to-left override would reorder what the terminal shows.
  EXPECT_EQ(escapebytes("x\xe2\x80\xaey"), "x\\xE2\\x80\\xAEy");
  // Broken, overlong and C1 sequences, a lone surrogate, a cut character.
  EXPECT_EQ(escapebytes("\xff\xc0\xaf\xc2\x9b\xed\xa0\x80\xe3\x81"),
            "\\xFF\\xC0\\xAF\\xC2\\x9B\\xED\\xA0\\x80\\xE3\\x81");
}

TEST(ConsoleText, FormatsLikePrintf) {
  EXPECT_EQ(fmt("(%6.3f %6.3f)", 0.65, 0.0), "( 0.650  0.000)");
  EXPECT_EQ(fmt("\n%c", 'b'), "\nb");
  const std::string big(2000, 'z');
  EXPECT_EQ(fmt("%s!", big.c_str()), big + "!");
}

TEST(ConsoleText, ShiftJisOutputIsCp932) {
  // "ロボット" in CP932 and the full-width minus of "J2－P".
  EXPECT_EQ(toCharset("ロボット", "CP932"), "\x83\x8D\x83\x7B\x83\x62\x83\x67");
  EXPECT_EQ(toCharset("J2－P", "CP932"), "J2\x81\x7CP");
  EXPECT_EQ(toCharset("abc\n", "CP932"), "abc\n");
  EXPECT_EQ(toCharset("ロボット", "UTF-8"), "ロボット");
}

TEST(ConsoleText, TypedShiftJisTextIsEchoedAsTyped) {
  // A file name typed in a Shift-JIS terminal: its bytes open the file, the
  // echo shows the same characters again.
  const std::string typed = "\x83\x8D\x83\x7B\x83\x62\x83\x67.dat";
  EXPECT_EQ(fromCharset(typed, "CP932"), "ロボット.dat");
  EXPECT_EQ(toCharset(fromCharset(typed, "CP932"), "CP932"), typed);
  EXPECT_EQ(fromCharset("a\x81" "", "CP932"), "a?");  // cut in the middle of a character
  EXPECT_EQ(fromCharset("ロボット", "UTF-8"), "ロボット");
  ScriptConsole script("");
  EXPECT_EQ(script.inputtext("ロボット"), "ロボット");
}

TEST(ConsoleText, UnconvertibleCharactersBecomeQuestionMarks) {
  EXPECT_EQ(toCharset("a\xF0\x9F\x98\x80" "b", "CP932"), "a?b");  // an emoji
  EXPECT_EQ(toCharset("a\xFF" "b", "CP932"), "a?b");                // broken UTF-8
}

TEST(ConsoleText, CharsetFollowsTheLocaleName) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  setenv("LC_ALL", "ja_JP.SJIS", 1);
  EXPECT_EQ(localeCharset(), "CP932");
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(localeCharset(), "UTF-8");
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(localeCharset(), "UTF-8");
  if (saved) setenv("LC_ALL", keep.c_str(), 1); else unsetenv("LC_ALL");
  std::setlocale(LC_CTYPE, "C");
}

}  // namespace
}  // namespace hs

// ---------------------------------------------------------------------------
// The real console on a pseudo-terminal: a key is taken without Enter and the
// terminal mode is left as it was found.

#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace hs {
namespace {

struct PtyRun {
  int key = -2;
  bool restored = false;
};

// Runs `body` in a child whose standard input is the slave side of a fresh
// pty; the parent types each of `typed` on the master side, a moment apart.
template <class Body>
PtyRun runonpty(const std::vector<std::string>& typed, Body body) {
  int master = -1, slave = -1;
  PtyRun res;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return res;
  struct termios before;
  tcgetattr(slave, &before);
  int pipefd[2];
  if (pipe(pipefd) != 0) return res;
  const pid_t pid = fork();
  if (pid == 0) {
    close(master);
    close(pipefd[0]);
    dup2(slave, STDIN_FILENO);
    alarm(5);  // a read that waits for Enter would hang: fail instead
    const int key = body();
    struct termios after;
    tcgetattr(STDIN_FILENO, &after);
    const bool same = after.c_lflag == before.c_lflag && after.c_cc[VMIN] == before.c_cc[VMIN];
    const int msg[2] = {key, same ? 1 : 0};
    if (write(pipefd[1], msg, sizeof msg) != sizeof msg) _exit(2);
    _exit(0);
  }
  close(pipefd[1]);
  for (const std::string& chunk : typed) {
    usleep(200000);  // let the child enter its read
    if (write(master, chunk.data(), chunk.size()) < 0) return res;
  }
  int msg[2] = {-3, 0};
  if (read(pipefd[0], msg, sizeof msg) == sizeof msg) {
    res.key = msg[0];
    res.restored = msg[1] == 1;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(pipefd[0]);
  close(master);
  close(slave);
  return res;
}

template <class Body>
PtyRun runonpty(const std::string& typed, Body body) {
  return runonpty(std::vector<std::string>{typed}, body);
}

TEST(TerminalConsole, OneKeyWithoutEnterAndModeRestored) {
  const PtyRun r = runonpty("y", [] {
    auto con = makeStdConsole(stderr);
    return con->readkey();
  });
  EXPECT_EQ(r.key, 'y');  // no Enter was typed: canonical mode would still wait
  EXPECT_TRUE(r.restored);
}

TEST(TerminalConsole, LineEndLeftByANumberIsNotTheKey) {
  const PtyRun r = runonpty("12\nz", [] {
    auto con = makeStdConsole(stderr);
    double v = 0;
    if (con->readnumber(v) != ReadStatus::Ok || v != 12) return -4;
    return con->readkey();
  });
  EXPECT_EQ(r.key, 'z');
  EXPECT_TRUE(r.restored);
}

// Ctrl-D at a terminal ends only the entry it was typed at: the next entry
// reads the terminal again (on a pipe or a file the end stays final).
TEST(TerminalConsole, CtrlDAtANumberCancelsThatEntryOnly) {
  const PtyRun r = runonpty(std::vector<std::string>{"\x04", "3 \x04\x04", "7\n"}, [] {
    auto con = makeStdConsole(stderr);
    double v = 1;
    if (con->readnumber(v) != ReadStatus::End || v != 1) return -10;
    if (con->atend()) return -11;
    // A number typed and then Ctrl-D: the entry is cancelled with it.
    if (con->readnumber(v) != ReadStatus::End || v != 1) return -12;
    if (con->readnumber(v) != ReadStatus::Ok) return -13;
    return static_cast<int>(v);
  });
  EXPECT_EQ(r.key, 7);
  EXPECT_TRUE(r.restored);
}

TEST(TerminalConsole, CtrlDAtAKeyCancelsThatAnswerOnly) {
  const PtyRun r = runonpty(std::vector<std::string>{"\x04", "y"}, [] {
    auto con = makeStdConsole(stderr);
    if (con->readkey() != -1) return -10;
    if (con->atend()) return -11;
    return con->readkey();
  });
  EXPECT_EQ(r.key, 'y');
  EXPECT_TRUE(r.restored);
}

TEST(TerminalConsole, TextLeftOnANumberLineIsNeverTheKey) {
  const PtyRun r = runonpty(std::vector<std::string>{"12 z\n", "y"}, [] {
    auto con = makeStdConsole(stderr);
    double v = 0;
    if (con->readnumber(v) != ReadStatus::Ok || v != 12) return -4;
    return con->readkey();
  });
  EXPECT_EQ(r.key, 'y');
}

// Ctrl-C or a termination request while a key is awaited: the terminal is
// put back exactly as it was found (every flag and control character, what
// "stty -g" shows) and the program still ends by that signal.
struct SignalRun {
  bool raw = false;       // the child was seen waiting in the single-key mode
  bool restored = false;  // the terminal mode after its end equals the one before
  int termsig = 0;        // the signal that ended the child (0: it exited)
};

bool samemode(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The child reads one key from its own controlling terminal (a fresh pty);
// once the terminal is in the single-key mode, `interrupt` is done to it.
template <class Interrupt>
SignalRun signalwhilekey(Interrupt interrupt) {
  SignalRun res;
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return res;
  termios before;
  tcgetattr(slave, &before);
  const pid_t pid = fork();
  if (pid == 0) {
    close(master);
    setsid();  // the pty becomes the controlling terminal: Ctrl-C reaches us
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, STDIN_FILENO);
    alarm(10);  // never hang the suite
    auto con = makeStdConsole(stderr);
    con->readkey();
    _exit(3);  // a key came instead of the signal
  }
  for (int i = 0; i < 500 && !res.raw; ++i) {
    termios now;
    if (tcgetattr(master, &now) == 0 && (now.c_lflag & ICANON) == 0) res.raw = true;
    else usleep(10000);
  }
  if (res.raw) interrupt(pid, master);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) res.termsig = WTERMSIG(status);
  termios after;
  res.restored = tcgetattr(master, &after) == 0 && samemode(before, after);
  close(master);
  close(slave);
  return res;
}

TEST(TerminalConsole, CtrlCWhileAKeyIsAwaitedRestoresTheTerminal) {
  const SignalRun r = signalwhilekey([](pid_t, int master) {
    const char ctrlc = 3;  // the terminal itself turns it into SIGINT
    EXPECT_EQ(write(master, &ctrlc, 1), 1);
  });
  ASSERT_TRUE(r.raw);
  EXPECT_EQ(r.termsig, SIGINT);
  EXPECT_TRUE(r.restored);
}

TEST(TerminalConsole, TerminationWhileAKeyIsAwaitedRestoresTheTerminal) {
  for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(sig);
    const SignalRun r = signalwhilekey([sig](pid_t pid, int) { kill(pid, sig); });
    ASSERT_TRUE(r.raw);
    EXPECT_EQ(r.termsig, sig);
    EXPECT_TRUE(r.restored);
  }
}

// Ctrl-Z while a key is awaited: while the program is stopped the shell has
// its terminal as it was; after 'fg' the waiting read takes a key without Enter.
// A shell's layout is needed for a stop to happen at all (a process group
// without a parent in its session is never stopped): the child leads the
// session on the pty like a shell and runs the reader as its foreground job.
TEST(TerminalConsole, SuspendWhileAKeyIsAwaitedGivesTheTerminalBack) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  termios before;
  tcgetattr(slave, &before);
  int report[2], resume[2];
  ASSERT_EQ(pipe(report), 0);
  ASSERT_EQ(pipe(resume), 0);
  const pid_t shell = fork();
  if (shell == 0) {
    close(master);
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    alarm(10);
    const pid_t job = fork();
    if (job == 0) {
      setpgid(0, 0);
      dup2(slave, STDIN_FILENO);
      auto con = makeStdConsole(stderr);
      _exit(con->readkey() == 'q' ? 0 : 4);
    }
    setpgid(job, job);
    signal(SIGTTOU, SIG_IGN);
    tcsetpgrp(slave, job);  // the reader is the foreground job
    int status = 0;
    char c = waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status) ? 'S' : 'X';
    if (write(report[1], &c, 1) != 1 || c != 'S') _exit(5);
    if (read(resume[0], &c, 1) != 1) _exit(6);
    tcsetpgrp(slave, job);  // 'fg'
    kill(-job, SIGCONT);
    waitpid(job, &status, 0);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 7);
  }
  auto waitmode = [&](bool keymode) {
    for (int i = 0; i < 500; ++i) {
      termios now;
      if (tcgetattr(master, &now) == 0 && ((now.c_lflag & ICANON) == 0) == keymode) return true;
      usleep(10000);
    }
    return false;
  };
  ASSERT_TRUE(waitmode(true));
  const char ctrlz = 26;  // the terminal turns it into SIGTSTP
  ASSERT_EQ(write(master, &ctrlz, 1), 1);
  char c = 0;
  ASSERT_EQ(read(report[0], &c, 1), 1);
  EXPECT_EQ(c, 'S');  // the job was stopped
  termios stopped;
  tcgetattr(master, &stopped);
  EXPECT_TRUE(samemode(before, stopped));
  ASSERT_EQ(write(resume[1], "C", 1), 1);
  EXPECT_TRUE(waitmode(true));  // single-key mode again after 'fg'
  ASSERT_EQ(write(master, "q", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(shell, &status, 0), shell);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  termios after;
  tcgetattr(master, &after);
  EXPECT_TRUE(samemode(before, after));
  for (int fd : {master, slave, report[0], report[1], resume[0], resume[1]}) close(fd);
}

}  // namespace
}  // namespace hs
