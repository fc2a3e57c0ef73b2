#!/usr/bin/env python3
"""Sweeps the force loop's servo targets of one case and tabulates the figures of merit.

    PYTHONPATH=build/python /usr/bin/python3 examples/sweep.py [--grid N] [--threads K]
        [--robot a|b --method 1|3|4|6 --contour L|C|S | CASEFILE]

Every control method designs two PID loops from its servo targets; loop 2 is the force loop
(the normal contact force for methods 3 and 6, the pressing motor's deflection loop for
method 4, both motors' deflection loops for method 1). So the force loop of the case's
method m is always gainspecm.omega2 (natural angular frequency [rad/s]) and gainspecm.alpha2
(the further inverse time constant [1/s], 0 = PD). The grid spans N values of each around
the method's own targets: omega2 from half to one and a half times, alpha2 from 0 to twice
(or to 10 1/s when the target is 0).

Every grid point is a case of its own (its own Simulator; runs release the GIL), so
`point` can be handed to any Python executor: the thread pool used here, a
multiprocessing or concurrent.futures.ProcessPoolExecutor pool, or a cluster's executor.
"""
import argparse
import concurrent.futures
import os

import numpy as np

import hybridsim


def simulator(case):
    """The case's Simulator: ("file", path) or ("select", robot, method, contour)."""
    if case[0] == "file":
        return hybridsim.Simulator.from_file(case[1])
    return hybridsim.Simulator(robot=case[1], method=case[2], contour=case[3])


def point(case, omega2, alpha2):
    """Figures of merit of the case with its force loop's targets set to (omega2, alpha2)."""
    sim = simulator(case)
    sim[f"gainspec{sim.method}.omega2"] = omega2
    sim[f"gainspec{sim.method}.alpha2"] = alpha2
    return sim.run().metrics


def grid(case, n):
    """The n x n grid of (omega2, alpha2) around the case's own force loop targets."""
    sim = simulator(case)
    omega = sim[f"gainspec{sim.method}.omega2"]
    alpha = sim[f"gainspec{sim.method}.alpha2"]
    omegas = np.linspace(0.5 * omega, 1.5 * omega, n)
    alphas = np.linspace(0.0, 2.0 * alpha if alpha > 0 else 10.0, n)
    return [(float(w), float(a)) for w in omegas for a in alphas]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("casefile", nargs="?", help="robot data file (else the selections)")
    ap.add_argument("--robot", default="b")
    ap.add_argument("--method", default="6")
    ap.add_argument("--contour", default="L")
    ap.add_argument("--grid", type=int, default=3, help="values per target (grid N x N)")
    ap.add_argument("--threads", type=int, default=os.cpu_count())
    args = ap.parse_args()
    case = ("file", args.casefile) if args.casefile else ("select", args.robot, args.method,
                                                           args.contour)

    points = grid(case, args.grid)
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.threads) as pool:
        figures = list(pool.map(lambda p: point(case, *p), points))

    names = list(figures[0])
    print(f"{'omega2[rad/s]':>13} {'alpha2[1/s]':>11} " + " ".join(f"{n:>12}" for n in names))
    for (w, a), fig in zip(points, figures):
        print(f"{w:13.4f} {a:11.4f} " + " ".join(f"{fig[n]:12.6g}" for n in names))


if __name__ == "__main__":
    main()
