"""Builds the compiled part of the Python package, _varno96, with the project's CMake: only the
module's target, without the programs, their tests, diagrams or manual pages; the pure-Python
files are the package python/varno96. The package's version is project(VERSION) in
CMakeLists.txt.

    pip install .                                   (with an index: pybind11 and cmake from it)
    pip install --no-index --no-build-isolation .   (offline: Debian's cmake, pybind11-dev)

CMAKE_BUILD_PARALLEL_LEVEL sets the build's jobs, VARNO96_CMAKE_ARGS adds options to CMake.
"""

import os
import re
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))


def project_version():
    with open(os.path.join(HERE, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"^project\(\s*varno96\s+VERSION\s+([0-9][0-9.]*)", f.read(), re.M)
    if not found:
        raise RuntimeError("CMakeLists.txt: no project(varno96 VERSION ...)")
    return found.group(1)


class CMakeExtension(Extension):
    """A module built by CMake's target `target` rather than by setuptools' compiler."""

    def __init__(self, name, target):
        super().__init__(name, sources=[])
        self.target = target


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        config = "Debug" if self.debug else "Release"
        args = [
            f"-DCMAKE_BUILD_TYPE={config}",
            f"-DPython3_EXECUTABLE={sys.executable}",
            "-DVARNO96_PROGRAMS=OFF",
            "-DVARNO96_TESTS=OFF",
            "-DVARNO96_PLOT=OFF",
            "-DVARNO96_MANPAGES=OFF",
            "-DVARNO96_PYTHON=ON",
        ]
        try:  # pybind11 from the index, in the build's environment; else the system's CMake files
            import pybind11
            args.append(f"-Dpybind11_DIR={pybind11.get_cmake_dir()}")
        except ImportError:
            pass
        args += shlex.split(os.environ.get("VARNO96_CMAKE_ARGS", ""))
        build = ["--build", build_dir, "--target", ext.target, "--config", config]
        if "CMAKE_BUILD_PARALLEL_LEVEL" not in os.environ and self.parallel:
            build += ["-j", str(self.parallel)]
        os.makedirs(build_dir, exist_ok=True)
        cmake = shutil.which("cmake") or "cmake"
        subprocess.run([cmake, "-S", HERE, "-B", build_dir, *args], check=True)
        subprocess.run([cmake, *build], check=True)
        # The module lands in the build's package folder, python/varno96.
        built_dir = os.path.join(build_dir, "python", "varno96")
        suffix = os.path.splitext(self.get_ext_filename(ext.name))[1]
        built = [f for f in os.listdir(built_dir)
                 if f.startswith(ext.name.rsplit(".", 1)[-1] + ".") and f.endswith(suffix)]
        if len(built) != 1:
            raise RuntimeError(f"{built_dir}: no single module {ext.name}: {built}")
        target = self.get_ext_fullpath(ext.name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(built_dir, built[0]), target)


setup(
    version=project_version(),
    ext_modules=[CMakeExtension("varno96._varno96", target="_varno96")],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
