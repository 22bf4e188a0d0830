// The whole-buffer pixel kernels of pixel/PixelOps.h, compiled for every SIMD target and dispatched at
// run time. Each loop does in lanes exactly what the reference form does per word; the words that do not
// fill a vector go through the same per-word function.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/PixelKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <type_traits>

#include "effects/filters/FX_Blur.h"
#include "effects/filters/FX_MotionBlur.h"
#include "effects/filters/FX_Mosaic.h"
#include "pixel/PixelOps.h"
#include "simd/Simd.h"
#include "simd/Transpose-inl.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Byte-wise saturating add or subtract of a colour or of a second buffer.
// The one-lane fallback target (processors without SSSE3) runs the per-word forms, which the compiler
// still packs into SSE2 code.
#if HWY_TARGET == HWY_SCALAR
template <bool kAdd>
void ByteSaturatedColor(uint32_t* dst, int n, uint32_t value) {
    for (int i = 0; i < n; ++i) dst[i] = kAdd ? addBytesSaturated(dst[i], value) : subtractBytesSaturated(dst[i], value);
}
template <bool kAdd>
void ByteSaturatedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    for (int i = 0; i < n; ++i) dst[i] = kAdd ? addBytesSaturated(dst[i], src[i]) : subtractBytesSaturated(dst[i], src[i]);
}
#else
template <bool kAdd>
void ByteSaturatedColor(uint32_t* dst, int n, uint32_t value) {
    const hn::ScalableTag<uint32_t> d32;
    const hn::Repartition<uint8_t, decltype(d32)> d8;
    const auto v = hn::BitCast(d8, hn::Set(d32, value));
    const int N = int(hn::Lanes(d32));
    int i = 0;
    for (; i + N <= n; i += N) {
        const auto x = hn::BitCast(d8, hn::LoadU(d32, dst + i));
        hn::StoreU(hn::BitCast(d32, kAdd ? hn::SaturatedAdd(x, v) : hn::SaturatedSub(x, v)), d32, dst + i);
    }
    for (; i < n; ++i) dst[i] = kAdd ? addBytesSaturated(dst[i], value) : subtractBytesSaturated(dst[i], value);
}
template <bool kAdd>
void ByteSaturatedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    const hn::ScalableTag<uint32_t> d32;
    const hn::Repartition<uint8_t, decltype(d32)> d8;
    const int N = int(hn::Lanes(d32));
    int i = 0;
    for (; i + N <= n; i += N) {
        const auto x = hn::BitCast(d8, hn::LoadU(d32, dst + i));
        const auto y = hn::BitCast(d8, hn::LoadU(d32, src + i));
        hn::StoreU(hn::BitCast(d32, kAdd ? hn::SaturatedAdd(x, y) : hn::SaturatedSub(x, y)), d32, dst + i);
    }
    for (; i < n; ++i) dst[i] = kAdd ? addBytesSaturated(dst[i], src[i]) : subtractBytesSaturated(dst[i], src[i]);
}
#endif
void AddColor(uint32_t* dst, int n, uint32_t value) { ByteSaturatedColor<true>(dst, n, value); }
void SubtractColor(uint32_t* dst, int n, uint32_t value) { ByteSaturatedColor<false>(dst, n, value); }
void AddPixels(uint32_t* dst, const uint32_t* src, int n) { ByteSaturatedPixels<true>(dst, src, n); }
void SubtractPixels(uint32_t* dst, const uint32_t* src, int n) { ByteSaturatedPixels<false>(dst, src, n); }

