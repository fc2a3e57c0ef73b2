"""Motion-force hybrid control of a two-joint robot arm: the simulator's engine from Python.

A Simulator holds one case (robot, control method, contour and every setting); run()
simulates it and returns a Run with the history as NumPy arrays, its case, whether it means
anything (ok, diagnostics) and its figures of merit. Runs release the GIL and two Simulators
share nothing, so a thread pool runs cases on all cores; both pickle, so a process pool or a
cluster (sweep() with any concurrent.futures executor) runs them too.

pandas (to_dataframe, figures_frame, sweep) and matplotlib (Run.plot) are imported only when
one of those calls needs them.
"""
import concurrent.futures
import copy
import html
import itertools
import math
import os
import sys
import time
from typing import NamedTuple

from ._core import (Diagnostic, Run, Simulator, _servonames, _settingfields, _studybytes,
                    _studycaption, _studylabels, _studywrite)

__all__ = ["Simulator", "Run", "Diagnostic", "SettingInfo", "settings_table", "COLUMNS",
           "FIGURES", "FAILURES", "SELECTIONS", "SERVOS", "figures_frame", "read_frame", "sweep",
           "Study", "study", "plot", "__version__"]

# The package's version (pyproject.toml reads it from here).
__version__ = "1.0.0"

# The CSV's columns (to_csv, hybridsim-batch) and their units, one row per output step.
COLUMNS = {"step": "-", "t": "s", "motor1": "rad", "motor2": "rad", "tipx": "m", "tipy": "m",
           "cmdx": "m", "cmdy": "m", "poserrx": "m", "poserry": "m", "perierr": "m",
           "force": "N", "forceerr": "N", "torque1": "N m", "torque2": "N m", "defl1": "m",
           "defl2": "m"}
# The figures of merit and their units, in the order of Run.metrics.
FIGURES = {"frms": "N", "fmax": "N", "erms": "m", "emax": "m", "pend": "m", "pmax": "m",
           "t1peak": "-", "t2peak": "-", "tsat": "%"}


class SettingInfo(NamedTuple):
    """One enterable setting: its name, unit as stored, limit, default and meaning."""
    name: str
    unit: str
    limit: str
    default: float
    description: str


def settings_table():
    """Every enterable setting as a list of SettingInfo (name, unit as stored, limit, default,
    description), in the order of the settings table the menu and the data file reader check
    against. pandas.DataFrame(settings_table()) makes it a table."""
    defaults = Simulator().settings()
    return [SettingInfo(name, unit, limit, defaults[name], description)
            for name, unit, limit, description in _settingfields()]


def _pandas():
    try:
        import pandas
    except ImportError as err:
        raise ImportError("this call needs pandas: install it (Debian: apt-get install "
                          "python3-pandas; or pip install pandas)") from err
    return pandas


def _to_dataframe(self):
    """The history as a pandas DataFrame: one row per output step, the CSV's columns with the
    same numbers, their units in df.attrs["units"]. ImportError when pandas is missing."""
    import numpy as np
    pandas = _pandas()
    arrays = [np.arange(len(self)), self.t, *self.motorpos.T, *self.tippos.T, *self.cmdpos.T,
              *self.poserr.T, self.perierr, self.force[:, 0], self.forceerr, *self.torque.T,
              *self.defl.T]
    frame = pandas.DataFrame(dict(zip(COLUMNS, arrays)))
    frame.attrs["units"] = dict(COLUMNS)
    return frame


def figures_frame(runs):
    """Many runs as one pandas DataFrame: a row per run with its case columns (robot, method
    as an int, contour, every setting), its figures of merit, ok, unreachable, diverged and
    the codes of its error and warning diagnostics (space-separated, '' for none); the
    unit of every column in df.attrs["units"], the module's version in
    df.attrs["version"]."""
    return _frame([_row(run) for run in _runs("figures_frame", runs)])


def _typename(value):
    return type(value).__name__


def _runs(caller, runs):
    """The runs of an iterable of Run as a list; TypeError naming what was given instead."""
    if isinstance(runs, (str, bytes, Run)) or not hasattr(runs, "__iter__"):
        raise TypeError(f"{caller}() takes an iterable of Run, not {_typename(runs)}")
    runs = list(runs)
    for i, run in enumerate(runs):
        if not isinstance(run, Run):
            raise TypeError(f"{caller}(): item {i} is a {_typename(run)}, not a Run")
    return runs


