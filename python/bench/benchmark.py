"""Benchmark of the Python package against its targets; prints a report, asserts nothing.

    PYTHONPATH=build/release/python /usr/bin/python3 python/bench/benchmark.py [--repeat N]

1. Bits: the package's results against the C interface opm.h (through ctypes on the same loaded
   libOstraPureMath), which runs the C++ layer on the same numbers: every value bit-identical?
   For the spectrum family, which opm.h does not carry, the peak list of the command line
   against the demo program's (opm-demo --peaks, 10 significant digits), when it is built.
2. Agreement with SciPy/NumPy on seeded well-conditioned data (largest error relative to the
   result's scale).
3. Per-call overhead of scalar calls: time of one call minus the per-element time of the same
   work done over a large array in one call.
4. Batch apex and centroid of 10 000 peaks of 13 samples: measure_windows against
   scipy.interpolate.CubicSpline plus scipy.optimize per peak.
5. Thread scaling: find_peaks over a list of spectra, 1 thread against 2 threads.

Timings are medians over repetitions; the machine's load is printed with them.
"""

import argparse
import ctypes
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import timeit
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np
import scipy.interpolate
import scipy.optimize

import ostrapuremath as opm

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
from synthetic import synthetic_spectrum  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent.parent
D = ctypes.POINTER(ctypes.c_double)


def median_time(function, repeat, number=1):
    """Median over `repeat` runs of the time of one call of function (run `number` times each)."""
    return statistics.median(timeit.repeat(function, repeat=repeat, number=number)) / number


def uptime():
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip()


# ---- 1. Bits against the C interface ------------------------------------------------------

def loaded_library():
    """The libOstraPureMath the package loaded, from the process's memory map."""
    for line in Path("/proc/self/maps").read_text().splitlines():
        if "libOstraPureMath" in line:
            return ctypes.CDLL(line.split()[-1])
    raise RuntimeError("libOstraPureMath is not loaded")


class CInterface:
    """The opm.h functions the comparison needs; each raises on a status other than OPM_OK."""

    def __init__(self):
        self.lib = loaded_library()

    def call(self, name, *args):
        status = getattr(self.lib, name)(*args)
        if status != 0:
            raise RuntimeError(f"{name}: status {status}")

    @staticmethod
    def ptr(array):
        return np.ascontiguousarray(array, dtype=np.float64).ctypes.data_as(D)

    def spline(self, x, y, ends, d1, at, window):
        handle = ctypes.c_void_p()
        x, y = np.ascontiguousarray(x), np.ascontiguousarray(y)
        self.call("opm_spline_create", self.ptr(x), self.ptr(y), ctypes.c_size_t(len(x)), ends,
                  ctypes.c_double(d1[0]), ctypes.c_double(d1[1]), ctypes.byref(handle))
        out, a, b = ctypes.c_double(), ctypes.c_double(), ctypes.c_double()
        found = ctypes.c_int()
        results = []
        for name in ("opm_spline_value_any_knot_count", "opm_spline_slope"):
            for t in at:
                self.call(name, handle, ctypes.c_double(t), ctypes.byref(out))
                results.append(out.value)
        lo, hi = (ctypes.c_double(w) for w in window)
        self.call("opm_spline_integral", handle, lo, hi, ctypes.byref(out))
        results.append(out.value)
        self.call("opm_spline_maximum", handle, lo, hi, ctypes.byref(found), ctypes.byref(a),
                  ctypes.byref(b))
        results += [a.value, b.value] if found.value else []
        self.call("opm_spline_centroid", handle, lo, hi, ctypes.byref(a), ctypes.byref(b))
        results += [a.value, b.value]
        self.lib.opm_spline_destroy(handle)
        return results

    def lstsq(self, a, b):
        m, n = a.shape
        x, sv, res = np.zeros(n), np.zeros(n), np.zeros(1)
        rank, converged = ctypes.c_size_t(), ctypes.c_int()
        self.call("opm_least_squares", self.ptr(a), ctypes.c_size_t(m), ctypes.c_size_t(n),
                  self.ptr(b), ctypes.c_size_t(1), ctypes.c_double(0.0), x.ctypes.data_as(D),
                  sv.ctypes.data_as(D), ctypes.byref(rank), res.ctypes.data_as(D),
                  ctypes.byref(converged))
        return list(x) + list(sv) + list(res) + [rank.value]

    def roots(self, name, c, with_y=True):
        out, count = np.zeros(4), ctypes.c_size_t()
        args = [self.ptr(c), ctypes.c_size_t(len(c))] + ([ctypes.c_double(0.0)] if with_y else [])
        self.call(name, *args, out.ctypes.data_as(D), ctypes.byref(count))
        return list(out[: count.value])

    def scalar(self, name, *arrays):
        out = ctypes.c_double()
        args = [self.ptr(a) for a in arrays] + [ctypes.c_size_t(len(arrays[0]))]
        self.call(name, *args, ctypes.byref(out))
        return [out.value]

    def fit_line(self, x, y):
        out = [ctypes.c_double() for _ in range(3)]
        self.call("opm_fit_line", self.ptr(x), self.ptr(y), ctypes.c_size_t(len(x)),
                  *[ctypes.byref(o) for o in out])
        return [o.value for o in out]

    def smooth(self, y, half_width, passes):
        copy = np.array(y, dtype=np.float64)
        self.call("opm_gaussian_smooth", copy.ctypes.data_as(D), ctypes.c_size_t(len(copy)),
                  ctypes.c_int(half_width), ctypes.c_int(passes))
        return list(copy)

    def polyfit(self, x, y, degree):
        out = np.zeros(degree + 1)
        self.call("opm_fit_polynomial", self.ptr(x), self.ptr(y), ctypes.c_size_t(len(x)),
                  ctypes.c_uint(degree), out.ctypes.data_as(D))
        return list(out)


