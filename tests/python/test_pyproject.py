"""`pip install .` into a fresh virtual environment (Debian's build tools, offline), then the
module imported from another folder by the environment's interpreter."""
import os
import shutil
import subprocess
import sys

from test_hybridsim import BATCH, SRC


def test_fresh_venv_install_and_import_elsewhere(tmp_path):
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True)
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    if shutil.which("ccache"):
        env["CMAKE_ARGS"] = "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    subprocess.run([venv / "bin" / "pip", "install", "-q", "--no-build-isolation", "--no-index",
                    SRC], check=True, env=env, cwd=tmp_path)
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    code = ("import hybridsim, sys; print(hybridsim.__file__);"
            "sys.stdout.flush(); sys.stdout.buffer.write(hybridsim.Simulator().run().csv())")
    out = subprocess.run([venv / "bin" / "python", "-c", code], capture_output=True, check=True,
                         env=env, cwd=elsewhere).stdout
    where, csv = out.split(b"\n", 1)
    assert where.startswith(bytes(venv)) and b"site-packages" in where
    assert csv == subprocess.run([BATCH, "--robot", "b", "--method", "6", "--contour", "S"],
                                 capture_output=True, check=True).stdout
