"""The Dask example on a 2-worker local cluster over a few synthetic spectra."""

import io
import os
import subprocess
import sys
from pathlib import Path

import numpy as np

import ostrapuremath as opm
from synthetic import synthetic_spectrum

EXAMPLE = Path(__file__).resolve().parent.parent / "examples" / "dask_peaks.py"


def test_dask_example_writes_every_peak_list(tmp_path):
    spectra, out = tmp_path / "spectra", tmp_path / "peaks"
    spectra.mkdir()
    expected = {}
    for seed in range(3):
        mz, intensity, truth = synthetic_spectrum(seed, samples=5000, peaks=4)
        np.savetxt(spectra / f"s{seed}.csv", np.c_[mz, intensity], delimiter=",")
        stream = io.StringIO()
        opm.write_peaks(stream, opm.find_peaks(mz, intensity))
        expected[f"s{seed}.peaks.csv"] = stream.getvalue()
        assert stream.getvalue().count("\n") == len(truth) + 1
    # Run as a user runs it: a script in a process of its own, which starts the cluster.
    run = subprocess.run([sys.executable, str(EXAMPLE), str(spectra), str(out), "--workers", "2"],
                         capture_output=True, text=True, timeout=300, env=dict(os.environ))
    assert run.returncode == 0, run.stderr
    lines = [f"s{seed}.csv: 5000 samples, 4 peaks" for seed in range(3)]
    assert sorted(run.stdout.splitlines()) == lines
    assert {path.name: path.read_text() for path in out.iterdir()} == expected
