// Lane helpers shared by the kernels (texel fetches, truncating conversions), for every SIMD target;
// included by the kernels' per-target files (the guard below flips with each target, as Highway's -inl
// headers do).
#if defined(SOFTSHOW_SIMD_LANE_OPS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef SOFTSHOW_SIMD_LANE_OPS_INL_H_
#undef SOFTSHOW_SIMD_LANE_OPS_INL_H_
#else
#define SOFTSHOW_SIMD_LANE_OPS_INL_H_
#endif

#include <cstdint>

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


// Float or double lanes truncated toward zero into int32 lanes (as many as v has), INT32_MIN for NaN and
// for values outside the int32 range, as truncToInt does: masked by a texture's size - 1 (below 2^31)
// such values give 0. x86's conversion answers INT32_MIN itself (Highway's conversions clamp first, or
// turn positive overflow into INT32_MAX, at a few more instructions a vector); elsewhere the range is
// tested. Values known to lie in the range convert the same either way.
template <class DI, class V>
HWY_INLINE hn::Vec<DI> TruncatedOrMin(DI di, V v) {
    constexpr bool kDouble = sizeof(hn::TFromV<V>) == 8;
#if HWY_ARCH_X86 && (HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3)
    (void)di;
#if HWY_TARGET == HWY_AVX3
    if constexpr (sizeof(v) == 64) {
        if constexpr (kDouble) return hn::Vec<DI>{_mm512_cvttpd_epi32(v.raw)};
        else return hn::Vec<DI>{_mm512_cvttps_epi32(v.raw)};
    } else
#endif
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX2
    if constexpr (sizeof(v) == 32) {
        if constexpr (kDouble) return hn::Vec<DI>{_mm256_cvttpd_epi32(v.raw)};
        else return hn::Vec<DI>{_mm256_cvttps_epi32(v.raw)};
    } else
#endif
    {
        if constexpr (kDouble) return hn::Vec<DI>{_mm_cvttpd_epi32(v.raw)};
        else return hn::Vec<DI>{_mm_cvttps_epi32(v.raw)};
    }
#else
    if constexpr (kDouble) {
        const hn::Rebind<double, DI> dd;
        const auto inside = hn::And(hn::Gt(v, hn::Set(dd, -2147483649.0)), hn::Lt(v, hn::Set(dd, 2147483648.0)));
        return hn::DemoteTo(di, hn::IfThenElse(inside, v, hn::Set(dd, -2147483648.0)));
    } else {
        const hn::RebindToFloat<DI> df;
        const auto inside = hn::And(hn::Ge(v, hn::Set(df, -2147483648.0f)), hn::Lt(v, hn::Set(df, 2147483648.0f)));
        return hn::IfThenElse(hn::RebindMask(di, inside), hn::ConvertTo(di, v), hn::Set(di, INT32_MIN));
    }
#endif
}

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#endif  // SOFTSHOW_SIMD_LANE_OPS_INL_H_
