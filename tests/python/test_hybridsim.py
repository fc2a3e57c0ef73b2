"""The Python module end to end: the batch program's numbers bit for bit, every refusal, runs
on a thread pool, pictures and the sweep example. Run by CTest with PYTHONPATH=build/python."""
import concurrent.futures
import copy
import glob
import io
import itertools
import math
import os
import pickle
import re
import shutil
import stat
import subprocess
import sys
import threading

import matplotlib
import numpy as np
import pandas
import pytest

import hybridsim

SRC = os.environ.get("HYBRIDSIM_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = os.environ.get("HYBRIDSIM_BINARY_DIR", os.path.join(SRC, "build"))
BATCH = os.path.join(BIN, "hybridsim-batch")
EXAMPLES = sorted(glob.glob(os.path.join(SRC, "examples", "*.dat")))
DEFAULTCASES = list(itertools.product("ab", "1346", "LCS"))

# Every array of a run and its CSV columns.
ARRAYS = [("t", [1]), ("motorpos", [2, 3]), ("tippos", [4, 5]), ("cmdpos", [6, 7]),
          ("poserr", [8, 9]), ("perierr", [10]), ("force", [11]), ("forceerr", [12]),
          ("torque", [13, 14]), ("defl", [15, 16])]


def batch(*args):
    return subprocess.run([BATCH, *args], capture_output=True, check=False).stdout


def checkrun(run, csv, tmp_path):
    """The run's CSV file has the batch program's bytes, its arrays (read-only) and its
    DataFrame hold the same numbers, and the run has no error diagnostics."""
    out = tmp_path / "run.csv"
    run.to_csv(out)
    assert out.read_bytes() == csv
    assert run.ok and all(d.severity == "warning" for d in run.diagnostics)
    pandas.testing.assert_frame_equal(run.to_dataframe(), pandas.read_csv(
        io.BytesIO(csv), float_precision="round_trip"), check_exact=True)
    with pytest.raises(ValueError, match="read-only"):
        run.force[:, 0] -= 10
    table = np.loadtxt(io.BytesIO(csv), delimiter=",", skiprows=1)
    assert len(run) == table.shape[0]
    for name, cols in ARRAYS:
        a = getattr(run, name)
        if name == "force":
            a = a[:, 0]
            assert not a.shape or np.all(getattr(run, name)[:, 1] == 0)
        np.testing.assert_array_equal(a, table[:, cols[0]] if len(cols) == 1 else table[:, cols])


@pytest.mark.parametrize("robot,method,contour", DEFAULTCASES)
def test_default_case_is_the_batch_run(robot, method, contour, tmp_path):
    sim = hybridsim.Simulator(robot=robot, method=int(method), contour=contour)
    assert (sim.robot, sim.method, sim.contour) == (robot, method, contour)
    csv = batch("--robot", robot, "--method", method, "--contour", contour)
    checkrun(sim.run(), csv, tmp_path)
    # A second run, like the menu's '0', repeats the first.
    assert sim.run().csv() == csv


@pytest.mark.parametrize("path", EXAMPLES, ids=os.path.basename)
def test_example_file_is_the_batch_run(path, tmp_path):
    checkrun(hybridsim.Simulator.from_file(path).run(), batch(path), tmp_path)


def test_defaults_and_settings():
    sim = hybridsim.Simulator()
    assert (sim.robot, sim.method, sim.contour) == ("b", "6", "S")
    assert sim.run().csv() == batch("--robot", "b", "--method", "6", "--contour", "S")
    settings = sim.settings()
    assert settings["KH1"] == 500.0 and settings["Fn"] == 10.0 and settings["line.x0"] == 0.3
    assert all(sim[name] == value for name, value in settings.items())
    assert "gainspec6.omega2" in settings and len(settings) == 50


def test_setting_changes_the_next_run_and_the_report():
    sim = hybridsim.Simulator(robot="a", method="3", contour="L")
    sim["Fn"] = 20.0
    assert sim["Fn"] == 20.0
    assert "Fn=20.000[N]" in sim.report()
    run = sim.run()
    # The force loop holds the new force once settled.
    settled = run.t >= 1.0
    assert abs(np.mean(run.force[settled, 0]) - 20.0) < 1.0
    np.testing.assert_array_equal(run.forceerr, run.force[:, 0] - 20.0)
    assert run.metrics["frms"] == pytest.approx(math.sqrt(np.mean(run.forceerr[settled] ** 2)))
    assert run.messages == "\ncalcontrol()終わり"


def test_servo_names_are_the_methods_targets_in_hz():
    sim = hybridsim.Simulator(robot="b", method=3, contour="C")
    assert sim["fn2"] == sim["gainspec3.omega2"] / 6.28318530317958 == 20.0
    sim["fn2"] = 12.5
    sim["alpha1"] = 3.0
    assert sim["gainspec3.omega2"] == 6.28318530317958 * 12.5 and sim["gainspec3.alpha1"] == 3.0
    assert sim.run().csv() == batch("--robot", "b", "--method", "3", "--contour", "C",
                                    "--set", "fn2=12.5", "--set", "alpha1=3")
    with pytest.raises(ValueError, match=r"fn1 = 0 refused.*\[Hz\]"):
        sim["fn1"] = 0.0
    assert sim["gainspec6.omega2"] == hybridsim.Simulator()["fn2"] * 6.28318530317958


def test_study_view_of_runs_and_its_matplotlib_overlay(tmp_path):
    runs = []
    for fn2 in (5, 10, 20):
        sim = hybridsim.Simulator(robot="b", method=3, contour="C")
        sim["fn2"] = fn2
        runs.append(sim.run())
    shown = hybridsim.study(runs, tmp_path / "study.png")
    batch("--robot", "b", "--method", "3", "--contour", "C", "--vary", "fn2=5,10,20",
          "--png", str(tmp_path / "batch.png"))
    assert (tmp_path / "study.png").read_bytes() == (tmp_path / "batch.png").read_bytes()
    assert shown._repr_png_() == (tmp_path / "study.png").read_bytes()
    hybridsim.study(runs[:1], tmp_path / "one.pdf", labels=["mine"])
    assert (tmp_path / "one.pdf").read_bytes().startswith(b"%PDF")
    with pytest.raises(ValueError, match="at most 8"):
        hybridsim.study(runs * 3)
    with pytest.raises(ValueError, match=r"\.png, \.svg or \.pdf"):
        hybridsim.study(runs, tmp_path / "study.jpg")
    matplotlib.use("Agg")
    figure = hybridsim.plot(runs)
    assert [t.get_text() for t in figure.axes[0].get_legend().get_texts()] == [
        "fn2 = 5 Hz", "fn2 = 10 Hz", "fn2 = 20 Hz"]
    assert len(figure.axes) == 6 and figure.axes[-1].get_xlabel().startswith("time t [s]")
    np.testing.assert_array_equal(figure.axes[1].lines[0].get_ydata(), runs[0].forceerr)


def test_unreachable_path_is_told_in_the_messages():
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    sim["line.xf"] = 2.0
    run = sim.run()
    assert run.unreachable and not run.diverged and not run.ok
    errors = [d for d in run.diagnostics if d.severity == "error"]
    # The path's end found out of reach by the derivation, then the run's first such point.
    assert [d.code for d in errors] == ["pathend", "unreachable"]
    assert errors[0].values == {"x": 2.0, "y": 0.3} and set(errors[1].values) == {"x", "y"}
    assert "!!! 逆運動学の解なし．" in run.messages
    assert "手先の届かない指令点がありました" in run.messages
    assert "キーを押すと続けます" not in run.messages  # nothing waits for a key


def test_report_and_messages_in_english_or_japanese():
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    sim["line.xf"] = 2.0
    english = sim.report(lang="en")
    assert english.startswith("\n\nSettings in force\n(1-1) robot type") and sim.report(lang="ja") == sim.report()
    messages = sim.run(lang="en").messages
    assert "!!! No inverse kinematics solution." in messages and "out of the hand's reach" in messages
    assert not re.search("[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]", english + messages)
    with pytest.raises(ValueError):
        sim.report(lang="fr")
    # None: the language of the locale, as the programs choose it.
    code = "import hybridsim; print(hybridsim.Simulator().report()[:19])"
    env = dict(os.environ, LC_ALL="C.UTF-8", LANGUAGE="en")
    assert subprocess.run([sys.executable, "-c", code], env=env, capture_output=True).stdout == b"\n\nSettings in force\n"
    # A locale of another language gives English, installed or not; a
    # Japanese one (or LANGUAGE=ja first) Japanese.
    for lc_all, language, english in (("fr_FR.UTF-8", "", True), ("ja_JP.UTF-8", "", False),
                                      ("en_GB.UTF-8", "ja:en", False)):
        env.update(LC_ALL=lc_all, LANGUAGE=language)
        out = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True).stdout
        assert out.startswith(b"\n\n") and out.startswith(b"\n\nSettings") == english, (lc_all, language)


