// hybridsim-batch: one simulation run without a window. By default its run
// history goes to standard output as CSV (for spreadsheets, gnuplot,
// pandas); options ask for pictures of the run, its figures of merit, the
// four control methods side by side, or settings changed by name.
//
// The case is the case file or the three selections on the defaults, with
// the settings given by name on top; it is derived and run once. Standard
// error shows the run's warnings and errors; with --verbose it shows the
// console text an interactive start-up of the same case prints, made from
// the run. No key is ever awaited. Every text the program writes is in the
// one language of the run (--lang, else the locale's), from the first
// argument error on: the texts are Japanese here and the catalog gives
// their English.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/compare.h"
#include "console/console.h"
#include "console/datafile.h"
#include "console/historycsv.h"
#include "console/meritreport.h"
#include "console/refusaltext.h"
#include "console/runsim.h"
#include "files/safefile.h"
#include "engine/settingfields.h"
#include "console/startcase.h"
#include "engine/run.h"
#include "render/picture.h"
#include "view/study.h"

namespace {

// The command line's words, for showing those an error line echoes.
std::vector<std::string> g_args;

// Text of the program in the locale's character set (Shift-JIS where the
// locale asks for it), as the console writes it.
std::string local(const std::string& utf8) { return hs::toCharset(utf8, hs::localeCharset()); }

// Prints one error line. Each argument it echoes is shown by echoed(): its
// control bytes escaped (a crafted argument must not reach the terminal
// raw) and cut to a readable length.
void complain(std::string text) {
  std::vector<std::string> args = g_args;
  std::sort(args.begin(), args.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& a : args) {
    const std::string shown = hs::echoed(a);
    if (a.empty() || shown == a) continue;
    for (std::size_t at = text.find(a); at != std::string::npos;
         at = text.find(a, at + shown.size()))
      text.replace(at, a.size(), shown);
  }
  std::string line;
  for (std::size_t b = 0, e; b <= text.size(); b = e + 1) {
    e = std::min(text.find('\n', b), text.size());
    line += (b > 0 ? "\n" : "") + hs::escapebytes(text.substr(b, e - b));
  }
  std::fprintf(stderr, "hybridsim-batch: %s\n", local(line).c_str());
}

// Console text to standard error when verbose, else nothing; the input is
// at its end from the start, so every key wait returns at once and no
// number is ever read. The run's warnings are told from its diagnostics.
class BatchConsole : public hs::Console {
 public:
  explicit BatchConsole(bool verbose) : out_(hs::makeStdConsole(stderr)), verbose_(verbose) {}
  void print(const std::string& utf8) override {
    if (verbose_) out_->print(utf8);
  }
  // The run's diagnostics in the console's words, without key waits (the
  // verbose text holds them already), each line ended.
  // A path end out of reach is told first, as the start-up tells it.
  void tellrun(const hs::Run& run) {
    if (verbose_ || run.report.diagnostics.empty()) return;
    hs::ScriptConsole words("");
    hs::tellrun(words, run, "");
    if (words.output().empty()) return;
    out_->print(words.output().substr(1) + "\n");
  }
  int readkey() override { return -1; }
  hs::ReadStatus readnumber(double&) override { return hs::ReadStatus::End; }
  hs::ReadStatus readword(std::string&) override { return hs::ReadStatus::End; }
  void discardline() override {}
  bool atend() const override { return true; }

 private:
  std::unique_ptr<hs::Console> out_;
  bool verbose_;
};

// Exit status of a run that was carried out: 3 when its path left the
// reachable area, the integration diverged, the run left the model's domain
// (tellrun names what it crossed) or its figures are not numbers
// (the outputs are still written: they are what the model computed), 0 for
// a clean run.
int runstatus(const hs::RunReport& rep) {
  if (const hs::Diagnostic* d = rep.find(hs::DiagCode::nonfinite))
    complain(hs::fmt("実行の評価値が有限の数値になりませんでした（%s）",
                     hs::FIGURES[static_cast<std::size_t>(d->values[0])].name));
  return rep.ok() ? 0 : 3;
}

// Printed after every argument error and at the head of --help.
const char USAGE[] =
    "書式: hybridsim-batch [オプション] CASEFILE\n"
    "      hybridsim-batch [オプション] --robot a|b --method 1|3|4|6 --contour L|C|S\n"
    "オプション: [--frame N] [--png FILE] [--svg FILE] [--pdf FILE] [--gif FILE]\n"
    "            [--csv FILE] [--metrics] [--compare] [--set NAME=VALUE]...\n"
    "            [--vary NAME=V1,V2,...]... [--overlay CASEFILE]... [--study]\n"
    "            [--save-case FILE] [--list-settings] [--verbose] [--lang en|ja]\n"
    "CASEFILE はロボットデータファイルです（-- の後の語は - で始まっても\n"
    "CASEFILE です）．--method はそのケースを別の制御方法で，その方法の\n"
    "サーボ目標で実行します．--robot と --contour は CASEFILE と一緒に使えません．\n"
    "出力のオプションがなければ，実行の履歴を CSV で標準出力に書きます．\n"
    "出力のオプションがあれば，それが求めるものだけを書きます（--csv - は\n"
    "標準出力）．標準エラー出力には警告とエラーを示します\n"
    "（--verbose: コンソールの全文）．\n"
    "終了状態: 0 正常な実行; 1 ケースファイルを受け付けないか読めない，\n"
    "          または出力ファイルを書けない; 2 引数の誤り（何も実行しません）;\n"
    "          3 経路が腕の届く範囲を出た，計算が発散した，モデルの領域を出た，\n"
    "          または書いた数値が有限でない（出力は書きます）\n";

// --help: the usage above, then every option with its meaning.
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return hs::tr(USAGE);
  }
};

