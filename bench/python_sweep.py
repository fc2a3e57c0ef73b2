#!/usr/bin/env python3
"""hybridsim.sweep of N line cases (robot b, method 6, a KH1 x KH2 x Fn grid) serially, on
2 threads, on 2 processes and on a Dask LocalCluster of 2 single-threaded worker processes,
R rounds with the four in turn (so that a burst of load from elsewhere falls on all alike).
Prints the median wall time of each, its ratio to the serial sweep, that every way gave the
same frame, and the resident memory of each cluster worker; the load average before and
after.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_sweep.py [N] [R] [BATCH]

BATCH: the points per task (default: sized by sweep itself).
"""
import concurrent.futures
import os
import statistics
import sys
import time

import hybridsim


def grid(n):
    """About n points around the line case's hand springs and force."""
    side = max(1, round(n ** (1 / 3)))
    rest = max(1, n // (side * side))
    return {"KH1": [400.0 + 10 * k for k in range(side)],
            "KH2": [400.0 + 10 * k for k in range(side)],
            "Fn": [5.0 + 0.1 * k for k in range(rest)]}


def rss(pid):
    """Resident memory of a process [MB]."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def main():
    from distributed import Client, LocalCluster
    n, reps = (int(a) for a in (sys.argv[1:3] + ["1000", "5"][len(sys.argv[1:3]):]))
    batch = int(sys.argv[3]) if len(sys.argv) > 3 else None
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    points = grid(n)
    load = os.getloadavg()[0]
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client, \
            concurrent.futures.ProcessPoolExecutor(2) as processes:
        client.run(lambda: __import__("hybridsim").Simulator().run())  # warm the workers
        list(processes.map(pow, [1, 2], [1, 1]))
        ways = {"serial": lambda: concurrent.futures.ThreadPoolExecutor(1),
                "2 threads": lambda: concurrent.futures.ThreadPoolExecutor(2),
                "2 processes": lambda: processes, "Dask 2 workers": client.get_executor}
        times = {name: [] for name in ways}
        frames = {}
        for _ in range(reps):
            for name, make in ways.items():
                executor = make()
                start = time.perf_counter()
                frames[name] = hybridsim.sweep(sim, points, executor=executor, batch=batch)
                times[name].append(time.perf_counter() - start)
                if name in ("serial", "2 threads"):
                    executor.shutdown()
        memory = [rss(pid) for pid in client.run(os.getpid).values()]
    count = len(frames["serial"])
    serial = statistics.median(times["serial"])
    for name, spent in times.items():
        median = statistics.median(spent)
        print(f"{name:>15}: median {median:.3f} s of {reps} ({count / median:.0f} cases/s), "
              f"{serial / median:.2f}x serial")
    same = all(f.equals(frames["serial"]) for f in frames.values())
    print(f"{count} cases, every frame the same: {same}; Dask workers' memory "
          + ", ".join(f"{m:.0f} MB" for m in memory)
          + f"; load average {load:.2f} before, {os.getloadavg()[0]:.2f} after")


if __name__ == "__main__":
    main()