void BlendByOpacity(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, int opacity) {
    const hn::ScalableTag<uint32_t> d;
    const uint32_t A = uint32_t(opacity < 0 ? 0 : opacity > 255 ? 255 : opacity);
    const auto k255 = hn::Set(d, 255u), k512A = hn::Set(d, 512u - A);
    const auto maskRB = hn::Set(d, 0x00FF00FFu), maskG = hn::Set(d, 0x0000FF00u);
    // Where alpha + A <= 257 the frame's weight is 255 and the picture's 0: each channel c becomes
    // (c * 255) >> 8, which is c - 1 from 1 up (and 0 at 0), a saturating byte subtraction of one. Pictures
    // with transparent areas take this for whole vectors (half of the show's always-on overlay).
#if HWY_TARGET != HWY_SCALAR
    const hn::RebindToSigned<decltype(d)> di;
    const hn::Repartition<uint8_t, decltype(d)> d8;
    const auto clear = hn::Set(di, int32_t(257u - A));
    const auto ones = hn::BitCast(d8, hn::Set(d, 0x00010101u));
    const auto rgb = hn::Set(d, 0x00FFFFFFu);
#endif
    const int N = int(hn::Lanes(d));
    int i = 0;
    for (; i + N <= n; i += N) {
        const auto s = hn::LoadU(d, src + i), t = hn::LoadU(d, dst + i);
#if HWY_TARGET != HWY_SCALAR
        if (hn::AllFalse(di, hn::Gt(hn::BitCast(di, hn::ShiftRight<24>(s)), clear))) {
            hn::StoreU(hn::And(hn::BitCast(d, hn::SaturatedSub(hn::BitCast(d8, t), ones)), rgb), d, dst + i);
            continue;
        }
#endif
        const auto wd = hn::Min(k255, hn::Sub(k512A, hn::ShiftRight<24>(s)));
        const auto ws = hn::Sub(k255, wd);
        const auto rb = hn::And(hn::ShiftRight<8>(hn::Add(hn::Mul(hn::And(s, maskRB), ws), hn::Mul(hn::And(t, maskRB), wd))), maskRB);
        const auto g = hn::And(hn::ShiftRight<8>(hn::Add(hn::Mul(hn::And(s, maskG), ws), hn::Mul(hn::And(t, maskG), wd))), maskG);
        hn::StoreU(hn::Add(rb, g), d, dst + i);
    }
    if (i < n) reference::blendByOpacity(dst + i, src + i, n - i, opacity);
}

// averagePixels in lanes: each channel's floor average, the fourth byte 0.
template <class V>
HWY_INLINE V AveragePixels(V a, V b) {
    const hn::DFromV<V> d;
    return hn::Add(hn::And(hn::And(a, b), hn::Set(d, 0x00FFFFFFu)),
                   hn::ShiftRight<1>(hn::And(hn::Xor(a, b), hn::Set(d, 0x00FEFEFEu))));
}

// A row whose column c takes the source row's word source[c] (below 0: the column is left alone), planned
// as whole vectors: the N sources of N neighbouring columns lie within N words, so one load from the
// lowest of them and one lane permutation fetch them. plan: N, the vector count, then per vector the
// first word loaded (-1: no column of it is written), each lane's pick and each lane's flag (-1 written,
// 0 kept); then the sources of the columns past the last whole vector. False when some vector's sources
// spread over more than N words, or the row is narrower than a vector.
bool PlanColumnSources(const int32_t* source, int W, int32_t* plan) {
    const hn::ScalableTag<uint32_t> d;
    const int N = int(hn::Lanes(d));
    if (W < N) return false;
    const int vectors = W / N;
    plan[0] = N, plan[1] = vectors;
    int32_t* v = plan + 2;
    for (int k = 0; k < vectors; ++k, v += 1 + 2 * N) {
        const int32_t* s = source + k * N;
        int32_t lo = INT32_MAX, hi = -1;
        for (int i = 0; i < N; ++i)
            if (s[i] >= 0) lo = std::min(lo, s[i]), hi = std::max(hi, s[i]);
        if (hi >= 0 && (hi - lo >= N || hi >= W)) return false;
        const int32_t start = hi < 0 ? -1 : std::min(lo, W - N);
        v[0] = start;
        for (int i = 0; i < N; ++i) v[1 + i] = s[i] >= 0 ? s[i] - start : 0, v[1 + N + i] = s[i] >= 0 ? -1 : 0;
    }
    for (int c = vectors * N; c < W; ++c) *v++ = source[c];
    return true;
}

// dst[c] = averagePixels(dst[c], src[source[c]]) over a row planned by PlanColumnSources; false (nothing
// written) when the plan was made for another vector size.
bool AverageByPlan(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, const int32_t* plan, int W) {
    const hn::ScalableTag<uint32_t> d;
    const hn::RebindToSigned<decltype(d)> di;
    const int N = int(hn::Lanes(d));
    if (plan[0] != N) return false;
    const int vectors = plan[1];
    const int32_t* v = plan + 2;
    for (int k = 0; k < vectors; ++k, v += 1 + 2 * N) {
        if (v[0] < 0) continue;
        const auto b = hn::TableLookupLanes(hn::LoadU(d, src + v[0]), hn::SetTableIndices(d, v + 1));
        const auto a = hn::LoadU(d, dst + k * N);
        const auto written = hn::RebindMask(d, hn::Ne(hn::LoadU(di, v + 1 + N), hn::Zero(di)));
        hn::StoreU(hn::IfThenElse(written, AveragePixels(a, b), a), d, dst + k * N);
    }
    for (int c = vectors * N; c < W; ++c, ++v)
        if (*v >= 0) dst[c] = averagePixels(dst[c], src[*v]);
    return true;
}