def test_nothing_is_printed(capfd):
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    sim["line.xf"] = 2.0
    sim.report()
    sim.run()
    assert capfd.readouterr() == ("", "")


def test_refused_settings_leave_the_case_unchanged():
    sim = hybridsim.Simulator(robot="a", method="1", contour="C")
    before = sim.settings()
    with pytest.raises(KeyError, match="nosuch"):
        sim["nosuch"] = 1.0
    with pytest.raises(KeyError):
        sim["nosuch"]
    for name, value in [("KH1", 0.0), ("Fn", math.nan), ("line.tf", -1.0), ("eta1_a", 1.5),
                        ("mw", -0.1), ("seterror", math.inf)]:
        with pytest.raises(ValueError, match=name):
            sim[name] = value
    # The case as a whole: a line's end on its start, set or given in a case.
    with pytest.raises(ValueError, match="line's end must differ from its start"):
        sim["line.yf"] = 0.0
    with pytest.raises(ValueError, match="line's end must differ"):
        hybridsim.Simulator.from_case({"robot": "a", "line.yf": 0.0})
    with pytest.raises(KeyError, match=r"no setting named KH1\\\\x00"):
        sim["KH1\0"]
    with pytest.raises(TypeError, match="lang must be a str .* not int"):
        sim.report(lang=3)
    with pytest.raises(TypeError, match="iterable of Run, not int"):
        hybridsim.figures_frame(5)
    assert sim.settings() == before
    assert sim.run().csv() == batch("--robot", "a", "--method", "1", "--contour", "C")