// One setting given by name on the command line, checked against the table.
struct NamedValue {
  std::string name;  // a field of the table or a servo name (fn1, alpha1, fn2, alpha2)
  double value = 0;  // in the name's unit (the field's as stored; Hz or 1/s for a servo name)
};

// Reads "NAME=VALUE" against the setting names, the value as a menu entry
// reads a number (and nothing else: no blank around it); the reason when
// refused. The check is that of setnamed on a scratch case: the limits do
// not depend on the case.
bool parsenamed(const std::string& arg, NamedValue* out, std::string* why) {
  using hs::refuse;
  const std::size_t eq = arg.find('=');
  if (eq == std::string::npos)
    return refuse(why, hs::fmt("%s: NAME=VALUE の形ではありません", hs::echoed(arg).c_str()));
  const std::string name = arg.substr(0, eq), text = arg.substr(eq + 1);
  hs::Case scratch;
  if (!hs::getnamed(scratch, name, nullptr))
    return refuse(why, hs::fmt("%s: %s という設定はありません（--list-settings が一覧を示します）",
                               hs::echoed(arg).c_str(), hs::echoed(name).c_str()));
  double v = 0;
  if (!hs::wholenumber(text, v))
    return refuse(why, hs::fmt("%s: \"%s\" は数値ではありません", hs::echoed(arg).c_str(),
                               hs::echoed(text).c_str()));
  hs::Refusal refused;
  if (!hs::setnamed(scratch, name, v, &refused, hs::echoed(text)))
    return refuse(why, hs::refusaltext(refused));
  if (out) *out = NamedValue{name, v};
  return true;
}

// A check of the parser's (a string, empty when the value is fine) made of
// one of ours.
template <class Out>
std::string checked(bool (*parse)(const std::string&, Out*, std::string*), const std::string& arg) {
  std::string why;
  return parse(arg, nullptr, &why) ? std::string() : why;
}

// One setting varied over values: --vary NAME=V1,V2,...
struct Varied {
  std::string name;
  std::vector<std::string> texts;  // the values as given, for the CSV's column
  std::vector<double> values;      // the same, read
};

// The most runs --vary makes.
constexpr std::size_t MOSTRUNS = 1000;

// Reads "NAME=V1,V2,..." as --set reads each "NAME=Vi"; the reason when refused.
bool parsevaried(const std::string& arg, Varied* out, std::string* why) {
  using hs::refuse;
  const std::size_t eq = arg.find('=');
  if (eq == std::string::npos)
    return refuse(why, hs::fmt("%s: NAME=V1,V2,... の形ではありません", hs::echoed(arg).c_str()));
  Varied v;
  v.name = arg.substr(0, eq);
  const std::string list = arg.substr(eq + 1);
  for (std::size_t b = 0, e; b <= list.size(); b = e + 1) {
    e = std::min(list.find(',', b), list.size());
    NamedValue nv;
    if (!parsenamed(v.name + "=" + list.substr(b, e - b), &nv, why)) return false;
    v.texts.push_back(list.substr(b, e - b));
    v.values.push_back(nv.value);
    if (v.values.size() > MOSTRUNS)
      return refuse(why, hs::fmt("%s: 値が 1000 個を超えています", hs::echoed(arg).c_str()));
  }
  if (out) *out = v;
  return true;
}

// The settings table with the start-up default of each field, then the
// names of the chosen method's servo targets (their defaults those of the
// start-up case's method), as CSV.
std::string settingscsv() {
  const hs::Case start = hs::defaultcase();
  hs::SimSettings defaults = start.set;
  // The descriptions hold commas: quoted as CSV quotes a field.
  std::string out = "name,unit,limit,default,description\n";
  for (const hs::SettingField& f : hs::settingfields())
    out += hs::fmt("%s,%s,%s,%s,\"%s\"\n", f.name, f.unit, hs::limitwords(f.limit),
                   hs::shortest(f.field(defaults)).c_str(), hs::description(f).c_str());
  for (const hs::ServoName& n : hs::servonames()) {
    double v = 0;
    hs::getnamed(start, n.name, &v);
    out += hs::fmt("%s,%s,%s,%s,\"%s\"\n", n.name, n.unit, hs::limitwords(n.limit),
                   hs::shortest(v).c_str(), hs::description(n).c_str());
  }
  return out;
}

// A check of a file option's value: an empty name, or one that starts with
// '-', is an option whose value was left out ("-" alone is standard output
// where `dash` allows it).
CLI::Validator filename(bool dash) {
  return CLI::Validator(
      [dash](std::string& name) -> std::string {
        if (name.empty()) return hs::tr("ファイル名 FILE が必要です（空の名前は使えません）");
        if (name == "-" && !dash)
          return hs::tr("ファイル名 FILE が必要です（- が標準出力なのは --csv だけです）");
        if (name[0] == '-' && name != "-")
          return hs::fmt("ファイル名 FILE が必要です．\"%s\" は使えません（- で始まる名前はオプションとみなします）",
                         name.c_str());
        return "";
      },
      "");
}

