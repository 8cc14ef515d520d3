"""Peak lists of a folder of spectra, computed in parallel with Dask.

    python dask_peaks.py SPECTRA_DIR OUT_DIR [--workers N] [--scheduler ADDRESS] [--snr X]

Every *.csv file in SPECTRA_DIR (a profile spectrum: m/z and intensity per line) is read and
analysed on a Dask worker; the peak lists come back to this program, which writes each to
OUT_DIR/<name>.peaks.csv and prints one line per spectrum as it completes.

On one machine a local cluster of N worker processes (default: one per core) does the work.
To scale out to many machines, start a scheduler on one (`dask-scheduler`) and a worker on
each (`dask-worker tcp://SCHEDULER:8786`), each with ostrapuremath installed and the spectra
reachable under the same path (a shared file system), then run this with
--scheduler tcp://SCHEDULER:8786: the same code then runs across all of them.
"""

import argparse
import os
import sys
from pathlib import Path

from dask.distributed import Client, LocalCluster, as_completed

import ostrapuremath as opm


def peak_list(path, snr):
    """Runs on a worker: the spectrum's sample count and its peaks (a NumPy structured array)."""
    mz, intensity = opm.read_spectrum(path)
    return len(mz), opm.find_peaks(mz, intensity, snr)


def analyse_folder(client, spectra, out, snr):
    """Analyses every spectrum on the cluster behind `client`, writes the peak lists into `out`
    as they arrive, and returns {file name: number of peaks}."""
    files = sorted(Path(spectra).glob("*.csv"))
    futures = client.map(peak_list, [str(f) for f in files], snr=snr)
    names = {future.key: path.name for future, path in zip(futures, files)}
    counts = {}
    out.mkdir(parents=True, exist_ok=True)
    for future, (samples, peaks) in as_completed(futures, with_results=True):
        name = names[future.key]
        with open(out / (Path(name).stem + ".peaks.csv"), "w") as stream:
            opm.write_peaks(stream, peaks)
        counts[name] = len(peaks)
        print(f"{name}: {samples} samples, {len(peaks)} peaks", flush=True)
    return counts


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("spectra", type=Path, help="folder of CSV spectra")
    parser.add_argument("out", type=Path, help="folder for the peak lists")
    parser.add_argument("--workers", type=int, default=os.cpu_count(),
                        help="worker processes of the local cluster (one per core)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler instead")
    parser.add_argument("--snr", type=float, default=10.0, help="S/N threshold (%(default)s)")
    args = parser.parse_args(argv)
    if args.scheduler:
        with Client(args.scheduler) as client:
            analyse_folder(client, args.spectra, args.out, args.snr)
    else:
        # One thread per worker process: each call releases the GIL, but separate processes
        # also keep file reading and Python work parallel.
        with LocalCluster(n_workers=args.workers, threads_per_worker=1,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            analyse_folder(client, args.spectra, args.out, args.snr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
