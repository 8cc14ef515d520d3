"""OstraPureMath for NumPy arrays: the library's numerics for mass-spectrometry programs.

Every function takes array-likes of real numbers (lists, NumPy arrays of any real
dtype, non-contiguous views: all converted to contiguous float64, never
reinterpreted), indexes from 0, and returns NumPy arrays or plain Python values,
bit for bit the results of the library's C++ interface. Each call releases the
GIL while it computes, so threads run in parallel.

Cubic splines     CubicSpline(x, y, bc='natural' | 'parabolic' | 'not-a-knot' | 'clamped', d1=None)
Linear algebra    lstsq(a, b, tol=0.0)
Polynomials       polyval(c, x), roots(c), extrema(c), polyfit(x, y, deg)
                  (coefficients in ascending powers)
Statistics        median(a), std(a), rms(a), fit_line(x, y), gauss_smooth(y, half_width, passes=1)
Spectra           find_peaks(mz, intensity, snr=10.0, ...), analyse_spectrum(...),
                  snip_baseline(y, ...), moving_minimum_baseline(y, window),
                  local_noise(y, window=1001),
                  measure_windows(x, y, first, last) (apex and centroid of many peaks)
Files             read_spectrum(path) reads a two-column CSV profile, write_peaks(stream,
                  peaks) writes a peak list (python -m ostrapuremath SPECTRUM.csv does both)

Failures raise ostrapuremath.Error subclasses: InvalidArgumentError, DegenerateError
and NotConvergedError are also ValueErrors, OutOfMemoryError a MemoryError.
"""

from ._core import (
    CubicSpline,
    DegenerateError,
    Error,
    InvalidArgumentError,
    NotConvergedError,
    OutOfMemoryError,
    SpectrumAnalysis,
    analyse_spectrum,
    extrema,
    find_peaks,
    fit_line,
    gauss_smooth,
    local_noise,
    lstsq,
    measure_windows,
    median,
    moving_minimum_baseline,
    polyfit,
    polyval,
    rms,
    roots,
    snip_baseline,
    std,
)
from ._csv import read_spectrum, write_peaks

__all__ = [
    "CubicSpline",
    "DegenerateError",
    "Error",
    "InvalidArgumentError",
    "NotConvergedError",
    "OutOfMemoryError",
    "SpectrumAnalysis",
    "analyse_spectrum",
    "extrema",
    "find_peaks",
    "fit_line",
    "gauss_smooth",
    "local_noise",
    "lstsq",
    "measure_windows",
    "median",
    "moving_minimum_baseline",
    "polyfit",
    "polyval",
    "read_spectrum",
    "rms",
    "roots",
    "snip_baseline",
    "std",
    "write_peaks",
]