@pytest.mark.parametrize("kwargs", [{"method": 5}, {"method": "2"}, {"robot": "c"},
                                    {"contour": "X"}, {"robot": "ab"}, {"method": True},
                                    {"method": 10**30}, {"method": 3.0}, {"robot": 1},
                                    {"contour": None, "method": [6]}])
def test_refused_selections(kwargs):
    wrongtype = any(not isinstance(v, (str, int)) for v in kwargs.values()) or kwargs == {"robot": 1}
    with pytest.raises(TypeError if wrongtype else ValueError):
        hybridsim.Simulator(**kwargs)
    assert hybridsim.Simulator(method=np.int64(3)).method == "3"


def test_refused_case_files(tmp_path):
    with pytest.raises(ValueError, match="nosuch.dat"):
        hybridsim.Simulator.from_file(tmp_path / "nosuch.dat")
    with pytest.raises(ValueError, match="Is a directory"):
        hybridsim.Simulator.from_file(tmp_path)
    text = open(EXAMPLES[0], encoding="utf-8").read().replace("500 500", "500 0")
    bad = tmp_path / "bad.dat"
    bad.write_text(text, encoding="utf-8")
    reader = subprocess.run([BATCH, str(bad)], capture_output=True).stderr.decode().strip()
    with pytest.raises(ValueError) as err:
        hybridsim.Simulator.from_file(bad)
    assert reader == f"hybridsim-batch: {bad}: {err.value}" and "0 より大きい" in reader
    # In English when asked, as the batch program under --lang en.
    reader = subprocess.run([BATCH, "--lang", "en", str(bad)], capture_output=True).stderr.decode().strip()
    with pytest.raises(ValueError) as err:
        hybridsim.Simulator.from_file(bad, lang="en")
    assert reader == f"hybridsim-batch: {bad}: {err.value}" and "a finite number > 0" in reader
    # An empty file is refused as the batch program refuses it.
    for empty in (tmp_path / "empty.dat", "/dev/null"):
        open(empty, "w").close()
        reader = subprocess.run([BATCH, str(empty)], capture_output=True).stderr.decode().strip()
        with pytest.raises(ValueError) as err:
            hybridsim.Simulator.from_file(empty)
        assert reader == f"hybridsim-batch: {empty}: {err.value}" and "項目1" in reader