// The check of a selection's key: one of `keys` ("{a,b}" in the option's
// type, as the help shows it).
CLI::Validator oneof(const std::vector<std::string>& keys) {
  std::string list;
  for (const std::string& k : keys) list += (list.empty() ? "" : ",") + k;
  return CLI::Validator(
      [keys, list](std::string& key) -> std::string {
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) return "";
        return hs::fmt("%s は {%s} のどれでもありません", key.c_str(), list.c_str());
      },
      "{" + list + "}");
}

// The step of --frame as decimal digits (no sign, no 0x, no exponent: a
// leading zero is no octal either), from 0 to nstep; false when it is none.
bool stepof(const std::string& text, int nstep, int* step) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int n = std::atoi(text.c_str());
  if (n > nstep) return false;
  if (step) *step = n;
  return true;
}

// The check of --frame's value, in the words of the other argument errors.
CLI::Validator framestep(int nstep) {
  return CLI::Validator(
      [nstep](std::string& text) -> std::string {
        if (stepof(text, nstep, nullptr)) return "";
        const std::size_t digits = text.compare(0, 1, "-") == 0 ? 1 : 0;  // -1 is a step, out of range
        if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
          return hs::fmt("\"%s\" は数値ではありません（ステップ 0 ～ %d）", hs::echoed(text).c_str(), nstep);
        return hs::fmt("値 %s は 0 ～ %d の範囲にありません", text.c_str(), nstep);
      },
      "");
}

// Everything the command line asks.
struct Request {
  std::string casefile;
  std::string robot, method, contour;  // the three selections, one key each
  std::string frametext;               // --frame as given
  int frame = -1;                      // output step of the frame pictures; -1: the last
  std::string png, svg, pdf, gif, csv; // output files ("-" for --csv: standard output)
  std::string savecase;                // the case as run, as a robot data file
  bool metrics = false, compare = false, listsettings = false, verbose = false;
  std::string lang;                    // "en", "ja"; empty: the environment's
  std::vector<std::string> sets;       // NAME=VALUE, in the order given
  std::vector<NamedValue> named;       // the same, checked
  std::vector<std::string> vary;       // NAME=V1,V2,..., in the order given
  std::vector<Varied> varied;          // the same, checked
  std::vector<std::string> overlays;   // further case files drawn in the study view
  bool study = false;                  // the pictures are the study view
  // The runs --vary makes: the product of the varied values' counts.
  std::size_t combinations() const {
    std::size_t n = 1;
    for (const Varied& v : varied) n *= v.values.size();
    return n;
  }
};

// Two outputs into one file would leave only the last one written: false
// with the message naming them, true when every output has a file of its own.
bool sameoutputs(const Request& rq, std::string* why) {
  const std::pair<const char*, const std::string*> outputs[] = {
      {"--png", &rq.png}, {"--svg", &rq.svg}, {"--pdf", &rq.pdf},
      {"--gif", &rq.gif}, {"--csv", &rq.csv}, {"--save-case", &rq.savecase}};
  for (std::size_t i = 0; i < std::size(outputs); ++i)
    for (std::size_t j = i + 1; j < std::size(outputs); ++j) {
      const std::string &a = *outputs[i].second, &b = *outputs[j].second;
      if (!a.empty() && !b.empty() && a != "-" && b != "-" && hs::samefile(a, b))
        return hs::refuse(why, hs::fmt("%s と %s が同じファイル %s を指しています", outputs[i].first,
                                       outputs[j].first, b.c_str()));
    }
  // An output over an input would destroy the case it was to come from.
  std::vector<std::pair<const char*, const std::string*>> inputs = {
      {"%s %s は CASEFILE %s と同じファイルです（出力がそれを置き換えてしまいます）", &rq.casefile}};
  for (const std::string& o : rq.overlays)
    inputs.push_back({"%s %s は --overlay の CASEFILE %s と同じファイルです（出力がそれを置き換えてしまいます）", &o});
  for (const auto& [option, path] : outputs)
    for (const auto& [said, file] : inputs)
      if (!path->empty() && *path != "-" && !file->empty() && hs::samefile(*path, *file))
        return hs::refuse(why, hs::fmt(said, option, path->c_str(), file->c_str()));
  return true;
}

// The options of the command line that need a check beyond their own.
struct Options {
  CLI::Option *robot, *method, *contour;
};

