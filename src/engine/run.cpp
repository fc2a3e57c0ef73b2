// Derivation of a case and its run, each from nothing but its input.
#include "engine/run.h"

#include <cmath>
#include <utility>

#include "engine/model/domain.h"

namespace hs {

namespace {

// The derived state every session starts from: the defaults of both robots,
// every method's gains and every contour, made once per process.
struct Base {
  SimSettings set;
  RobotModel robots;
  ServoGains gains;
  ContourPath path;
};

const Base& base() {
  static const Base b = [] {
    Base d;
    installrunconstants(d.set);
    installdefaults(d.set, d.robots, d.gains, d.path);
    return d;
  }();
  return b;
}

}  // namespace

// The first derivation leaves the defaults' settings and path as they are,
// so the case of the defaults is that of the first derivation.
Case defaultcase() { return caseof(base().set, base().path); }

Model derive(const Case& c) {
  const Base& b = base();
  Model m{c, {}, b.robots, b.path, b.gains, {}};
  storecase(c, m.set, m.path);
  for (const Pair& end : calmodel(m.set, m.robots, m.gains, m.path))
    m.pathends.push_back({Severity::error, DiagCode::pathend, 0, {end[0], end[1]}});
  return m;
}

Run simulate(const Model& m) { return simulate(std::make_shared<const Model>(m)); }

Run simulate(std::shared_ptr<const Model> m) {
  Run r;
  ControlState cs;
  r.report = calcontrol(m->runmodel(), cs, r.hist);
  r.report.diagnostics.insert(r.report.diagnostics.begin(), m->pathends.begin(), m->pathends.end());
  r.model = std::move(m);
  // A model whose numbers are out of proportion (a motor of a few 1e-324 W)
  // can give figures that are not numbers: then the run means nothing.
  const FiguresOfMerit f = r.figures();
  const double figures[] = {f.frms, f.fmax, f.erms, f.emax, f.pend, f.pmax, f.t1peak, f.t2peak, f.tsat};
  for (int i = 0; i < 9; ++i)
    if (!std::isfinite(figures[i])) {
      r.report.diagnostics.push_back({Severity::error, DiagCode::nonfinite, 0, {double(i), figures[i]}});
      break;
    }
  // A run that stayed sound can still have left what the model describes.
  if (!r.report.diverged()) checkdomain(r.model->runmodel(), r.hist, f, r.report.diagnostics);
  return r;
}

FiguresOfMerit Run::figures() const {
  if (!model) return figuresofmerit(hist, 0, 0, 0, 0);
  return figuresofmerit(hist, hist.laststep(), model->set.dt, model->robot().T1max,
                        model->robot().T2max);
}

}  // namespace hs
