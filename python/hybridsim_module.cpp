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
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <string>

#include "console/app.h"
#include "console/compare.h"
#include "console/console.h"
#include "console/datafile.h"
#include "console/historycsv.h"
#include "console/meritreport.h"
#include "console/report.h"
#include "engine/settingfields.h"
#include "console/startup.h"
#include "render/picture.h"
#include "engine/model/metrics.h"

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
std::string pathof(const py::object& path) {
  return py::bytes(py::module_::import("os").attr("fsencode")(path));
}

// A selection given as a one-character str (or, for the method, an int).
char selectionof(const py::object& value, const char* what, const char* allowed) {
  std::string s;
  if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) {
    s = std::to_string(value.cast<long long>());
  } else if (py::isinstance<py::str>(value)) {
    s = value.cast<std::string>();
  }
  if (s.size() != 1 || std::string(allowed).find(s[0]) == std::string::npos)
    throw py::value_error(std::string(what) + " must be one of " + allowed + ", not " +
                          py::repr(value).cast<std::string>());
  return s[0];
}

// The figures of merit as a dict, in the order of the CSV columns.
py::dict figuresdict(const hs::FiguresOfMerit& f) {
  py::dict d;
  for (const hs::FigureInfo& info : hs::FIGURES) d[info.name] = f.*(info.value);
  return d;
}

// One finished run: a copy of the state right after it (settings, derived
// model and history), the console text of the run and its figures of merit.
class Run {
 public:
  Run(std::shared_ptr<const hs::App> app, std::string messages)
      : app_(std::move(app)),
        messages_(std::move(messages)),
        laststep_(hs::laststepof(app_->set.nstep)),
        fig_(hs::figuresofmerit(app_->history(), app_->set, app_->model)) {}

  const hs::App& app() const { return *app_; }
  const std::shared_ptr<const hs::App>& shared() const { return app_; }
  const std::string& messages() const { return messages_; }
  const hs::FiguresOfMerit& figures() const { return fig_; }
  int laststep() const { return laststep_; }
  int rows() const { return laststep_ + 1; }

  // The output times, accumulated the same way as in the run and the CSV.
  py::array_t<double> times() const {
    py::array_t<double> a(rows());
    auto v = a.mutable_unchecked<1>();
    double t = 0;
    for (int i = 0; i < rows(); ++i) {
      if (i > 0) t = t + app_->set.dt;
      v(i) = t;
    }
    return a;
  }
  // One column per output step of a per-step scalar.
  py::array_t<double> column(const double (hs::RunHistory::*member)[hs::HISTCAP]) const {
    py::array_t<double> a(rows());
    auto v = a.mutable_unchecked<1>();
    for (int i = 0; i < rows(); ++i) v(i) = (app_->history().*member)[i];
    return a;
  }
  // Two columns per output step of a per-step pair.
  py::array_t<double> pairs(const hs::Pair (hs::RunHistory::*member)[hs::HISTCAP]) const {
    py::array_t<double> a({rows(), 2});
    auto v = a.mutable_unchecked<2>();
    for (int i = 0; i < rows(); ++i)
      for (int j = 0; j < 2; ++j) v(i, j) = (app_->history().*member)[i][j];
    return a;
  }

 private:
  std::shared_ptr<const hs::App> app_;
  std::string messages_;
  int laststep_;
  hs::FiguresOfMerit fig_;
};

// Raises OSError with a file's one-line reason ("<path>: <system message>").
// A file name that is not UTF-8 shows its odd bytes as \xNN.
[[noreturn]] void raiseoserror(const std::string& reason) {
  PyErr_SetString(PyExc_OSError, hs::escapebytes(reason).c_str());
  throw py::error_already_set();
}

class Simulator {
 public:
  // The start-up up to the point where the batch program's first run
  // begins: `choose` stores the case (selections or a case file).
  explicit Simulator(const hs::Chooser& choose) : chosen_(std::make_unique<hs::App>()) {
    hs::ScriptConsole con("");
    // The one start-up sequence, stopped once the case is chosen: the state
    // a method comparison starts from. The first run derives once more.
    hs::startup(*chosen_, con, [&choose](hs::App& a, hs::Console& c) {
      choose(a, c);
      return false;
    });
    app_ = std::make_unique<hs::App>(*chosen_);
    hs::derive(*app_, con);
  }

  static std::unique_ptr<Simulator> make(const py::object& robot, const py::object& method,
                                         const py::object& contour) {
    const char type = robot.is_none() ? 0 : selectionof(robot, "robot", "ab");
    const char hybrid = method.is_none() ? 0 : selectionof(method, "method", "1346");
    const char curve = contour.is_none() ? 0 : selectionof(contour, "contour", "LCS");
    py::gil_scoped_release nogil;
    // Unnamed selections keep those the defaults leave (robot b, method 6, sine).
    return std::make_unique<Simulator>([=](hs::App& a, hs::Console&) {
      if (type) a.set.type = type;
      if (hybrid) a.set.hybrid = hybrid;
      if (curve) a.set.curve = curve;
      return true;
    });
  }