// n entries of one value, in whole vectors and the rest one at a time.
template <typename T>
void FillLanes(T* dst, int n, T value) {
    const hn::ScalableTag<T> d;
    const auto v = hn::Set(d, value);
    const int N = int(hn::Lanes(d));
    int i = 0;
    for (; i + N <= n; i += N) hn::StoreU(v, d, dst + i);
    for (; i < n; ++i) dst[i] = value;
}
void FillWords(uint32_t* dst, int n, uint32_t value) { FillLanes(dst, n, value); }
void FillFloats(float* dst, int n, float value) { FillLanes(dst, n, value); }

// k halvings of each word toward its history word, the result stored in both buffers: a word's passes
// are made in a register, so any k is one sweep over memory.
void MotionBlurPasses(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h, int k) {
    const hn::ScalableTag<uint32_t> d;
    const auto halves = hn::Set(d, 0x00FEFEFEu);
    const int N = int(hn::Lanes(d));
    int i = 0;
    for (; i + N <= n; i += N) {
        const auto old = hn::And(hn::LoadU(d, h + i), halves);
        auto p = hn::LoadU(d, P + i);
        for (int pass = 0; pass < k; ++pass) p = hn::ShiftRight<1>(hn::Add(hn::And(p, halves), old));
        hn::StoreU(p, d, P + i);
        hn::StoreU(p, d, h + i);
    }
    for (; i < n; ++i) {
        const uint32_t old = h[i] & 0x00FEFEFEu;
        uint32_t p = P[i];
        for (int pass = 0; pass < k; ++pass) p = ((p & 0x00FEFEFEu) + old) >> 1;
        P[i] = h[i] = p;
    }
}

// dst[i] = the per-channel floor average of dst[i] and src[i] (red, green and blue; the fourth byte 0),
// over runs given as (at, from, n) triples: a run's last part of a vector is done with masked loads
// and stores where they never touch the words outside the mask (AVX2 and AVX-512), else one word at a time.
void AverageRuns(uint32_t* dst, const uint32_t* src, const int32_t* runs, int count) {
    const hn::ScalableTag<uint32_t> d;
    const int N = int(hn::Lanes(d));
    for (int r = 0; r < count; ++r) {
        uint32_t* to = dst + runs[3 * r];
        const uint32_t* from = src + runs[3 * r + 1];
        const int n = runs[3 * r + 2];
        int i = 0;
        for (; i + N <= n; i += N) hn::StoreU(AveragePixels(hn::LoadU(d, to + i), hn::LoadU(d, from + i)), d, to + i);
#if HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_AVX3
        if (i < n) {
            const auto part = hn::FirstN(d, size_t(n - i));
            hn::BlendedStore(AveragePixels(hn::MaskedLoad(part, d, to + i), hn::MaskedLoad(part, d, from + i)), part, d, to + i);
            i = n;
        }
#endif
        for (; i < n; ++i) to[i] = averagePixels(to[i], from[i]);
    }
}

// The colour channels of a word through a channel line, the fourth byte 0: per word and in lanes.
uint32_t MapWord(const ChannelLine& line, uint32_t w) {
    return uint32_t(line(int(w >> 16 & 255))) << 16 | uint32_t(line(int(w >> 8 & 255))) << 8 | line(int(w & 255));
}

#if HWY_TARGET != HWY_SCALAR
constexpr int kZeroRun = 1, kFullRun = 2;

