// Figures of merit on the console and as CSV.
#include "console/meritreport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "console/console.h"
#include "console/runsim.h"

namespace hs {

const char* robotname(Robot type) {
  return tr(type == Robot::a ? "円筒座標ロボット" : "SCARAロボット");
}

const char* contourname(Contour curve) {
  switch (curve) {
    case Contour::line: return tr("直線");
    case Contour::circle: return tr("円");
    case Contour::sine: break;
  }
  return tr("正弦波曲線");
}

namespace {

// Each figure on the console, in the order of FIGURES: its name in words,
// the printf format of its table cell and that cell's width [characters].
struct FigureText {
  const char* label;
  const char* cell;
  int width;
};
const std::array<FigureText, 9> FIGURETEXT{{
    {"接触力誤差の実効値（整定後）", "%8.4f", 8},
    {"接触力誤差の最大値（整定後）", "%8.4f", 8},
    {"位置誤差の実効値（整定後）", "%9.6f", 9},
    {"位置誤差の最大値（整定後）", "%9.6f", 9},
    {"経路方向位置誤差の終端値", "%9.6f", 9},
    {"経路方向位置誤差の最大値", "%9.6f", 9},
    {"モータ1最大トルク／T1max", "%6.3f", 6},
    {"モータ2最大トルク／T2max", "%6.3f", 6},
    {"トルク飽和ステップの割合", "%7.2f", 7},
}};

// Columns the text takes on a terminal: two for each East Asian character
// (three or four bytes in UTF-8), one for everything else.
int columns(const std::string& utf8) {
  int n = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    n += len >= 3 ? 2 : 1;
    i += len;
  }
  return n;
}

// A line cut into lines of at most `width` terminal columns, each later one
// led by `indent`: cut at a blank (dropped) or after a full-width comma,
// full stop or closing bracket, where a Japanese line may break. A piece
// with no such place is left whole.
std::string wrapped(const std::string& line, int width, const std::string& indent) {
  // ，．）、。 as code points.
  static const unsigned AFTER[] = {0xFF0C, 0xFF0E, 0xFF09, 0x3001, 0x3002};
  std::string out, rest = line;
  while (columns(rest) > width) {
    std::size_t cut = std::string::npos, resume = 0;
    int n = 0;
    for (std::size_t i = 0; i < rest.size();) {
      const unsigned char c = static_cast<unsigned char>(rest[i]);
      const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      n += len >= 3 ? 2 : 1;
      if (c == ' ' && n - 1 <= width) {
        cut = i;
        resume = i + 1;
      }
      if (len == 3 && n <= width && i + len < rest.size()) {
        const unsigned code = (c & 0x0Fu) << 12 | (rest[i + 1] & 0x3Fu) << 6 | (rest[i + 2] & 0x3Fu);
        for (unsigned a : AFTER)
          if (code == a) cut = resume = i + len;
      }
      if (n > width) break;
      i += len;
    }
    if (cut == std::string::npos || cut == 0) break;
    out += rest.substr(0, cut) + "\n";
    rest = indent + rest.substr(resume);
  }
  return out + rest;
}

// text followed by blanks up to `width` terminal columns.
std::string padded(const std::string& text, int width) {
  const int n = columns(text);
  return text + std::string(n < width ? width - n : 0, ' ');
}

std::string settledrange(const FiguresOfMerit& f) {
  return fmt("整定後 = ステップ %d〜%d", f.first, f.last);
}

std::string csvheader() {
  std::string h = "method";
  for (const FigureInfo& fi : FIGURES) h += std::string(",") + fi.name;
  return h + "\n";
}

std::string csvrow(Method method, const FiguresOfMerit& f) {
  std::string row(1, keyof(method));
  for (const FigureInfo& fi : FIGURES) row += fmt(",%.17g", f.*fi.value);
  return row + "\n";
}

}  // namespace

std::array<std::array<bool, 4>, 9> bestmarks(const std::array<MethodRun, 4>& rows,
                                             const char* format) {
  std::vector<FiguresOfMerit> figs;
  std::vector<bool> failed;
  for (const MethodRun& r : rows) {
    figs.push_back(r.fig);
    failed.push_back(r.failed());
  }
  std::array<const char*, 9> formats;
  for (std::size_t c = 0; c < formats.size(); ++c) formats[c] = format ? format : FIGURETEXT[c].cell;
  const std::vector<std::array<bool, 9>> marks = bestof(figs, failed, formats);
  std::array<std::array<bool, 4>, 9> best{};
  for (std::size_t c = 0; c < FIGURES.size(); ++c)
    for (std::size_t i = 0; i < rows.size(); ++i) best[c][i] = marks[i][c];
  return best;
}

