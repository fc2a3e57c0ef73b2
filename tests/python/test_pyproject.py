"""`pip install .` into a fresh virtual environment (Debian's build tools, offline), then the
module imported from another folder by the environment's interpreter."""
import os
import pathlib
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
    # A Jupyter kernel for the venv, as the docs show it, runs a notebook that imports the
    # installed module (no PYTHONPATH): Debian's jupyter nbconvert executes it.
    jupyter = tmp_path / "jupyter"
    subprocess.run([venv / "bin" / "python", "-m", "ipykernel", "install", "--prefix",
                    str(jupyter), "--name", "hybridsim-venv"], check=True, env=env,
                   capture_output=True)
    import nbformat
    notebook = nbformat.v4.new_notebook(cells=[nbformat.v4.new_code_cell(
        "import hybridsim\n"
        "frame = hybridsim.sweep(hybridsim.Simulator(contour='L'),"
        " {'robot': ['a', 'b'], 'fn2': [15.0]})\n"
        "print(hybridsim.__file__, list(frame.robot), frame.frms.notna().all())")])
    nbformat.write(notebook, str(elsewhere / "study.ipynb"))
    subprocess.run(["jupyter", "nbconvert", "--to", "notebook", "--execute",
                    "--ExecutePreprocessor.kernel_name=hybridsim-venv", "study.ipynb"],
                   check=True, capture_output=True, cwd=elsewhere,
                   env={**env, "JUPYTER_PATH": str(jupyter / "share" / "jupyter")})
    cell = nbformat.read(str(elsewhere / "study.nbconvert.ipynb"), 4).cells[0]
    text = cell.outputs[0]["text"]
    assert text.startswith(str(venv)) and text.endswith("['a', 'b'] True\n")
    # An editable install (pip install -e) keeps the English catalog beside the module and
    # builds nothing into the source folders: after pip uninstall they are as they were.
    sources = pathlib.Path(SRC, "python")
    before = sorted(sources.rglob("*"))
    subprocess.run([venv / "bin" / "pip", "install", "-q", "--no-build-isolation", "--no-index",
                    "-e", SRC], check=True, env=env, cwd=tmp_path, capture_output=True)
    code = "import hybridsim; print(hybridsim.Simulator().report(lang='en').split(chr(10))[2])"
    assert subprocess.run([venv / "bin" / "python", "-c", code], capture_output=True, text=True,
                          check=True, env=env, cwd=elsewhere).stdout == "Settings in force\n"
    assert sorted(sources.rglob("*")) == before
    subprocess.run([venv / "bin" / "pip", "uninstall", "-q", "-y", "hybridsim"], check=True,
                   env=env, capture_output=True)
    assert sorted(sources.rglob("*")) == before
    # Without --no-build-isolation the build stops at once and names the flag.
    isolated = subprocess.run([venv / "bin" / "pip", "install", "--no-index", SRC],
                              capture_output=True, text=True, env=env, cwd=tmp_path)
    assert isolated.returncode != 0 and "pip install --no-build-isolation ." in isolated.stderr
