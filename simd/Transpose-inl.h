// An 8 x 8 transpose of 32-bit lanes, for every SIMD target that has 256-bit vectors; included by the
// kernels' per-target files (the guard below flips with each target, as Highway's -inl headers do).
#if defined(SOFTSHOW_SIMD_TRANSPOSE_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef SOFTSHOW_SIMD_TRANSPOSE_INL_H_
#undef SOFTSHOW_SIMD_TRANSPOSE_INL_H_
#else
#define SOFTSHOW_SIMD_TRANSPOSE_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_MAX_BYTES >= 32
// v[i] lane j becomes v[j] lane i, for 8 vectors of 8 lanes of 32 bits.
template <class D>
HWY_INLINE void Transpose8x8(D d, hn::Vec<D> v[8]) {
    const hn::Repartition<uint64_t, D> d64;
    hn::Vec<D> t[8];
    for (int i = 0; i < 8; i += 2) t[i] = hn::InterleaveLower(d, v[i], v[i + 1]), t[i + 1] = hn::InterleaveUpper(d, v[i], v[i + 1]);
    hn::Vec<D> q[8];  // q[4h + m]: element m of each of rows 4h .. 4h + 3, and m + 4 in the upper half
    for (int h = 0; h < 2; ++h) {
        auto wide = [&](int i) { return hn::BitCast(d64, t[4 * h + i]); };
        q[4 * h + 0] = hn::BitCast(d, hn::InterleaveLower(d64, wide(0), wide(2)));
        q[4 * h + 1] = hn::BitCast(d, hn::InterleaveUpper(d64, wide(0), wide(2)));
        q[4 * h + 2] = hn::BitCast(d, hn::InterleaveLower(d64, wide(1), wide(3)));
        q[4 * h + 3] = hn::BitCast(d, hn::InterleaveUpper(d64, wide(1), wide(3)));
    }
    for (int m = 0; m < 4; ++m) v[m] = hn::ConcatLowerLower(d, q[4 + m], q[m]), v[m + 4] = hn::ConcatUpperUpper(d, q[4 + m], q[m]);
}

#endif

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#endif  // SOFTSHOW_SIMD_TRANSPOSE_INL_H_
