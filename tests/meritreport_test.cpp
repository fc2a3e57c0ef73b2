#include "console/meritreport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "enginecase.h"

using namespace hs;

namespace {

FiguresOfMerit figures(double base) {
  FiguresOfMerit f;
  f.frms = base;
  f.fmax = 2 * base;
  f.erms = base / 1000;
  f.emax = base / 500;
  f.pend = -base / 100;
  f.pmax = base / 50;
  f.t1peak = 0.5;
  f.t2peak = 1.0;
  f.tsat = base;
  f.first = 25;
  f.last = 200;
  return f;
}

// Rows with distinct figures, pend of mixed sign, one tie and one NaN.
std::array<MethodRun, 4> samplerows() {
  std::array<MethodRun, 4> rows;
  const double base[4] = {3, 1, 2, 4};
  for (int i = 0; i < 4; ++i) {
    rows[i].method = COMPAREMETHODS[i];
    rows[i].fig = figures(base[i]);
  }
  rows[3].fig.pend = 0.005;       // |0.005| < |-0.01|: row 4 is best, not row 2
  rows[0].fig.t1peak = NAN;       // never best
  rows[2].fig.t1peak = 0.25;      // best t1peak
  return rows;
}

std::vector<std::string> split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  for (std::string item; std::getline(ss, item, sep);) out.push_back(item);
  return out;
}

}  // namespace

TEST(MeritReport, CompareTableMarksAndNotes) {
  auto app = defaultcase('b', '4', 'C');
  auto rows = samplerows();
  rows[1].rep.diagnostics = {{Severity::error, DiagCode::diverged, 2.5, {0, 0}}};
  rows[3].rep.diagnostics = {{Severity::error, DiagCode::unreachable, 1.0, {1.1, 0}},
                             {Severity::error, DiagCode::contactlost, 1.2, {-0.5, 0}},
                             {Severity::error, DiagCode::outofreach, 0.04, {0.099, 0, 0.1}}};
  const std::vector<std::string> lines = split(comparetext(app->set, rows), '\n');
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[2], "制御方法の比較　SCARAロボット　円　(整定後 = ステップ 25〜200)");
  // Two blocks of columns, each row within 80 columns.
  EXPECT_EQ(lines[3], "  方法     frms[N]   fmax[N]    erms[m]    emax[m]    pend[m] ");
  EXPECT_EQ(lines[4], "  hybrid1   3.0000    6.0000   0.003000   0.006000  -0.030000 ");
  // Rows 2 and 4 failed: marked, and no column's best.
  EXPECT_EQ(lines[5], "  hybrid3   1.0000    2.0000   0.001000   0.002000  -0.010000  ×失敗");
  EXPECT_EQ(lines[6], "  hybrid4   2.0000*   4.0000*  0.002000*  0.004000* -0.020000* ←現在");
  EXPECT_EQ(lines[7], "  hybrid6   4.0000    8.0000   0.004000   0.008000   0.005000  ×失敗");
  EXPECT_EQ(lines[8], "  方法      pmax[m]  t1peak  t2peak  tsat[%] ");
  EXPECT_EQ(lines[9], "  hybrid1  0.060000     nan   1.000*    3.00 ");
  EXPECT_EQ(lines[10], "  hybrid3  0.020000   0.500   1.000     1.00  ×失敗");
  EXPECT_EQ(lines[11], "  hybrid4  0.040000*  0.250*  1.000*    2.00* ←現在");
  EXPECT_EQ(lines[12], "  hybrid6  0.080000   0.500   1.000     4.00  ×失敗");
  EXPECT_EQ(lines[13], "  * : 各列の最良値（絶対値が最小の値）");
  EXPECT_EQ(lines[14], "  ×失敗 : 意味を持たない実行（最良値に数えません）");
  EXPECT_EQ(lines[15], "!!! hybrid3: 数値計算が発散したため，t=2.500[s] の後で計算を打ち切りました．");
  EXPECT_EQ(lines[16], "!!! hybrid6: 手先の届かない指令点がありました．この結果は意味を持ちません．");
  // The domain's notes are cut where a Japanese line may break.
  EXPECT_EQ(lines[17], "!!! hybrid6: t=1.200[s] に接触力が -0.500[N] となり，接触が保てませんでした．");
  EXPECT_EQ(lines[18], "    この結果は意味を持ちません．");
  // Every line fits 80 terminal columns, in English too (a character from
  // U+1100 on is counted two columns wide: the widest a terminal draws it).
  for (const char* lang : {"ja", "en"}) {
    MessageLanguage language(lang);
    for (const std::string& line : split(comparetext(app->set, rows), '\n')) {
      int cols = 0;
      for (std::size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c & 0xC0) != 0x80) cols += c >= 0xE1 ? 2 : 1;
      }
      EXPECT_LE(cols, 80) << lang << ": " << line;
    }
  }
}