  static std::unique_ptr<Simulator> fromfile(const py::object& pathobj) {
    const std::string path = pathof(pathobj);
    std::string text, reason;
    if (!hs::readcasefile(path, text, reason))
      throw py::value_error(hs::escapebytes(path + ": " + reason));
    std::string error;
    std::unique_ptr<Simulator> sim;
    {
      py::gil_scoped_release nogil;
      sim = std::make_unique<Simulator>([&](hs::App& a, hs::Console& c) {
        std::string echo;
        if (!hs::loadcase(text, a, &echo, &error)) return false;
        c.print(echo);
        return true;
      });
    }
    if (!error.empty()) throw py::value_error(trimlines(error));
    return sim;
  }

  double get(const std::string& name) {
    const hs::SettingField& f = field(name);
    std::lock_guard<std::mutex> lock(mutex_);
    return f.field(app_->set);
  }

  // A value the table refuses leaves the setting as it is.
  void set(const std::string& name, double value) {
    const hs::SettingField& f = field(name);
    const std::string refused = hs::refusal(f, value);
    if (!refused.empty()) throw py::value_error(refused);
    std::lock_guard<std::mutex> lock(mutex_);
    f.field(app_->set) = value;
    f.field(chosen_->set) = value;
  }

  py::dict settings() {
    std::lock_guard<std::mutex> lock(mutex_);
    py::dict d;
    for (const hs::SettingField& f : hs::settingfields()) d[f.name] = f.field(app_->set);
    return d;
  }

  // The report of a derived copy: the settings as the next run uses them.
  std::string report() {
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(mutex_);
    auto copy = std::make_unique<hs::App>(*app_);
    hs::ScriptConsole quiet("");
    hs::derive(*copy, quiet);
    hs::ScriptConsole con("");
    hs::printsettings(*copy, con);
    return con.output();
  }

  Run run() {
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(mutex_);
    hs::ScriptConsole con("");
    hs::derive(*app_, con, hs::KeyWaits::no);
    hs::runsimulation(*app_, con, hs::KeyWaits::no);
    // What the menu's rerun leaves for the window: the first frame, unzoomed.
    app_->disp.zoom = 1.0;
    app_->disp.errmag = 10.0;
    app_->disp.frame = 0;
    last_ = std::make_shared<const hs::App>(*app_);
    return Run(last_, con.output());
  }

  py::dict compare() {
    std::array<hs::MethodRun, 4> rows;
    {
      py::gil_scoped_release nogil;
      std::lock_guard<std::mutex> lock(mutex_);
      rows = hs::comparemethods(*chosen_);
    }
    py::dict d;
    for (const hs::MethodRun& r : rows) d[py::str(std::string(1, r.method))] = figuresdict(r.fig);
    return d;
  }

  void saveframe(const py::object& pathobj, const py::object& frameobj, hs::PictureFormat format) {
    const std::string path = pathof(pathobj);
    const std::shared_ptr<const hs::App> app = lastrun();
    const int frame =
        frameobj.is_none() ? hs::laststepof(app->set.nstep) : frameobj.cast<int>();
    std::string error;
    bool ok;
    {
      py::gil_scoped_release nogil;
      ok = hs::writeframe(*app, frame, format, path, &error);
    }
    if (!ok) raiseoserror(error);
  }

  void savegif(const py::object& pathobj) {
    const std::string path = pathof(pathobj);
    const std::shared_ptr<const hs::App> app = lastrun();
    std::string error;
    bool ok;
    {
      py::gil_scoped_release nogil;
      ok = hs::writegif(*app, path, &error);
    }
    if (!ok) raiseoserror(error);
  }

  char robot() const { return app_->set.type; }
  char method() const { return app_->set.hybrid; }
  char contour() const { return app_->set.curve; }

 private:
  static const hs::SettingField& field(const std::string& name) {
    const hs::SettingField* f = hs::settingfield(name);
    if (!f) throw py::key_error("no setting named " + name);
    return *f;
  }

  std::shared_ptr<const hs::App> lastrun() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!last_) throw std::runtime_error("no run yet: call run() first");
    return last_;
  }

  // The case as chosen, before its derivation: what the method comparison
  // starts from, so that each of its rows is that method's first run.
  std::unique_ptr<hs::App> chosen_;
  // The state the next run starts from (settings, derived model).
  std::unique_ptr<hs::App> app_;
  // The state right after the last run, for its pictures.
  std::shared_ptr<const hs::App> last_;
  // One run, report or change at a time on this case.
  std::mutex mutex_;
};

}  // namespace