// An option given once per value (--set, --vary, --overlay): each one word,
// all of them kept in order.
CLI::Option* repeatable(CLI::App& cli, const std::string& name, std::vector<std::string>& into,
                        const std::string& type, const std::string& help) {
  return cli.add_option(name, into, help)
      ->type_name(type)
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// Declares every option and argument of the command line, read into rq;
// --frame runs 0 .. nstep.
Options addoptions(CLI::App& cli, int nstep, Request& rq) {
  using hs::tr;
  auto formatter = std::make_shared<UsageFormatter>();
  formatter->label("Positionals", tr("引数"));
  formatter->label("Excludes", tr("併用不可"));
  cli.formatter(formatter);
  cli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw)->group(tr("オプション"));
  cli.set_help_flag("-h,--help", tr("この説明を示して終わります"));
  cli.add_option("CASEFILE", rq.casefile, tr("ケースのすべてを収めたロボットデータファイル"))->type_name("");
  auto* robot = cli.add_option("--robot", rq.robot, tr("ロボット: a 円筒座標，b SCARA"))
                    ->check(oneof({"a", "b"}));
  auto* method = cli.add_option("--method", rq.method,
                                tr("ハイブリッド制御の方法 1，3，4，6（CASEFILE と\n"
                                   "一緒なら，そのケースをこの方法で）"))
                     ->check(oneof({"1", "3", "4", "6"}));
  auto* contour = cli.add_option("--contour", rq.contour, tr("輪郭: L 直線，C 円，S 正弦波曲線"))
                      ->check(oneof({"L", "C", "S"}));
  auto* frame = cli.add_option("--frame", rq.frametext,
                               hs::fmt("PNG，SVG，PDF の図の出力ステップ\n（既定: 最後の %d）", nstep))
                    ->type_name("N")
                    ->check(framestep(nstep));
  cli.add_option("--png", rq.png, tr("そのステップの図を PNG で書きます\n（800 x 800 px）"))
      ->type_name("FILE")
      ->check(filename(false));
  cli.add_option("--svg", rq.svg, tr("そのステップの図を SVG で書きます"))
      ->type_name("FILE")
      ->check(filename(false));
  cli.add_option("--pdf", rq.pdf, tr("そのステップの図を 1 ページの PDF で書きます"))
      ->type_name("FILE")
      ->check(filename(false));
  auto* gif = cli.add_option("--gif", rq.gif, tr("実行の全体をアニメーション GIF で書きます"))
                  ->type_name("FILE")
                  ->check(filename(false));
  cli.add_option("--csv", rq.csv,
                 tr("CSV（履歴，--metrics か --compare）を FILE に\n書きます．- は標準出力です"))
      ->type_name("FILE")
      ->check(filename(true));
  auto* metrics = cli.add_flag("--metrics", rq.metrics, tr("履歴の代わりに実行の評価値を CSV で"));
  cli.add_flag("--compare", rq.compare,
               tr("そのケースを方法 1，3，4，6 で実行します: その\n"
                  "評価値を CSV で，--png/--svg/--pdf があれば\n"
                  "その力と経路方向の誤差の図を"))
      ->excludes(metrics)
      ->excludes(gif)
      ->excludes(frame);
  repeatable(cli, "--set", rq.sets, "NAME=VALUE",
             tr("ケースの後で設定を名前で変えます．単位は保存\n"
                "される SI 単位です（何度でも; --list-settings\n"
                "が名前を示します）．fn1, fn2 [Hz] と alpha1,\n"
                "alpha2 [1/s] はその方法のサーボ目標です"))
      ->check(CLI::Validator([](std::string& arg) { return checked(parsenamed, arg); }, ""));
  repeatable(cli, "--vary", rq.vary, "NAME=V1,V2,...",
             tr("値ごとに 1 回実行します（何度でも: すべての組\n"
                "合わせ，1000 回まで，最後の --vary が最も速く\n"
                "変わります）: 評価値を CSV で，1 回 1 行;\n"
                "--png/--svg/--pdf があればスタディ表示（8 回まで）"))
      ->check(CLI::Validator([](std::string& arg) { return checked(parsevaried, arg); }, ""))
      ->excludes(gif)
      ->excludes(frame);
  repeatable(cli, "--overlay", rq.overlays, "CASEFILE",
             tr("このケースファイルの実行もスタディ表示に描きます\n（何度でも）"))
      ->check(filename(false));
  cli.add_flag("--study", rq.study,
               tr("--png/--svg/--pdf にウィンドウの図の代わりに\n"
                  "実行のスタディ表示（数値の軸のあるグラフと\n"
                  "評価値）を描きます"));
  cli.add_option("--save-case", rq.savecase,
                 tr("実行したケース（--method と --set の後）を\n"
                    "ロボットデータファイルとして，ウィンドウの o\n"
                    "と同じバイトで書きます（--vary，--compare\n"
                    "とは使えません）"))
      ->type_name("FILE")
      ->check(filename(false));
  cli.add_flag("--list-settings", rq.listsettings,
               tr("すべての設定の名前，単位，制限，既定値を\nCSV で示します"));
  cli.add_flag("--verbose", rq.verbose, tr("コンソールの全文を標準エラー出力に"));
  cli.add_option("--lang", rq.lang, tr("コンソールの文の言語: en 英語，ja 日本語\n（既定: ロケールの言語）"))
      ->check(oneof({"en", "ja"}));
  // Words that are no option are kept aside, so that a misspelt option is
  // named as unknown rather than taken for something else.
  cli.allow_extras();
  return Options{robot, method, contour};
}

// Writes one output; false (the reason on standard error) when it could not.
bool written(bool ok, const std::string& error) {
  if (!ok) complain(error);
  return ok;
}

bool writecsv(const std::string& dest, const std::string& text) {
  if (dest.empty() || dest == "-") {
    // A full disk may show in the write, the flush, or only in the error flag.
    errno = 0;
    const bool ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                    std::fflush(stdout) == 0 && !std::ferror(stdout);
    return written(ok, hs::fmt("標準出力: %s", errno != 0 ? hs::reasonof(errno).c_str() : hs::tr("書き込みエラー")));
  }
  std::string reason;
  const bool ok = hs::writefilesafely(dest, text, &reason);
  return written(ok, dest + ": " + reason);
}