@pytest.mark.skipif(os.geteuid() == 0 and not shutil.which("setpriv"), reason="root writes anything")
def test_a_read_only_file_is_not_replaced(tmp_path):
    tmp_path.chmod(0o777)
    target = tmp_path / "ro.csv"
    target.write_text("old")
    target.chmod(0o444)
    code = f"import hybridsim; hybridsim.Simulator().run().to_csv({str(target)!r})"
    user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.geteuid() == 0 else []
    done = subprocess.run(user + [sys.executable, "-c", code], capture_output=True)
    assert done.returncode != 0 and b"Permission denied" in done.stderr and target.read_text() == "old"


def test_thread_pool_gives_the_serial_results():
    cases = DEFAULTCASES[:8]

    def one(case):
        sim = hybridsim.Simulator(*case)
        sim["Fn"] = 15.0
        return sim.run().csv()

    serial = [one(c) for c in cases]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        assert list(pool.map(one, cases)) == serial


def test_compare_rows_are_the_first_runs_of_each_method():
    sim = hybridsim.Simulator(robot="b", method="3", contour="C")
    sim["KH2"] = 800.0
    rows = sim.compare()
    assert list(rows) == ["1", "3", "4", "6"]
    for method, figures in rows.items():
        other = hybridsim.Simulator(robot="b", method=method, contour="C")
        other["KH2"] = 800.0
        assert figures == {**other.run().metrics, "ok": True, "unreachable": False, "diverged": False}
    assert sim.method == "3"


def test_diverged_runs_say_so_and_raise_nothing():
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    sim["KH1"] = sim["KH2"] = 1e7
    run = sim.run()
    assert not run.ok and run.diverged
    errors = [(d.severity, d.code, d.time) for d in run.diagnostics if d.severity == "error"]
    assert errors == [("error", "diverged", 0.0)]
    assert not any(row["ok"] or not row["diverged"] for row in sim.compare().values())
    assert hybridsim.figures_frame([run, hybridsim.Simulator().run()])["ok"].tolist() == [False, True]
    assert pickle.loads(pickle.dumps(run.diagnostics[0])).values == {"laststep": 200.0}
    # A sweep refuses a bad value before it runs anything; its rows carry ok.
    with pytest.raises(ValueError, match="KH2"):
        hybridsim.sweep(sim, {"KH2": [1e7, 0.0]})
    # One very stiff spring keeps the run finite but loses the contact.
    frame = hybridsim.sweep(sim, {"KH1": [1e7, 500.0], "KH2": [1e7, 500.0]})
    assert frame["ok"].tolist() == [False, False, False, True]
    assert [d.code for d in sim.run().diagnostics if d.severity == "error"] == ["diverged"]
    assert frame["KH2"].tolist() == [1e7, 500.0, 1e7, 500.0]


def test_runs_beyond_the_model_domain_are_errors():
    # The arm swings out of its reach (robot a under method 3: its radial joint
    # behind the base, the inner reach 0), the hand beyond its springs' travel,
    # the contact pulls: each an error with the bound crossed; motors held at
    # their limits a warning.
    far = {"gainspec6.omega2": 502.6548245743669, "gainspec6.alpha2": 10.0, "KH1": 250.0, "KH2": 250.0}
    for robot, method, settings, reach in [
            ("a", "6", far, 0.9), ("b", "6", far, 1.0),
            ("a", "3", {"KH1": 5e6, "KH2": 250.0, "gainspec3.omega2": 31.41592653589793,
                        "gainspec3.alpha2": 0.0}, 0.0)]:
        sim = hybridsim.Simulator(robot=robot, method=method, contour="L")
        for name, value in settings.items():
            sim[name] = value
        run = sim.run()
        notes = {d.code: d for d in run.diagnostics}
        assert not run.ok and notes["outofreach"].severity == "error"
        assert notes["outofreach"].values["reach"] == pytest.approx(reach)
        assert round(notes["handtravel"].values["travel"], 9) in (0.04, -0.06)
        assert notes["contactlost"].values["force"] <= 0
        assert notes["saturated"].severity == "warning" and notes["saturated"].values["tsat"] > 50
        said = "腕の直動関節が基部の後ろ" if reach == 0 else "腕の届く範囲"
        assert said in run.messages and not sim.compare()[method]["ok"]


