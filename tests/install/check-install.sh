#!/usr/bin/env bash
# Installs the release build into a temporary prefix and builds programs against it twice:
# through the CMake package (find_package(OstraPureMath CONFIG)) and through pkg-config: one on
# the compatible interface (main.cpp), and the README's usage examples, one on opm:: alone
# (examples/usage/usage.cpp) and one in C11 on the C interface alone (usage.c). Each program must
# load the installed libraries, not the build tree's, and run successfully, and the opm:: and C
# programs must print the same results.
# Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/tests/install"
build="$root/build/release"

cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset release
fi
cmake --build --preset release

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix"

# Runs a consumer program; checks that it resolves the library inside the prefix.
run_consumer() {
    local program=$1
    local libraries
    libraries=$(ldd "$program")
    if ! grep "libOstraPureMath.so.* => $prefix/" <<<"$libraries" >/dev/null; then
        echo "check-install: $program does not load libOstraPureMath.so from $prefix" >&2
        echo "$libraries" >&2
        return 1
    fi
    if ! "$program"; then
        # The library loads libTorvik.so from its own directory when it is loaded.
        if [ -e "$build/lib/libTorvik.so" ] && [ -z "$(find "$prefix" -name 'libTorvik.so*')" ]; then
            echo "check-install: libTorvik.so is built but not installed beside the library" >&2
        fi
        return 1
    fi
}

# Runs the opm:: and the C program of one build; they must print the same result.
run_modern_and_c() {
    local modern=$1 c=$2
    run_consumer "$modern" >"$tmp/modern.out"
    run_consumer "$c" >"$tmp/c.out"
    cat "$tmp/c.out"
    if ! diff "$tmp/modern.out" "$tmp/c.out"; then
        echo "check-install: the opm:: and C programs print different results" >&2
        return 1
    fi
}

echo "== CMake package"
cmake -S "$here" -B "$tmp/cmake-consumer" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$tmp/cmake-consumer" >/dev/null
run_consumer "$tmp/cmake-consumer/opm-install-consumer"
run_modern_and_c "$tmp/cmake-consumer/opm-install-modern" "$tmp/cmake-consumer/opm-install-c"

echo "== pkg-config"
pc=$(find "$prefix" -name OstraPureMath.pc)
if [ -z "$pc" ]; then
    echo "check-install: OstraPureMath.pc is not installed" >&2
    exit 1
fi
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046 # the flags are meant to split into words
g++ -std=c++17 -Wall -Wextra -Werror "$here/main.cpp" -o "$tmp/pc-consumer" \
    $(pkg-config --cflags --libs OstraPureMath)
run_consumer "$tmp/pc-consumer"
# shellcheck disable=SC2046
g++ -std=c++17 -Wall -Wextra -Werror "$root/examples/usage/usage.cpp" -o "$tmp/pc-modern" \
    $(pkg-config --cflags --libs OstraPureMath)
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Wpedantic -Werror "$root/examples/usage/usage.c" -o "$tmp/pc-c" \
    $(pkg-config --cflags --libs OstraPureMath) -lm
run_modern_and_c "$tmp/pc-modern" "$tmp/pc-c"

echo "check-install: installed package works through CMake and pkg-config, in C++ and in C"