struct LineLanes {
    using DU = hn::ScalableTag<uint32_t>;
    using DI = hn::ScalableTag<int32_t>;
    DU du;
    DI di;
    hn::Vec<DI> m, b, zero, k255, zeroUpTo, fullFrom;
    hn::Vec<DU> byte;
    int shift;
    explicit LineLanes(const ChannelLine& line)
        : m(hn::Set(di, line.multiplier)), b(hn::Set(di, line.bias)), zero(hn::Zero(di)), k255(hn::Set(di, 255)),
          zeroUpTo(hn::Set(di, line.zeroUpTo)), fullFrom(hn::Set(di, line.fullFrom - 1)), byte(hn::Set(du, 255u)),
          shift(line.shift) {}
    // kRuns: which runs the line sets aside (kZeroRun: zeroUpTo >= 0, kFullRun: fullFrom <= 255), tested
    // per channel; the line's clamp makes the others.
    template <int kRuns>
    hn::Vec<DI> runs(hn::Vec<DI> c, hn::Vec<DI> v) const {
        if constexpr ((kRuns & kFullRun) != 0) v = hn::IfThenElse(hn::Gt(c, fullFrom), k255, v);
        if constexpr ((kRuns & kZeroRun) != 0) v = hn::IfThenElseZero(hn::Gt(c, zeroUpTo), v);
        return v;
    }
    template <int kRuns>
    hn::Vec<DU> channel(hn::Vec<DU> value) const {
        const auto c = hn::BitCast(di, value);
        return hn::BitCast(du, runs<kRuns>(c, hn::Min(hn::Max(hn::ShiftRightSame(hn::Add(hn::Mul(c, m), b), shift), zero), k255)));
    }
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX2 || HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_SSSE3
    // x86: a channel's line value before the clamp, runs applied (a run's 255 and 0 survive the clamp).
    template <int kRuns>
    hn::Vec<DI> unclamped(hn::Vec<DU> value) const {
        const auto c = hn::BitCast(di, value);
        return runs<kRuns>(c, hn::ShiftRightSame(hn::Add(hn::Mul(c, m), b), shift));
    }
    // The clamp to 0..255 is the saturation of two packs (int32 to int16 to uint8), and one byte shuffle
    // puts blue, green and red back in their words: 18 instructions for a vector where shifts, masks,
    // minima and maxima took 26. Packs and the shuffle work within 128-bit blocks, so the words stay in
    // order.
    template <int kRuns>
    hn::Vec<DU> word(hn::Vec<DU> w) const {
        const auto red = unclamped<kRuns>(hn::And(hn::ShiftRight<16>(w), byte));
        const auto green = unclamped<kRuns>(hn::And(hn::ShiftRight<8>(w), byte));
        const auto blue = unclamped<kRuns>(hn::And(w, byte));
        // Per 128-bit block the packed bytes are b0..b3 g0..g3 r0..r3 and four zeros (byte 12).
        const hn::Repartition<uint8_t, DU> d8;
        HWY_ALIGN static constexpr uint8_t kOrder[16] = {0, 4, 8, 12, 1, 5, 9, 12, 2, 6, 10, 12, 3, 7, 11, 12};
        const auto order = hn::LoadDup128(d8, kOrder);
        return hn::BitCast(du, hn::TableLookupBytes(Packed(blue, green, red), order));
    }
    template <class V>
    static hn::Vec<hn::Repartition<uint8_t, DU>> Packed(V blue, V green, V red) {
        using V8 = hn::Vec<hn::Repartition<uint8_t, DU>>;
#if HWY_TARGET == HWY_AVX3
        const auto bg = _mm512_packs_epi32(blue.raw, green.raw), r = _mm512_packs_epi32(red.raw, _mm512_setzero_si512());
        return V8{_mm512_packus_epi16(bg, r)};
#elif HWY_TARGET == HWY_AVX2
        const auto bg = _mm256_packs_epi32(blue.raw, green.raw), r = _mm256_packs_epi32(red.raw, _mm256_setzero_si256());
        return V8{_mm256_packus_epi16(bg, r)};
#else
        const auto bg = _mm_packs_epi32(blue.raw, green.raw), r = _mm_packs_epi32(red.raw, _mm_setzero_si128());
        return V8{_mm_packus_epi16(bg, r)};
#endif
    }
#else
    template <int kRuns>
    hn::Vec<DU> word(hn::Vec<DU> w) const {
        return hn::Or(hn::Or(hn::ShiftLeft<16>(channel<kRuns>(hn::And(hn::ShiftRight<16>(w), byte))),
                             hn::ShiftLeft<8>(channel<kRuns>(hn::And(hn::ShiftRight<8>(w), byte)))),
                      channel<kRuns>(hn::And(w, byte)));
    }
#endif
};

