"""The spectrum functions on synthetic spectra whose peaks are known."""

import io
import math

import numpy as np
import pytest

import ostrapuremath as opm
from ostrapuremath.__main__ import main
from synthetic import synthetic_spectrum

FIELDS = ["apex_mz", "centroid_mz", "height", "area", "fwhm", "snr"]
FWHM_PER_SIGMA = 2.0 * math.sqrt(2.0 * math.log(2.0))


@pytest.mark.parametrize("seed", [1, 2, 3])
def test_find_peaks_recovers_known_peaks(seed):
    mz, intensity, truth = synthetic_spectrum(seed, noise=5.0)
    peaks = opm.find_peaks(mz, intensity, snr=10.0)
    assert set(FIELDS) <= set(peaks.dtype.names)
    assert len(peaks) == len(truth)  # every peak found, nothing else
    sigma = truth["sigma"]
    # Smoothing widens the peaks by 1-4 % and the base at 5 % of the height leaves ~1.4 % of
    # each Gaussian's area outside; the noise (5) moves the apex by a fraction of a sample.
    assert np.all(np.abs(peaks["apex_mz"] - truth["centre"]) < 0.15 * sigma)
    assert np.all(np.abs(peaks["centroid_mz"] - truth["centre"]) < 0.03 * sigma)
    assert np.allclose(peaks["height"], truth["height"], rtol=0.05)
    assert np.allclose(peaks["fwhm"], FWHM_PER_SIGMA * sigma, rtol=0.05)
    assert np.allclose(peaks["area"], truth["height"] * sigma * math.sqrt(2 * math.pi), rtol=0.04)
    assert np.allclose(peaks["snr"], truth["height"] / 5.0, rtol=0.25)
    analysis = opm.analyse_spectrum(mz, intensity, snr=10.0)
    assert np.array_equal(analysis.peaks, peaks)
    assert analysis.smoothed.shape == analysis.baseline.shape == analysis.noise.shape == mz.shape


def test_measure_windows_finds_known_apexes():
    """Windows of 13 samples around noise-free Gaussians on a non-uniform axis."""
    samples = np.arange(260.0)
    centres = np.array([40.3, 100.45, 160.7, 220.15])
    x = 500.0 + 0.1 * samples + 1e-5 * samples**2
    y = sum(100.0 * np.exp(-0.5 * ((samples - c) / 2.5) ** 2) for c in centres)
    first = np.round(centres).astype(int) - 6
    found = opm.measure_windows(x, y, first, first + 12)
    assert found.dtype.names == ("apex_x", "apex_y", "centroid_x", "area", "apex_found")
    assert found["apex_found"].all()
    assert np.allclose(found["apex_x"], np.interp(centres, samples, x), atol=2e-3)
    assert np.allclose(found["centroid_x"], np.interp(centres, samples, x), atol=2e-3)
    assert np.allclose(found["apex_y"], 100.0, rtol=1e-3)


def test_command_line_prints_the_peak_list(tmp_path, capsys):
    mz, intensity, truth = synthetic_spectrum(4)
    path = tmp_path / "spectrum.csv"
    np.savetxt(path, np.c_[mz, intensity], delimiter=",", header="mz,intensity", comments="")
    assert main([str(path)]) == 0
    expected = io.StringIO()
    opm.write_peaks(expected, opm.find_peaks(mz, intensity))
    printed = capsys.readouterr().out
    assert printed == expected.getvalue()
    assert len(printed.splitlines()) == len(truth) + 1
    path.write_text("mz,intensity\n1000,5\n1000.2,x\n")
    assert main([str(path)]) == 2
    assert "line 3" in capsys.readouterr().err
