"""Builds the extension hybridsim._core with the project's CMake build, for the interpreter
that runs pip, in build/pip/ (kept, so a second install builds only what changed)."""
import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def _terminal():
    """The user's terminal, which pip does not capture (None without one): the build tells
    its progress there, the whole CMake output going to pip's log (pip -v shows it)."""
    try:
        return open("/dev/tty", "w")
    except OSError:
        return None


def _run(command, tty):
    """Runs a build step; its lines go to standard output, and CMake's progress ("[ 45%]")
    to the terminal on one line."""
    with subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace") as step:
        for line in step.stdout:
            sys.stdout.write(line)
            if tty and line.startswith("["):
                tty.write(f"\rhybridsim: {line.strip()[:70]:<70}")
                tty.flush()
    if step.returncode:
        raise subprocess.CalledProcessError(step.returncode, command)


class CMakeBuild(build_ext):
    # The files the build wrote beside the package: the module and its message catalogs.
    built = ()

    def build_extension(self, ext):
        build = ROOT / "build" / "pip" / f"py{sys.version_info[0]}{sys.version_info[1]}"
        tty = _terminal()
        note = (f"hybridsim: building the C++ module with CMake in {build} for {sys.executable}"
                " (the first build takes a few minutes; later ones only what changed)\n")
        sys.stdout.write(note)
        if tty:
            tty.write(note)
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        try:
            _run(["cmake", "-S", str(ROOT), "-B", str(build), *generator,
                  "-DCMAKE_BUILD_TYPE=Release", "-DHYBRIDSIM_BENCH=OFF",
                  f"-DHYBRIDSIM_PYTHON_EXECUTABLE={sys.executable}",
                  *os.environ.get("CMAKE_ARGS", "").split()], tty)
            _run(["cmake", "--build", str(build), "--target", "hybridsim_python", "catalogs",
                  "-j", str(os.cpu_count() or 1)], tty)
        finally:
            if tty:
                tty.write("\n")
                tty.close()
        built = next((build / "python" / "hybridsim").glob("_core*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)
        # The message catalogs, found beside the module (English texts).
        shutil.copytree(built.parent / "locale", target.parent / "locale", dirs_exist_ok=True)
        self.built = [str(target)] + sorted(str(p) for p in (target.parent / "locale").rglob("*")
                                            if p.is_file())

    # An editable install (pip install -e .) is a link tree in build/: the sources linked,
    # the module and its catalogs copied there. Nothing is built into the source folders, so
    # the catalogs travel with the module and pip uninstall leaves the sources as they were.
    def copy_extensions_to_source(self):
        pass

    def get_output_mapping(self):
        return {}

    def get_outputs(self):
        return list(self.built) or super().get_outputs()


# setuptools' own scratch files go under build/pip/ too, none into the source folders.
(ROOT / "build" / "pip").mkdir(parents=True, exist_ok=True)
setup(ext_modules=[Extension("hybridsim._core", sources=[])], cmdclass={"build_ext": CMakeBuild},
      options={"build": {"build_base": "build/pip/setuptools"}, "egg_info": {"egg_base": "build/pip"}})
