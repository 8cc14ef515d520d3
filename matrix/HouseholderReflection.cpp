// Householder reflections on a segment of a 1-based vector, in the scaled form of Lawson and
// Hanson's H12: H = I + b * u * u^T with u(p) = up, u(i) = v[i] for l <= i <= m, 0 elsewhere.
#include "OstraPureMath/Matrix.h"

#include "matrix/ReflectionKernels.h"

bool Matrix::HouseHolderTransform(double* v, double& up, double& b, long m, long p, long l) const {
    return opm::detail::ReflectionFromScale(v, opm::detail::SegmentScale(v, m, p, l), up, b, m, p,
                                            l);
}

bool Matrix::HouseHolderTransformVector(double* v, double& up, double& b, double* c, long m, long p,
                                        long l) const {
    opm::detail::ReflectVector(v, up, b, m, p, l, c);
    return true;
}
