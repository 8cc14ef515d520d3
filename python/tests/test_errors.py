"""Bad input raises ValueError (an ostrapuremath.Error subclass) with a message that says what is
wrong; nothing reaches the interpreter as a crash."""

import ast
from pathlib import Path

import numpy as np
import pytest

import ostrapuremath as opm

X = np.arange(10.0)
Y = np.sin(X)
SPLINE = opm.CubicSpline(X, Y)
MZ = 1000.0 + np.arange(50.0)

Invalid, Degenerate = opm.InvalidArgumentError, opm.DegenerateError
Spline = opm.CubicSpline

# (call, exception class, a phrase of its message)
BAD_INPUT = {
    "2-D where 1-D": (lambda: opm.median([[1.0, 2.0]]), Invalid, "one-dimensional"),
    "complex": (lambda: opm.median([1j, 2.0]), Invalid, "complex128"),
    "NaN": (lambda: opm.rms([1.0, np.nan]), Invalid, "nan"),
    "infinity": (lambda: SPLINE(np.inf), Invalid, "not a finite number"),
    "too few knots": (lambda: Spline(X[:3], Y[:3], bc="not-a-knot"), Invalid, "at least 4"),
    "x not increasing": (lambda: Spline([0.0, 2.0, 1.0], [0.0] * 3), Invalid, "increase"),
    "unknown bc": (lambda: Spline(X, Y, bc="periodic"), Invalid, "'not-a-knot'"),
    "d1 without clamped": (lambda: Spline(X, Y, d1=(0, 0)), Invalid, "only with bc='clamped'"),
    "no sign change": (lambda: SPLINE.solve(5.0, 0.0, 9.0), Invalid, "opposite"),
    "lstsq wide": (lambda: opm.lstsq(np.ones((2, 3)), np.ones(2)), Invalid, "2 x 3"),
    "degree 5 roots": (lambda: opm.roots(np.ones(6)), Invalid, "degree"),
    "too few points": (lambda: opm.polyfit(X[:3], Y[:3], 3), Invalid, "at least 4"),
    "equal abscissae": (lambda: opm.fit_line([1.0, 1.0, 1.0], Y[:3]), Degenerate, "equal"),
    "lengths differ": (lambda: opm.find_peaks(MZ, np.ones(49)), Invalid, "49"),
    "unknown baseline": (lambda: opm.find_peaks(MZ, MZ, baseline="x"), Invalid, "moving-minimum"),
    "short window": (lambda: opm.measure_windows(X, Y, [0], [3]), Invalid, "window 0"),
    "smooth width 0": (lambda: opm.gauss_smooth(Y, 0), Invalid, "half_width"),
}


@pytest.mark.parametrize("case", list(BAD_INPUT))
def test_bad_input_raises_value_error(case):
    call, kind, phrase = BAD_INPUT[case]
    with pytest.raises(ValueError) as raised:
        call()
    assert isinstance(raised.value, kind) and isinstance(raised.value, opm.Error)
    assert phrase in str(raised.value)


def test_wrong_option_types_raise_type_error():
    with pytest.raises(TypeError, match="unexpected keyword argument 'noise'"):
        opm.find_peaks(MZ, np.ones(50), noise=3)
    with pytest.raises(TypeError, match="noise_window must be an int"):
        opm.find_peaks(MZ, np.ones(50), noise_window=101.0)


def test_stubs_name_every_public_function():
    stub = ast.parse((Path(opm.__file__).parent / "_core.pyi").read_text())
    definitions = (ast.FunctionDef, ast.ClassDef)
    stubbed = {node.name for node in ast.walk(stub) if isinstance(node, definitions)}
    assert set(opm.__all__) - {"read_spectrum", "write_peaks"} <= stubbed
    assert all(getattr(opm, name).__doc__ for name in opm.__all__)