// Whether the parsed request can be run (its parts together, and at all);
// false with what cannot in *why. Reads the --set and --vary values into rq
// on the way.
bool runnable(const Options& o, Request& rq, std::string* why) {
  using hs::refuse;
  // A file's case may be run under another method (as the menu's method
  // key changes it), not with another robot or contour.
  for (auto* opt : {o.robot, o.contour})
    if (!rq.casefile.empty() && opt->count() > 0)
      return refuse(why, hs::fmt("CASEFILE と %s は一緒に使えません（--method は使えます）",
                                 opt->get_name().c_str()));
  if (!sameoutputs(rq, why)) return false;
  if (rq.listsettings) return true;
  const bool selected = !rq.robot.empty() && !rq.contour.empty() && (!rq.method.empty() || rq.compare);
  if (rq.casefile.empty() && !selected)
    return refuse(why, hs::tr("CASEFILE か，--robot，--method，--contour のすべてを指定してください"));
  for (const std::string& s : rq.sets) {
    rq.named.emplace_back();
    parsenamed(s, &rq.named.back(), nullptr);
  }
  for (const std::string& s : rq.vary) {
    rq.varied.emplace_back();
    parsevaried(s, &rq.varied.back(), nullptr);
    for (std::size_t i = 0; i + 1 < rq.varied.size(); ++i)
      if (rq.varied[i].name == rq.varied.back().name)
        return refuse(why, hs::fmt("--vary %s が 2 回指定されています", rq.varied.back().name.c_str()));
    if (rq.combinations() > MOSTRUNS)
      return refuse(why, hs::fmt("--vary では %zu 回の実行になります．実行するのは 1000 回までです",
                                 rq.combinations()));
  }
  if (!rq.varied.empty() && rq.compare) return refuse(why, hs::tr("--vary と --compare は一緒に使えません"));
  if (!rq.savecase.empty() && (rq.compare || !rq.varied.empty()))
    return refuse(why, hs::fmt("--save-case が書くのは 1 回の実行のケースです．%s は何回も実行します",
                               rq.compare ? "--compare" : "--vary"));
  if (!rq.overlays.empty() && rq.compare)
    return refuse(why, hs::tr("--overlay と --compare は一緒に使えません"));
  const bool picture = !rq.png.empty() || !rq.svg.empty() || !rq.pdf.empty();
  const std::size_t drawn = rq.combinations() + rq.overlays.size();
  if (picture && drawn > hs::STUDYMAX)
    return refuse(why, hs::fmt("スタディ表示に描けるのは 8 回の実行までです．--vary と --overlay では %zu 回になります"
                               "（--png/--svg/--pdf を除けば，その CSV が得られます）",
                               drawn));
  return true;
}

// A parse error in the message language. The checks above word their own
// (the parser sets the option's name before them); the parser's own errors
// are said again in the catalog's words, whose English is the parser's.
std::string parseerror(const CLI::ParseError& e) {
  const std::string what = e.what();
  if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) return what;
  static const std::pair<const char*, const char*> FORMS[] = {
      {"(\\S+): (\\d+) required (.+) missing", "%1$s: %3$s が %2$s 個足りません"},
      {"(\\S+): At Most (\\d+) required but received (\\d+)",
       "%s: 指定できるのは %s 回までですが，%s 回指定されました"},
      {"(\\S+): At least (\\d+) required but received (\\d+)",
       "%s: 少なくとも %s 個必要ですが，%s 個でした"},
      {"(\\S+) excludes (\\S+)", "%s と %s は一緒に使えません"},
      {"Could not convert: (\\S+) = (.*)", "%s = %s は読み取れません"},
      {"(\\S+): too many inputs for a flag", "%s: フラグに値が多すぎます"},
      {"(\\S+): Should be true/false or a number", "%s: true/false か数値が必要です"},
      {"(\\S+) was given a disallowed flag override", "%s には値を付けられません"},
  };
  for (const auto& [pattern, said] : FORMS) {
    std::smatch m;
    if (std::regex_match(what, m, std::regex(pattern)))
      return hs::fmt(said, m.str(1).c_str(), m.str(2).c_str(), m.str(3).c_str());
  }
  return what;
}

// Reads the command line into rq: true to go on, else false with the exit
// status in *status (0 after --help, 2 for wrong arguments, the message and
// usage printed).
bool parseargs(int argc, char** argv, int nstep, Request& rq, int* status) {
  CLI::App cli(hs::tr("ウィンドウを開かずに，ハイブリッド制御シミュレータを 1 回実行します．"),
               "hybridsim-batch");
  const Options o = addoptions(cli, nstep, rq);
  const auto wrong = [status](const std::string& what) {
    complain(what);
    std::fputs(local(hs::tr(USAGE)).c_str(), stderr);
    *status = 2;
    return false;
  };
  try {
    cli.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    *status = writecsv("-", local(cli.help())) ? 0 : 1;
    return false;
  } catch (const CLI::ParseError& e) {
    return wrong(parseerror(e));
  }
  // After "--" every word is a CASEFILE, even one that starts with -.
  bool positional = false;
  for (const std::string& extra : cli.remaining()) {
    if (extra == "--" && !positional) {
      positional = true;
      continue;
    }
    if (!positional && extra.size() > 1 && extra[0] == '-')
      return wrong(hs::fmt("%s というオプションはありません", extra.c_str()));
    return wrong(hs::fmt(positional ? "CASEFILE は 1 つだけです．%s は余分です（-- の後の語はどれも CASEFILE です）"
                                    : "CASEFILE は 1 つだけです．%s は余分です",
                         extra.c_str()));
  }
  if (!rq.frametext.empty()) stepof(rq.frametext, nstep, &rq.frame);
  std::string clash;
  if (!runnable(o, rq, &clash)) return wrong(clash);
  return true;
}

