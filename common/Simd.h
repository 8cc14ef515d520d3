// Four doubles side by side (GCC's vector extensions), and the attribute that compiles a kernel
// twice, for the x86-64 baseline and for AVX2, choosing one at load time by the processor.
//
// Every operation on a Double4 is the IEEE operation on each lane, exactly as the scalar code
// would do it; -ffp-contract=off keeps products and sums apart, and the AVX2 clones are not
// allowed fused multiply-add, so both clones give the same bits as scalar code in the same
// order. On the baseline a Double4 lives in two SSE2 registers.
#pragma once

#include <cstring>

// Double4 values are only passed to helpers that are always inlined, so the baseline's way of
// passing a 32-byte vector to a function (about which GCC warns in every file that uses them)
// never comes into play.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace opm::detail::simd {

typedef double Double4 __attribute__((vector_size(32)));
typedef long long Mask4 __attribute__((vector_size(32)));

__attribute__((always_inline)) inline Double4 Load4(const double* p) {
    Double4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

__attribute__((always_inline)) inline void Store4(double* p, Double4 v) {
    std::memcpy(p, &v, sizeof v);
}

__attribute__((always_inline)) inline Double4 Broadcast4(double x) {
    return Double4{x, x, x, x};
}

// The lanes of a vector ending on element `last` that lie before the `rest` (1..4) elements
// still to be processed: KeepBefore(rest)[lane] is set for lane < 4 - rest.
__attribute__((always_inline)) inline Mask4 KeepBefore(long rest) {
    return Mask4{rest < 4 ? -1 : 0, rest < 3 ? -1 : 0, rest < 2 ? -1 : 0, 0};
}

// True when any lane of the mask is set.
__attribute__((always_inline)) inline bool Any4(Mask4 m) {
    return (m[0] | m[1] | m[2] | m[3]) != 0;
}

} // namespace opm::detail::simd

// Run-time dispatch between the baseline and an AVX2 clone (GNU ifunc, so ELF x86-64 only;
// elsewhere, or with OPM_NO_SIMD_DISPATCH, the baseline alone is built). "avx2" does not
// include FMA, so no clone can contract a product and a sum. Only for functions of internal
// linkage: the dispatcher of an external one would be exported from the library.
#if defined(__x86_64__) && defined(__ELF__) && !defined(OPM_NO_SIMD_DISPATCH)
#define OPM_SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define OPM_SIMD_CLONES
#endif
