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
import os
import sys
from typing import NamedTuple

from ._core import Diagnostic, Run, Simulator, _settingfields

__all__ = ["Simulator", "Run", "Diagnostic", "SettingInfo", "settings_table", "COLUMNS",
           "FIGURES", "figures_frame", "sweep"]

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


def _row(run):
    """One run as a row of the figures frame: its case, figures of merit and ok."""
    return {**run.case, **run.metrics, "ok": run.ok}


def figures_frame(runs):
    """Many runs as one pandas DataFrame: a row per run with its case columns (robot, method,
    contour, every setting), its figures of merit and ok; the units of the figures in
    df.attrs["units"]."""
    return _frame([_row(run) for run in runs])


def _frame(rows):
    frame = _pandas().DataFrame(rows)
    frame.attrs["units"] = dict(FIGURES)
    return frame


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


def _point(simulator, point):
    """The row of one grid point: a copy of the case with the point's settings, run."""
    sim = copy.copy(simulator)
    for name, value in point.items():
        sim[name] = value
    return _row(sim.run())


def sweep(case, grid, executor=None, progress=None):
    """Runs `case` (a Simulator) at every point of `grid` (dict setting name -> values; the
    points are all combinations, the last name varying fastest) on `executor`, any
    concurrent.futures-style executor (a thread pool on every core when None; a process pool
    or Dask's client.get_executor() as well), and returns the figures frame, a row per point
    in grid order. Progress is shown on standard error when it is a terminal (or when
    `progress` is True). A refused value raises before anything runs."""
    names = list(grid)
    points = [dict(zip(names, values)) for values in itertools.product(*grid.values())]
    probe = copy.copy(case)
    for point in points:
        for name, value in point.items():
            probe[name] = value
    show = sys.stderr.isatty() if progress is None else progress
    own = executor is None
    if own:
        executor = concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count())
    try:
        futures = {executor.submit(_point, case, point): k for k, point in enumerate(points)}
        rows = [None] * len(points)
        for done, future in enumerate(concurrent.futures.as_completed(futures), 1):
            rows[futures[future]] = future.result()
            if show:
                print(f"\rsweep: {done}/{len(points)} points", end="", file=sys.stderr, flush=True)
        if show:
            print(file=sys.stderr)
    finally:
        if own:
            executor.shutdown()
    return _frame(rows)
