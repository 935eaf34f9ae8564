"""`pip install .` from the project's root, offline, into a fresh virtual environment: the
package builds with the project's CMake and imports there, with the version of CMakeLists.txt in
its metadata. Run by ctest's python_install (a build of several minutes)."""

import importlib.util
import os
import re
import shutil
import subprocess
import sys

import pytest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

pytestmark = [
    pytest.mark.install,
    pytest.mark.skipif(importlib.util.find_spec("ensurepip") is None
                       or importlib.util.find_spec("venv") is None,
                       reason="no venv with pip for this interpreter (Debian: python3-venv)"),
    pytest.mark.skipif(shutil.which("cmake") is None, reason="no cmake"),
]


def test_pip_install_offline_into_a_venv(tmp_path):
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        version = re.search(r"project\(varno96 VERSION ([0-9.]+)", f.read()).group(1)
    # A copy of the sources, so that the build leaves nothing in the checkout.
    source = tmp_path / "varno96"
    shutil.copytree(ROOT, source, ignore=shutil.ignore_patterns(
        "build*", ".git", "node_modules", "*.egg-info", "__pycache__"))
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True)
    python = str(venv / "bin" / "python")
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHONHOME")}
    env.setdefault("CMAKE_BUILD_PARALLEL_LEVEL", "2")
    run = subprocess.run([python, "-m", "pip", "install", "--no-index", "--no-build-isolation",
                          str(source)], env=env, cwd=tmp_path, capture_output=True, text=True)
    assert run.returncode == 0, run.stdout[-3000:] + run.stderr[-3000:]
    check = ("import importlib.metadata as m, varno96; "
             "print(m.version('varno96'), varno96.__version__, varno96.__file__); "
             "r = varno96.compute(%r, model=7, temperature=650); print(len(r))"
             % os.path.join(ROOT, "examples", "SUITE.PRN"))
    out = subprocess.run([python, "-W", "ignore", "-c", check], env=env, cwd=tmp_path,
                         capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    meta, module, path, rows = out.stdout.split()
    assert meta == module == version
    assert path.startswith(str(venv)) and int(rows) == 7
