"""Profile spectra from CSV files, peak lists to CSV."""

import csv
import math
import os
from typing import Tuple, Union

import numpy as np


def _number(field):
    """The field as a float, or None when it is not a number."""
    try:
        return float(field)
    except ValueError:
        return None


def read_spectrum(path: Union[str, os.PathLike]) -> Tuple[np.ndarray, np.ndarray]:
    """read_spectrum(path) -> (mz, intensity)

    Reads a profile spectrum from a CSV file with one sample per line, the
    abscissa (m/z, or bin) then the intensity, into two float64 arrays.

    A header line before the data is skipped (a first line whose first field is
    not a number), and so are blank lines and lines starting with '#'. A UTF-8
    byte order mark, blanks and double quotes around fields, a trailing comma and
    further columns (only the first two are read) are accepted. A field that is
    not a finite number, or a line with fewer than two fields, raises ValueError
    naming the line and quoting at most 40 characters of the field. (find_peaks
    then checks that the abscissae increase.)
    """
    mz, intensity = [], []
    data_started = False
    with open(path, newline="", encoding="utf-8-sig") as stream:
        reader = csv.reader(stream, skipinitialspace=True)
        for row in reader:
            fields = [field.strip() for field in row]
            if not fields or not fields[0] or fields[0].startswith("#"):
                continue
            values = [_number(field) for field in fields[:2]]
            if not data_started and values[0] is None:
                data_started = True  # the header
                continue
            data_started = True
            where = f"{path}, line {reader.line_num}"
            if len(values) < 2:
                raise ValueError(f"{where}: two fields are needed, abscissa and intensity")
            for field, value in zip(fields, values):
                if value is None or not math.isfinite(value):
                    shown = field if len(field) <= 40 else field[:40] + "..."
                    raise ValueError(f"{where}: {shown!r} is not a finite number")
            mz.append(values[0])
            intensity.append(values[1])
    return np.array(mz, dtype=np.float64), np.array(intensity, dtype=np.float64)


PEAK_FIELDS = ("apex_mz", "centroid_mz", "height", "area", "fwhm", "snr")


def write_peaks(stream, peaks) -> None:
    """write_peaks(stream, peaks)

    Writes a peak list (the structured array of find_peaks) to an open text stream as
    CSV: the header apex_mz,centroid_mz,height,area,fwhm,snr, then one line per peak
    with 10 significant digits.
    """
    stream.write(",".join(PEAK_FIELDS) + "\n")
    for peak in peaks:
        stream.write(",".join(f"{peak[field]:.10g}" for field in PEAK_FIELDS) + "\n")