// f(std::integral_constant<int, runs>()) for the runs the line sets aside.
template <class F>
void WithRuns(const ChannelLine& line, F&& f) {
    switch ((line.zeroUpTo >= 0 ? kZeroRun : 0) | (line.fullFrom <= 255 ? kFullRun : 0)) {
        case 0: f(std::integral_constant<int, 0>()); break;
        case kZeroRun: f(std::integral_constant<int, kZeroRun>()); break;
        case kFullRun: f(std::integral_constant<int, kFullRun>()); break;
        default: f(std::integral_constant<int, kZeroRun | kFullRun>()); break;
    }
}
#endif

void MapChannelsByLine(uint32_t* dst, int n, const ChannelLine& line) {
    int i = 0;
#if HWY_TARGET != HWY_SCALAR
    const LineLanes lanes(line);
    const int N = int(hn::Lanes(lanes.du));
    WithRuns(line, [&](auto runs) {
        for (; i + N <= n; i += N) hn::StoreU(lanes.word<decltype(runs)::value>(hn::LoadU(lanes.du, dst + i)), lanes.du, dst + i);
    });
#endif
    for (; i < n; ++i) dst[i] = MapWord(line, dst[i]);
}

void DistanceFromLevel(uint32_t* dst, int n, uint8_t level) {
    auto word = [level](uint32_t w) {
        auto d = [level](uint32_t c) { return c > level ? c - level : level - c; };
        return (w & 0xFF000000u) | d(w >> 16 & 255) << 16 | d(w >> 8 & 255) << 8 | d(w & 255);
    };
    int i = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<uint32_t> d32;
    const hn::Repartition<uint8_t, decltype(d32)> d8;
    const auto l = hn::Set(d8, level);
    const auto alpha = hn::Set(d32, 0xFF000000u);
    const int N = int(hn::Lanes(d32));
    for (; i + N <= n; i += N) {
        const auto w = hn::LoadU(d32, dst + i);
        const auto x = hn::BitCast(d8, w);
        const auto distance = hn::BitCast(d32, hn::Or(hn::SaturatedSub(x, l), hn::SaturatedSub(l, x)));
        hn::StoreU(hn::Or(hn::And(w, alpha), hn::AndNot(alpha, distance)), d32, dst + i);
    }
#endif
    for (; i < n; ++i) dst[i] = word(dst[i]);
}

// dst[i] = dst[i] plus (or minus) src[i] with its colour channels through the line, byte-saturated; the
// fourth byte of the mapped source is 0, so dst keeps its own.
template <bool kAdd>
void MappedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, const ChannelLine& line) {
    int i = 0;
#if HWY_TARGET != HWY_SCALAR
    const LineLanes lanes(line);
    const hn::Repartition<uint8_t, LineLanes::DU> d8;
    const int N = int(hn::Lanes(lanes.du));
    auto run = [&](auto runs) {
        for (; i + N <= n; i += N) {
            const auto x = hn::BitCast(d8, hn::LoadU(lanes.du, dst + i));
            const auto y = hn::BitCast(d8, lanes.word<decltype(runs)::value>(hn::LoadU(lanes.du, src + i)));
            hn::StoreU(hn::BitCast(lanes.du, kAdd ? hn::SaturatedAdd(x, y) : hn::SaturatedSub(x, y)), lanes.du, dst + i);
        }
    };
    WithRuns(line, run);
#endif
    for (; i < n; ++i)
        dst[i] = kAdd ? addBytesSaturated(dst[i], MapWord(line, src[i])) : subtractBytesSaturated(dst[i], MapWord(line, src[i]));
}
void AddMappedPixels(uint32_t* dst, const uint32_t* src, int n, const ChannelLine& line) { MappedPixels<true>(dst, src, n, line); }
void SubtractMappedPixels(uint32_t* dst, const uint32_t* src, int n, const ChannelLine& line) {
    MappedPixels<false>(dst, src, n, line);
}

