#!/usr/bin/env bash
# Builds and runs every test: installs what is missing, then runs each workflow preset in turn.
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