std::string metricstext(const SimSettings& s, const FiguresOfMerit& f) {
  std::string t = fmt("\n\n制御結果の評価　%s　hybrid%c　%s", robotname(s.type), keyof(s.hybrid),
                      contourname(s.curve));
  t += "\n  (" + settledrange(f) + fmt(",  全体 = ステップ 0〜%d)", f.last);
  for (std::size_t c = 0; c < FIGURES.size(); ++c) {
    const FigureInfo& fi = FIGURES[c];
    t += "\n  " + padded(tr(FIGURETEXT[c].label), 30) + padded(fi.name, 7) +
         fmt("=%11.6f[%s]", f.*fi.value, fi.unit);
  }
  return t;
}

std::string metricstext(const Run& r) { return metricstext(r.model->set, r.figures()); }

std::string comparetext(const SimSettings& s, const std::array<MethodRun, 4>& rows) {
  std::string t = fmt("\n\n制御方法の比較　%s　%s　(%s)", robotname(s.type), contourname(s.curve),
                      settledrange(rows[0].fig).c_str());
  // Two blocks of columns, so that a row fits 80 terminal columns: the
  // force and position errors, then the peripheral error and the torques.
  // Column heads: each figure's name and unit, right-aligned over its value
  // (a cell is a blank, the value and its mark).
  const auto best = bestmarks(rows);
  for (const auto& [first, last] : {std::pair<std::size_t, std::size_t>{0, 5}, {5, FIGURES.size()}}) {
    t += "\n" + padded(tr("  方法"), 9);
    for (std::size_t c = first; c < last; ++c) {
      const FigureInfo& fi = FIGURES[c];
      const std::string head = fi.unit[0] == '-' ? fi.name : std::string(fi.name) + "[" + fi.unit + "]";
      t += fmt(" %*s", FIGURETEXT[c].width + 1, (head + " ").c_str());
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      t += fmt("\n  hybrid%c", keyof(rows[i].method));
      for (std::size_t c = first; c < last; ++c)
        t += " " + fmt(FIGURETEXT[c].cell, rows[i].fig.*FIGURES[c].value) + (best[c][i] ? "*" : " ");
      if (rows[i].failed()) t += tr(" ×失敗");
      if (rows[i].method == s.hybrid) t += tr(" ←現在");
    }
  }
  t += tr("\n  * : 各列の最良値（絶対値が最小の値）");
  if (anyfailed(rows))
    t += tr("\n  ×失敗 : 意味を持たない実行（最良値に数えません）");
  // A run that met an unreachable point, diverged or left the model's domain
  // has figures without meaning; motors held at their limits are told too.
  // Each note is cut to fit 80 columns, its later lines indented.
  for (const MethodRun& r : rows) {
    std::vector<std::string> notes;
    if (r.rep.unreachable())
      notes.push_back(fmt("\n!!! hybrid%c: 手先の届かない指令点がありました．この結果は意味を持ちません．",
                          keyof(r.method)));
    if (const Diagnostic* d = r.rep.find(DiagCode::diverged))
      notes.push_back(fmt("\n!!! hybrid%c: 数値計算が発散したため，t=%.3f[s] の後で計算を打ち切りました．",
                          keyof(r.method), d->t));
    for (const Diagnostic& d : r.rep.diagnostics) {
      const std::string note = domainnote(d);
      if (!note.empty()) notes.push_back(fmt("\n!!! hybrid%c: ", keyof(r.method)) + note);
    }
    for (const std::string& note : notes)
      for (std::size_t b = 1, e; b <= note.size(); b = e + 1) {
        e = std::min(note.find('\n', b), note.size());
        t += "\n" + wrapped(note.substr(b, e - b), 80, "    ");
      }
  }
  return t;
}

std::string metricscsv(Method method, const FiguresOfMerit& f) {
  return csvheader() + csvrow(method, f);
}

std::string metricscsv(const Run& r) {
  return metricscsv(r.model ? r.model->set.hybrid : Method::hybrid6, r.figures());
}

std::string comparecsv(const std::array<MethodRun, 4>& rows) {
  std::string header = csvheader();
  std::string csv = header.insert(header.size() - 1, ",failed");
  for (const MethodRun& r : rows) {
    const std::string row = csvrow(r.method, r.fig);
    csv += row.substr(0, row.size() - 1) + (r.failed() ? ",1\n" : ",0\n");
  }
  return csv;
}

}  // namespace hs
