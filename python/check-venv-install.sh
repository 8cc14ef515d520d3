#!/usr/bin/env bash
# Installs the Python package the way the README says, into a fresh virtual environment and
# without network (pip --no-index, no build isolation: CMake, pybind11 and NumPy come from the
# machine), then imports it from another directory and prints a peak list with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

/usr/bin/python3 -m venv --system-site-packages "$tmp/venv"
"$tmp/venv/bin/pip" install --quiet --no-index --no-build-isolation "$root"

cd "$tmp"
"$tmp/venv/bin/python" -c 'import ostrapuremath; print("import ostrapuremath from", ostrapuremath.__file__)'
"$tmp/venv/bin/python" -m ostrapuremath "$root/tests/data/maldi_A1-0_A1.csv" >peaks.csv
peaks=$(($(wc -l <peaks.csv) - 1))
if [ "$peaks" -lt 1 ]; then
    echo "check-venv-install: no peaks printed" >&2
    exit 1
fi
echo "check-venv-install: installed in a fresh venv; python -m ostrapuremath printed $peaks peaks"