def package_results(seed):
    """(family, package values, C interface values) for one seeded data set."""
    c_api = CInterface()
    rng = np.random.default_rng(seed)
    x = np.cumsum(rng.uniform(0.5, 1.5, 15))
    y = 10.0 * np.exp(-0.5 * ((x - x[7]) / 2.0) ** 2) + rng.uniform(0.0, 0.3, 15)
    at = rng.uniform(x[0], x[-1], 20)
    window = (x[2], x[12])
    rows = []
    for bc, ends, d1 in (("natural", 1, None), ("parabolic", 2, None), ("not-a-knot", 3, None),
                         ("clamped", 4, (0.3, -0.2))):
        s = opm.CubicSpline(x, y, bc=bc, d1=d1)
        maximum = s.maximum(*window)
        ours = list(s(at)) + list(s.slope(at)) + [s.integral(*window)]
        ours += list(maximum) if maximum else []
        ours += list(s.centroid(*window))
        theirs = c_api.spline(x, y, ends, d1 or (0, 0), at, window)
        rows.append((f"CubicSpline {bc}", ours, theirs))
    a, b = rng.normal(size=(25, 5)), rng.normal(size=25)
    sol, rank, sv, res = opm.lstsq(a, b)
    rows.append(("lstsq", list(sol) + list(sv) + [res, rank], c_api.lstsq(a, b)))
    quartic = np.polynomial.polynomial.polyfromroots(np.sort(rng.uniform(-3, 3, 4)))
    rows.append(("roots", list(opm.roots(quartic)),
                 c_api.roots("opm_polynomial_roots_polished", quartic)))
    rows.append(("roots polish=False", list(opm.roots(quartic, polish=False)),
                 c_api.roots("opm_polynomial_roots", quartic)))
    rows.append(("extrema", list(opm.extrema(quartic)),
                 c_api.roots("opm_polynomial_extrema", quartic, with_y=False)))
    rows.append(("polyfit", list(opm.polyfit(x, y, 3)), c_api.polyfit(x, y, 3)))
    samples = rng.normal(3.0, 1.0, 101)
    for name, ours, c_name in (
            ("median", opm.median(samples), "opm_median"),
            ("std", opm.std(samples), "opm_standard_deviation_two_pass"),
            ("std one_pass", opm.std(samples, one_pass=True), "opm_standard_deviation"),
            ("rms", opm.rms(samples), "opm_rms")):
        rows.append((name, [ours], c_api.scalar(c_name, samples)))
    rows.append(("fit_line", list(opm.fit_line(x, y)), c_api.fit_line(x, y)))
    rows.append(("gauss_smooth", list(opm.gauss_smooth(samples, 3, 2)),
                 c_api.smooth(samples, 3, 2)))
    return rows


