// The LAPACK peers of the benchmarks, loaded by path so that both run in one process whatever
// the machine's LAPACK alternative points to: reference LAPACK on reference BLAS (Debian's
// liblapack3 and libblas3), and OpenBLAS (Debian's libopenblas0-pthread) forced to one thread.
// A peer whose files are missing is left out, and its benchmarks are not registered.
#pragma once

#include "support/Lapack.h"

#include <string>
#include <vector>

// The routines the benchmarks call, resolved in one library.
struct LapackPeer {
    std::string name; // "reference" or "openblas", the suffix of the peer's benchmark names
    decltype(&dgelss_) dgelss = nullptr;
    decltype(&dgelsd_) dgelsd = nullptr;
    decltype(&dgesvd_) dgesvd = nullptr;
    decltype(&dgesv_) dgesv = nullptr;
    decltype(&dgetrf_) dgetrf = nullptr;
    decltype(&dgetrs_) dgetrs = nullptr;
    decltype(&dpotrf_) dpotrf = nullptr;
    decltype(&dpotri_) dpotri = nullptr;
};

// The peers found on this machine, reference first; loaded on the first call. OpenBLAS is set to
// one thread.
const std::vector<LapackPeer>& LapackPeers();