# The chosen method's servo targets (fn1, alpha1, fn2, alpha2) and their units: grid names
# that act under every method, and columns of a frame.
SERVOS = dict(_servonames())


def _units():
    """The unit of every column of a figures frame."""
    return {**{name: "-" for name in SELECTIONS}, **SERVOS,
            **{name: unit for name, unit, _, _ in _settingfields()}, **FIGURES, **FAILURES}


def _frame(rows):
    units = _units()
    frame = _pandas().DataFrame(rows, columns=list(units) if not rows else None)
    frame.attrs["units"] = {name: units[name] for name in frame.columns if name in units}
    frame.attrs["version"] = __version__
    return frame


def read_frame(path):
    """A figures frame saved with frame.to_csv(path, index=False), read back equal: the
    same columns, types (method an int, errors and warnings str, '' for none) and numbers
    (every double as written), the units in df.attrs["units"]. The version of the module
    that ran it is not in the file: df.attrs["version"] is not set."""
    pandas = _pandas()
    text = {name: str for name in ("robot", "contour", "errors", "warnings")}
    frame = pandas.read_csv(path, dtype={**text, "method": "int64"}, keep_default_na=False,
                            na_values={name: ["", "NaN", "nan"] for name in _units()
                                       if name not in text},
                            float_precision="round_trip")
    units = _units()
    frame.attrs["units"] = {name: units[name] for name in frame.columns if name in units}
    return frame


def _from_case(case):
    """The case of a dict as Run.case or a figures frame's row gives it: 'robot', 'method',
    'contour' and settings by name (those left out keep their defaults); a frame row's
    figures, failure and servo target columns (fn1, fn2, alpha1, alpha2: the method's
    gainspec columns hold the same) are passed over. KeyError for an unknown name, ValueError
    for a value the settings table refuses."""
    return _core_from_case({name: value for name, value in case.items()
                            if name not in FIGURES and name not in FAILURES
                            and name not in SERVOS})


_core_from_case = Simulator.from_case
Simulator.from_case = staticmethod(_from_case)


def _repr_html_(self):
    """A short summary for notebooks: case, ok and diagnostics, figures of merit."""
    case = self.case
    notes = ", ".join(f"{d.severity} {d.code}" for d in self.diagnostics) or "none"
    cells = "".join(f"<tr><td>{name}</td><td>{value:.6g} {FIGURES[name]}</td></tr>"
                    for name, value in self.metrics.items())
    return (f"<div><b>hybridsim.Run</b> robot {case['robot']}, method {case['method']}, "
            f"contour {case['contour']}, {len(self)} steps: <b>{'ok' if self.ok else 'not ok'}"
            f"</b> (diagnostics: {html.escape(notes)})<table>{cells}</table></div>")


def _plot(self, figure=None):
    """Draws the time histories (tip and commanded point, contact force, motor torques with
    their limits) on three axes over t [s] with matplotlib and returns the Figure.
    ImportError when matplotlib is missing."""
    try:
        import matplotlib.pyplot as plt
    except ImportError as err:
        raise ImportError("Run.plot needs matplotlib: install it (Debian: apt-get install "
                          "python3-matplotlib; or pip install matplotlib)") from err
    if figure is None:
        figure = plt.figure(figsize=(8, 8))
    pos, force, torque = figure.subplots(3, 1, sharex=True)
    for k, axis in enumerate("XY"):
        pos.plot(self.t, self.tippos[:, k], label=f"tip {axis}")
        pos.plot(self.t, self.cmdpos[:, k], "--", label=f"command {axis}")
    pos.set_ylabel("position [m]")
    force.plot(self.t, self.force[:, 0], label="contact force")
    force.axhline(self.case["Fn"], color="gray", linestyle=":", label="Fn")
    force.set_ylabel("force [N]")
    for k, limit in enumerate(self.torque_limits):
        line, = torque.plot(self.t, self.torque[:, k], label=f"motor {k + 1}")
        torque.axhline(limit, color=line.get_color(), linestyle=":")
        torque.axhline(-limit, color=line.get_color(), linestyle=":")
    torque.set_ylabel("torque [N m]")
    torque.set_xlabel("t [s]")
    for axes in (pos, force, torque):
        axes.legend(loc="upper right", fontsize="small")
        axes.grid(True)
    case = self.case
    figure.suptitle(f"robot {case['robot']}, method {case['method']}, contour {case['contour']}"
                    + ("" if self.ok else " (not ok)"))
    return figure