// The box blur's passes. Rows are blurred as the columns of the transposed frame, so both passes are
// the column pass: the running sums of every column advance together, in lanes.
// dst[x * stride + y] = src[y * W + x]: in lanes where vectors hold 8 words, the rest per word. A tile is
// 8 rows of 16 words, so each 64-byte line read is used whole at once; the next tile down writes the
// other halves of the lines this one wrote.
void TransposeWords(const uint32_t* SS_RESTRICT src, uint32_t* SS_RESTRICT dst, int W, int H, int stride) {
    int tiledW = 0, tiledH = 0;
#if HWY_MAX_BYTES >= 32
    const hn::FixedTag<uint32_t, 8> d;
    tiledW = W & ~15, tiledH = H & ~7;
    for (int x = 0; x < tiledW; x += 16)
        for (int y = 0; y < tiledH; y += 8)
            for (int i = 0; i < 16; i += 8) {  // the tile's columns x + i .. x + i + 7
                hn::Vec<decltype(d)> v[8];
                for (int k = 0; k < 8; ++k) v[k] = hn::LoadU(d, src + size_t(y + k) * size_t(W) + size_t(x + i));
                Transpose8x8(d, v);
                for (int k = 0; k < 8; ++k) hn::StoreU(v[k], d, dst + size_t(x + i + k) * size_t(stride) + size_t(y));
            }
#endif
    for (int y = 0; y < H; ++y)
        for (int x = y < tiledH ? tiledW : 0; x < W; ++x) dst[size_t(x) * size_t(stride) + size_t(y)] = src[size_t(y) * size_t(W) + size_t(x)];
}

void BoxBlurColumns(const uint32_t* SS_RESTRICT horizontal, int stride, uint32_t* SS_RESTRICT dst, int W, int H, int r,
                    int32_t* SS_RESTRICT red, int32_t* SS_RESTRICT green, int32_t* SS_RESTRICT blue, WindowDivider divide) {
    const int last = H - 1;
    for (int x = 0; x < W; ++x) red[x] = green[x] = blue[x] = 0;
    for (int k = -r; k <= r; ++k) {
        const uint32_t* row = horizontal + size_t(std::min(last, std::max(0, k))) * size_t(stride);
        for (int x = 0; x < W; ++x)
            red[x] += int32_t(row[x] >> 16 & 255), green[x] += int32_t(row[x] >> 8 & 255), blue[x] += int32_t(row[x] & 255);
    }
    // kRows output rows a sweep: a column's sums stay in registers from one row to the next, loaded and
    // stored once a sweep instead of once a row (bench_effects on an AVX-512 machine: 160-181 us a frame
    // at one row a sweep, 119-148 at eight; four and sixteen within the noise of eight).
    constexpr int kRows = 8;
    for (int y = 0; y < H; y += kRows) {
        const int rows = std::min(kRows, H - y);
        const uint32_t* in[kRows];
        const uint32_t* out[kRows];
        uint32_t* target[kRows];
        for (int j = 0; j < rows; ++j) {
            in[j] = horizontal + size_t(std::min(y + j + r + 1, last)) * size_t(stride);
            out[j] = horizontal + size_t(std::max(y + j - r, 0)) * size_t(stride);
            target[j] = dst + size_t(y + j) * size_t(W);
        }
        int x = 0;
#if HWY_TARGET != HWY_SCALAR
        const hn::ScalableTag<uint32_t> d;
        const hn::RebindToSigned<decltype(d)> di;
        const auto m = hn::Set(d, divide.multiplier), byte = hn::Set(d, 255u), alpha = hn::Set(d, 0xFF000000u);
        const int N = int(hn::Lanes(d));
        auto q = [&](hn::Vec<decltype(d)> v) { return hn::ShiftRightSame(hn::Mul(v, m), divide.shift); };
        auto moved = [&](hn::Vec<decltype(d)> sum, hn::Vec<decltype(d)> added, hn::Vec<decltype(d)> removed) {
            return hn::Sub(hn::Add(sum, hn::And(added, byte)), hn::And(removed, byte));
        };
        for (; x + N <= W; x += N) {
            auto R = hn::BitCast(d, hn::LoadU(di, red + x)), G = hn::BitCast(d, hn::LoadU(di, green + x));
            auto B = hn::BitCast(d, hn::LoadU(di, blue + x));
            for (int j = 0; j < rows; ++j) {
                hn::StoreU(hn::Or(alpha, hn::Or(hn::Or(hn::ShiftLeft<16>(q(R)), hn::ShiftLeft<8>(q(G))), q(B))), d, target[j] + x);
                const auto a = hn::LoadU(d, in[j] + x), b = hn::LoadU(d, out[j] + x);
                R = moved(R, hn::ShiftRight<16>(a), hn::ShiftRight<16>(b));
                G = moved(G, hn::ShiftRight<8>(a), hn::ShiftRight<8>(b));
                B = moved(B, a, b);
            }
            hn::StoreU(hn::BitCast(di, R), di, red + x);
            hn::StoreU(hn::BitCast(di, G), di, green + x);
            hn::StoreU(hn::BitCast(di, B), di, blue + x);
        }
#endif
        for (; x < W; ++x)
            for (int j = 0; j < rows; ++j) {
                target[j][x] = 0xFF000000u | divide(uint32_t(red[x])) << 16 | divide(uint32_t(green[x])) << 8 | divide(uint32_t(blue[x]));
                red[x] += int32_t(in[j][x] >> 16 & 255) - int32_t(out[j][x] >> 16 & 255);
                green[x] += int32_t(in[j][x] >> 8 & 255) - int32_t(out[j][x] >> 8 & 255);
                blue[x] += int32_t(in[j][x] & 255) - int32_t(out[j][x] & 255);
            }
    }
}

