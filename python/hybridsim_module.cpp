// The Python module: one case of the simulator as an object, its settings by
// the names of the settings table, its runs as NumPy arrays.
//
// A Simulator goes through the same start-up as hybridsim-batch (run
// constants, defaults, derivation, the case file or the three selections,
// derivation) and stops before the first run; run() then does what the
// menu's rerun does (derive again, simulate from t = 0), so the first run of
// a Simulator is the batch program's run bit for bit. Nothing is printed and
// no key is awaited: the console has no input, so every key wait returns at
// once, and its text is collected.
//
// This is the extension `hybridsim._core`; the package hybridsim adds the
// data frames, plots, notebook views and sweeps in Python.
#include <algorithm>
#include <cctype>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/compare.h"
#include "console/console.h"
#include "console/datafile.h"
#include "console/historycsv.h"
#include "console/meritreport.h"
#include "console/refusaltext.h"
#include "console/report.h"
#include "console/runsim.h"
#include "engine/settingfields.h"
#include "files/safefile.h"
#include "console/startcase.h"
#include "render/picture.h"
#include "engine/model/metrics.h"
#include "engine/run.h"

namespace py = pybind11;

namespace {

// Text without the line ends a console message starts and ends with.
std::string trimlines(const std::string& text) {
  const std::size_t a = text.find_first_not_of('\n');
  if (a == std::string::npos) return "";
  const std::size_t b = text.find_last_not_of('\n');
  return text.substr(a, b - a + 1);
}

// A path given as str, bytes or os.PathLike, as the bytes the system opens.
// A NUL byte would cut the name short, so it is refused as open() does.
std::string pathof(const py::object& path) {
  const std::string name = py::bytes(py::module_::import("os").attr("fsencode")(path));
  if (name.find('\0') != std::string::npos) throw py::value_error("embedded null byte");
  return name;
}

// The KeyError's text for a name that is no setting, its control bytes
// (a NUL would cut the message short) shown escaped.
std::string unknownname(const std::string& name) { return "no setting named " + hs::escapebytes(name); }

// A refused value or case as a ValueError says it: in English, as Python's
// own errors are.
py::value_error refusalerror(const hs::Refusal& why) {
  hs::MessageLanguage english("en");
  return py::value_error(hs::refusaltext(why));
}

// A selection given as a one-character str or, where `numbers` is set, an
// integer (int or a NumPy integer). Another value is a ValueError naming
// the choices, another type a TypeError.
char selectionof(const py::object& value, const char* what, const char* allowed, bool numbers) {
  std::string s;
  if (py::isinstance<py::str>(value)) {
    s = value.cast<std::string>();
  } else if (numbers && !py::isinstance<py::bool_>(value) && PyIndex_Check(value.ptr())) {
    s = py::str(py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr())));
  } else if (!py::isinstance<py::bool_>(value)) {
    throw py::type_error(std::string(what) + " must be " + (numbers ? "an int or " : "") +
                         "a str, not " + py::str(value.get_type().attr("__name__")).cast<std::string>());
  }
  if (s.size() != 1 || std::string(allowed).find(s[0]) == std::string::npos) {
    // The choices in words: "1, 3, 4 or 6", quoted for letters.
    std::string choices;
    const std::string quote = numbers ? "" : "'";
    for (std::size_t i = 0; allowed[i]; ++i)
      choices += (i == 0 ? "" : allowed[i + 1] ? ", " : " or ") + quote + allowed[i] + quote;
    std::string shown = py::repr(value).cast<std::string>();
    if (shown.size() > 40) shown = shown.substr(0, 37) + "...";
    throw py::value_error(std::string(what) + " must be " + choices + ", not " + shown);
  }
  return s[0];
}

// An output step given as an int or NumPy integer, counted from the end
// when negative as Python's sequences are.
int frameof(const py::object& value, int rows) {
  if (py::isinstance<py::bool_>(value) || !PyIndex_Check(value.ptr()))
    throw py::type_error("frame must be an int, not " +
                         py::str(value.get_type().attr("__name__")).cast<std::string>());
  const auto i = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
  if (i < py::int_(-rows) || i >= py::int_(rows))
    throw py::index_error("frame " + py::repr(i).cast<std::string>() +
                          " out of range for a run of " + std::to_string(rows) + " output steps");
  const int k = i.cast<int>();
  return k < 0 ? k + rows : k;
}