def report_bits(seeds, demo):
    print("\n1. Bits against the C interface opm.h (the C++ layer through ctypes)")
    totals = {}
    for seed in seeds:
        for family, ours, theirs in package_results(seed):
            ours, theirs = np.asarray(ours, dtype=float), np.asarray(theirs, dtype=float)
            same = ours.shape == theirs.shape and np.array_equal(ours.view(np.uint64),
                                                                 theirs.view(np.uint64))
            count, differ = totals.get(family, (0, 0))
            totals[family] = (count + ours.size, differ + (0 if same else 1))
    for family, (count, differ) in totals.items():
        print(f"   {family:20s} {count:5d} values over {len(seeds)} seeds: "
              f"{'bit-identical' if differ == 0 else f'{differ} data sets DIFFER'}")
    csv = ROOT / "tests" / "data" / "maldi_A1-0_A1.csv"
    if demo and Path(demo).exists():
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([demo, "--csv", str(csv), "--peaks", f"{tmp}/demo.csv", "--svg",
                            f"{tmp}/demo.svg"], check=True, capture_output=True)
            cli = subprocess.run([sys.executable, "-m", "ostrapuremath", str(csv), "--snr", "6"],
                                 check=True, capture_output=True, text=True).stdout
            same = cli == Path(f"{tmp}/demo.csv").read_text()
            print(f"   find_peaks: peak list of the real profile ({cli.count(chr(10)) - 1} peaks) "
                  f"{'the same text' if same else 'DIFFERS'} as opm-demo --peaks (10 digits)")
    else:
        print("   find_peaks: opm-demo not found, spectrum comparison skipped")


# ---- 2. Agreement with SciPy and NumPy ----------------------------------------------------

def relative_error(ours, reference):
    ours, reference = np.asarray(ours, dtype=float), np.asarray(reference, dtype=float)
    return float(np.max(np.abs(ours - reference)) / np.max(np.abs(reference)))


def report_agreement(seeds):
    print(f"\n2. Agreement with SciPy/NumPy: largest error relative to the result's scale, "
          f"{len(seeds)} seeds")
    worst = {}

    def note(name, error):
        worst[name] = max(worst.get(name, 0.0), error)

    for seed in seeds:
        rng = np.random.default_rng(seed)
        n = int(rng.integers(8, 60))
        x = np.cumsum(rng.uniform(0.5, 1.5, n))
        y = rng.uniform(-2.0, 2.0, n)
        at = rng.uniform(x[0], x[-1], 200)
        for bc, scipy_bc, d1 in (("natural", "natural", None), ("not-a-knot", "not-a-knot", None),
                                 ("clamped", ((1, 0.5), (1, -0.25)), (0.5, -0.25))):
            ours = opm.CubicSpline(x, y, bc=bc, d1=d1)
            peer = scipy.interpolate.CubicSpline(x, y, bc_type=scipy_bc)
            note(f"CubicSpline {bc} values", relative_error(ours(at), peer(at)))
            note(f"CubicSpline {bc} integral", relative_error(ours.integral(x[0], x[-1]),
                                                              peer.integrate(x[0], x[-1])))
        a = rng.normal(size=(int(rng.integers(10, 200)), int(rng.integers(1, 10))))
        b = rng.normal(size=(a.shape[0], 2))
        sol, _, sv, res = opm.lstsq(a, b)
        sol_np, res_np, _, sv_np = np.linalg.lstsq(a, b, rcond=None)
        note("lstsq solution", relative_error(sol, sol_np))
        note("lstsq singular values", relative_error(sv, sv_np))
        note("lstsq residuals", relative_error(res, res_np))
        xs = np.sort(rng.uniform(-1.0, 1.0, 50))
        ys = np.polynomial.polynomial.polyval(xs, rng.normal(size=5)) + rng.normal(0, 0.01, 50)
        note("polyfit (degree 4)", relative_error(opm.polyfit(xs, ys, 4),
                                                  np.polynomial.polynomial.polyfit(xs, ys, 4)))
        samples = rng.normal(size=int(rng.integers(1, 500)))
        note("median", relative_error(opm.median(samples), np.median(samples)))
    for name, error in worst.items():
        print(f"   {name:34s} {error:.1e}")