def test_pictures(tmp_path):
    sim = hybridsim.Simulator(robot="a", method="6", contour="L")
    with pytest.raises(RuntimeError):
        sim.save_png(tmp_path / "early.png")
    sim.run()
    heads = {"save_png": b"\x89PNG", "save_svg": b"<?xml", "save_pdf": b"%PDF", "save_gif": b"GIF89a"}
    for method, head in heads.items():
        path = tmp_path / ("f." + method[5:])
        getattr(sim, method)(path)
        assert path.read_bytes().startswith(head)
    sim.save_png(tmp_path / "f0.png", frame=0)
    assert (tmp_path / "f0.png").read_bytes() != (tmp_path / "f.png").read_bytes()
    with pytest.raises(OSError, match="nodir"):
        sim.save_png(tmp_path / "nodir" / "f.png")
    # A stored run draws itself; frames count from the end as Python's sequences do.
    run = sim.run()
    sim["Fn"] = 30.0
    sim.run()
    run.save_png(tmp_path / "last.png", frame=np.int64(-1))
    assert (tmp_path / "last.png").read_bytes() == (tmp_path / "f.png").read_bytes()
    for frame, error in [(201, IndexError), (-202, IndexError), (1.5, TypeError), ("0", TypeError)]:
        with pytest.raises(error):
            run.save_png(tmp_path / "bad.png", frame=frame)
    for call in (run.save_png, hybridsim.Simulator.from_file, run.to_csv):
        with pytest.raises(ValueError, match="null byte"):
            call(str(tmp_path / "a\0b"))
    # A symbolic link keeps being one and its target gets the file; a FIFO
    # is written through, not replaced.
    (tmp_path / "target.csv").write_bytes(b"")
    (tmp_path / "link.csv").symlink_to("target.csv")
    run.to_csv(tmp_path / "link.csv")
    assert (tmp_path / "link.csv").is_symlink() and (tmp_path / "target.csv").read_bytes() == run.csv()
    os.mkfifo(tmp_path / "fifo")
    got = []
    reader = threading.Thread(target=lambda: got.append((tmp_path / "fifo").read_bytes()))
    reader.start()
    run.save_png(tmp_path / "fifo")
    reader.join()
    assert stat.S_ISFIFO(os.lstat(tmp_path / "fifo").st_mode) and got[0].startswith(b"\x89PNG")
    assert not (tmp_path / "a").exists()


def test_pickle_and_copy_round_trips(tmp_path):
    sim = hybridsim.Simulator.from_file(EXAMPLES[0])
    sim["Fn"] = 12.5
    run = sim.run()
    for other in (pickle.loads(pickle.dumps(sim)), copy.copy(sim), copy.deepcopy(sim)):
        assert other.case == sim.case and other.run().csv() == run.csv()
    for other in (pickle.loads(pickle.dumps(run)), copy.copy(run), copy.deepcopy(run)):
        assert (other.csv(), other.case, other.messages) == (run.csv(), run.case, run.messages)
    copied = copy.copy(sim)
    copied["Fn"] = 5.0
    assert sim["Fn"] == 12.5
    assert hybridsim.Simulator.from_case(run.case).run().csv() == run.csv()
    # A saved case that carries the drawn work block and method 6's
    # acceleration time runs the same after a round trip too.
    carried = tmp_path / "carried.dat"
    carried.write_bytes(open(EXAMPLES[0], "rb").read().rstrip(b"\n") + b"\n0.14 0.4\n")
    sim = hybridsim.Simulator.from_file(carried)
    run = sim.run()
    assert run.csv() != hybridsim.Simulator.from_file(EXAMPLES[0]).run().csv()
    for other in (pickle.loads(pickle.dumps(sim)).run(), pickle.loads(pickle.dumps(run))):
        assert other.csv() == run.csv()


def test_numpy_is_set_up_at_import():
    """Two threads' first runs in a fresh interpreter that has not imported NumPy itself."""
    code = ("import hybridsim, sys, threading\n"
            "assert 'numpy' in sys.modules\n"
            "ts = [threading.Thread(target=lambda: hybridsim.Simulator().run().t) for _ in range(2)]\n"
            "[t.start() for t in ts]; [t.join() for t in ts]; print('done')")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert out.stdout == "done\n", out.stderr


