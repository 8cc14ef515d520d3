// Application of a scaled Householder reflection (Lawson and Hanson's H12) to several vectors at
// once, shared by HouseHolderTransformVector and the SVD's bidiagonalisation so that all of them
// compute exactly the same expressions in the same order.
//
// The reflection is H = I + b * u * u^T with u(p) = up, u(i) = v[i] for l <= i <= m. A vector c
// becomes c + sm * u, with the factor sm = b * (c(p) * up + c(l) * v[l] + ... + c(m) * v[m]), the
// sum taken in that order; only elements p and l..m are read or written.
#pragma once

namespace opm::detail {

// sum + c * v: the next term of a reflection's inner product.
inline double AddReflectionTerm(double sum, double c, double v) {
    return sum + c * v;
}

// c + sm * u: an element of a vector after the reflection, sm being the vector's factor.
inline double ReflectElement(double c, double sm, double u) {
    return c + sm * u;
}

// Vectors that a reflection is applied to together: element i of vector q (0 <= q < count) is
// the double& at(i, q); factors has room for count values.
template <class ElementOf> struct ReflectedVectors {
    ElementOf at;
    long count;
    double* factors;
};

template <class ElementOf>
ReflectedVectors<ElementOf> MakeReflectedVectors(ElementOf at, long count, double* factors) {
    return {at, count, factors};
}

namespace kernel {

template <class Set> inline void StartSums(const Set& set, long p, double up) {
    for (long q = 0; q < set.count; ++q) {
        set.factors[q] = set.at(p, q) * up;
    }
}

template <class Set> inline void AddTerms(const Set& set, long i, double vi) {
    for (long q = 0; q < set.count; ++q) {
        set.factors[q] = AddReflectionTerm(set.factors[q], set.at(i, q), vi);
    }
}

template <class Set> inline void ScaleSums(const Set& set, double b) {
    for (long q = 0; q < set.count; ++q) {
        set.factors[q] = set.factors[q] * b;
    }
}

template <class Set> inline void ReflectElements(const Set& set, long i, double ui) {
    for (long q = 0; q < set.count; ++q) {
        set.at(i, q) = ReflectElement(set.at(i, q), set.factors[q], ui);
    }
}

} // namespace kernel

// Computes the factor sm of every vector of the given sets into their factors. The loop over i
// is outermost and the vectors innermost: every sum still sees its terms in ascending i, while
// independent sums side by side keep the pipeline full (and vector registers, when the elements
// are contiguous).
template <class... Sets>
inline void ComputeReflectionFactors(const double* v, double up, double b, long m, long p, long l,
                                     const Sets&... sets) {
    (kernel::StartSums(sets, p, up), ...);
    for (long i = l; i <= m; ++i) {
        const double vi = v[i];
        (kernel::AddTerms(sets, i, vi), ...);
    }
    (kernel::ScaleSums(sets, b), ...);
}

// Reflects every vector of the given sets with the factors computed above, element by element
// in the same order as the sums (each element is changed once, so any order gives the same).
template <class... Sets>
inline void ApplyReflectionFactors(const double* v, double up, long m, long p, long l,
                                   const Sets&... sets) {
    (kernel::ReflectElements(sets, p, up), ...);
    for (long i = l; i <= m; ++i) {
        const double vi = v[i];
        (kernel::ReflectElements(sets, i, vi), ...);
    }
}

// Reflects the one vector whose element i is the double& at(i), given its factor sm.
template <class ElementOf>
inline void ApplyReflectionFactor(ElementOf at, double sm, const double* v, double up, long m,
                                  long p, long l) {
    at(p) = ReflectElement(at(p), sm, up);
    for (long i = l; i <= m; ++i) {
        at(i) = ReflectElement(at(i), sm, v[i]);
    }
}

// Both of the above: the whole reflection of the given sets.
template <class... Sets>
inline void ReflectVectors(const double* v, double up, double b, long m, long p, long l,
                           const Sets&... sets) {
    ComputeReflectionFactors(v, up, b, m, p, l, sets...);
    ApplyReflectionFactors(v, up, m, p, l, sets...);
}

} // namespace opm::detail