# ---- 3. Per-call overhead --------------------------------------------------------------

def report_overhead(repeat):
    print(f"\n3. Per-call overhead of scalar calls (median of {repeat} repetitions)")
    x = np.arange(100.0)
    spline = opm.CubicSpline(x, np.sin(x / 7.0))
    many = np.random.default_rng(0).uniform(0.0, 99.0, 200_000)
    c = np.array([1.0, -2.0, 0.5, 0.25, -0.125])
    rows = [
        ("s(x)", lambda: spline(42.5), lambda: spline(many)),
        ("s.slope(x)", lambda: spline.slope(42.5), lambda: spline.slope(many)),
        ("polyval(c, x)", lambda: opm.polyval(c, 0.75), lambda: opm.polyval(c, many)),
    ]
    number = 20_000
    for name, one, batch in rows:
        call = median_time(one, repeat, number)
        work = median_time(batch, repeat) / many.size
        print(f"   {name:17s} call {call * 1e9:5.0f} ns, work {work * 1e9:5.0f} ns per element "
              f"in an array call, overhead {(call - work) * 1e9:6.0f} ns")
    for name, one in (("s.integral(a, b)", lambda: spline.integral(10.0, 80.5)),
                      ("s.maximum(lo, hi)", lambda: spline.maximum(5.0, 15.0)),
                      ("lambda: None", lambda: None)):
        call = median_time(one, repeat, number)
        print(f"   {name:17s} call {call * 1e9:5.0f} ns (work included)")


# ---- 4. Batch apex and centroid --------------------------------------------------------

def batch_peaks(count=10_000, width=13, seed=0):
    """count Gaussian peaks of `width` samples each, side by side on one m/z axis."""
    rng = np.random.default_rng(seed)
    i = np.arange(count * width, dtype=np.float64)
    x = 1000.0 + 0.01 * i + 1e-8 * i * i
    local = np.tile(np.arange(width, dtype=np.float64), count)
    centre = np.repeat(rng.uniform(5.0, 7.0, count), width)
    sigma = np.repeat(rng.uniform(1.5, 2.5, count), width)
    height = np.repeat(rng.uniform(100.0, 1000.0, count), width)
    y = height * np.exp(-0.5 * ((local - centre) / sigma) ** 2)
    first = np.arange(count) * width
    return x, y, first, first + width - 1


def scipy_peak(xw, yw):
    """The peer: a natural spline over the window, its maximum by bounded minimisation, the
    area-halving point by Brent's method on the antiderivative."""
    spline = scipy.interpolate.CubicSpline(xw, yw, bc_type="natural")
    top = scipy.optimize.minimize_scalar(lambda t: -spline(t), bounds=(xw[0], xw[-1]),
                                         method="bounded", options={"xatol": 1e-10})
    antiderivative = spline.antiderivative()
    total = antiderivative(xw[-1]) - antiderivative(xw[0])
    centre = scipy.optimize.brentq(lambda t: antiderivative(t) - antiderivative(xw[0]) - total / 2,
                                   xw[0], xw[-1], xtol=1e-12)
    return top.x, -top.fun, centre, total


