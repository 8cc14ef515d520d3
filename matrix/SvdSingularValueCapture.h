// The singular values of the least-squares SVD, for callers inside the library.
//
// Matrix::SingularValueDecomposition keeps its singular values in work storage and does not
// hand them back. The modern interface reports them, so it opens a capture on its thread around
// the call: while a capture is open, the driver copies the ordered singular values d[1..n] into
// the capture's destination after ordering them. The capture is per thread, so concurrent calls
// on other threads are not affected, and a call made without one is exactly as before.
#pragma once

namespace opm::detail {

class SvdSingularValueCapture {
public:
    // Opens a capture on the calling thread; destination must hold the column count of the
    // decomposition that follows. Captures do not nest.
    explicit SvdSingularValueCapture(double* destination) noexcept;
    ~SvdSingularValueCapture();
    SvdSingularValueCapture(const SvdSingularValueCapture&) = delete;
    SvdSingularValueCapture& operator=(const SvdSingularValueCapture&) = delete;

    // Called by the driver: copies d[1..n] to the open capture's destination, if any.
    static void Deliver(const double* d, long n) noexcept;
};

} // namespace opm::detail
