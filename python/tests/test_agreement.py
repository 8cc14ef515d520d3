"""Agreement with SciPy and NumPy on seeded random, well-conditioned data; the end conditions;
input conversion."""

import numpy as np
import pytest
import scipy.interpolate
import scipy.stats

import ostrapuremath as opm

SEEDS = [1, 2, 3]


def assert_close(actual, expected, rel=1e-12):
    """max |actual - expected| <= rel * max |expected| (relative to the result's scale)."""
    actual, expected = np.asarray(actual, dtype=float), np.asarray(expected, dtype=float)
    assert actual.shape == expected.shape
    scale = np.max(np.abs(expected))
    assert np.max(np.abs(actual - expected)) <= rel * scale, (actual, expected)


def knots(seed, n=12):
    rng = np.random.default_rng(seed)
    x = np.cumsum(rng.uniform(0.5, 1.5, n))
    return x, rng.uniform(-2.0, 2.0, n), rng


# bc, SciPy's bc_type (None: built from our own end slopes in the test), d1
SPLINE_ENDS = [
    ("natural", "natural", None),
    ("not-a-knot", "not-a-knot", None),
    ("clamped", ((1, 0.7), (1, -1.3)), (0.7, -1.3)),
]


@pytest.mark.parametrize("seed", SEEDS)
@pytest.mark.parametrize("bc, scipy_bc, d1", SPLINE_ENDS)
def test_spline_agrees_with_scipy(seed, bc, scipy_bc, d1):
    x, y, rng = knots(seed)
    ours = opm.CubicSpline(x, y, bc=bc, d1=d1)
    peer = scipy.interpolate.CubicSpline(x, y, bc_type=scipy_bc)
    at = rng.uniform(x[0], x[-1], 50)
    assert_close(ours(at), peer(at))
    assert_close(ours.slope(at), peer(at, 1))
    assert_close(ours.second_derivatives, peer(x, 2))
    a, b = np.sort(rng.uniform(x[0], x[-1], 2))
    assert_close(ours.integral(a, b), peer.integrate(a, b))


@pytest.mark.parametrize("seed", SEEDS)
def test_parabolic_ends(seed):
    """Parabolic run-out: M[0] = M[1] and M[-1] = M[-2]."""
    m = opm.CubicSpline(*knots(seed)[:2], bc="parabolic").second_derivatives
    assert_close(m[[0, -1]], m[[1, -2]])


def test_spline_searches():
    """maximum, solve and centroid on a peak sampled at sample numbers, against SciPy's spline."""
    x = np.arange(13.0)
    ours = opm.CubicSpline(x, 50.0 * np.exp(-0.5 * ((x - 6.3) / 2.0) ** 2))
    peer = scipy.interpolate.CubicSpline(x, ours.values, bc_type="natural")
    turning = peer.derivative().roots()
    apex, height = ours.maximum(0.0, 12.0)
    assert_close(apex, turning[np.argmin(np.abs(turning - 6.3))])
    assert_close(height, peer(apex))
    assert abs(ours.solve(25.0, 6.3, 12.0) - peer.solve(25.0)[-1]) < 1e-9
    centre, area = ours.centroid(0.0, 12.0)
    assert_close(area, peer.integrate(0.0, 12.0))
    assert abs(peer.integrate(0.0, centre) - area / 2) <= 1e-6 * area
    assert ours.maximum(0.0, 3.0) is None  # rising all the way: highest at the window's end


@pytest.mark.parametrize("seed", SEEDS)
@pytest.mark.parametrize("columns", [None, 3])
def test_lstsq_agrees_with_numpy(seed, columns):
    rng = np.random.default_rng(seed)
    a = rng.normal(size=(30, 6))
    b = rng.normal(size=30 if columns is None else (30, columns))
    x, rank, singular, residual = opm.lstsq(a, b)
    x_np, residual_np, rank_np, singular_np = np.linalg.lstsq(a, b, rcond=None)
    assert rank == rank_np == 6
    assert_close(x, x_np)
    assert_close(singular, singular_np)
    assert_close(residual, residual_np if columns else residual_np[0])