// An array the caller may read but not change, so that an assignment into
// it cannot look as if it changed the run.
template <typename Array>
Array readonly(Array a) {
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

// The message language asked for: None for the locale's, "en" or "ja".
std::string langof(const py::object& lang) {
  if (lang.is_none()) return hs::localelanguage();
  if (!py::isinstance<py::str>(lang))
    throw py::type_error("lang must be a str ('en' or 'ja') or None, not " +
                         py::str(lang.get_type().attr("__name__")).cast<std::string>());
  const std::string s = lang.cast<std::string>();
  if (s != "en" && s != "ja")
    throw py::value_error("lang must be 'en', 'ja' or None, not " + py::repr(lang).cast<std::string>());
  return s;
}

// The figures of merit as a dict, in the order of the CSV columns.
py::dict figuresdict(const hs::FiguresOfMerit& f) {
  py::dict d;
  for (const hs::FigureInfo& info : hs::FIGURES) d[info.name] = f.*(info.value);
  return d;
}

// One note on a run: how serious it is ("error": the run means nothing;
// "warning": it computed but a limit was reached), what happened, when, and
// the numbers that say it.
struct Diagnostic {
  std::string severity;  // "error" or "warning"
  std::string code;      // "pathend", "unreachable", "diverged", "nonfinite", "outofreach",
                         // "handtravel", "contactlost", "torquelimit", "saturated"
  double time = 0;       // when it happened [s]; NaN for the run as a whole
  std::vector<std::pair<std::string, double>> values;  // named numbers, each in its unit
};

// What a run's result says about itself: its case (selections and every
// setting as run), whether it means anything and the notes behind that.
struct RunFacts {
  hs::SimSettings case_;  // selections and settings as run (to Python by caseof)
  bool ok = true;         // no diagnostic of severity "error"
  std::vector<Diagnostic> diagnostics;  // in the order: errors of the run, then warnings
};

// A case as a dict: the three selections and every enterable setting.
// Built with the GIL held, apart from the runs.
py::dict caseof(const hs::SimSettings& set) {
  py::dict d;
  d["robot"] = std::string(1, hs::keyof(set.type));
  d["method"] = std::string(1, hs::keyof(set.hybrid));
  d["contour"] = std::string(1, hs::keyof(set.curve));
  hs::SimSettings s = set;
  for (const hs::SettingField& field : hs::settingfields()) d[field.name] = field.field(s);
  return d;
}

// The facts of a run from the engine's report of how it ended and its
// figures of merit. The one place where a run's report becomes diagnostics.
RunFacts diagnosticsof(const hs::SimSettings& set, const hs::RunReport& rep) {
  RunFacts f;
  f.case_ = set;
  const double whole = std::numeric_limits<double>::quiet_NaN();
  // The engine's diagnostics, each with its numbers named.
  for (const hs::Diagnostic& d : rep.diagnostics) {
    const std::string severity = d.severity == hs::Severity::error ? "error" : "warning";
    switch (d.code) {
      case hs::DiagCode::unreachable:
        f.diagnostics.push_back({severity, "unreachable", d.t, {{"x", d.values[0]}, {"y", d.values[1]}}});
        break;
      case hs::DiagCode::diverged:
        f.diagnostics.push_back({severity, "diverged", d.t, {{"laststep", double(rep.laststep)}}});
        break;
      case hs::DiagCode::torquelimit:
        f.diagnostics.push_back({severity, "torquelimit", d.t, {{"motor", d.values[0]}, {"limit", d.values[1]}}});
        break;
      case hs::DiagCode::nonfinite: {
        const hs::FigureInfo& info = hs::FIGURES[static_cast<std::size_t>(d.values[0])];
        f.diagnostics.push_back({severity, "nonfinite", whole, {{info.name, d.values[1]}}});
        break;
      }
      case hs::DiagCode::pathend:
        f.diagnostics.push_back({severity, "pathend", d.t, {{"x", d.values[0]}, {"y", d.values[1]}}});
        break;
      case hs::DiagCode::outofreach:
        f.diagnostics.push_back({severity, "outofreach", d.t,
                                 {{"x", d.values[0]}, {"y", d.values[1]}, {"reach", d.values[2]}}});
        break;
      case hs::DiagCode::handtravel:
        f.diagnostics.push_back({severity, "handtravel", d.t,
                                 {{"along", d.values[0]}, {"across", d.values[1]}, {"travel", d.values[2]}}});
        break;
      case hs::DiagCode::contactlost:
        f.diagnostics.push_back({severity, "contactlost", d.t, {{"force", d.values[0]}}});
        break;
      case hs::DiagCode::saturated:
        f.diagnostics.push_back({severity, "saturated", whole, {{"tsat", d.values[0]}, {"share", d.values[1]}}});
        break;
    }
  }
  // Errors first, then warnings, each in the order they came.
  std::stable_sort(f.diagnostics.begin(), f.diagnostics.end(),
                   [](const Diagnostic& x, const Diagnostic& y) { return x.severity == "error" && y.severity != "error"; });
  for (const Diagnostic& d : f.diagnostics) f.ok = f.ok && d.severity != "error";
  return f;
}

// One finished run: the engine's run (its model, history and diagnostics),
// the console text of the run and its figures of merit.
class Run {
 public:
  Run(hs::Run run, std::string messages)
      : run_(std::make_shared<const hs::Run>(std::move(run))),
        messages_(std::move(messages)),
        fig_(run_->figures()),
        facts_(diagnosticsof(run_->model->set, run_->report)) {}

  const hs::Run& run() const { return *run_; }
  const hs::SimSettings& set() const { return run_->model->set; }
  const std::string& messages() const { return messages_; }
  const hs::FiguresOfMerit& figures() const { return fig_; }
  const RunFacts& facts() const { return facts_; }
  int laststep() const { return run_->laststep(); }
  int rows() const { return laststep() + 1; }

  // The output times, accumulated the same way as in the run and the CSV.
  py::array_t<double> times() const {
    py::array_t<double> a(rows());
    auto v = a.mutable_unchecked<1>();
    double t = 0;
    for (int i = 0; i < rows(); ++i) {
      if (i > 0) t = t + set().dt;
      v(i) = t;
    }
    return readonly(a);
  }
  // One column per output step of a per-step scalar.
  py::array_t<double> column(std::vector<double> hs::RunHistory::*member) const {
    py::array_t<double> a(rows());
    auto v = a.mutable_unchecked<1>();
    for (int i = 0; i < rows(); ++i) v(i) = (run_->hist.*member)[i];
    return readonly(a);
  }
  // Two columns per output step of a per-step pair.
  py::array_t<double> pairs(std::vector<hs::Pair> hs::RunHistory::*member) const {
    py::array_t<double> a({rows(), 2});
    auto v = a.mutable_unchecked<2>();
    for (int i = 0; i < rows(); ++i)
      for (int j = 0; j < 2; ++j) v(i, j) = (run_->hist.*member)[i][j];
    return readonly(a);
  }

  void saveframe(const py::object& pathobj, const py::object& frameobj,
                 hs::PictureFormat format) const;
  void savegif(const py::object& pathobj) const;

 private:
  std::shared_ptr<const hs::Run> run_;
  std::string messages_;
  hs::FiguresOfMerit fig_;
  RunFacts facts_;
};

// Raises OSError with a file's one-line reason ("<path>: <system message>").
// A file name that is not UTF-8 shows its odd bytes as \xNN.
[[noreturn]] void raiseoserror(const std::string& reason) {
  PyErr_SetString(PyExc_OSError, hs::escapebytes(reason).c_str());
  throw py::error_already_set();
}

// Writes a file without the GIL: `write` returns whether it could and, when
// not, the file's one-line reason, raised as OSError.
template <typename Write>
void writeorraise(const Write& write) {
  std::string error;
  bool ok;
  {
    py::gil_scoped_release nogil;
    ok = write(&error);
  }
  if (!ok) raiseoserror(error);
}

// The window's picture of one output step (default: the last) as a file.
void Run::saveframe(const py::object& pathobj, const py::object& frameobj,
                    hs::PictureFormat format) const {
  const std::string path = pathof(pathobj);
  const int frame = frameobj.is_none() ? laststep() : frameof(frameobj, rows());
  writeorraise([&](std::string* error) {
    return hs::writeframe(*run_, frame, format, path, error);
  });
}

// The robot data file of a derived model's case, the same bytes as the
// window's 'o' writes for it (carry-overs on the last line).
void savecase(const py::object& pathobj, const hs::Model& model) {
  const std::string path = pathof(pathobj);
  writeorraise([&](std::string* error) {
    if (hs::writefilesafely(path, hs::casetext(model), error)) return true;
    *error = path + ": " + *error;
    return false;
  });
}

void Run::savegif(const py::object& pathobj) const {
  const std::string path = pathof(pathobj);
  writeorraise([&](std::string* error) { return hs::writegif(*run_, path, error); });
}

// ---- The study view of runs ----

// The runs of a Python list (at most STUDYMAX) as the study view takes
// them, with the labels given (None: by what differs).
std::vector<hs::StudyRun> studyruns(const py::sequence& runs, const py::object& labels) {
  const std::size_t n = py::len(runs);
  if (n == 0) throw py::value_error("the study view needs at least one run");
  if (n > hs::STUDYMAX)
    throw py::value_error("the study view draws at most 8 runs, not " + std::to_string(n));
  std::vector<std::string> given;
  if (!labels.is_none()) {
    given = labels.cast<std::vector<std::string>>();
    if (given.size() != n) throw py::value_error("one label per run, or labels=None");
  }
  std::vector<hs::StudyRun> out;
  for (std::size_t i = 0; i < n; ++i)
    out.push_back({&runs[i].cast<const Run&>().run(), "", given.empty() ? "" : given[i]});
  return out;
}

// The format of a file name's extension: .png, .svg or .pdf.
hs::PictureFormat formatof(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "png") return hs::PictureFormat::Png;
  if (ext == "svg") return hs::PictureFormat::Svg;
  if (ext == "pdf") return hs::PictureFormat::Pdf;
  throw py::value_error(hs::escapebytes(path) + ": the picture's file name must end in .png, .svg or .pdf");
}