TEST(MeritReport, FiguresOfTheRunOnScreen) {
  auto app = defaultcase('a', '1', 'L');
  RunHistory& h = app->history();
  for (int i = 0; i <= 200; ++i) {
    h.forceerr[i] = i < 25 ? 50.0 : 0.5;
    h.poserr[i] = {0.003, 0.004};
    h.perierr[i] = -0.001 * i / 200;
    h.torque[i] = {0, 0};
  }
  h.torque[100] = {app->model.a.T1max, -app->model.a.T2max / 2};
  ScriptConsole con("");
  printmetrics(*app, con);
  EXPECT_EQ(con.output(), metricstext(*app));
  const std::vector<std::string> lines = split(con.output(), '\n');
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[2], "制御結果の評価　円筒座標ロボット　hybrid1　直線");
  EXPECT_EQ(lines[3], "  (整定後 = ステップ 25〜200,  全体 = ステップ 0〜200)");
  EXPECT_EQ(lines[4], "  接触力誤差の実効値（整定後）  frms   =   0.500000[N]");
  EXPECT_EQ(lines[5], "  接触力誤差の最大値（整定後）  fmax   =   0.500000[N]");
  EXPECT_EQ(lines[6], "  位置誤差の実効値（整定後）    erms   =   0.005000[m]");
  EXPECT_EQ(lines[7], "  位置誤差の最大値（整定後）    emax   =   0.005000[m]");
  EXPECT_EQ(lines[8], "  経路方向位置誤差の終端値      pend   =  -0.001000[m]");
  EXPECT_EQ(lines[9], "  経路方向位置誤差の最大値      pmax   =   0.001000[m]");
  EXPECT_EQ(lines[10], "  モータ1最大トルク／T1max      t1peak =   1.000000[-]");
  EXPECT_EQ(lines[11], "  モータ2最大トルク／T2max      t2peak =   0.500000[-]");
  EXPECT_EQ(lines[12], "  トルク飽和ステップの割合      tsat   =   0.500000[%]");
  EXPECT_EQ(split(metricscsv(*app), '\n')[1], "1,0.5,0.5,0.0050000000000000001,0.0050000000000000001,-0.001,0.001,1,0.5,0.5");
}

TEST(MeritReport, CsvRoundTripsEveryFigure) {
  const auto rows = samplerows();
  const std::vector<std::string> lines = split(comparecsv(rows), '\n');
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "method,frms,fmax,erms,emax,pend,pmax,t1peak,t2peak,tsat,failed");
  EXPECT_EQ(lines[1].substr(0, 6), "1,3,6,");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 10), ",nan,1,3,0");  // t1peak, t2peak, tsat, failed
  // Each number is written so that it reads back as the same double.
  const std::vector<std::string> cells = split(lines[2], ',');
  ASSERT_EQ(cells.size(), 11u);
  for (std::size_t c = 0; c < FIGURES.size(); ++c)
    EXPECT_EQ(std::strtod(cells[c + 1].c_str(), nullptr), rows[1].fig.*FIGURES[c].value) << c;
  // The one-run CSV is the same header and the same row, without the failed column.
  EXPECT_EQ(metricscsv(rows[3].method, rows[3].fig),
            "method,frms,fmax,erms,emax,pend,pmax,t1peak,t2peak,tsat\n" +
                lines[4].substr(0, lines[4].size() - 2) + "\n");
}

// Figures that print alike tie (1.0000000000000002 against 1 is rounding
// noise), in the table's precision and in the picture's.
TEST(MeritReport, FiguresEqualAsPrintedTie) {
  auto rows = samplerows();
  for (MethodRun& r : rows) r.fig.t1peak = 1;
  rows[3].fig.t1peak = 1.0000000000000002;
  rows[2].fig.frms = 1.0004;  // against 1: "1.0004" in the table, "1" in the picture
  const std::array<bool, 4> all{true, true, true, true};
  EXPECT_EQ(bestmarks(rows)[6], all);  // t1peak
  EXPECT_EQ(bestmarks(rows, "%.4g")[6], all);
  EXPECT_EQ(bestmarks(rows)[0], (std::array<bool, 4>{false, true, false, false}));  // frms
  EXPECT_EQ(bestmarks(rows, "%.4g")[0], (std::array<bool, 4>{false, true, true, false}));
}