Run.to_dataframe = _to_dataframe
Run._repr_html_ = _repr_html_
Run.plot = _plot


# The names of a grid that choose rather than set: a point's robot, method and contour.
SELECTIONS = ("robot", "method", "contour")
# What a frame tells of a run beyond its figures: whether it means anything, the two
# failures compare() rows carry, and the codes of its error and warning diagnostics.
FAILURES = {"ok": "-", "unreachable": "-", "diverged": "-", "errors": "-", "warnings": "-"}


def _scope(name):
    """The selection a setting acts under, as (selection, value), or None when it acts in
    every case: a method's servo targets under that method, a contour's geometry under that
    contour, a robot's arm and drive data under that robot."""
    if name.startswith("gainspec"):
        return "method", name[8]
    for contour, prefix in (("L", "line."), ("C", "circle."), ("S", "sine.")):
        if name.startswith(prefix):
            return "contour", contour
    if name == "l" or name.endswith("_a"):
        return "robot", "a"
    if name in ("l1", "l2") or name.endswith("_b"):
        return "robot", "b"
    return None


def _selection(name, value):
    """A grid's selection value as the case holds it ('a', '3', 'L'); ValueError for
    another."""
    text = str(int(value)) if name == "method" and not isinstance(value, str) else str(value)
    allowed = {"robot": "ab", "method": "1346", "contour": "LCS"}[name]
    if len(text) != 1 or text not in allowed:
        raise ValueError(f"grid {name} = {value!r} refused: it must be one of "
                         + ", ".join(allowed))
    return text


def _reselect(simulator, selections):
    """A copy of the case with other selections: the settings of every robot, method and
    contour stay, as the menu's selection keys keep them."""
    case, _, carried = simulator.__getstate__()
    sim = Simulator.__new__(Simulator)
    sim.__setstate__(({**case, **selections}, None, carried))
    return sim


def _apply(simulator, point):
    """A copy of the case with the point's selections and settings."""
    selections = {name: point[name] for name in SELECTIONS if name in point}
    sim = _reselect(simulator, selections) if selections else copy.copy(simulator)
    for name, value in point.items():
        if name not in SELECTIONS:
            sim[name] = value
    return sim


def _row(run, simulator=None):
    """One run as a row of the figures frame: its case (method as an int, the chosen
    method's servo targets by their names), figures of merit, whether it means anything and
    the codes of its diagnostics. `simulator`: the one that ran it, else made anew."""
    case = run.case
    targets = Simulator.from_case(case) if simulator is None else simulator
    case["method"] = int(case["method"])
    case = {**{name: case[name] for name in SELECTIONS},
            **{name: targets[name] for name in SERVOS}, **case}
    codes = {severity: " ".join(d.code for d in run.diagnostics if d.severity == severity)
             for severity in ("error", "warning")}
    return {**case, **run.metrics, "ok": run.ok, "unreachable": run.unreachable,
            "diverged": run.diverged, "errors": codes["error"], "warnings": codes["warning"]}


def _batch(simulator, points):
    """The rows of a batch of grid points, run one after the other (one task of a sweep)."""
    sims = [_apply(simulator, point) for point in points]
    return [_row(sim.run(), sim) for sim in sims]


def _workers(executor):
    """How many points an executor runs at once (its thread or process count; a Dask
    client's threads), for sizing the batches."""
    client = getattr(executor, "_client", None)
    if client is not None and hasattr(client, "nthreads"):
        try:
            return max(1, sum(client.nthreads().values()))
        except Exception:  # a client that cannot tell: assume the local machine
            pass
    return getattr(executor, "_max_workers", None) or os.cpu_count() or 1