class Simulator {
 public:
  // A simulator whose next run is case c's first.
  explicit Simulator(const hs::Case& c) : case_(c) {}

  static std::unique_ptr<Simulator> make(const py::object& robot, const py::object& method,
                                         const py::object& contour) {
    return withsettings(robot, method, contour, {});
  }

  // The case of a dict as Run.case gives it: the selections, then any
  // settings by name (the others keep their defaults).
  static std::unique_ptr<Simulator> fromcase(const py::dict& c) {
    const auto item = [&c](const char* key) { return c.contains(key) ? py::object(c[key]) : py::object(py::none()); };
    std::vector<std::pair<const hs::SettingField*, double>> values;
    for (const auto& kv : c) {
      const std::string name = py::str(kv.first);
      if (name == "robot" || name == "method" || name == "contour") continue;
      const hs::SettingField& f = field(name);
      const double v = kv.second.cast<double>();
      hs::Case scratch;
      hs::Refusal refused;
      if (!hs::setnamed(scratch, f.name, v, &refused)) throw refusalerror(refused);
      values.emplace_back(&f, v);
    }
    return withsettings(item("robot"), item("method"), item("contour"), values);
  }

  // A copy with its own state: later changes to either leave the other.
  Simulator(Simulator& other) {
    std::lock_guard<std::mutex> lock(other.mutex_);
    case_ = other.case_;
    last_ = other.last_;
  }
  void setlast(const Run& run) { last_ = run; }
  // The two values a session carries over (work block length [m], method 6's
  // acceleration time [s]): not settings, but part of the case.
  py::tuple carried() {
    std::lock_guard<std::mutex> lock(mutex_);
    return py::make_tuple(case_.worklen, case_.accwindow6);
  }
  void carry(const py::tuple& t) {
    std::lock_guard<std::mutex> lock(mutex_);
    case_.worklen = t[0].cast<double>();
    case_.accwindow6 = t[1].cast<double>();
  }
  std::optional<Run> last() {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
  }
  py::dict caseofnext() {
    std::lock_guard<std::mutex> lock(mutex_);
    return caseof(case_.set);
  }

