// Four doubles side by side (GCC's vector extensions, which clang shares), and the attribute that
// compiles a kernel twice, for the x86-64 baseline and for AVX2, choosing one at load time by the
// processor.
//
// Every operation on a Double4 is the IEEE operation on each lane, exactly as the scalar code
// would do it; -ffp-contract=off keeps products and sums apart, and the AVX2 clones are not
// allowed fused multiply-add, so both clones give the same bits as scalar code in the same
// order. On the baseline a Double4 lives in two SSE2 registers.
//
// A Double4 is never passed to or returned from a function by value: on the baseline that would
// change the calling convention, which GCC warns about and clang refuses. Loads, stores and
// broadcasts are therefore expressions (macros), and helpers take vectors by reference.
#pragma once

namespace opm::detail::simd {

typedef double Double4 __attribute__((vector_size(32)));
typedef long long Mask4 __attribute__((vector_size(32)));

// True when any lane of the mask is set.
__attribute__((always_inline)) inline bool Any4(const Mask4& m) {
    return (m[0] | m[1] | m[2] | m[3]) != 0;
}

// The lanes of a vector ending on an element that lie before the `rest` (1..4) elements still to
// be processed: KeepBefore(rest)[lane] is set for lane < 4 - rest.
__attribute__((always_inline)) inline const Mask4& KeepBefore(long rest) {
    static const Mask4 kKeep[5] = {
        {-1, -1, -1, -1}, {-1, -1, -1, 0}, {-1, -1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 0}};
    return kKeep[rest];
}

} // namespace opm::detail::simd

// The four doubles at p (any alignment a double may have), as a Double4.
#define OPM_LOAD4(p)                                                                               \
    ({                                                                                             \
        ::opm::detail::simd::Double4 loaded_;                                                      \
        __builtin_memcpy(&loaded_, (p), sizeof loaded_);                                           \
        loaded_;                                                                                   \
    })
// Stores the Double4 v to the four doubles at p.
#define OPM_STORE4(p, v)                                                                           \
    ({                                                                                             \
        const ::opm::detail::simd::Double4 stored_ = (v);                                          \
        __builtin_memcpy((p), &stored_, sizeof stored_);                                           \
    })
// The double x in all four lanes.
#define OPM_BROADCAST4(x)                                                                          \
    ({                                                                                             \
        const double lane_ = (x);                                                                  \
        ::opm::detail::simd::Double4{lane_, lane_, lane_, lane_};                                  \
    })

// Run-time dispatch between the baseline and an AVX2 clone (GNU ifunc, so ELF x86-64 only;
// elsewhere, or with OPM_NO_SIMD_DISPATCH, the baseline alone is built). "avx2" does not
// include FMA, so no clone can contract a product and a sum. Only for functions of internal
// linkage: the dispatcher of an external one would be exported from the library.
#if defined(__x86_64__) && defined(__ELF__) && !defined(OPM_NO_SIMD_DISPATCH)
#define OPM_SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define OPM_SIMD_CLONES
#endif