def _checkgrid(case, grid):
    """The points of a grid (all combinations, the last name varying fastest), each checked
    before anything runs: a selection it cannot take, a setting name that is unknown, a
    value the settings table refuses, and a name with no effect on some point's case (the
    point would repeat another) raise; so does a point that makes its case unusable as a
    whole (a line's end on its start)."""
    if not isinstance(case, Simulator):
        raise TypeError(f"sweep() takes a Simulator as its case, not {_typename(case)}")
    if not hasattr(grid, "keys"):
        raise TypeError(f"sweep() takes a dict name -> values as its grid, not {_typename(grid)}")
    for name, values in grid.items():
        if isinstance(values, (str, bytes)) or not hasattr(values, "__iter__"):
            raise TypeError(f"grid {name} takes an iterable of values, not {_typename(values)}")
    names = list(grid)
    values = {name: [_selection(name, v) if name in SELECTIONS else v for v in grid[name]]
              for name in names}
    for name in names:
        scope = _scope(name) if name not in SELECTIONS else None
        if scope is None:
            continue
        axis, needed = scope
        takes = set(values[axis]) if axis in values else {getattr(case, axis)}
        other = sorted(takes - {needed})
        if other:
            where = (f"the grid's {axis} takes {', '.join(other)}" if axis in values
                     else f"the case's {axis} is {other[0]}")
            hint = " (fn1, fn2, alpha1, alpha2 set the chosen method's targets)" \
                if axis == "method" else ""
            raise ValueError(f"grid name {name} refused: it has no effect under {axis} "
                             f"{', '.join(other)} ({where}), only under {axis} {needed}{hint}")
    points = [dict(zip(names, point)) for point in itertools.product(*values.values())]
    for point in points:
        _apply(case, point)
    return points


# A sweep's task runs about this long [s] when the caller leaves the batch size to it:
# long against a cluster's cost per task (a few ms on an idle machine, tens of ms on a busy
# one), short enough that the batches running at a Ctrl-C end within a second.
TASK_SECONDS = 0.5