// The pictures asked for, each drawn by `draw` in its format.
template <class Draw>
bool writepictures(const Request& rq, Draw draw) {
  bool ok = true;
  const std::pair<const std::string*, hs::PictureFormat> pictures[] = {
      {&rq.png, hs::PictureFormat::Png},
      {&rq.svg, hs::PictureFormat::Svg},
      {&rq.pdf, hs::PictureFormat::Pdf}};
  for (const auto& [path, format] : pictures) {
    std::string error;
    if (!path->empty()) ok = written(draw(format, *path, &error), error) && ok;
  }
  return ok;
}

// The columns of CSV text that hold a number that is not finite (a motor
// whose torque limit rounds to zero gives 0/0), by their header names.
std::string nonfinite(const std::string& csv) {
  std::vector<std::string> heads;
  std::vector<bool> bad;
  std::string found;
  for (std::size_t b = 0, e, line = 0; b < csv.size(); b = e + 1, ++line) {
    e = std::min(csv.find('\n', b), csv.size());
    for (std::size_t f = b, g, col = 0; f <= e; f = g + 1, ++col) {
      g = std::min(csv.find(',', f), e);
      const std::string cell = csv.substr(f, g - f);
      if (line == 0) {
        heads.push_back(cell);
        bad.push_back(false);
      } else if (col < heads.size() && !bad[col] &&
                 (cell.find("nan") != std::string::npos || cell.find("inf") != std::string::npos)) {
        bad[col] = true;
        found += (found.empty() ? "" : ", ") + heads[col];
      }
    }
  }
  return found;
}

// Exit status of the numbers written: 3, the columns named on standard
// error, when one of them is not a finite number; else `status`.
int finitestatus(const std::string& csv, int status) {
  const std::string bad = nonfinite(csv);
  if (bad.empty()) return status;
  complain(hs::fmt("実行で有限でない数値が出ました: %s", bad.c_str()));
  return 3;
}

// What made the run labelled `label` mean nothing, one line each on
// standard error: the path out of reach, the divergence, the model's domain
// left (and motors held at their limits).
void tellfailures(const std::string& label, const hs::RunReport& rep) {
  if (rep.unreachable()) complain(hs::fmt("%s: 経路が腕の届く範囲を出ました", label.c_str()));
  if (const hs::Diagnostic* d = rep.find(hs::DiagCode::diverged))
    complain(hs::fmt("%s: 計算が t = %g s で発散しました", label.c_str(), d->t));
  for (const hs::Diagnostic& d : rep.diagnostics) {
    const std::string note = hs::domainnote(d);
    if (!note.empty()) complain(label + ": " + note);
  }
}

// The rows of the four methods whose run left the reachable area, diverged
// or left the model's domain, each named on standard error with what it
// crossed (and motors held at their limits); 3 when one failed, else 0.
int comparestatus(const std::array<hs::MethodRun, 4>& rows) {
  int status = 0;
  for (const hs::MethodRun& r : rows) {
    tellfailures(hs::fmt("方法 %c", hs::keyof(r.method)), r.rep);
    if (r.failed()) status = 3;
  }
  return status;
}

// The name a study labels a case file's run by: the file's own name.
std::string filenameof(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The runs of --vary: case c once per combination of the values, the last
// varied setting changing fastest, on all cores (each run writes only its
// own slot, so the order is that of the combinations).
// The case of combination i of the varied values on case c.
hs::Case varycase(const hs::Case& c, const std::vector<Varied>& varied, std::size_t i) {
  hs::Case k = c;
  for (std::size_t v = varied.size(); v-- > 0;) {
    const std::size_t n = varied[v].values.size();
    hs::setnamed(k, varied[v].name, varied[v].values[i % n], nullptr);
    i /= n;
  }
  return k;
}

// Every combination of --vary checked as one case before any runs: false
// with the reason naming the first refused one's values.
bool varyvalid(const hs::Case& c, const std::vector<Varied>& varied, std::size_t count,
               std::string* reason) {
  for (std::size_t i = 0; i < count; ++i) {
    hs::Refusal why;
    if (hs::validcase(varycase(c, varied, i), &why)) continue;
    std::string values;
    for (std::size_t v = varied.size(), rest = i; v-- > 0; rest /= varied[v].texts.size())
      values = varied[v].name + "=" + varied[v].texts[rest % varied[v].texts.size()] +
               (values.empty() ? "" : " ") + values;
    return hs::refuse(reason, "--vary " + values + ": " + hs::refusaltext(why));
  }
  return true;
}

std::vector<hs::Run> varyruns(const hs::Case& c, const std::vector<Varied>& varied,
                              std::size_t count) {
  std::vector<hs::Run> runs(count);
  const auto one = [&](std::size_t i) { runs[i] = hs::simulate(hs::derive(varycase(c, varied, i))); };
  std::atomic<std::size_t> next{0};
  const auto worker = [&] {
    for (std::size_t i; (i = next++) < count;) one(i);
  };
  std::vector<std::thread> threads;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  try {
    for (unsigned t = 1; t < std::min<std::size_t>(cores, count); ++t) threads.emplace_back(worker);
  } catch (const std::system_error&) {
    // No more threads to be had: this one does the rest.
  }
  worker();
  for (std::thread& t : threads) t.join();
  return runs;
}

// The figures CSV of the --vary runs: the varied settings' columns, then
// those of --metrics and `failed`, one row per run in order.
std::string varycsv(const std::vector<Varied>& varied, const std::vector<hs::Run>& runs) {
  std::string head;
  for (const Varied& v : varied) head += v.name + ",";
  std::string csv;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const hs::Run& r = runs[i];
    const std::string one = hs::metricscsv(r.model->source.set.hybrid, r.figures());
    const std::size_t nl = one.find('\n');
    if (i == 0) csv = head + one.substr(0, nl) + ",failed\n";
    std::string cells;
    std::size_t rest = i;
    for (std::size_t v = varied.size(); v-- > 0;) {
      cells = varied[v].texts[rest % varied[v].texts.size()] + "," + cells;
      rest /= varied[v].texts.size();
    }
    csv += cells + one.substr(nl + 1, one.size() - nl - 2) + (r.ok() ? ",0\n" : ",1\n");
  }
  return csv;
}

