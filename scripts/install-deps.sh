#!/usr/bin/env bash
# Installs, by Debian package name, whatever the build and the tests need and the machine lacks.
# Called by scripts/run-tests.sh and by .ci/run; does nothing when everything is present.
set -euo pipefail

packages=(
    # the library, its tests and benchmarks
    cmake g++ pkg-config libgtest-dev libbenchmark-dev liblapack-dev
    # the tsan and fuzz presets: clang with its sanitizer and libFuzzer runtimes
    clang libclang-rt-14-dev
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
