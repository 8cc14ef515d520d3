// Application of a scaled Householder reflection (Lawson and Hanson's H12) to several vectors at
// once, shared by HouseHolderTransformVector and the SVD's bidiagonalisation so that both compute
// exactly the same expressions in the same order.
#pragma once

namespace opm {

// Applies H = I + b * u * u^T, u(p) = up, u(i) = v[i] for l <= i <= m, to count vectors, element
// i of vector q (0-based) being the double& at(i, q); only elements p and l..m are read or
// written. Each vector gets c <- c + sm * u with sm = b * (c(p) * up + c(l) * v[l] + ... +
// c(m) * v[m]), the sum taken in that order. The loop over the vectors is innermost: every sum
// still sees its terms in ascending i, while the independent vectors side by side fill the
// pipeline (and vector registers when they are contiguous). sm receives the count factors.
template <class ElementOf>
inline void ReflectVectors(ElementOf at, long count, const double* v, double up, double b, long m,
                           long p, long l, double* sm) {
    for (long q = 0; q < count; ++q) {
        sm[q] = at(p, q) * up;
    }
    for (long i = l; i <= m; ++i) {
        const double vi = v[i];
        for (long q = 0; q < count; ++q) {
            sm[q] = sm[q] + at(i, q) * vi;
        }
    }
    for (long q = 0; q < count; ++q) {
        sm[q] = sm[q] * b;
    }
    for (long q = 0; q < count; ++q) {
        at(p, q) = at(p, q) + sm[q] * up;
    }
    for (long i = l; i <= m; ++i) {
        const double vi = v[i];
        for (long q = 0; q < count; ++q) {
            at(i, q) = at(i, q) + sm[q] * vi;
        }
    }
}

} // namespace opm