// The runs among `runs` that left the reachable area, diverged or left the
// model's domain, each named on standard error by its label with what it
// crossed; 3 when there is one, else 0.
int studystatus(const std::vector<hs::StudyRun>& runs) {
  int status = 0;
  const std::vector<std::string> labels = hs::studylabels(runs);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    tellfailures(labels[i], runs[i].run->report);
    if (!runs[i].run->report.ok()) status = 3;
  }
  return status;
}

// A case file's refusal as every other error: one line, the file named
// (the reader's own line breaks before it dropped).
void refusedfile(const std::string& file, const std::string& error) {
  const std::size_t start = error.find_first_not_of('\n');
  complain(file + ": " + error.substr(start == std::string::npos ? 0 : start));
}

// The runs of the case files of --overlay, in order; false (the reason on
// standard error) when one cannot be read or is refused. An empty file is
// read and refused, as the CASEFILE is, not taken for the default case.
bool overlayruns(const std::vector<std::string>& files, std::vector<hs::Run>& runs) {
  for (const std::string& file : files) {
    std::string text, reason, error;
    hs::Case k;
    if (!hs::readcasefile(file, &text, &reason)) {
      complain(file + ": " + reason);
      return false;
    }
    if (!hs::readcase(text, hs::defaultcase(), k, nullptr, &error)) {
      refusedfile(file, error);
      return false;
    }
    runs.push_back(hs::simulate(hs::derive(k)));
  }
  return true;
}

// The pictures asked, as the study view of `study` under `title`.
bool writestudies(const Request& rq, const std::vector<hs::StudyRun>& study, const std::string& title) {
  return writepictures(rq, [&](hs::PictureFormat f, const std::string& path, std::string* error) {
    return hs::writestudy(study, title, f, path, error);
  });
}

// The four methods on case c: their figures as CSV, and the pictures asked
// (the study view of the four runs).
int comparerun(const Request& rq, const hs::Case& c) {
  const std::array<hs::MethodRun, 4> rows = hs::comparemethods(c);
  const std::string csv = hs::comparecsv(rows);
  const int status = finitestatus(csv, comparestatus(rows));
  bool ok = writestudies(rq, hs::comparestudy(rows), hs::COMPARETITLE);
  ok = writecsv(rq.csv, csv) && ok;
  return ok ? status : 1;
}

// The runs of --vary on case c: their figures as CSV, and the pictures
// asked (the study view of the runs and the overlays).
int varyrun(const Request& rq, const hs::Case& c, const std::string& name,
            std::vector<hs::StudyRun> overlays) {
  const std::vector<hs::Run> runs = varyruns(c, rq.varied, rq.combinations());
  std::vector<hs::StudyRun> study;
  for (const hs::Run& r : runs) study.push_back({&r, name, ""});
  int status = studystatus(study);
  study.insert(study.end(), overlays.begin(), overlays.end());
  bool ok = writestudies(rq, study, "");
  const std::string csv = varycsv(rq.varied, runs);
  status = finitestatus(csv, status);
  const bool pictures = !rq.png.empty() || !rq.svg.empty() || !rq.pdf.empty();
  if (rq.metrics || !rq.csv.empty() || !pictures) ok = writecsv(rq.csv, csv) && ok;
  return ok ? status : 1;
}

