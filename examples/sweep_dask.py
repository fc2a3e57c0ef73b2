#!/usr/bin/env python3
"""The sweep of examples/sweep.py on a Dask cluster (Debian's python3-distributed).

    python3 examples/sweep_dask.py SCHEDULER [--grid N] [--csv FILE] [--batch B]
        [--robot a|b --method 1|3|4|6 --contour L|C|S | CASEFILE]

SCHEDULER is the address of a running scheduler (tcp://host:8786, as `dask-scheduler`
prints). Its workers need the module: start them with the interpreter that has it installed
(`python -m distributed.cli.dask_worker tcp://host:8786` from the venv). The case travels to
the workers pickled, the points go in batches (--batch, default sized to the work) and every
grid point comes back as one row of the figures frame, the same numbers as the serial sweep
gives.
"""
from distributed import Client

import hybridsim
from sweep import arguments, grid, report


def main():
    args, sim = arguments(__doc__.splitlines()[0], lambda ap: ap.add_argument(
        "scheduler", help="address of the Dask scheduler"))
    with Client(args.scheduler) as client:
        frame = hybridsim.sweep(sim, grid(sim, args.grid), executor=client.get_executor(),
                                batch=args.batch)
    report(frame, sim, args)


if __name__ == "__main__":
    main()