PYBIND11_MODULE(hybridsim, m) {
  m.doc() =
      "Motion-force hybrid control of a two-joint robot arm: the simulator's engine from Python.\n\n"
      "A Simulator holds one case (robot, control method, contour and every setting);\n"
      "run() simulates it and returns a Run with the history as NumPy arrays. Runs release\n"
      "the GIL and two Simulators share nothing, so a thread pool runs cases on all cores.";

  py::class_<Run> run(m, "Run",
                  "One simulation run: its history (one row per output step 0 .. nstep), the\n"
                  "console text of the run and its figures of merit. Holds its own copy of the\n"
                  "case, so later changes to the Simulator do not alter it.");
  // The recorded history, one array per quantity.
  struct PairArray {
    const char* name;
    const hs::Pair (hs::RunHistory::*member)[hs::HISTCAP];
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
                             "commanded point or a diverged integration.")
      .def_property_readonly(
          "metrics", [](const Run& r) { return figuresdict(r.figures()); },
          "Figures of merit (dict name -> value): frms, fmax [N], erms, emax, pend, pmax [m],\n"
          "t1peak, t2peak [-] (peak torque / limit), tsat [%].")
      .def_property_readonly(
          "unreachable", [](const Run& r) { return r.app().lastrun.unreachable(); },
          "True when a commanded point left the arm's reach (the run means nothing then).")
      .def_property_readonly(
          "diverged", [](const Run& r) { return r.app().lastrun.diverged(); },
          "True when the integration diverged and the run was cut short.")
      .def(
          "to_csv",
          [](const Run& r, const py::object& path) {
            const std::string name = pathof(path);
            std::string reason;
            bool ok;
            {
              py::gil_scoped_release nogil;
              ok = hs::writefilesafely(name, hs::historycsv(r.app()), &reason);
            }
            if (!ok) raiseoserror(name + ": " + reason);
          },
          py::arg("path"),
          "Writes the history as CSV, the same bytes as hybridsim-batch writes for this case.\n"
          "Raises OSError when the file cannot be written.")
      .def(
          "csv", [](const Run& r) { return py::bytes(hs::historycsv(r.app())); },
          "The CSV text of to_csv as bytes.")
      .def("__len__", &Run::rows, "Number of output steps recorded (rows of every array).");

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
           "(SCARA), method 1, 3, 4 or 6 (int or str), contour 'L' (line), 'C' (circle) or 'S'\n"
           "(sine). A selection left out keeps the default's (robot b, method 6, sine).\n"
           "Raises ValueError for any other value.")
      .def_static("from_file", &Simulator::fromfile, py::arg("path"),
                  "The case of a robot data file. Raises ValueError with the reader's message\n"
                  "when the file cannot be read or does not hold a valid case.")
      .def("__getitem__", &Simulator::get, py::arg("name"),
           "The value of a setting in SI units as stored; KeyError for an unknown name.")
      .def("__setitem__", &Simulator::set, py::arg("name"), py::arg("value"),
           "Stores a setting for the next run. KeyError for an unknown name; ValueError with\n"
           "the reason for a value the menu or data file would refuse (NaN, a zero spring,\n"
           "a negative time, ...): the setting is then left as it was.")
      .def("settings", &Simulator::settings,
           "Every enterable setting as a dict name -> value (SI units as stored), in the\n"
           "order of the settings table.")
      .def("report", &Simulator::report,
           "The settings report as the console shows it (str), for the settings in force\n"
           "at the next run.")
      .def("run", &Simulator::run,
           "Derives the model and runs the simulation from t = 0, as the menu's rerun does,\n"
           "and returns the Run. The first run of a new Simulator is bit for bit the run of\n"
           "hybridsim-batch for the same case. Releases the GIL while it runs.")
      .def("compare", &Simulator::compare,
           "The four control methods on this case (dict '1', '3', '4', '6' -> figures of\n"
           "merit dict). Each row is the first run that a Simulator started with that method\n"
           "and the same settings would make; the Simulator itself is not changed. The four\n"
           "runs go on threads of their own, without the GIL.")
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
          "The contour: 'L' line, 'C' circle, 'S' sine.");

  // One picture of the last run in each file format.
  struct FrameCall {
    const char* name;
    hs::PictureFormat format;
    const char* doc;
  };
  for (const FrameCall& c : {
           FrameCall{"save_png", hs::PictureFormat::Png,
                     "Writes the window's picture of output step `frame` (default: the last) of\n"
                     "the last run as an 800 x 800 PNG. RuntimeError before the first run;\n"
                     "OSError when the file cannot be written."},
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
  }
}