def report_batch(repeat, scipy_repeat):
    x, y, first, last = batch_peaks()
    print(f"\n4. Apex and centroid of {len(first)} peaks of 13 samples "
          f"(ours: median of {repeat}; SciPy: median of {scipy_repeat})")
    ours = median_time(lambda: opm.measure_windows(x, y, first, last), repeat)
    found = opm.measure_windows(x, y, first, last)

    walls = []
    for _ in range(scipy_repeat):
        start = time.perf_counter()
        reference = np.array([scipy_peak(x[lo:hi + 1], y[lo:hi + 1])
                              for lo, hi in zip(first, last)])
        walls.append(time.perf_counter() - start)
    theirs = statistics.median(walls)
    step = np.diff(x)[first]
    apex = np.max(np.abs(found["apex_x"] - reference[:, 0]) / step)
    centroid = np.max(np.abs(found["centroid_x"] - reference[:, 2]) / step)
    for name, seconds in (("measure_windows", ours), ("SciPy per peak", theirs)):
        print(f"   {name:22s} {seconds * 1e3:8.1f} ms ({seconds / len(first) * 1e6:.2f} us a peak)")
    print(f"   speed-up               {theirs / ours:8.0f}x")
    print(f"   largest difference     apex {apex:.1e}, centroid {centroid:.1e} sample steps "
          f"(knots at sample numbers against knots at m/z)")


# ---- 5. Thread scaling -----------------------------------------------------------------

def python_loop_speed(work):
    """Iterations per second of a pure-Python loop in this thread while `work` runs in another."""
    worker = threading.Thread(target=work)
    count, start = 0, time.perf_counter()
    worker.start()
    while worker.is_alive():
        count += 1
    return count / (time.perf_counter() - start)


def report_threads(repeat):
    spectra = [synthetic_spectrum(seed, samples=40_000, peaks=30)[:2] for seed in range(16)]
    print(f"\n5. find_peaks over {len(spectra)} spectra of 40 000 samples, 1 and 2 threads "
          f"alternating ({repeat} pairs; medians)")
    walls, cpus, ratios = {1: [], 2: []}, {1: [], 2: []}, []
    pools = {threads: ThreadPoolExecutor(max_workers=threads) for threads in (1, 2)}
    for _ in range(repeat):
        for threads, pool in pools.items():
            wall0, cpu0 = time.perf_counter(), time.process_time()
            list(pool.map(lambda s: opm.find_peaks(*s), spectra))
            walls[threads].append(time.perf_counter() - wall0)
            cpus[threads].append(time.process_time() - cpu0)
        ratios.append(walls[2][-1] / walls[1][-1])
    for threads, pool in pools.items():
        pool.shutdown()
        wall, cpu = statistics.median(walls[threads]), statistics.median(cpus[threads])
        print(f"   {threads} thread{'s' if threads > 1 else ' '}  wall {wall * 1e3:7.1f} ms, "
              f"process CPU {cpu * 1e3:7.1f} ms per pass")
    print(f"   2 threads / 1 thread   {statistics.median(ratios):.2f} of the time "
          f"(pairs: {min(ratios):.2f} to {max(ratios):.2f})")
    # The GIL is free during a computation when Python code keeps running beside it.
    big_mz, big_intensity = synthetic_spectrum(99, samples=400_000, peaks=200)[:2]
    alone = python_loop_speed(lambda: time.sleep(0.5))
    beside = python_loop_speed(lambda: opm.find_peaks(big_mz, big_intensity))
    # The control: a call that holds the GIL throughout (a C loop of the interpreter's own).
    held = python_loop_speed(lambda: sum(range(30_000_000)))
    print(f"   a Python loop ran at {beside / alone:.0%} of its speed beside a sleeping thread "
          f"while another thread ran find_peaks on 400 000 samples, at {held / alone:.0%} beside "
          f"sum(range(3e7)), which holds the GIL")


def main():
    parser = argparse.ArgumentParser(description="Benchmark of the Python package")
    parser.add_argument("--repeat", type=int, default=15, help="repetitions of each timing")
    parser.add_argument("--scipy-repeat", type=int, default=3, help="repetitions of the SciPy loop")
    parser.add_argument("--demo", default=str(ROOT / "build" / "release" / "bin" / "opm-demo"),
                        help="the demo program, for the spectrum comparison")
    args = parser.parse_args()
    print(f"ostrapuremath from {Path(opm.__file__).parent}; {os.cpu_count()} cores")
    print(f"load before: {uptime()}")
    report_bits(range(20), args.demo)
    report_agreement(range(100))
    report_overhead(args.repeat)
    report_batch(args.repeat, args.scipy_repeat)
    report_threads(args.repeat)
    print(f"\nload after: {uptime()}")


if __name__ == "__main__":
    main()
