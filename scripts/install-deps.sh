#!/usr/bin/env bash
# Installs, by Debian package name, whatever the build and the tests need and the machine lacks.
# Called by scripts/run-tests.sh and by .ci/run; does nothing when everything is present.
set -euo pipefail

packages=(
    # the library, its tests and benchmarks
    cmake g++ pkg-config libgtest-dev libbenchmark-dev liblapack-dev
    # the tsan and fuzz presets: clang with its sanitizer and libFuzzer runtimes
    clang libclang-rt-14-dev
    # the Windows DLLs (MinGW-w64, POSIX threads) and their tests under Wine, which runs them
    # without a display; GoogleTest's sources and Eigen (the tests' oracle) serve the cross build
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 googletest
    libeigen3-dev
    # the Python package (python/): its build, its tests and its fresh-venv installation
    python3-dev python3-venv pybind11-dev python3-numpy python3-scipy python3-pytest
    python3-dask python3-distributed
)

need=()
for pkg in "${packages[@]}"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${need[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
