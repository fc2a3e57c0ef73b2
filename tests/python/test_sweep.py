"""hybridsim.sweep over every axis, in batches, on pools; its frames read back; Ctrl-C."""
import concurrent.futures
import os
import signal
import subprocess
import sys

import pandas
import pytest

import hybridsim


class Refusing(concurrent.futures.Executor):
    """An executor that must not be reached: the grid is refused before anything runs."""
    def submit(self, *args, **kwargs):
        raise AssertionError("a point was sent although the grid is refused")


def test_one_grid_spans_robots_methods_and_contours():
    sim = hybridsim.Simulator()
    grid = {"robot": ["a", "b"], "method": [3, "6"], "contour": ["L"], "fn2": [15.0, 25.0]}
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        frame = hybridsim.sweep(sim, grid, executor=pool, batch=3)
        assert frame.equals(hybridsim.sweep(sim, grid, executor=pool))
    assert list(frame.method) == [3, 3, 6, 6] * 2 and (frame.method == 6).sum() == 4
    assert list(frame.fn2) == [15.0, 25.0] * 4 and frame.attrs["units"]["fn2"] == "Hz"
    for row in frame.itertuples():
        direct = hybridsim.Simulator(robot=row.robot, method=row.method, contour="L")
        direct["fn2"] = row.fn2
        assert direct[f"gainspec{row.method}.omega2"] == frame[f"gainspec{row.method}.omega2"][row.Index]
        assert frame.loc[row.Index, list(hybridsim.FIGURES)].to_dict() == direct.run().metrics
    # The case's own settings of the other selections stay as they were.
    sim["KH2"] = 900.0
    assert set(hybridsim.sweep(sim, {"robot": ["a"]}).KH2) == {900.0}


@pytest.mark.parametrize("case,grid,reason", [
    ({"method": 6}, {"gainspec3.omega2": [10.0, 20.0]},
     "gainspec3.omega2 refused: it has no effect under method 6 (the case's method is 6)"),
    ({"contour": "C"}, {"line.tf": [2.0]}, "line.tf refused: it has no effect under contour C"),
    ({}, {"method": [3, 6], "gainspec3.alpha2": [1.0]},
     "it has no effect under method 6 (the grid's method takes 6), only under method 3"),
    ({"robot": "b"}, {"PW1_a": [100.0]}, "PW1_a refused: it has no effect under robot b"),
    ({}, {"method": [5]}, "grid method = 5 refused: it must be one of 1, 3, 4, 6"),
    ({}, {"KH1": [1.0, 0.0]}, "KH1 = 0 refused"),
    ({"contour": "L"}, {"line.xf": [0.3, 0.5], "line.yf": [0.3, 0.0]},
     "line.xf, line.yf = 0.3, 0 refused: the line's end must differ"),
])
def test_a_grid_that_would_mislead_is_refused_before_anything_runs(case, grid, reason):
    with pytest.raises(ValueError, match=reason.replace("(", r"\(").replace(")", r"\)")):
        hybridsim.sweep(hybridsim.Simulator(**case), grid, executor=Refusing())
    with pytest.raises(TypeError, match="dict name -> values as its grid, not list"):
        hybridsim.sweep(hybridsim.Simulator(), [])
    with pytest.raises(ValueError, match="batch = 0 refused"):
        hybridsim.sweep(hybridsim.Simulator(), {"KH1": [1.0]}, batch=0)


def test_a_name_refused_for_a_case_has_no_effect_there():
    """The rule behind the refusals: a setting outside its method, contour or robot leaves
    the run as it is, bit for bit."""
    cases = {("method", "3"): ("b", "6", "L"), ("method", "1"): ("b", "6", "L"),
             ("contour", "L"): ("b", "6", "C"), ("contour", "S"): ("b", "6", "L"),
             ("contour", "C"): ("b", "6", "L"), ("robot", "a"): ("b", "6", "L"),
             ("robot", "b"): ("a", "3", "L")}
    runs = {}
    for name in hybridsim.Simulator().settings():
        scope = hybridsim._scope(name)
        if scope is None or scope not in cases:
            continue
        robot, method, contour = cases[scope]
        sim = hybridsim.Simulator(robot=robot, method=method, contour=contour)
        if cases[scope] not in runs:
            runs[cases[scope]] = sim.run().csv()
        sim[name] = sim[name] * 1.25 + 0.01
        assert sim.run().csv() == runs[cases[scope]], name


def test_a_frame_written_and_read_back_is_equal_and_gives_back_its_cases(tmp_path):
    sim = hybridsim.Simulator(robot="b", method="3", contour="L")
    frame = hybridsim.sweep(sim, {"method": [3, 6], "line.xf": [0.45, 2.0]}, batch=1)
    assert list(frame.ok) == [True, False] * 2 and list(frame.unreachable) == [False, True] * 2
    assert frame.errors[1] == "pathend unreachable" and frame.errors[0] == ""
    assert frame.attrs["units"]["line.xf"] == "m" and frame.attrs["units"]["frms"] == "N"
    assert set(frame.attrs["units"]) == set(frame.columns)
    assert frame.attrs["version"] == hybridsim.__version__
    frame.to_csv(tmp_path / "f.csv", index=False)
    back = hybridsim.read_frame(tmp_path / "f.csv")
    pandas.testing.assert_frame_equal(back, frame, check_exact=True)
    assert back.attrs["units"] == frame.attrs["units"]
    for i in range(len(frame)):
        again = hybridsim.Simulator.from_case(back.iloc[i].to_dict()).run()
        assert hybridsim.figures_frame([again]).iloc[0].equals(frame.iloc[i])


def test_ctrl_c_cancels_what_has_not_started_and_raises_at_once():
    code = ("import hybridsim\n"
            "sim = hybridsim.Simulator(robot='b', method='6', contour='L')\n"
            "try:\n"
            "    hybridsim.sweep(sim, {'KH1': [500.0 + k for k in range(50000)]},"
            " progress=True, batch=1)\n"
            "except KeyboardInterrupt:\n"
            "    print('interrupted', flush=True)\n")
    child = subprocess.Popen([sys.executable, "-c", code], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env={**os.environ, "PYTHONUNBUFFERED": "1"})
    seen = b""
    while b"/50000 points" not in seen:  # the first points are done: the sweep is under way
        byte = child.stderr.read(1)
        assert byte, "the sweep ended before it was under way"
        seen += byte
    child.send_signal(signal.SIGINT)
    # Run to the end, the 50,000 points would take minutes; cancelled, the child ends with
    # the points that were running.
    out, err = child.communicate(timeout=60)
    assert child.returncode == 0 and out == b"interrupted\n"
    done = int((seen + err).rsplit(b"sweep: ", 1)[1].split(b"/")[0])
    assert done < 50000


@pytest.mark.parametrize("name", ["robot_a_circle.dat", "robot_b_sine.dat"])
def test_a_saved_case_reads_back_to_the_same_run(name, tmp_path):
    from test_hybridsim import SRC
    sim = hybridsim.Simulator.from_file(os.path.join(SRC, "examples", name))
    run = sim.run()
    sim.save_case(tmp_path / "next.dat")
    run.save_case(tmp_path / "run.dat")
    again = hybridsim.Simulator.from_file(tmp_path / "run.dat")
    assert again.run().csv() == run.csv()
    again.save_case(tmp_path / "again.dat")
    assert (tmp_path / "again.dat").read_bytes() == (tmp_path / "run.dat").read_bytes() \
        == (tmp_path / "next.dat").read_bytes()
    with pytest.raises(OSError, match="no.such"):
        run.save_case(tmp_path / "no.such" / "x.dat")