  static std::unique_ptr<Simulator> fromfile(const py::object& pathobj, const py::object& lang) {
    hs::MessageLanguage language(langof(lang));
    const std::string path = pathof(pathobj);
    std::string text, reason;
    if (!hs::readcasefile(path, &text, &reason))
      throw py::value_error(hs::escapebytes(path + ": " + reason));
    std::string error;
    hs::Case c;
    bool read = false;
    {
      py::gil_scoped_release nogil;
      read = hs::readcase(text, hs::defaultcase(), c, nullptr, &error);
    }
    if (!read) throw py::value_error(trimlines(error));
    return std::make_unique<Simulator>(c);
  }

  // By a field name or a servo name (fn1, fn2 [Hz], alpha1, alpha2 [1/s]
  // of the chosen method).
  double get(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    double v = 0;
    if (!hs::getnamed(case_, name, &v)) throw py::key_error(unknownname(name));
    return v;
  }

  // A value the table refuses, or one that makes the case unusable as a
  // whole (a line's end on its start), leaves the setting as it is.
  void set(const std::string& name, double value) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!hs::getnamed(case_, name, nullptr)) throw py::key_error(unknownname(name));
    hs::Case c = case_;
    hs::Refusal refused;
    if (!hs::setnamed(c, name, value, &refused) || !hs::validcase(c, &refused))
      throw refusalerror(refused);
    case_ = c;
  }

  py::dict settings() {
    std::lock_guard<std::mutex> lock(mutex_);
    py::dict d;
    for (const hs::SettingField& f : hs::settingfields()) d[f.name] = f.field(case_.set);
    return d;
  }

  // The report of a derived copy: the settings as the next run uses them.
  std::string report(const py::object& lang) {
    hs::MessageLanguage language(langof(lang));
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(mutex_);
    hs::ScriptConsole con("");
    hs::printsettings(hs::derive(case_), con);
    return con.output();
  }

  Run run(const py::object& lang) {
    hs::MessageLanguage language(langof(lang));
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(mutex_);
    hs::ScriptConsole con("");
    hs::Run run = hs::simulate(hs::derive(case_));
    hs::tellrun(con, run);
    last_ = Run(std::move(run), con.output());
    return *last_;
  }

  py::dict compare() {
    std::array<hs::MethodRun, 4> rows;
    {
      py::gil_scoped_release nogil;
      std::lock_guard<std::mutex> lock(mutex_);
      rows = hs::comparemethods(case_);
    }
    py::dict d;
    for (const hs::MethodRun& r : rows) {
      py::dict row = figuresdict(r.fig);
      row["ok"] = !r.failed();
      row["unreachable"] = r.rep.unreachable();
      row["diverged"] = r.rep.diverged();
      d[py::str(std::string(1, hs::keyof(r.method)))] = row;
    }
    return d;
  }

  void saveframe(const py::object& pathobj, const py::object& frameobj, hs::PictureFormat format) {
    lastrun().saveframe(pathobj, frameobj, format);
  }
  void savegif(const py::object& pathobj) { lastrun().savegif(pathobj); }
  void savecasefile(const py::object& pathobj) {
    std::optional<hs::Model> model;
    {
      py::gil_scoped_release nogil;
      std::lock_guard<std::mutex> lock(mutex_);
      model = hs::derive(case_);
    }
    savecase(pathobj, *model);
  }

  char robot() const { return hs::keyof(case_.set.type); }
  char method() const { return hs::keyof(case_.set.hybrid); }
  char contour() const { return hs::keyof(case_.set.curve); }

 private:
  // The start-up defaults with the selections given (unnamed ones keep those
  // the defaults leave: robot b, method 6, sine), then the settings.
  static std::unique_ptr<Simulator> withsettings(
      const py::object& robot, const py::object& method, const py::object& contour,
      const std::vector<std::pair<const hs::SettingField*, double>>& values) {
    const char type = robot.is_none() ? 0 : selectionof(robot, "robot", "ab", false);
    const char hybrid = method.is_none() ? 0 : selectionof(method, "method", "1346", true);
    const char curve = contour.is_none() ? 0 : selectionof(contour, "contour", "LCS", false);
    py::gil_scoped_release nogil;
    hs::Case c = hs::defaultcase();
    hs::robotof(type, &c.set.type);
    hs::methodof(hybrid, &c.set.hybrid);
    hs::contourof(curve, &c.set.curve);
    for (const auto& fv : values) fv.first->field(c.set) = fv.second;
    hs::Refusal refused;
    if (!hs::validcase(c, &refused)) throw refusalerror(refused);  // the GIL is back when it arrives
    return std::make_unique<Simulator>(c);
  }

  static const hs::SettingField& field(const std::string& name) {
    const hs::SettingField* f = hs::settingfield(name);
    if (!f) throw py::key_error(unknownname(name));
    return *f;
  }

  Run lastrun() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!last_) throw std::runtime_error("no run yet: call run() first");
    return *last_;
  }

  // The case as chosen, carry-overs included: what every run and the
  // method comparison start from, so that each run is that case's first.
  hs::Case case_;
  // The last run, for its pictures.
  std::optional<Run> last_;
  // One run, report or change at a time on this case.
  std::mutex mutex_;
};

}  // namespace