// The run of case c: the outputs asked, by default its history as CSV; the
// pictures the study view of it and the overlays when so asked.
int singlerun(const Request& rq, const hs::Run& run, const std::string& name,
              std::vector<hs::StudyRun> overlays) {
  int status = runstatus(run.report);
  const int frame = rq.frame < 0 ? run.model->set.nstep : rq.frame;
  bool ok = true;
  if (rq.study || !overlays.empty()) {
    overlays.insert(overlays.begin(), hs::StudyRun{&run, name, ""});
    ok = writestudies(rq, overlays, "");
  } else {
    ok = writepictures(rq, [&](hs::PictureFormat f, const std::string& path, std::string* error) {
      return hs::writeframe(run, frame, f, path, error);
    });
  }
  std::string error;
  if (!rq.gif.empty()) ok = written(hs::writegif(run, rq.gif, &error), error) && ok;
  if (!rq.savecase.empty()) {
    std::string reason;
    const std::string text = hs::casetext(*run.model);
    const bool saved = hs::writefilesafely(rq.savecase, text, &reason);
    ok = written(saved, rq.savecase + ": " + reason) && ok;
  }
  const bool outputs = !rq.png.empty() || !rq.svg.empty() || !rq.pdf.empty() || !rq.gif.empty() ||
                       !rq.savecase.empty();
  if (rq.metrics || !rq.csv.empty() || !outputs) {
    const std::string csv = rq.metrics ? hs::metricscsv(run) : hs::historycsv(run);
    status = finitestatus(csv, status);
    ok = writecsv(rq.csv, csv) && ok;
  }
  return ok ? status : 1;
}

// The robot and contour of the command line on case c (their keys are
// checked by the parser), under method 6 until --method names another.
void selectkeys(const Request& rq, hs::Case& c) {
  hs::SimSettings& s = c.set;
  hs::robotof(rq.robot[0], &s.type);
  s.hybrid = hs::Method::hybrid6;
  hs::contourof(rq.contour[0], &s.curve);
}

}  // namespace

// The case the request names: its file read (an empty file is read and
// refused, not taken for none) or its selections, under the method asked,
// with the settings given by name, checked as a whole before anything runs.
// True when c holds it, else false with the exit status in *status (the
// reason told).
bool requestcase(const Request& rq, BatchConsole& con, hs::Case& c, std::string& echo, int* status) {
  *status = 1;
  std::string text, reason;
  if (!rq.casefile.empty() && !hs::readcasefile(rq.casefile, &text, &reason)) {
    complain(rq.casefile + ": " + reason);
    return false;
  }
  std::string error;
  if (rq.casefile.empty())
    selectkeys(rq, c);
  else if (!hs::readcase(text, hs::defaultcase(), c, &echo, &error)) {
    if (rq.verbose) hs::showstartup(con, "", nullptr);
    con.print("\n");
    refusedfile(rq.casefile, error);
    return false;
  }
  // The case under the method asked; a file's case as the menu's method key
  // changes it.
  if (!rq.method.empty()) hs::methodof(rq.method[0], &c.set.hybrid);
  for (const NamedValue& nv : rq.named) hs::setnamed(c, nv.name, nv.value, nullptr);
  // The case as a whole, with the settings given by name, before anything runs.
  std::string invalid;
  if (hs::Refusal why; !hs::validcase(c, &why))
    invalid = (rq.named.empty() ? "" : "--set: ") + hs::refusaltext(why);
  else
    varyvalid(c, rq.varied, rq.combinations(), &invalid);
  if (!invalid.empty()) {
    complain(invalid);
    std::fputs(local(hs::tr(USAGE)).c_str(), stderr);
    *status = 2;
    return false;
  }
  return true;
}

// The language --lang asks for, wherever it stands among the options, so
// that every message is in it, the parser's first ("" when none is given
// or it names no language: the parser refuses that one).
std::string langasked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    const std::string lang = arg.compare(0, 7, "--lang=") == 0 ? arg.substr(7)
                             : arg == "--lang" && i + 1 < argc ? argv[i + 1]
                                                               : "";
    if (lang == "en" || lang == "ja") return lang;
  }
  return "";
}

// The case of the file or the selections on the defaults, the settings by
// name on top, then one derivation and one run (or the four methods).
int main(int argc, char** argv) {
  g_args.assign(argv + 1, argv + argc);
  hs::setmessagelanguage(langasked(argc, argv));
  // Parse everything before any work so that wrong arguments cost nothing;
  // the run's last output step bounds --frame.
  hs::SimSettings constants;
  hs::installrunconstants(constants);
  Request rq;
  int status = 0;
  if (!parseargs(argc, argv, constants.nstep, rq, &status)) return status;
  if (rq.listsettings) return writecsv("-", settingscsv()) ? 0 : 1;

  BatchConsole con(rq.verbose);
  hs::Case c = hs::defaultcase();
  std::string echo;
  if (!requestcase(rq, con, c, echo, &status)) return status;
  const std::string name = rq.casefile.empty() ? "" : filenameof(rq.casefile);
  std::vector<hs::Run> overlaid;
  if (!overlayruns(rq.overlays, overlaid)) return 1;
  std::vector<hs::StudyRun> overlays;
  for (std::size_t i = 0; i < overlaid.size(); ++i)
    overlays.push_back({&overlaid[i], filenameof(rq.overlays[i]), ""});
  if (rq.compare || !rq.varied.empty()) {
    if (rq.verbose) hs::showstartup(con, echo, nullptr);
    con.print("\n");
    return rq.compare ? comparerun(rq, c) : varyrun(rq, c, name, overlays);
  }
  const hs::Run run = hs::simulate(hs::derive(c));
  if (rq.verbose) hs::showstartup(con, echo, &run);
  con.print("\n");
  con.tellrun(run);
  return singlerun(rq, run, name, overlays);
}
