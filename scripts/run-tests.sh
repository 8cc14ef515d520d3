#!/usr/bin/env bash
# Builds and runs every test: installs what is missing, then runs each workflow preset in turn (the
# release one runs the Python tests too), then installs the Python package into a fresh venv.
# Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --workflow --preset release
cmake --workflow --preset asan
cmake --workflow --preset tsan
cmake --workflow --preset fuzz
# The vector kernels built for the baseline alone give the same bits as the AVX2 clones.
cmake --workflow --preset baseline
# Windows: the x64 DLLs built with MinGW-w64 and every test run under Wine; the x86 build is a
# compile check (no 32-bit code runs on these machines).
cmake --workflow --preset windows-x64
cmake --preset windows-x86
cmake --build --preset windows-x86
# The Python package installs into a fresh virtual environment, offline, and imports.
bash python/check-venv-install.sh
