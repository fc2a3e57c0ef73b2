#!/usr/bin/env python3
"""Speed-up of the Python module on a thread pool: N default line cases (robot b, method 6)
run on 1 thread and on K threads, best of R repetitions each; the two alternate, so that a burst
of load from elsewhere on the machine falls on both alike.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_threads.py [N] [K] [R]
"""
import concurrent.futures
import os
import sys
import time

import hybridsim


def case(i):
    """One default line case, built and run."""
    return hybridsim.Simulator(robot="b", method="6", contour="L").run().metrics["frms"]


def timed(threads, n):
    """Wall time of n cases on a pool of the given threads [s]."""
    start = time.perf_counter()
    with concurrent.futures.ThreadPoolExecutor(max_workers=threads) as pool:
        list(pool.map(case, range(n)))
    return time.perf_counter() - start


def main():
    n, k, reps = (int(a) for a in (sys.argv[1:] + ["200", "2", "3"][len(sys.argv) - 1:]))
    one = many = float("inf")
    for _ in range(reps):
        one = min(one, timed(1, n))
        many = min(many, timed(k, n))
    print(f"{n} cases: 1 thread {one:.3f} s, {k} threads {many:.3f} s, speed-up {one / many:.2f}x"
          f" (load average {os.getloadavg()[0]:.2f})")


if __name__ == "__main__":
    main()
