"""Build backend of the Python package (PEP 517): CMake builds it, this file zips it into a wheel.

`pip install --no-build-isolation .` at the repository's root calls build_wheel below, which
  1. configures the CMake project in build/wheel with the calling interpreter
     (-DPython3_EXECUTABLE=sys.executable) and only the Python package switched on,
  2. builds the extension module and the libraries it needs,
  3. installs the CMake component `python` (the package directory ostrapuremath/ with the
     extension and, beside it, the libraries it loads) into a staging directory,
  4. zips that directory into a wheel with its metadata.
Nothing is downloaded: the build needs CMake, a C++ compiler, pybind11 and NumPy from the
machine. The config setting build-dir (pip -C build-dir=DIR) chooses another build directory.
"""

import base64
import hashlib
import io
import os
import re
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import tomllib
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
NAME = "ostrapuremath"


def _version():
    """The project version, from the project() call in the top-level CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(\s*OstraPureMath\s+VERSION\s+([0-9.]+)", text).group(1)


def _metadata(version):
    """The METADATA file, from the [project] table of pyproject.toml."""
    project = tomllib.loads((ROOT / "pyproject.toml").read_text())["project"]
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {version}",
        f"Summary: {project['description']}",
        f"Requires-Python: {project['requires-python']}",
    ]
    lines += [f"Requires-Dist: {requirement}" for requirement in project["dependencies"]]
    return "\n".join(lines) + "\n"


def _tag():
    """The wheel tag of the running interpreter: cpXY-cpXY-<platform>."""
    python = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{python}-{python}-{platform}"


def _build(build_dir, staging):
    """Configures, builds and installs the package directory into `staging`."""
    jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir),
                    "-DCMAKE_BUILD_TYPE=Release", f"-DPython3_EXECUTABLE={sys.executable}",
                    "-DOPM_BUILD_PYTHON=ON", "-DOPM_BUILD_TESTS=OFF", "-DOPM_BUILD_BENCH=OFF",
                    "-DOPM_BUILD_EXAMPLES=OFF"], check=True)
    subprocess.run(["cmake", "--build", str(build_dir), "--target", "opm_python",
                    "--parallel", jobs], check=True)
    subprocess.run(["cmake", "--install", str(build_dir), "--component", "python",
                    "--prefix", str(staging)], check=True)


def _record_line(archive_name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{archive_name},sha256={digest},{len(data)}"


def _write_wheel(path, staging, version, tag):
    """Zips staging/ostrapuremath and the dist-info into the wheel at `path`."""
    dist_info = f"{NAME}-{version}.dist-info"
    extra = {
        f"{dist_info}/METADATA": _metadata(version).encode(),
        f"{dist_info}/WHEEL": (f"Wheel-Version: 1.0\nGenerator: {NAME} cmake_wheel\n"
                               f"Root-Is-Purelib: false\nTag: {tag}\n").encode(),
    }
    record = []
    with zipfile.ZipFile(path, "w", compression=zipfile.ZIP_DEFLATED) as wheel:
        for file in sorted((staging / NAME).rglob("*")):
            if file.is_file():
                name = file.relative_to(staging).as_posix()
                data = file.read_bytes()
                wheel.write(file, name)
                record.append(_record_line(name, data))
        for name, data in extra.items():
            wheel.writestr(name, data)
            record.append(_record_line(name, data))
        record.append(f"{dist_info}/RECORD,,")
        wheel.writestr(f"{dist_info}/RECORD", "\n".join(record) + "\n")


def get_requires_for_build_wheel(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    settings = config_settings or {}
    build_dir = Path(settings.get("build-dir", ROOT / "build" / "wheel")).resolve()
    version = _version()
    tag = _tag()
    with tempfile.TemporaryDirectory() as staging:
        _build(build_dir, Path(staging))
        wheel_name = f"{NAME}-{version}-{tag}.whl"
        _write_wheel(Path(wheel_directory) / wheel_name, Path(staging), version, tag)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    """A source archive: the files git tracks, and PKG-INFO."""
    version = _version()
    base = f"{NAME}-{version}"
    tracked = subprocess.run(["git", "-C", str(ROOT), "ls-files", "-z"], check=True,
                             capture_output=True).stdout.decode().split("\0")
    archive = f"{base}.tar.gz"
    with tarfile.open(Path(sdist_directory) / archive, "w:gz") as sdist:
        for name in filter(None, tracked):
            sdist.add(ROOT / name, f"{base}/{name}", recursive=False)
        info = _metadata(version).encode()
        member = tarfile.TarInfo(f"{base}/PKG-INFO")
        member.size = len(info)
        sdist.addfile(member, io.BytesIO(info))
    return archive