@pytest.mark.parametrize("seed", SEEDS)
def test_polynomials_agree_with_numpy(seed):
    rng = np.random.default_rng(seed)
    x = np.linspace(-1.0, 1.0, 40)
    c = rng.normal(size=4)
    y = np.polynomial.polynomial.polyval(x, c) + rng.normal(0.0, 0.01, x.size)
    assert_close(opm.polyfit(x, y, 3), np.polynomial.polynomial.polyfit(x, y, 3))
    assert_close(opm.polyval(c, x), np.polynomial.polynomial.polyval(x, c))
    true_roots = np.sort(rng.uniform(-3.0, 3.0, 4))
    quartic = np.polynomial.polynomial.polyfromroots(true_roots)
    assert_close(opm.roots(quartic), true_roots)
    cubic = np.polynomial.polynomial.polyfromroots(true_roots[:3])
    turning = np.sort(np.polynomial.polynomial.polyroots(np.polynomial.polynomial.polyder(cubic)))
    assert_close(opm.extrema(cubic), turning)


@pytest.mark.parametrize("seed", SEEDS)
@pytest.mark.parametrize("n", [7, 8])
def test_statistics_agree_with_numpy(seed, n):
    rng = np.random.default_rng(seed)
    a, b = rng.normal(5.0, 2.0, n), rng.normal(size=n)
    assert opm.median(a) == np.median(a)
    assert_close(opm.std(a), np.std(a, ddof=1))
    assert_close(opm.std(a, one_pass=True), np.std(a, ddof=1), rel=1e-10)
    assert_close(opm.rms(a), np.sqrt(np.mean(a * a)))
    line = scipy.stats.linregress(b, 2.0 * b + a)
    assert_close(opm.fit_line(b, 2.0 * b + a), (line.intercept, line.slope, line.rvalue))


def smooth_reference(y, half_width, passes):
    """The documented kernel: weights exp(-k^2 / (2 sigma^2)), sigma = half_width / 2, truncated
    and renormalised at the ends."""
    k = np.arange(-half_width, half_width + 1)
    weights = np.exp(-(k**2) / (2.0 * (half_width / 2.0) ** 2))
    for _ in range(passes):
        total = np.convolve(y, weights, mode="same")
        y = total / np.convolve(np.ones_like(y), weights, mode="same")
    return y


@pytest.mark.parametrize("half_width, passes", [(1, 1), (3, 2)])
def test_gauss_smooth_follows_its_kernel(half_width, passes):
    y = np.random.default_rng(4).normal(size=40)
    smoothed = opm.gauss_smooth(y, half_width, passes)
    assert_close(smoothed, smooth_reference(y, half_width, passes))
    assert not np.shares_memory(smoothed, y)


def views(values):
    """The same numbers in layouts and types that must all be read as the float64 values."""
    doubled = np.repeat(values, 2)
    return {
        "list": list(values),
        "strided": doubled[::2],
        "reversed": values[::-1].copy()[::-1],
        "big-endian": values.astype(">f8"),
        "float32": values.astype(np.float32),
        "int64": values.astype(np.int64),
    }


@pytest.mark.parametrize("layout", list(views(np.zeros(1))))
def test_inputs_are_converted_not_misread(layout):
    values = np.array([3.0, 8.0, 13.0, 21.0, 34.0, 55.0, 89.0, 144.0, 233.0])  # exact in each type
    given = views(values)[layout]
    assert opm.median(given) == opm.median(values)
    spline = opm.CubicSpline(given, np.sqrt(values))
    reference = opm.CubicSpline(values, np.sqrt(values))
    assert np.array_equal(spline(values + 0.5), reference(values + 0.5))
    a = np.asfortranarray(np.vander(values, 3))
    assert np.array_equal(opm.lstsq(a, given)[0], opm.lstsq(np.ascontiguousarray(a), values)[0])