// The mosaic's bands as plain loops, which the compiler turns into this target's vector code. Means
// through double divisions: exact (the sums stay far below 2^53), and cheaper than 64-bit integer ones.
void MosaicBands(uint32_t* P, int W, int H, int n, uint32_t* sums, uint16_t* narrow) {
    uint32_t* SS_RESTRICT red = sums;
    uint32_t* SS_RESTRICT green = sums + W;
    uint32_t* SS_RESTRICT blue = sums + 2 * size_t(W);
    uint32_t* SS_RESTRICT means = sums + 3 * size_t(W);  // the band's row of block means
    const hn::ScalableTag<uint16_t> d16;
    const hn::Rebind<uint8_t, decltype(d16)> d8;  // half as many bytes as a vector holds
    const int B = int(hn::Lanes(d16));           // bytes (channels) summed at once
    // A band of at most 257 rows sums each channel below 2^16: the bytes of a column stretch are widened
    // and added down the band in registers.
    const bool inLanes = n <= 257 && HWY_TARGET != HWY_SCALAR;
    for (int y0 = 0; y0 < H; y0 += n) {
        const int y1 = std::min(y0 + n, H);
        if (inLanes) {
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(P + size_t(y0) * size_t(W));
            const size_t rowBytes = 4 * size_t(W);
            size_t i = 0;
            for (; i + size_t(B) <= rowBytes; i += size_t(B)) {
                auto sum = hn::Zero(d16);
                for (int y = y0; y < y1; ++y) sum = hn::Add(sum, hn::PromoteTo(d16, hn::LoadU(d8, bytes + size_t(y - y0) * rowBytes + i)));
                hn::StoreU(sum, d16, narrow + i);
            }
            for (; i < rowBytes; ++i) {
                uint32_t sum = 0;
                for (int y = y0; y < y1; ++y) sum += bytes[size_t(y - y0) * rowBytes + i];
                narrow[i] = uint16_t(sum);
            }
        } else {
            for (int x = 0; x < W; ++x) red[x] = green[x] = blue[x] = 0;
            for (int y = y0; y < y1; ++y) {
                const uint32_t* SS_RESTRICT row = P + size_t(y) * size_t(W);
                for (int x = 0; x < W; ++x) red[x] += row[x] >> 16 & 255, green[x] += row[x] >> 8 & 255, blue[x] += row[x] & 255;
            }
        }
        for (int x0 = 0; x0 < W; x0 += n) {
            const int x1 = std::min(x0 + n, W);
            uint64_t r = 0, g = 0, b = 0;
            if (inLanes) {
                for (int x = x0; x < x1; ++x) r += narrow[4 * x + 2], g += narrow[4 * x + 1], b += narrow[4 * x];
            } else {
                for (int x = x0; x < x1; ++x) r += red[x], g += green[x], b += blue[x];
            }
            const double count = double(y1 - y0) * double(x1 - x0);
            const uint32_t mean = uint32_t(double(r) / count) << 16 | uint32_t(double(g) / count) << 8 |
                                  uint32_t(double(b) / count);
            std::fill(means + x0, means + x1, mean);
        }
        for (int y = y0; y < y1; ++y) std::copy(means, means + W, P + size_t(y) * size_t(W));
    }
}

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(FillWords);
HWY_EXPORT(FillFloats);
HWY_EXPORT(AddColor);
HWY_EXPORT(SubtractColor);
HWY_EXPORT(AddPixels);
HWY_EXPORT(SubtractPixels);
HWY_EXPORT(BlendByOpacity);
HWY_EXPORT(AverageRuns);
HWY_EXPORT(MapChannelsByLine);
HWY_EXPORT(DistanceFromLevel);
HWY_EXPORT(AddMappedPixels);
HWY_EXPORT(SubtractMappedPixels);
HWY_EXPORT(TransposeWords);
HWY_EXPORT(BoxBlurColumns);
HWY_EXPORT(MosaicBands);
HWY_EXPORT(MotionBlurPasses);
HWY_EXPORT(PlanColumnSources);
HWY_EXPORT(AverageByPlan);
HWY_EXPORT(TargetName);
}  // namespace softshow

