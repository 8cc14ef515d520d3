"""Synthetic profile spectra with known peaks, for the tests and the benchmark."""

import numpy as np


def synthetic_spectrum(seed, samples=20000, peaks=12, noise=5.0):
    """A profile with `peaks` Gaussian peaks on a falling baseline plus Gaussian noise.

    Returns (mz, intensity, truth): mz increases with a slowly growing step (about
    0.2 to 0.26); truth is a structured array of the peaks' centre, height (above
    the baseline) and sigma, in ascending centre, the peaks at least 40 sigma apart.
    """
    rng = np.random.default_rng(seed)
    i = np.arange(samples, dtype=np.float64)
    mz = 1000.0 + 0.2 * i + 3e-7 * i * i
    span = mz[-1] - mz[0]
    slots = rng.choice(np.arange(1, 2 * peaks), size=peaks, replace=False)
    slot_width = span / (2 * peaks)
    centres = np.sort(mz[0] + slots * slot_width + rng.uniform(-0.1, 0.1, peaks) * slot_width)
    truth = np.zeros(peaks, dtype=[("centre", "f8"), ("height", "f8"), ("sigma", "f8")])
    truth["centre"] = centres
    truth["height"] = rng.uniform(40.0, 600.0, peaks) * noise
    truth["sigma"] = rng.uniform(0.8, 1.6, peaks)
    intensity = 200.0 * np.exp(-(mz - mz[0]) / (0.4 * span)) + 50.0
    for centre, height, sigma in truth:
        intensity += height * np.exp(-0.5 * ((mz - centre) / sigma) ** 2)
    intensity += rng.normal(0.0, noise, samples)
    return mz, intensity, truth
