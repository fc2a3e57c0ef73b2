"""examples/sweep_dask.py on a local Dask cluster of two worker processes: the same figures
frame, byte for byte as CSV, as the serial sweep."""
import concurrent.futures
import os
import subprocess
import sys

from distributed import LocalCluster

import hybridsim
from test_hybridsim import SRC

CASEFILE = os.path.join(SRC, "examples", "robot_a_circle.dat")


def test_dask_sweep_is_the_serial_sweep(tmp_path):
    out = tmp_path / "dask.csv"
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster:
        # The options between the scheduler and the case file, as its usage shows them.
        subprocess.run([sys.executable, os.path.join(SRC, "examples", "sweep_dask.py"),
                        cluster.scheduler_address, "--grid", "2", "--csv", str(out), CASEFILE],
                       check=True, capture_output=True)
    sim = hybridsim.Simulator.from_file(CASEFILE)
    grid = {"gainspec3.omega2": [sim["gainspec3.omega2"] * k for k in (0.5, 1.5)],
            "gainspec3.alpha2": [0.0, 2 * sim["gainspec3.alpha2"]]}
    with concurrent.futures.ThreadPoolExecutor(max_workers=1) as serial:
        frame = hybridsim.sweep(sim, grid, executor=serial)
    frame.to_csv(tmp_path / "serial.csv", index=False)
    assert len(frame) == 4 and out.read_bytes() == (tmp_path / "serial.csv").read_bytes()