def test_settings_table_and_notebook_views(tmp_path):
    table = hybridsim.settings_table()
    assert [s.name for s in table] == list(hybridsim.Simulator().settings())
    assert all(s.description and s.unit and s.limit for s in table)
    assert table[0] == ("l", "m", "a finite number > 0", 0.7, "robot a (cylindrical): arm length")
    run = hybridsim.Simulator().run()
    assert "<b>ok</b>" in run._repr_html_() and "frms" in run._repr_html_()
    matplotlib.use("Agg")
    figure = run.plot()
    assert [a.get_ylabel() for a in figure.axes] == ["position [m]", "force [N]", "torque [N m]"]
    assert figure.axes[2].get_xlabel() == "t [s]"


def test_docstrings():
    for cls in (hybridsim.Simulator, hybridsim.Run):
        assert cls.__doc__
        for name, attr in vars(cls).items():
            if not name.startswith("_") or name in ("__getitem__", "__setitem__", "__init__"):
                assert attr.__doc__, name


def sweep(*args, check=True):
    return subprocess.run([sys.executable, os.path.join(SRC, "examples", "sweep.py"), *args],
                          capture_output=True, text=True, check=check)


def test_sweep_example_on_a_small_grid(tmp_path):
    out = sweep("--grid", "2", "--threads", "2", "--csv", str(tmp_path / "s.csv")).stdout.splitlines()
    assert out[0].split() == ["omega2[rad/s]", "alpha2[1/s]", "frms", "fmax", "erms", "emax",
                              "pend", "pmax", "t1peak", "t2peak", "tsat"]
    assert len(out) == 5
    # The first row is the point with half the force loop's natural frequency and PD control.
    sim = hybridsim.Simulator(robot="b", method="6", contour="L")
    omega = sim["gainspec6.omega2"] * 0.5
    sim["gainspec6.omega2"] = omega
    sim["gainspec6.alpha2"] = 0.0
    frms = sim.run().metrics["frms"]
    row = out[1].split()
    assert float(row[0]) == pytest.approx(omega, abs=1e-4) and float(row[1]) == 0.0
    assert float(row[2]) == pytest.approx(frms, rel=1e-5)
    frame = pandas.read_csv(tmp_path / "s.csv", float_precision="round_trip")
    # The stiffest corner (1.5 omega2, 2 alpha2) swings the hand out of the arm's reach.
    assert frame["frms"][0] == frms and frame["ok"].tolist() == [True, True, True, False]
    # A grid of one is the targets themselves; none at all is refused.
    target = hybridsim.Simulator(robot="b", method="6", contour="L").run().metrics["frms"]
    assert float(sweep("--grid", "1").stdout.splitlines()[1].split()[2]) == pytest.approx(target, rel=1e-5)
    refused = sweep("--grid", "0", check=False)
    assert refused.returncode == 2 and "--grid must be at least 1" in refused.stderr


def test_type_stubs_match_the_module(tmp_path):
    # pybind11's classes have their own metaclass and a constructor that refuses.
    allow = tmp_path / "allow.txt"
    allow.write_text("hybridsim\\.(Diagnostic|Run|Simulator)\nhybridsim\\.(Diagnostic|Run)\\.__init__\n")
    config = tmp_path / "mypy.ini"
    config.write_text("[mypy]\nignore_missing_imports = True\n")
    out = subprocess.run([sys.executable, "-m", "mypy.stubtest", "hybridsim", "--allowlist",
                          str(allow), "--mypy-config-file", str(config)], capture_output=True,
                         text=True, cwd=tmp_path)
    assert out.returncode == 0, out.stdout
    # A user's script with NumPy's arrays and scalars where the module takes them.
    script = tmp_path / "study.py"
    script.write_text(
        "import numpy as np\nimport hybridsim\n"
        "sim = hybridsim.Simulator(robot='a', method=np.int64(3), contour='L')\n"
        "sim['KH1'] = np.float32(400.0)\nsim['KH2'] = np.int64(400)\n"
        "frame = hybridsim.sweep(sim, {'KH1': np.linspace(300.0, 600.0, 3), 'robot': ['a'],\n"
        "                              'Fn': range(5, 7)}, batch=2)\n"
        "again = hybridsim.Simulator.from_case(frame.iloc[0].to_dict())\n"
        "back: str = hybridsim.read_frame('f.csv').attrs['version'] + hybridsim.__version__\n")
    out = subprocess.run([sys.executable, "-m", "mypy", "--strict", str(script)],
                         capture_output=True, text=True, cwd=tmp_path)
    assert out.returncode == 0, out.stdout
