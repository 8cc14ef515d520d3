"""python -m ostrapuremath SPECTRUM.csv: the peak list of a profile spectrum.

Prints one peak per line as CSV, header apex_mz,centroid_mz,height,area,fwhm,snr, in
ascending m/z. Exit status 0 on success, 2 for a file that cannot be read or analysed.
"""

import argparse
import sys

from . import find_peaks, read_spectrum, write_peaks


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="python -m ostrapuremath",
        description="Print the peak list of a two-column CSV profile spectrum (m/z, intensity).",
    )
    parser.add_argument("spectrum", help="CSV file: abscissa,intensity per line, header optional")
    parser.add_argument("--snr", type=float, default=10.0,
                        help="S/N a peak must reach against the local noise (%(default)s)")
    parser.add_argument("--smooth-width", type=int, default=2,
                        help="Gaussian smoothing half-width in samples, 0 for none (%(default)s)")
    parser.add_argument("--smooth-passes", type=int, default=1,
                        help="smoothing passes (%(default)s)")
    parser.add_argument("--baseline-width", type=int, default=100,
                        help="SNIP clipping half-width in samples (%(default)s)")
    parser.add_argument("--noise-window", type=int, default=1001,
                        help="local-noise window in samples (%(default)s)")
    args = parser.parse_args(argv)
    try:
        mz, intensity = read_spectrum(args.spectrum)
        peaks = find_peaks(mz, intensity, args.snr,
                           smoothing_half_width=args.smooth_width,
                           smoothing_passes=args.smooth_passes,
                           baseline_width=args.baseline_width,
                           noise_window=args.noise_window)
    except (OSError, ValueError) as error:
        print(f"ostrapuremath: {error}", file=sys.stderr)
        return 2
    write_peaks(sys.stdout, peaks)
    return 0


if __name__ == "__main__":
    sys.exit(main())