void fillPixels(uint32_t* dst, int n, uint32_t value) { HWY_DYNAMIC_DISPATCH(softshow::FillWords)(dst, n, value); }
void fillFloats(float* dst, int n, float value) { HWY_DYNAMIC_DISPATCH(softshow::FillFloats)(dst, n, value); }
void addColorSaturated(uint32_t* dst, int n, uint32_t value) { HWY_DYNAMIC_DISPATCH(softshow::AddColor)(dst, n, value); }
void subtractColorSaturated(uint32_t* dst, int n, uint32_t value) {
    HWY_DYNAMIC_DISPATCH(softshow::SubtractColor)(dst, n, value);
}
void addPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    HWY_DYNAMIC_DISPATCH(softshow::AddPixels)(dst, src, n);
}
void subtractPixelsSaturated(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n) {
    HWY_DYNAMIC_DISPATCH(softshow::SubtractPixels)(dst, src, n);
}
void blendByOpacity(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, int opacity) {
    HWY_DYNAMIC_DISPATCH(softshow::BlendByOpacity)(dst, src, n, opacity);
}

void averageRuns(uint32_t* dst, const uint32_t* src, const int32_t* runs, int count) {
    HWY_DYNAMIC_DISPATCH(softshow::AverageRuns)(dst, src, runs, count);
}
bool planColumnSources(const int32_t* source, int W, int32_t* plan) {
    return HWY_DYNAMIC_DISPATCH(softshow::PlanColumnSources)(source, W, plan);
}
bool averageByPlan(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, const int32_t* plan, int W) {
    return HWY_DYNAMIC_DISPATCH(softshow::AverageByPlan)(dst, src, plan, W);
}

void mapChannelsByLine(uint32_t* dst, int n, const ChannelLine& line) {
    HWY_DYNAMIC_DISPATCH(softshow::MapChannelsByLine)(dst, n, line);
}
void distanceFromLevel(uint32_t* dst, int n, uint8_t level) { HWY_DYNAMIC_DISPATCH(softshow::DistanceFromLevel)(dst, n, level); }

void addMappedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, const ChannelLine& line) {
    HWY_DYNAMIC_DISPATCH(softshow::AddMappedPixels)(dst, src, n, line);
}
void subtractMappedPixels(uint32_t* SS_RESTRICT dst, const uint32_t* SS_RESTRICT src, int n, const ChannelLine& line) {
    HWY_DYNAMIC_DISPATCH(softshow::SubtractMappedPixels)(dst, src, n, line);
}

void transposeWords(const uint32_t* src, uint32_t* dst, int W, int H, int stride) {
    HWY_DYNAMIC_DISPATCH(softshow::TransposeWords)(src, dst, W, H, stride);
}
void boxBlurColumns(const uint32_t* horizontal, int stride, uint32_t* dst, int W, int H, int r, int32_t* red, int32_t* green,
                    int32_t* blue, WindowDivider divide) {
    HWY_DYNAMIC_DISPATCH(softshow::BoxBlurColumns)(horizontal, stride, dst, W, H, r, red, green, blue, divide);
}

void mosaicBands(uint32_t* P, int W, int H, int n, uint32_t* sums, uint16_t* narrow) {
    HWY_DYNAMIC_DISPATCH(softshow::MosaicBands)(P, W, H, n, sums, narrow);
}

void motionBlur(uint32_t* SS_RESTRICT P, int n, uint32_t* SS_RESTRICT h, int k) {
    HWY_DYNAMIC_DISPATCH(softshow::MotionBlurPasses)(P, n, h, k);
}

std::vector<int64_t> simdTargets() { return hwy::SupportedAndGeneratedTargets(); }
void forceSimdTarget(int64_t target) { hwy::SetSupportedTargetsForTest(target); }
std::string simdTargetName(int64_t target) { return hwy::TargetName(target); }
std::string activeSimdTarget() { return HWY_DYNAMIC_DISPATCH(softshow::TargetName)(); }
#endif  // HWY_ONCE
