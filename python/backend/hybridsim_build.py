"""The build backend pip calls for this package: setuptools' own (Debian's python3-setuptools),
after two checks that turn the usual failures into messages that say what to do.

- pip's build isolation (the default) sets up an environment without the interpreter's
  packages and fetches setuptools from an index; offline that fails after retries, and the
  module needs the interpreter's NumPy and Debian's pybind11 anyway: `--no-build-isolation`.
- The extension is built for the interpreter that runs pip; Debian's packages serve
  /usr/bin/python3, so a venv made from another Python (pyenv, conda, a build of one's
  own) has no NumPy and often no wheel.
"""
import os
import sys

# How to make an environment the build works in.
HOWTO = ("make the environment from Debian's interpreter and install from it:\n"
         "    /usr/bin/python3 -m venv --system-site-packages VENV\n"
         "    VENV/bin/pip install --no-build-isolation .")


def _refuse(text):
    sys.stderr.write(f"\nhybridsim: {text}\n\n")
    sys.stderr.flush()
    raise SystemExit(1)


try:
    from setuptools import build_meta as _meta
except ImportError:
    _refuse("pip's build isolation is on: the build needs the interpreter's own setuptools, "
            "NumPy and Debian's pybind11, and fetches nothing. Install with\n"
            "    pip install --no-build-isolation .\n"
            f"(the interpreter running pip: {sys.executable}). If that fails too, {HOWTO}")


def _check():
    """Refuses an interpreter the module cannot be built for, naming what it lacks."""
    missing = []
    for module in ("numpy", "wheel"):
        try:
            __import__(module)
        except ImportError:
            missing.append(module)
    if missing:
        _refuse(f"the module is built for the interpreter that runs pip, {sys.executable} "
                f"(Python {sys.version.split()[0]}), and it has no {' and no '.join(missing)}. "
                f"Debian's packages (python3-numpy, pybind11-dev, python3-setuptools) serve "
                f"/usr/bin/python3: {HOWTO}")
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        base = os.path.realpath(getattr(sys, "_base_executable", sys.executable))
        if not base.startswith("/usr/bin/"):
            sys.stderr.write(f"hybridsim: building for {sys.executable} (Python "
                             f"{sys.version.split()[0]}), not Debian's /usr/bin/python3; "
                             "if the build fails, " + HOWTO + "\n")


def _checked(hook):
    """A hook of setuptools' backend that checks the interpreter first (pip calls some of
    them, not all, depending on its options)."""
    def call(*args, **kwargs):
        _check()
        return hook(*args, **kwargs)
    call.__name__ = hook.__name__
    return call


get_requires_for_build_wheel = _checked(_meta.get_requires_for_build_wheel)
get_requires_for_build_editable = _checked(_meta.get_requires_for_build_editable)
prepare_metadata_for_build_wheel = _checked(_meta.prepare_metadata_for_build_wheel)
prepare_metadata_for_build_editable = _checked(_meta.prepare_metadata_for_build_editable)
build_wheel = _checked(_meta.build_wheel)


def _editable(wheel_directory, config_settings=None, metadata_directory=None):
    """pip install -e: setuptools' strict mode (a link tree in build/, which setup.py fills
    with the module and its catalogs) unless the caller asks for another mode."""
    settings = dict(config_settings or {})
    if "editable-mode" not in settings:
        settings.setdefault("editable_mode", "strict")
    return _meta.build_editable(wheel_directory, settings, metadata_directory)


_editable.__name__ = "build_editable"
build_editable = _checked(_editable)
get_requires_for_build_sdist = _meta.get_requires_for_build_sdist
build_sdist = _meta.build_sdist
