// Eight 32-bit words from a table at eight indices, for every SIMD target; included by the kernels'
// per-target files (the guard below flips with each target, as Highway's -inl headers do).
#if defined(SOFTSHOW_SIMD_GATHER_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef SOFTSHOW_SIMD_GATHER_INL_H_
#undef SOFTSHOW_SIMD_GATHER_INL_H_
#else
#define SOFTSHOW_SIMD_GATHER_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// table[index[i]] in lane i. With AVX2 the words are loaded one at a time and inserted into the vector
// (GCC takes the indices from the lanes): on the AMD Zen 3 processor this was measured on, 64 K fetches
// from a 64 KB table took 2.9 ns a vector this way and 3.6 ns by the gather instruction; in the show the
// city's and the colonnade's seconds ran faster, the textured cube's slower (README, "Performance").
// Other targets gather.
template <class D, class VI>
HWY_INLINE hn::Vec<D> GatherWords(D d, const uint32_t* HWY_RESTRICT table, VI index) {
#if HWY_TARGET == HWY_AVX2
    if constexpr (hn::MaxLanes(D()) == 8) {
        const hn::RebindToUnsigned<D> du;
        HWY_ALIGN uint32_t at[8];  // unsigned: an index taken from a lane needs no sign extension
        hn::Store(hn::BitCast(du, index), du, at);
        __m128i lo = _mm_cvtsi32_si128(int(table[at[0]]));
        lo = _mm_insert_epi32(lo, int(table[at[1]]), 1);
        lo = _mm_insert_epi32(lo, int(table[at[2]]), 2);
        lo = _mm_insert_epi32(lo, int(table[at[3]]), 3);
        __m128i hi = _mm_cvtsi32_si128(int(table[at[4]]));
        hi = _mm_insert_epi32(hi, int(table[at[5]]), 1);
        hi = _mm_insert_epi32(hi, int(table[at[6]]), 2);
        hi = _mm_insert_epi32(hi, int(table[at[7]]), 3);
        return hn::Vec<D>{_mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1)};
    }
#endif
    return hn::GatherIndex(d, table, index);
}

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#endif  // SOFTSHOW_SIMD_GATHER_INL_H_
