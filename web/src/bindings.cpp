// The web edition's door to the simulator: plain C functions that the
// JavaScript module (hybridsim.js) calls with strings and numbers. A case is
// named as in the page's address ("robot=b&method=6&contour=S&Fn=15"),
// optionally on top of a robot data file's text, and goes through the same
// case path as hybridsim-batch, so a run here is the batch program's run and
// its CSV the same bytes. Texts come back as JSON (UTF-8); pictures as the
// operation list of the browser's canvas (webcanvas.h).
//
// This is the only file of the web edition that knows the engine's API.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/compare.h"
#include "console/console.h"
#include "console/datafile.h"
#include "console/historycsv.h"
#include "console/meritreport.h"
#include "console/refusaltext.h"
#include "console/report.h"
#include "console/runsim.h"
#include "console/startcase.h"
#include "engine/model/metrics.h"
#include "engine/run.h"
#include "engine/settingfields.h"
#include "view/study.h"
#include "view/frame.h"
#include "view/stepkeys.h"
#include "webcanvas.h"

namespace {

// ---- JSON text ----

std::string jsonstring(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += hs::fmt("\\u%04x", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A number that reads back to the same double; JSON has no infinity or NaN.
std::string jsonnumber(double v) { return std::isfinite(v) ? hs::fmt("%.17g", v) : "null"; }

std::string jsonbool(bool b) { return b ? "true" : "false"; }

// ---- The case as the address names it ----

struct Named {
  std::string name;  // a field of the table or a servo target's name (fn1, alpha1, ...)
  double value;      // in the unit of that name
};

// The limit of a name a setting goes by; false for an unknown name.
bool limitofname(const std::string& name, hs::Limit& limit) {
  if (const hs::SettingField* f = hs::settingfield(name)) {
    limit = f->limit;
    return true;
  }
  for (const hs::ServoName& s : hs::servonames())
    if (name == s.name) {
      limit = s.limit;
      return true;
    }
  return false;
}

// What the address asks: the three selections and the settings by name.
struct Request {
  hs::Robot robot = hs::Robot::b;
  hs::Method method = hs::Method::hybrid6;
  hs::Contour contour = hs::Contour::sine;
  std::vector<Named> named;
  std::string badname;    // the entry that was refused ("" when none)
  std::string reason;     // why, in English
  std::string reasonja;   // why, in Japanese
  std::string lang;       // the page's language ("en", "ja"; "" the texts' own)
};

// One word of the address as a whole number ("%lf" forms, nothing after it).
bool wholenumber(const std::string& w, double& v) {
  if (w.empty() || std::isspace(static_cast<unsigned char>(w[0]))) return false;
  char* end = nullptr;
  v = std::strtod(w.c_str(), &end);
  return end == w.c_str() + w.size();
}

// A refused setting or case in English, the page's reason whatever its
// language (the Japanese beside it is the field's own hint).
std::string english(const hs::Refusal& why) {
  hs::MessageLanguage language("en");
  return hs::refusaltext(why);
}

void refuse(Request& rq, const std::string& name, const std::string& en, const std::string& ja) {
  if (!rq.badname.empty()) return;  // the first refusal is the one shown
  rq.badname = name;
  rq.reason = en;
  rq.reasonja = ja;
}

// A selection key that must be one of `allowed`, the keys `of` reads.
template <class Selection>
void selection(Request& rq, const std::string& name, const std::string& v, const char* allowed,
               bool (*of)(char, Selection*), Selection& out) {
  if (v.size() == 1 && of(v[0], &out)) return;
  std::string list;
  for (const char* c = allowed; *c; ++c) list += std::string(list.empty() ? "" : ", ") + *c;
  refuse(rq, name, name + " must be one of " + list + ", not \"" + hs::escapebytes(v) + "\"",
         name + " は " + list + " のどれかにしてください．");
}

// "name=value&name=value": the selections, "frame" (the page's own), "lang"
// (the language of the console's texts), and every other name a field of
// the settings table.
Request parse(const std::string& query) {
  Request rq;
  std::size_t i = 0;
  while (i <= query.size()) {
    std::size_t j = query.find('&', i);
    if (j == std::string::npos) j = query.size();
    const std::string item = query.substr(i, j - i);
    i = j + 1;
    if (item.empty()) continue;
    const std::size_t eq = item.find('=');
    const std::string name = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    if (name == "robot") {
      selection(rq, name, value, "ab", hs::robotof, rq.robot);
    } else if (name == "method") {
      selection(rq, name, value, "1346", hs::methodof, rq.method);
    } else if (name == "contour") {
      selection(rq, name, value, "LCS", hs::contourof, rq.contour);
    } else if (name == "lang") {
      rq.lang = value;
    } else if (name == "frame") {
      continue;
    } else if (hs::Limit limit; limitofname(name, limit)) {
      double v = 0;
      if (!wholenumber(value, v)) {
        refuse(rq, name, name + " = \"" + hs::escapebytes(value) + "\" refused: not a number",
               name + " = \"" + hs::escapebytes(value) + "\" は数値として読めません．");
        continue;
      }
      // The limits are the same for every case: checked on the default one.
      hs::Case scratch = hs::defaultcase();
      hs::Refusal why;
      if (!hs::setnamed(scratch, name, v, &why)) {
        refuse(rq, name, english(why), name + " は" + hs::limittext(limit) + "にしてください．");
        continue;
      }
      rq.named.push_back({name, v});
    } else {
      refuse(rq, name, "no setting named " + hs::escapebytes(name),
             hs::escapebytes(name) + " という設定はありません．");
    }
  }
  return rq;
}

// What a robot data file or an address may hold at most, as the batch
// program reads a file [bytes]; anything larger is refused before parsing.
constexpr std::size_t INPUTLIMIT = 1 << 20;

// ---- The state of the page ----

struct Session {
  hs::Run run;                     // the last run (no model before the first)
  hs::DisplayState disp;           // zoom and shown step of its picture
  std::string console;             // the console text of the start-up and run
  std::unique_ptr<hs::Case> compared;  // the case of the last comparison, as chosen
  std::array<hs::MethodRun, 4> rows;
  hs::WebCanvas canvas;
  std::string reply;               // the last text handed out
  // The page's pinned runs, kept run by their case's query so that the
  // study view is drawn again without running them again.
  std::vector<std::pair<std::string, hs::Run>> pinned;
};
Session& session() {
  static Session s;
  return s;
}

const char* reply(std::string text) {
  session().reply = std::move(text);
  return session().reply.c_str();
}

// The case named: a data file's text (or the selections), then the
// settings by name, as hybridsim-batch forms it. Without `compare` it is
// derived and run into *run, its console text into con; with it the four
// methods run on the case instead. Returns "" or the data file's refusal;
// a case the named settings make unusable as a whole runs nothing either,
// its refusal in *invalid.
std::string start(hs::Case& c, hs::Run* run, hs::Console& con, const Request& rq,
                  const std::string& casetext, std::array<hs::MethodRun, 4>* compare,
                  std::string* invalid) {
  std::string echo, error;
  if (!hs::choosecase(casetext, rq.robot, rq.method, rq.contour, c, &echo, &error)) return error;
  for (const Named& n : rq.named) hs::setnamed(c, n.name, n.value, nullptr);
  if (hs::Refusal why; !hs::validcase(c, &why)) return *invalid = english(why);
  if (compare) {
    *compare = hs::comparemethods(c);
    return "";
  }
  *run = hs::simulate(hs::derive(c));
  hs::showstartup(con, echo, run);
  return "";
}

std::string refusaljson(const std::string& name, const std::string& en, const std::string& ja) {
  return "{\"ok\":false,\"field\":" + jsonstring(name) + ",\"reason\":" + jsonstring(en) +
         ",\"reasonja\":" + jsonstring(ja) + "}";
}

// The start-up in the language the query asks for. A data file's refusal
// is the reason in that language and again in Japanese.
std::string startin(hs::Case& c, hs::Run* run, hs::Console& con, const Request& rq,
                    const std::string& casetext, std::array<hs::MethodRun, 4>* compare) {
  std::string error, invalid;
  {
    hs::MessageLanguage language(rq.lang);
    error = start(c, run, con, rq, casetext, compare, &invalid);
  }
  if (error.empty()) return "";
  if (!invalid.empty()) {
    const hs::LineSpec& l = c.set.line;
    const bool line = !hs::lineendsdiffer(l.x0, l.y0, l.xf, l.yf);
    return refusaljson(line ? "line.yf" : "case", invalid,
                       line ? "直線の終点 (xf, yf) が始点 (x0, y0) と同じです．" : invalid);
  }
  hs::MessageLanguage japanese("ja");
  hs::Case again;
  std::string echo, ja;
  hs::choosecase(casetext, rq.robot, rq.method, rq.contour, again, &echo, &ja);
  return refusaljson("file", error, ja);
}

// The refusal of a data file's text or an address over the limit ("" when
// both are within it).
std::string oversize(const std::string& query, const std::string& casetext) {
  if (casetext.size() > INPUTLIMIT) {
    const char* text = "1 MB を超えています（ロボットデータファイルではありません）";
    std::string en;
    {
      hs::MessageLanguage english("en");
      en = hs::tr(text);
    }
    return refusaljson("file", en, text);
  }
  if (query.size() > INPUTLIMIT)
    return refusaljson("address", "the address is larger than 1 MB", "アドレスが 1 MB を超えています．");
  return "";
}

std::string figuresjson(const hs::FiguresOfMerit& f) {
  std::string out = "{";
  for (const hs::FigureInfo& info : hs::FIGURES)
    out += std::string(out.size() > 1 ? "," : "") + jsonstring(info.name) + ":" +
           jsonnumber(f.*(info.value));
  return out + "}";
}

// How a run ended: the two kinds of trouble the page marks itself, whether
// the run means nothing at all (failed), and the sentences on the steps
// beyond the model's domain in English (notes) and in Japanese (notesja).
std::string reportjson(const hs::RunReport& r) {
  std::string notes[2];
  const char* langs[2] = {"en", "ja"};
  for (int k = 0; k < 2; ++k) {
    hs::MessageLanguage language(langs[k]);
    for (const hs::Diagnostic& d : r.diagnostics) {
      const std::string note = hs::domainnote(d);
      if (!note.empty()) notes[k] += (notes[k].empty() ? "" : " ") + note;
    }
  }
  return "\"unreachable\":" + jsonbool(r.unreachable()) + ",\"diverged\":" + jsonbool(r.diverged()) +
         ",\"failed\":" + jsonbool(!r.ok()) + ",\"notes\":" + jsonstring(notes[0]) +
         ",\"notesja\":" + jsonstring(notes[1]);
}

}  // namespace

extern "C" {

// The settings table with the values of the case named (its defaults, a
// data file's values, and the named settings on top):
// {"ok":true,"robot":..,"fields":[{"name","unit","limit","limitja","value"}],
// "servo":[..]}, "servo" the chosen method's servo targets by their names
// (fn1, alpha1, fn2, alpha2) in the same form.
EMSCRIPTEN_KEEPALIVE const char* hs_fields(const char* query, const char* casetext) {
  const std::string big = oversize(query, casetext);
  if (!big.empty()) return reply(big);
  const Request rq = parse(query);
  hs::Case c = hs::defaultcase();
  std::string echo, error;
  if (hs::choosecase(casetext, rq.robot, rq.method, rq.contour, c, &echo, &error)) {
    for (const Named& n : rq.named) hs::setnamed(c, n.name, n.value, nullptr);
    if (hs::Refusal why; !hs::validcase(c, &why)) error = english(why);
  }
  std::string out = "{\"ok\":" + jsonbool(error.empty() && rq.badname.empty()) +
                    ",\"robot\":\"" + hs::keyof(c.set.type) + "\",\"method\":\"" +
                    hs::keyof(c.set.hybrid) + "\",\"contour\":\"" + hs::keyof(c.set.curve) +
                    "\",\"fields\":[";
  bool first = true;
  for (const hs::SettingField& f : hs::settingfields()) {
    out += std::string(first ? "" : ",") + "{\"name\":" + jsonstring(f.name) +
           ",\"unit\":" + jsonstring(f.unit) + ",\"limit\":" + jsonstring(hs::limitwords(f.limit)) +
           ",\"limitja\":" + jsonstring(hs::limittext(f.limit)) +
           ",\"description\":" + jsonstring(hs::description(f)) +
           ",\"value\":" + jsonnumber(f.field(c.set)) + "}";
    first = false;
  }
  out += "],\"servo\":[";
  for (const hs::ServoName& s : hs::servonames()) {
    double v = 0;
    hs::getnamed(c, s.name, &v);
    out += std::string(out.back() == '[' ? "" : ",") + "{\"name\":" + jsonstring(s.name) +
           ",\"unit\":" + jsonstring(s.unit) + ",\"limit\":" + jsonstring(hs::limitwords(s.limit)) +
           ",\"limitja\":" + jsonstring(hs::limittext(s.limit)) + ",\"value\":" + jsonnumber(v) + "}";
  }
  return reply(out + "]}");
}

// Whether the address's entries are taken, running nothing: {"ok":true} or
// the refusal of hs_run.
EMSCRIPTEN_KEEPALIVE const char* hs_check(const char* query) {
  const std::string big = oversize(query, "");
  if (!big.empty()) return reply(big);
  const Request rq = parse(query);
  return reply(rq.badname.empty() ? "{\"ok\":true}"
                                  : refusaljson(rq.badname, rq.reason, rq.reasonja));
}

// Runs the case named, its console text in the query's lang=. A refused
// entry or data file runs nothing:
// {"ok":false,"field":NAME,"reason":..,"reasonja":..}. Otherwise
// {"ok":true,"laststep","dt","figures","unreachable","diverged","failed",
// "notes","notesja","console"}.
EMSCRIPTEN_KEEPALIVE const char* hs_run(const char* query, const char* casetext) {
  const std::string big = oversize(query, casetext);
  if (!big.empty()) return reply(big);
  const Request rq = parse(query);
  if (!rq.badname.empty()) return reply(refusaljson(rq.badname, rq.reason, rq.reasonja));
  Session& s = session();
  hs::Case c;
  hs::Run run;
  hs::ScriptConsole con("");
  const std::string refused = startin(c, &run, con, rq, casetext, nullptr);
  if (!refused.empty()) return reply(refused);
  s.run = std::move(run);
  s.disp = hs::DisplayState();
  s.console = con.output();
  const hs::SimSettings& set = s.run.model->set;
  return reply("{\"ok\":true,\"robot\":\"" + std::string(1, hs::keyof(set.type)) +
               "\",\"method\":\"" + hs::keyof(set.hybrid) + "\",\"contour\":\"" +
               hs::keyof(set.curve) + "\",\"laststep\":" +
               std::to_string(s.run.laststep()) + ",\"dt\":" + jsonnumber(set.dt) +
               ",\"figures\":" + figuresjson(s.run.figures()) + "," + reportjson(s.run.report) +
               ",\"console\":" + jsonstring(s.console) + "}");
}

// The four methods on the case named, as hybridsim-batch --compare runs
// them: {"ok":true,"rows":[{"method","figures","best":[..],"unreachable",
// "diverged","failed","notes","notesja"}],"csv":..}; its picture is left for
// hs_drawcompare.
EMSCRIPTEN_KEEPALIVE const char* hs_compare(const char* query, const char* casetext) {
  const std::string big = oversize(query, casetext);
  if (!big.empty()) return reply(big);
  const Request rq = parse(query);
  if (!rq.badname.empty()) return reply(refusaljson(rq.badname, rq.reason, rq.reasonja));
  Session& s = session();
  auto c = std::make_unique<hs::Case>();
  hs::ScriptConsole con("");
  const std::string refused = startin(*c, nullptr, con, rq, casetext, &s.rows);
  if (!refused.empty()) return reply(refused);
  s.compared = std::move(c);
  const auto best = hs::bestmarks(s.rows);
  std::string out = "{\"ok\":true,\"rows\":[";
  for (std::size_t i = 0; i < s.rows.size(); ++i) {
    std::string marks;
    for (std::size_t k = 0; k < best.size(); ++k) marks += (k ? "," : "") + jsonbool(best[k][i]);
    out += std::string(i ? "," : "") + "{\"method\":\"" + hs::keyof(s.rows[i].method) +
           "\",\"figures\":" + figuresjson(s.rows[i].fig) + ",\"best\":[" + marks + "]," +
           reportjson(s.rows[i].rep) + "}";
  }
  return reply(out + "],\"csv\":" + jsonstring(hs::comparecsv(s.rows)) + "}");
}

// The window's keys that step and zoom the picture (s, 0, w, W; the arrows,
// Home and End as 1 .. 4): the view's key table on the shown run. Returns
// the output step shown.
EMSCRIPTEN_KEEPALIVE int hs_key(int key) {
  Session& s = session();
  if (!s.run.model) return 0;
  static const hs::SpecialKey SPECIAL[] = {hs::SpecialKey::Left, hs::SpecialKey::Right,
                                           hs::SpecialKey::Home, hs::SpecialKey::End};
  if (key >= 1 && key <= 4)
    hs::specialkeytable(s.run.hist, s.disp, SPECIAL[key - 1]);
  else if (key >= 0 && key < 256)
    hs::stepkey(s.run.hist, s.disp, static_cast<unsigned char>(key));
  return s.disp.frame;
}

// Shows output step `frame` (held to 0 .. the last step); returns it.
EMSCRIPTEN_KEEPALIVE int hs_setframe(int frame) {
  Session& s = session();
  if (!s.run.model) return 0;
  s.disp.frame = std::max(0, std::min(frame, s.run.laststep()));
  return s.disp.frame;
}

// The zoom of the robot drawing [window units per metre].
EMSCRIPTEN_KEEPALIVE double hs_zoom() { return session().run.model ? session().disp.zoom : 1; }
EMSCRIPTEN_KEEPALIVE void hs_setzoom(double zoom) {
  if (session().run.model && zoom > 0) session().disp.zoom = zoom;
}

// Draws the window's picture of the shown step; the operations are then at
// hs_ops() (hs_opcount() numbers).
EMSCRIPTEN_KEEPALIVE void hs_draw() {
  Session& s = session();
  s.canvas.clear();
  if (s.run.model) hs::showframe(s.canvas, s.run, s.disp);
}

// Draws the comparison picture of the last hs_compare: the study view of
// its four runs, laid out `width` px wide (0: the full 800 px).
EMSCRIPTEN_KEEPALIVE void hs_drawcompare(double width) {
  Session& s = session();
  s.canvas.clear();
  if (!s.compared) return;
  hs::drawstudy(s.canvas, hs::comparestudy(s.rows), hs::COMPARETITLE, width > 0 ? width : hs::PICTUREPX);
}

// The study view of the pinned runs (their case queries, one a line, the
// oldest first) with the run on screen last; pins kept from the last call
// are not run again. Draws the picture, laid out `width` px wide, only when
// `width` is above 0.
// Returns {"ok":true,"pinned":[{"label","figures","failed"}],"label"}, the
// labels telling the runs apart; a pin whose case is refused is left out.
EMSCRIPTEN_KEEPALIVE const char* hs_study(const char* pins, double width) {
  Session& s = session();
  std::vector<std::pair<std::string, hs::Run>> kept;
  const std::string all = pins;
  for (std::size_t i = 0; i < all.size() && kept.size() < hs::STUDYMAX - 1;) {
    std::size_t j = all.find('\n', i);
    if (j == std::string::npos) j = all.size();
    const std::string q = all.substr(i, j - i);
    i = j + 1;
    if (q.empty() || !oversize(q, "").empty()) continue;
    auto old = std::find_if(s.pinned.begin(), s.pinned.end(), [&](const auto& p) { return p.first == q; });
    if (old != s.pinned.end()) {
      kept.push_back(std::move(*old));
      s.pinned.erase(old);
      continue;
    }
    const Request rq = parse(q);
    hs::Case c;
    hs::Run run;
    hs::ScriptConsole con("");
    if (rq.badname.empty() && startin(c, &run, con, rq, "", nullptr).empty())
      kept.emplace_back(q, std::move(run));
  }
  s.pinned = std::move(kept);
  // The pins, then the run on screen.
  std::vector<hs::StudyRun> runs;
  for (const auto& p : s.pinned) runs.push_back({&p.second, "", ""});
  if (s.run.model) runs.push_back({&s.run, "", ""});
  const std::vector<std::string> labels = hs::studylabels(runs);
  std::string out = "{\"ok\":true,\"pinned\":[";
  for (std::size_t k = 0; k < s.pinned.size(); ++k)
    out += std::string(k ? "," : "") + "{\"label\":" + jsonstring(labels[k]) +
           ",\"figures\":" + figuresjson(s.pinned[k].second.figures()) +
           ",\"failed\":" + jsonbool(!s.pinned[k].second.ok()) + "}";
  out += "],\"label\":" + jsonstring(s.run.model ? labels.back() : "") + "}";
  s.canvas.clear();
  if (width > 0) hs::drawstudy(s.canvas, runs, "", width);
  return reply(out);
}

EMSCRIPTEN_KEEPALIVE const double* hs_ops() { return session().canvas.ops().data(); }
EMSCRIPTEN_KEEPALIVE int hs_opcount() { return static_cast<int>(session().canvas.ops().size()); }

// The history as CSV, the bytes hybridsim-batch writes for the case.
EMSCRIPTEN_KEEPALIVE const char* hs_csv() {
  return reply(session().run.model ? hs::historycsv(session().run) : "");
}

// The case as a robot data file (what the window's 'o' saves).
EMSCRIPTEN_KEEPALIVE const char* hs_casefile() {
  return reply(session().run.model ? hs::casetext(*session().run.model) : "");
}

// The settings report of the run as the console prints it, in `lang`
// ("en", "ja"; "" or null: the texts' own, Japanese).
EMSCRIPTEN_KEEPALIVE const char* hs_report(const char* lang) {
  if (!session().run.model) return reply("");
  hs::MessageLanguage language(lang ? lang : "");
  hs::ScriptConsole con("");
  hs::printsettings(*session().run.model, con);
  return reply(con.output());
}

// The figures of merit as the window's 'm' prints them, in `lang` (as hs_report).
EMSCRIPTEN_KEEPALIVE const char* hs_metricstext(const char* lang) {
  hs::MessageLanguage language(lang ? lang : "");
  return reply(session().run.model ? hs::metricstext(session().run) : "");
}

}  // extern "C"
