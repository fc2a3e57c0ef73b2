#!/usr/bin/env python3
"""Sweeps the force loop's servo targets of one case and tabulates the figures of merit.

    python3 examples/sweep.py [--grid N] [--threads K] [--csv FILE] [--batch B]
        [--robot a|b --method 1|3|4|6 --contour L|C|S | CASEFILE]

(with the module installed by `pip install .`, or PYTHONPATH=build/python /usr/bin/python3).

Every control method designs two PID loops from its servo targets; loop 2 is the force loop
(the normal contact force for methods 3 and 6, the pressing motor's deflection loop for
method 4, both motors' deflection loops for method 1). So the force loop of the case's
method m is always gainspecm.omega2 (natural angular frequency [rad/s]) and gainspecm.alpha2
(the further inverse time constant [1/s], 0 = PD). The grid spans N values of each around
the method's own targets: omega2 from half to one and a half times, alpha2 from 0 to twice
(or to 10 1/s when the target is 0); a grid of 1 is the targets themselves.

hybridsim.sweep runs the points on a thread pool here; examples/sweep_dask.py hands the same
grid to a Dask cluster. --csv writes the whole figures frame (case columns, figures, ok).
"""
import argparse
import os
import concurrent.futures

import numpy as np

import hybridsim


def simulator(case):
    """The case's Simulator: ("file", path) or ("select", robot, method, contour)."""
    if case[0] == "file":
        return hybridsim.Simulator.from_file(case[1])
    return hybridsim.Simulator(robot=case[1], method=case[2], contour=case[3])


def grid(sim, n):
    """The n x n grid (setting name -> values) around the case's own force loop targets."""
    omega = sim[f"gainspec{sim.method}.omega2"]
    alpha = sim[f"gainspec{sim.method}.alpha2"]
    if n == 1:
        return {f"gainspec{sim.method}.omega2": [omega], f"gainspec{sim.method}.alpha2": [alpha]}
    return {f"gainspec{sim.method}.omega2": [float(w) for w in np.linspace(0.5 * omega, 1.5 * omega, n)],
            f"gainspec{sim.method}.alpha2": [float(a) for a in np.linspace(
                0.0, 2.0 * alpha if alpha > 0 else 10.0, n)]}


def arguments(description, extra=None):
    """The case and grid options shared by the sweep examples."""
    ap = argparse.ArgumentParser(description=description)
    if extra:
        extra(ap)
    ap.add_argument("casefile", nargs="?", help="robot data file (else the selections)")
    ap.add_argument("--robot", default="b")
    ap.add_argument("--method", default="6")
    ap.add_argument("--contour", default="L")
    ap.add_argument("--grid", type=int, default=3, help="values per target (grid N x N)")
    ap.add_argument("--csv", help="write the figures frame as CSV to this file")
    ap.add_argument("--batch", type=int, help="points per task (default: sized to the work)")
    # Options before, between or after the positional names, as the usage shows them.
    args = ap.parse_intermixed_args()
    if args.grid < 1:
        ap.error(f"--grid must be at least 1, not {args.grid}")
    if args.batch is not None and args.batch < 1:
        ap.error(f"--batch must be at least 1, not {args.batch}")
    case = ("file", args.casefile) if args.casefile else ("select", args.robot, args.method,
                                                           args.contour)
    return args, simulator(case)


def report(frame, sim, args):
    """Prints the table of the grid's figures; writes the CSV when asked."""
    omega, alpha = f"gainspec{sim.method}.omega2", f"gainspec{sim.method}.alpha2"
    names = list(hybridsim.FIGURES)
    print(f"{'omega2[rad/s]':>13} {'alpha2[1/s]':>11} " + " ".join(f"{n:>12}" for n in names))
    for _, row in frame.iterrows():
        print(f"{row[omega]:13.4f} {row[alpha]:11.4f} " + " ".join(f"{row[n]:12.6g}" for n in names))
    if args.csv:
        frame.to_csv(args.csv, index=False)


def main():
    args, sim = arguments(__doc__.splitlines()[0], lambda ap: ap.add_argument(
        "--threads", type=int, default=os.cpu_count()))
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.threads) as pool:
        frame = hybridsim.sweep(sim, grid(sim, args.grid), executor=pool, batch=args.batch)
    report(frame, sim, args)


if __name__ == "__main__":
    main()
