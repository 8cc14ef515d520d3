// The per-thread destination of the least-squares SVD's ordered singular values.
#include "matrix/SvdSingularValueCapture.h"

namespace opm::detail {

namespace {

thread_local double* t_destination = nullptr;

} // namespace

SvdSingularValueCapture::SvdSingularValueCapture(double* destination) noexcept {
    t_destination = destination;
}

SvdSingularValueCapture::~SvdSingularValueCapture() {
    t_destination = nullptr;
}

void SvdSingularValueCapture::Deliver(const double* d, long n) noexcept {
    if (t_destination == nullptr) {
        return;
    }
    for (long i = 1; i <= n; ++i) {
        t_destination[i - 1] = d[i];
    }
}

} // namespace opm::detail