PYBIND11_MODULE(_core, m) {
  // NumPy's C interface is looked up once, here, while the import holds the
  // GIL: looked up at a first call instead, a thread that waits for NumPy's
  // import could hold up another that holds the GIL in the look-up.
  (void)py::dtype::of<double>();
  m.doc() =
      "Motion-force hybrid control of a two-joint robot arm: the simulator's engine from Python.\n\n"
      "A Simulator holds one case (robot, control method, contour and every setting);\n"
      "run() simulates it and returns a Run with the history as NumPy arrays. Runs release\n"
      "the GIL and two Simulators share nothing, so a thread pool runs cases on all cores.";

  py::class_<Diagnostic>(m, "Diagnostic",
                         "One note on a run: severity 'error' (the run means nothing) or 'warning'\n"
                         "(it computed, but a limit was reached), a code, the time and the numbers.")
      .def_readonly("severity", &Diagnostic::severity, "'error' or 'warning'.")
      .def_readonly("code", &Diagnostic::code,
                    "What happened: 'pathend' (a path end beyond the arm's reach),\n"
                    "'unreachable' (a commanded point out of the arm's reach),\n"
                    "'diverged' (the integration stopped being finite), 'nonfinite' (a figure of\n"
                    "merit is not a number), 'outofreach' (the contact point or the tip left the\n"
                    "arm's reach), 'handtravel' (the hand deflected beyond its springs' travel),\n"
                    "'contactlost' (the contact force fell to 0 or below after the first second),\n"
                    "'torquelimit' (a motor at its torque limit), 'saturated' (a motor at its\n"
                    "limit in more than half the steps).")
      .def_readonly("time", &Diagnostic::time,
                    "When it happened [s]: the first time out of reach, the last good output\n"
                    "step, the first output step at the torque limit; 0 for a path end; NaN for a\n"
                    "note on the whole run. values: pathend and unreachable x, y [m]; diverged\n"
                    "laststep; torquelimit motor (1 or 2) and limit [N m]; nonfinite the figure;\n"
                    "outofreach x, y and the reach crossed [m] (the inner one for a point nearer\n"
                    "the base, 0 for robot a's radial joint behind it); handtravel along, across\n"
                    "and travel [m];\n"
                    "contactlost force [N]; saturated tsat and share [%].")
      .def_property_readonly(
          "values",
          [](const Diagnostic& d) {
            py::dict v;
            for (const auto& kv : d.values) v[py::str(kv.first)] = kv.second;
            return v;
          },
          "The numbers of the note (dict name -> value): laststep, tsat [%], t1peak, ...")
      .def("__repr__",
           [](const Diagnostic& d) {
             return "Diagnostic(" + d.severity + ", " + d.code + ", t=" +
                    py::repr(py::float_(d.time)).cast<std::string>() + ")";
           })
      .def(py::pickle(
          [](const Diagnostic& d) { return py::make_tuple(d.severity, d.code, d.time, d.values); },
          [](const py::tuple& t) {
            return Diagnostic{t[0].cast<std::string>(), t[1].cast<std::string>(),
                              t[2].cast<double>(),
                              t[3].cast<std::vector<std::pair<std::string, double>>>()};
          }));

  // The enterable settings: name, unit as stored and limit in words.
  m.def(
      "_settingfields",
      [] {
        py::list l;
        for (const hs::SettingField& f : hs::settingfields())
          l.append(py::make_tuple(f.name, f.unit, hs::limitwords(f.limit), hs::description(f)));
        return l;
      },
      "The settings table: (name, unit, limit, description) of every enterable setting.");
  // The names of the chosen method's servo targets and their units.
  m.def(
      "_servonames",
      [] {
        py::list l;
        for (const hs::ServoName& s : hs::servonames()) l.append(py::make_tuple(s.name, s.unit));
        return l;
      },
      "The servo target names of the chosen method: (name, unit) of fn1, alpha1, fn2, alpha2.");

  m.def(
      "_studylabels",
      [](const py::sequence& runs) {
        const std::vector<hs::StudyRun> study = studyruns(runs, py::none());
        return hs::studylabels(study);
      },
      py::arg("runs"), "The study view's label of each run: what tells it from the others.");
  m.def(
      "_studycaption",
      [](const py::sequence& runs) { return hs::studycaption(studyruns(runs, py::none())); },
      py::arg("runs"), "The study view's caption: what all the runs share.");
  m.def(
      "_studybytes",
      [](const py::sequence& runs, const py::object& labels, const std::string& ext) {
        const std::vector<hs::StudyRun> study = studyruns(runs, labels);
        const hs::PictureFormat format = formatof("." + ext);
        std::string bytes;
        {
          py::gil_scoped_release nogil;
          bytes = hs::studybytes(study, "", format);
        }
        return py::bytes(bytes);
      },
      py::arg("runs"), py::arg("labels"), py::arg("format"),
      "The study view of the runs as the bytes of a png, svg or pdf file.");
  m.def(
      "_studywrite",
      [](const py::sequence& runs, const py::object& labels, const py::object& pathobj) {
        const std::vector<hs::StudyRun> study = studyruns(runs, labels);
        const std::string path = pathof(pathobj);
        const hs::PictureFormat format = formatof(path);
        writeorraise([&](std::string* error) { return hs::writestudy(study, "", format, path, error); });
      },
      py::arg("runs"), py::arg("labels"), py::arg("path"),
      "Writes the study view of the runs; the format by the file name's extension.");

  py::class_<Run> run(m, "Run",
                  "One simulation run: its history (one row per output step 0 .. nstep, read-only\n"
                  "arrays), its case, whether it means anything (ok, diagnostics), the console\n"
                  "text of the run and its figures of merit. Holds its own copy of the case, so\n"
                  "later changes to the Simulator do not alter it; pickles as its case and runs\n"
                  "again when unpickled, to the same numbers.");
  // The recorded history, one array per quantity.
  struct PairArray {
    const char* name;
    std::vector<hs::Pair> hs::RunHistory::*member;
    const char* doc;
  };
  for (const PairArray& a : {
           PairArray{"motorpos", &hs::RunHistory::motorpos,
                     "Motor positions [rad] (reduction ratio x joint coordinate), shape (steps, 2)."},
           PairArray{"tippos", &hs::RunHistory::tippos,
                     "Contact tip with deflection (X, Y) [m], shape (steps, 2)."},
           PairArray{"cmdpos", &hs::RunHistory::cmdpos,
                     "Commanded point (X, Y) [m], shape (steps, 2)."},
           PairArray{"poserr", &hs::RunHistory::poserr,
                     "Position error tippos - cmdpos (X, Y) [m], shape (steps, 2)."},
           PairArray{"force", &hs::RunHistory::force,
                     "(normal contact force, 0) [N], shape (steps, 2)."},
           PairArray{"torque", &hs::RunHistory::torque, "Motor torques [N m], shape (steps, 2)."},
           PairArray{"defl", &hs::RunHistory::tipdefl,
                     "Hand deflection along and across the hand [m], shape (steps, 2)."},
       }) {
    const auto member = a.member;
    run.def_property_readonly(a.name, [member](const Run& r) { return r.pairs(member); }, a.doc);
  }
  run.def_property_readonly("t", &Run::times, "Output times [s], shape (steps,).")
      .def_property_readonly(
          "perierr", [](const Run& r) { return r.column(&hs::RunHistory::perierr); },
          "Peripheral (along-path) position error [m], shape (steps,).")
      .def_property_readonly(
          "forceerr", [](const Run& r) { return r.column(&hs::RunHistory::forceerr); },
          "Contact force error force - Fn [N], shape (steps,).")
      .def_property_readonly("messages", &Run::messages,
                             "Console text of the run (str): the derivation's unreachable path\n"
                             "ends, \"calcontrol()終わり\" and the notes on an unreachable\n"
                             "commanded point or a diverged integration, in the language\n"
                             "run(lang=...) asked for.")
      .def_property_readonly(
          "metrics", [](const Run& r) { return figuresdict(r.figures()); },
          "Figures of merit (dict name -> value): frms, fmax [N], erms, emax, pend, pmax [m],\n"
          "t1peak, t2peak [-] (peak torque / limit), tsat [%].")
      .def_property_readonly(
          "unreachable", [](const Run& r) { return r.run().report.unreachable(); },
          "True when a commanded point left the arm's reach (the run means nothing then).")
      .def_property_readonly(
          "diverged", [](const Run& r) { return r.run().report.diverged(); },
          "True when the integration diverged and the run was cut short.")
      .def(
          "to_csv",
          [](const Run& r, const py::object& path) {
            const std::string name = pathof(path);
            writeorraise([&](std::string* error) {
              if (hs::writefilesafely(name, hs::historycsv(r.run()), error)) return true;
              *error = name + ": " + *error;
              return false;
            });
          },
          py::arg("path"),
          "Writes the history as CSV, the same bytes as hybridsim-batch writes for this case.\n"
          "Raises OSError when the file cannot be written.")
      .def(
          "csv", [](const Run& r) { return py::bytes(hs::historycsv(r.run())); },
          "The CSV text of to_csv as bytes.")
      .def("__len__", &Run::rows, "Number of output steps recorded (rows of every array).")
      .def_property_readonly(
          "case", [](const Run& r) { return caseof(r.facts().case_); },
          "The case as run (dict): robot, method, contour and every setting by name, in SI\n"
          "units as stored. Simulator.from_case(run.case) runs it again.")
      .def_property_readonly(
          "ok", [](const Run& r) { return r.facts().ok; },
          "True when the run means something: no diagnostic of severity 'error' (point out\n"
          "of reach, diverged, a figure that is not a number).")
      .def_property_readonly(
          "diagnostics", [](const Run& r) { return r.facts().diagnostics; },
          "The notes on the run (list of Diagnostic), errors and warnings; empty for a\n"
          "clean run. A run that computed raises nothing: look here.")
      .def_property_readonly(
          "torque_limits",
          [](const Run& r) {
            const hs::RobotData& d = r.run().model->robot();
            return py::make_tuple(d.T1max, d.T2max);
          },
          "The motor torque limits (T1max, T2max) [N m] of the derived model.")
      .def(
          "save_case", [](const Run& r, const py::object& path) { savecase(path, *r.run().model); },
          py::arg("path"),
          "Writes the case as run as a robot data file, the same bytes as the window's 'o'\n"
          "writes after this run (Simulator.from_file reads it back). OSError when the file\n"
          "cannot be written.")
      .def("save_gif", &Run::savegif, py::arg("path"),
           "Writes the run as an animated GIF, one picture per output step, playing in real\n"
           "time. OSError when the file cannot be written.")
      .def("__copy__", [](const Run& r) { return r; })
      .def("__deepcopy__", [](const Run& r, const py::dict&) { return r; }, py::arg("memo"))
      .def(py::pickle(
          [](const Run& r) {
            const hs::Case& c = r.run().model->source;
            return py::make_tuple(caseof(r.facts().case_), py::make_tuple(c.worklen, c.accwindow6));
          },
          [](const py::tuple& t) {
            std::unique_ptr<Simulator> sim = Simulator::fromcase(t[0]);
            if (t.size() > 1) sim->carry(t[1]);
            return sim->run(py::none());
          }))
      .def("__repr__", [](const Run& r) {
        const hs::SimSettings& s = r.set();
        return std::string("<hybridsim.Run ") + hs::keyof(s.type) + hs::keyof(s.hybrid) +
               hs::keyof(s.curve) + ", " +
               std::to_string(r.rows()) + " steps, " + (r.facts().ok ? "ok" : "not ok") + ">";
      });

  py::class_<Simulator> simulator(m, "Simulator",
                        "One case of the simulator: robot, control method, contour and every\n"
                        "setting, built by the same start-up as hybridsim-batch. Setting names are\n"
                        "those of the settings record (KH1, Fn, seterror, line.x0,\n"
                        "gainspec6.omega2, ...), values in SI units as stored (m, N, N/m, rad/s).\n"
                        "Nothing is printed and no key is awaited.");
  simulator
      .def(py::init(&Simulator::make), py::arg("robot") = py::none(),
           py::arg("method") = py::none(), py::arg("contour") = py::none(),
           "Simulator(robot=None, method=None, contour=None)\n\n"
           "The start-up defaults with the selections given: robot 'a' (cylindrical) or 'b'\n"
           "(SCARA), method 1, 3, 4 or 6 (an int, a NumPy integer or a str), contour 'L'\n"
           "(line), 'C' (circle) or 'S' (sine). A selection left out keeps the default's\n"
           "(robot b, method 6, sine). Raises ValueError for another value and TypeError for\n"
           "another type.")
      .def_static("from_file", &Simulator::fromfile, py::arg("path"), py::arg("lang") = py::none(),
                  "The case of a robot data file. Raises ValueError with the reader's message\n"
                  "when the file cannot be read or does not hold a valid case, in the language\n"
                  "lang asks for ('en' or 'ja'; None: the locale's, as for report()).")
      .def("__getitem__", &Simulator::get, py::arg("name"),
           "The value of a setting in SI units as stored; fn1, fn2 [Hz] and alpha1, alpha2\n"
           "[1/s] name the chosen method's servo targets. KeyError for an unknown name.")
      .def("__setitem__", &Simulator::set, py::arg("name"), py::arg("value"),
           "Stores a setting for the next run. KeyError for an unknown name; ValueError with\n"
           "the reason for a value the menu or data file would refuse (NaN, a zero spring,\n"
           "a negative time, ...): the setting is then left as it was.")
      .def("settings", &Simulator::settings,
           "Every enterable setting as a dict name -> value (SI units as stored), in the\n"
           "order of the settings table.")
      .def("report", &Simulator::report, py::arg("lang") = py::none(),
           "The settings report as the console shows it (str), for the settings in force\n"
           "at the next run; lang 'en' or 'ja' (None: the locale's language).")
      .def("run", &Simulator::run, py::arg("lang") = py::none(),
           "Derives the model and runs the simulation from t = 0, as the menu's rerun does,\n"
           "and returns the Run. The first run of a new Simulator is bit for bit the run of\n"
           "hybridsim-batch for the same case. Releases the GIL while it runs. lang: the\n"
           "language of Run.messages, as for report().")
      .def("compare", &Simulator::compare,
           "The four control methods on this case (dict '1', '3', '4', '6' -> figures of\n"
           "merit dict with 'ok', 'unreachable' and 'diverged' added, as Run has them).\n"
           "Each row is the first run that a Simulator started with that method and the\n"
           "same settings would make; the Simulator itself is not changed. The four\n"
           "runs go on threads of their own, without the GIL.")
      .def("save_case", &Simulator::savecasefile, py::arg("path"),
           "Writes the case the next run uses as a robot data file, the same bytes as the\n"
           "window's 'o' writes for it (Simulator.from_file reads it back). OSError when the\n"
           "file cannot be written.")
      .def("save_gif", &Simulator::savegif, py::arg("path"),
           "Writes the last run as an animated GIF, one picture per output step, playing in\n"
           "real time. RuntimeError before the first run; OSError when the file cannot be\n"
           "written.")
      .def_property_readonly(
          "robot", [](const Simulator& s) { return std::string(1, s.robot()); },
          "The robot: 'a' cylindrical-coordinate, 'b' SCARA.")
      .def_property_readonly(
          "method", [](const Simulator& s) { return std::string(1, s.method()); },
          "The control method: '1', '3', '4' or '6'.")
      .def_property_readonly(
          "contour", [](const Simulator& s) { return std::string(1, s.contour()); },
          "The contour: 'L' line, 'C' circle, 'S' sine.")
      .def_static("from_case", &Simulator::fromcase, py::arg("case"),
                  "The case of a dict as Run.case gives it: 'robot', 'method', 'contour' and\n"
                  "settings by name (those left out keep their defaults). KeyError for an\n"
                  "unknown name, ValueError for a value the settings table refuses.")
      .def_property_readonly("case", &Simulator::caseofnext,
                             "The case the next run uses (dict), as Run.case gives it.")
      .def("__copy__", [](Simulator& s) { return std::make_unique<Simulator>(s); })
      .def(
          "__deepcopy__", [](Simulator& s, const py::dict&) { return std::make_unique<Simulator>(s); },
          py::arg("memo"))
      .def(py::pickle(
          [](Simulator& s) {
            const std::optional<Run> last = s.last();
            return py::make_tuple(s.caseofnext(), last ? py::cast(*last) : py::none(), s.carried());
          },
          [](const py::tuple& t) {
            std::unique_ptr<Simulator> sim = Simulator::fromcase(t[0]);
            if (t.size() > 2) sim->carry(t[2]);
            if (!t[1].is_none()) sim->setlast(t[1].cast<Run>());
            return sim;
          }))
      .def("__repr__", [](Simulator& s) {
        return std::string("<hybridsim.Simulator ") + s.robot() + s.method() + s.contour() + ">";
      });

  // One picture of the last run in each file format.
  struct FrameCall {
    const char* name;
    hs::PictureFormat format;
    const char* doc;
  };
  for (const FrameCall& c : {
           FrameCall{"save_png", hs::PictureFormat::Png,
                     "Writes the window's picture of output step `frame` (default: the last) of\n"
                     "the run (of a Simulator: its last run) as an 800 x 800 PNG. Negative frames\n"
                     "count from the end; IndexError out of range, TypeError for a frame that is\n"
                     "not an integer; RuntimeError before a Simulator's first run; OSError when\n"
                     "the file cannot be written."},
           FrameCall{"save_svg", hs::PictureFormat::Svg, "As save_png, as SVG."},
           FrameCall{"save_pdf", hs::PictureFormat::Pdf,
                     "As save_png, as a PDF page of 800 x 800 pt."},
       }) {
    const hs::PictureFormat format = c.format;
    simulator.def(
        c.name,
        [format](Simulator& s, const py::object& path, const py::object& frame) {
          s.saveframe(path, frame, format);
        },
        py::arg("path"), py::arg("frame") = py::none(), c.doc);
    run.def(
        c.name,
        [format](const Run& r, const py::object& path, const py::object& frame) {
          r.saveframe(path, frame, format);
        },
        py::arg("path"), py::arg("frame") = py::none(), c.doc);
  }
}