def sweep(case, grid, executor=None, progress=None, batch=None):
    """Runs `case` (a Simulator) at every point of `grid` and returns the figures frame, a
    row per point in grid order.

    grid: dict name -> values; the points are all combinations, the last name varying
    fastest. A name is a setting (KH1, gainspec6.omega2, ...), one of the chosen method's
    servo targets (fn1, fn2 [Hz], alpha1, alpha2 [1/s]: one grid spans methods with them)
    or a selection: robot
    ('a', 'b'), method (1, 3, 4, 6) or contour ('L', 'C', 'S'). A refused value, an
    unknown name, a point whose case is unusable as a whole (a line's end on its start), or
    a setting that has no effect on some point's case (gainspec3.* under method 6, line.* on
    a circle) raises ValueError/KeyError before anything runs; a grid that is no dict
    TypeError.

    executor: any concurrent.futures-style executor (a thread pool on every core when
    None; a process pool or Dask's client.get_executor() as well). The points go to it in
    batches of `batch` points, one task each; None sizes them from the first point's run
    time so that a task takes about TASK_SECONDS, with at least four tasks per worker.
    Progress is shown on standard error when it is a terminal (or when `progress` is
    True). KeyboardInterrupt (Ctrl-C) cancels the points not yet started and raises at
    once; the batches already running end in the background."""
    points = _checkgrid(case, grid)
    show = sys.stderr.isatty() if progress is None else progress
    own = executor is None
    if own:
        executor = concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count())
    rows = []
    futures = {}
    try:
        if batch is None and points:
            # The first point, run here, measures the work of one point.
            started = time.perf_counter()
            rows = _batch(case, points[:1])
            each = max(time.perf_counter() - started, 1e-6)
            spread = -(-(len(points) - 1) // (4 * _workers(executor)))
            batch = max(1, min(math.ceil(TASK_SECONDS / each), spread))
        elif batch is not None and (not isinstance(batch, int) or batch < 1):
            raise ValueError(f"batch = {batch!r} refused: it must be an int >= 1")
        first = len(rows)
        rows += [None] * (len(points) - first)
        for start in range(first, len(points), batch):
            futures[executor.submit(_batch, case, points[start:start + batch])] = start
        done = first
        for future in concurrent.futures.as_completed(futures):
            start = futures[future]
            chunk = future.result()
            rows[start:start + len(chunk)] = chunk
            done += len(chunk)
            if show:
                print(f"\rsweep: {done}/{len(points)} points", end="", file=sys.stderr, flush=True)
        if show:
            print(file=sys.stderr)
    except BaseException:
        for future in futures:
            future.cancel()
        if own:
            executor.shutdown(wait=False, cancel_futures=True)
            own = False
        raise
    finally:
        if own:
            executor.shutdown()
    return _frame(rows)


# ---- The study view: runs side by side ----

class Study:
    """Up to 8 runs side by side: the study view of hybridsim-batch --vary (six graphs over a
    shared time axis, each run in its own colour and dash, labelled by what differs, and the
    table of figures of merit with the best of each column marked). Shows as that picture in
    a notebook; save(path) writes it, plot() draws the same overlay with matplotlib."""

    def __init__(self, runs, labels=None):
        self.runs = list(runs)
        self.labels = None if labels is None else list(labels)
        _studylabels(self.runs)  # refuses an empty list or more than 8 runs at once

    def _repr_png_(self):
        return _studybytes(self.runs, self.labels, "png")

    def save(self, path):
        """Writes the picture; PNG, SVG or PDF by the file name's extension. OSError when the
        file cannot be written."""
        _studywrite(self.runs, self.labels, path)

    def plot(self, figure=None):
        """plot(self.runs) with these labels."""
        return plot(self.runs, labels=self.labels, figure=figure)

    def __repr__(self):
        return f"Study({len(self.runs)} runs: {'; '.join(self.labels or _studylabels(self.runs))})"


def study(runs, path=None, labels=None):
    """The study view of a list of runs (at most 8) as a Study (a notebook shows it); with
    `path` also written there, PNG, SVG or PDF by the extension. labels: one text per run
    (None: what differs between them, as "fn2 = 20 Hz" or "method 3")."""
    s = Study(runs, labels)
    if path is not None:
        s.save(path)
    return s


# The graphs of the study view: title, unit, values of a run, reference (value, both ways).
_GRAPHS = [
    ("contact force", "N", lambda r: r.force[:, 0], lambda r: (r.case["Fn"], False)),
    ("force error", "N", lambda r: r.forceerr, None),
    ("position error |tip - command|", "mm",
     lambda r: 1000.0 * (r.poserr[:, 0] ** 2 + r.poserr[:, 1] ** 2) ** 0.5, None),
    ("peripheral error", "mm", lambda r: 1000.0 * r.perierr, None),
    ("motor 1 torque", "N m", lambda r: r.torque[:, 0], lambda r: (r.torque_limits[0], True)),
    ("motor 2 torque", "N m", lambda r: r.torque[:, 1], lambda r: (r.torque_limits[1], True)),
]
_DASHES = ["-", (0, (5, 2)), (0, (1.5, 1.5)), (0, (5, 1.5, 1.5, 1.5))]
_COLOURS = ["#0000ff", "#009900", "#ff8000", "#cc00cc", "#d90000", "#00a6bf", "#8c591a", "#595959"]
_TF = {"L": "line.tf", "C": "circle.tf", "S": "sine.tf"}


def plot(runs, labels=None, figure=None):
    """The study view's overlay drawn with matplotlib for notebooks: the six graphs over t [s]
    with numeric axes and units, each run in the study view's colour and dash, the legend
    labelled by what differs (or by `labels`), the first second (before the run counts as
    settled) shaded and tf marked. Returns the Figure. ImportError when matplotlib is missing."""
    try:
        import matplotlib.pyplot as plt
    except ImportError as err:
        raise ImportError("hybridsim.plot needs matplotlib: install it (Debian: apt-get install "
                          "python3-matplotlib; or pip install matplotlib)") from err
    runs = list(runs)
    names = list(labels) if labels is not None else _studylabels(runs)
    if figure is None:
        figure = plt.figure(figsize=(8, 10))
    axes = figure.subplots(len(_GRAPHS), 1, sharex=True)
    for ax, (title, unit, values, reference) in zip(axes, _GRAPHS):
        ax.axvspan(0, 1, color="0.93")
        for k, run in enumerate(runs):
            ax.plot(run.t, values(run), color=_COLOURS[k % 8], linestyle=_DASHES[k % 4],
                    linewidth=1.4, label=names[k])
            if reference is not None:
                value, both = reference(run)
                for v in ((value, -value) if both else (value,)):
                    ax.axhline(v, color=_COLOURS[k % 8], linestyle=":", linewidth=0.8)
            ax.axvline(run.case[_TF[run.case["contour"]]], color="black", linestyle="--",
                       linewidth=0.6)
        ax.set_ylabel(f"[{unit}]")
        ax.set_title(title, fontsize="small", loc="left")
        ax.grid(True, color="0.85")
    axes[-1].set_xlabel("time t [s]  (shaded: before the run counts as settled; dashed: tf)")
    axes[0].legend(loc="upper right", fontsize="small")
    figure.suptitle(_studycaption(runs), fontsize="small")
    figure.tight_layout()
    return figure
