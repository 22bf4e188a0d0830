// The triangle fills of simd/SpanKernels.h, compiled for every SIMD target and dispatched at run time.
//
// A long row is done in two passes. The running sums of 1/z, u/z and v/z are written first into a small
// buffer: a sum is the one before it plus a step, rounded, but on long spans that stay away from zero,
// stretches where every rounding adds the same amount are written a vector at a time (RunningSums). The fragments are then tested and shaded in
// lanes: a lane does exactly what the per-fragment walk does (divide, multiply, compare, truncate), and a
// fragment's outcome never depends on its neighbours'.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/SpanKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include <algorithm>
#include <cmath>

#include "scene3d/DepthBuffer.h"
#include "scene3d/Span.h"
#include "simd/SpanKernels.h"
#include "simd/LaneOps-inl.h"
#include "simd/Transpose-inl.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// 32-bit ARM divides in lanes by an estimate refined twice, not by an IEEE division: there the fragments
// are shaded one at a time.
constexpr bool kLaneDivisionExact = !HWY_ARCH_ARM_V7;
constexpr size_t kRowRoom = size_t(kDepthBufferWidth);

// Spans shorter than this (or than a vector) are drawn one fragment at a time. Measured on the show's
// temple and city and on 5,000 small triangles: 8, 16 and 32 within the timing noise of each other, 8
// the fewest instructions.
constexpr size_t kShortSpan = 8;
// Where vectors have fewer than 256 bits, spans of this many fragments or more take their own sums, exact
// runs written in vectors, and shorter ones are walked one addition at a time. A run's set-up pays only
// over long spans: over 31 frames at four places in the show, 32 and 128 executed equal instructions in
// the temple, 128 5% fewer in the city and 12% fewer at the spiky shell.
constexpr size_t kRunSpan = 128;
// The running sums of rows, with room after the span for a vector's overrun. File-scope, so initialised
// once; the fills are single-threaded, like the edge tables they read. Eight sets: with 256-bit vectors
// the sums of eight rows are made together (one lane a row); otherwise one row's sums are written while
// the row before it is shaded from another set, so a vector never waits on stores just made.
constexpr size_t kPad = 64;
constexpr int kBlockRows = 8;
float rowW[kBlockRows][kRowRoom + kPad], rowU[kBlockRows][kRowRoom + kPad], rowV[kBlockRows][kRowRoom + kPad];

// a[k] for k in 0 .. n - 1: start, then `step` added one float addition at a time. Where the sums form an
// exact arithmetic run (arithmeticSteps) they are written a vector at a time as start + j * D, which is
// exact there: j * D and the sum are representable. Writes up to one vector past a[n - 1].
void RunningSums(float* HWY_RESTRICT a, size_t n, float start, float step) {
    const hn::ScalableTag<float> df;
    const size_t N = hn::Lanes(df);
    const auto iota = hn::Iota(df, 0.0f);
    size_t k = 0;
    float v = start;
    for (;;) {
        const size_t left = n - 1 - k;  // additions still to make
        const int64_t steps = left >= 2 * N ? arithmeticSteps(v, step, int64_t(left)) : 0;
        if (steps >= int64_t(N)) {
            const float D = (v + step) - v;
            const auto first = hn::Set(df, v), increment = hn::Set(df, D);
            for (size_t j = 0; j <= size_t(steps); j += N)
                hn::StoreU(hn::Add(first, hn::Mul(hn::Add(iota, hn::Set(df, float(j))), increment)), df, a + k + j);
            k += size_t(steps);
            v = v + float(steps) * D;
        } else {
            // A run too short to pay for itself, or none: a vector's worth of single additions.
            for (size_t j = 0; j < N && k < n - 1; ++j, ++k) a[k] = v, v += step;
            a[k] = v;
        }
        if (k + 1 >= n) return;
        v += step, ++k;
    }
}

// Whether the n sums from `start` by `step` stay on one side of zero within a factor of 4.
inline bool fewBinades(float start, float step, size_t n) {
    const double a = start, b = double(start) + double(n) * double(step);
    if (!(a * b > 0)) return false;
    const double lo = std::min(std::fabs(a), std::fabs(b)), hi = std::max(std::fabs(a), std::fabs(b));
    return hi < 4.0 * lo;
}

#if HWY_MAX_BYTES >= 32
// The spans of rows y0 .. y0 + 7, as rowSpan gives them one row at a time: the same double differences,
// truncations and quotients, each rounded where rowSpan rounds it, eight rows in lanes. Rows starting left of
// the target (x0 < 0) that take steps are stepped to column 0 one row at a time, as rowSpan does. Reads
// eight table rows from y0 (the tables have room for that past their last row); lanes of rows the caller
// does not draw hold values it never reads.
struct BlockSpans {
    HWY_ALIGN int32_t x[8], last[8];
    HWY_ALIGN float start[3][8], step[3][8];
};

template <bool kTextured>
void blockSpans(int y0, int columns, BlockSpans& b) {
    const hn::FixedTag<float, 8> d8;
    const hn::FixedTag<float, 4> d4;
    const hn::FixedTag<double, 4> dd;
    const hn::FixedTag<int32_t, 4> di4;
    const hn::FixedTag<int32_t, 8> di8;
    hn::Vec<decltype(d8)> xl, wl, ul, vl, xr, wr, ur, vr;
    hn::LoadInterleaved4(d8, &leftEdge[y0].x, xl, wl, ul, vl);
    hn::LoadInterleaved4(d8, &rightEdge[y0].x, xr, wr, ur, vr);
    auto truncated = [&](hn::Vec<decltype(dd)> v) { return TruncatedOrMin(di4, v); };  // truncToInt in lanes
    hn::Vec<decltype(di4)> x0[2], x1[2];
    hn::Vec<decltype(d4)> q[3][2];
    for (int h = 0; h < 2; ++h) {
        auto wide = [&](hn::Vec<decltype(d8)> v) { return hn::PromoteTo(dd, h ? hn::UpperHalf(d4, v) : hn::LowerHalf(d4, v)); };
        const auto left = wide(xl), span = hn::Sub(wide(xr), left);
        x0[h] = truncated(left);
        x1[h] = truncated(hn::Add(span, hn::PromoteTo(dd, x0[h])));
        // A span of zero width takes zero steps; the quotient of its lanes is dropped.
        const auto width = hn::Ne(span, hn::Zero(dd));
        auto quotient = [&](hn::Vec<decltype(d8)> r, hn::Vec<decltype(d8)> l) {
            return hn::DemoteTo(d4, hn::IfThenElseZero(width, hn::Div(hn::Sub(wide(r), wide(l)), span)));
        };
        q[0][h] = quotient(wr, wl);
        if (kTextured) q[1][h] = quotient(ur, ul), q[2][h] = quotient(vr, vl);
    }
    const auto first = hn::Combine(di8, x0[1], x0[0]);
    const auto x = hn::Max(first, hn::Zero(di8));
    const auto last = hn::Min(hn::Combine(di8, x1[1], x1[0]), hn::Set(di8, columns - 1));
    // No steps where nothing is drawn or one fragment is drawn at the span's own start.
    const auto none = hn::Or(hn::Gt(x, last), hn::And(hn::Eq(x, last), hn::Gt(first, hn::Set(di8, -1))));
    const auto steps = hn::Not(hn::RebindMask(d8, none));
    hn::Store(x, di8, b.x);
    hn::Store(last, di8, b.last);
    const hn::Vec<decltype(d8)> starts[3] = {wl, ul, vl};
    for (int c = 0; c < 3; ++c) {
        hn::Store(starts[c], d8, b.start[c]);
        const auto step = c == 0 || kTextured ? hn::Combine(d8, q[c][1], q[c][0]) : hn::Zero(d8);
        hn::Store(hn::IfThenElseZero(steps, step), d8, b.step[c]);
    }
    if (!hn::AllTrue(di8, hn::Gt(first, hn::Set(di8, -1)))) {
        HWY_ALIGN int32_t x0s[8];
        hn::Store(first, di8, x0s);
        for (int i = 0; i < 8; ++i) {
            if (x0s[i] >= 0 || b.x[i] > b.last[i]) continue;  // no steps to take
            for (int c = 0; c < 3; ++c) b.start[c][i] = accumulateSteps(b.start[c][i], b.step[c][i], -int64_t(x0s[i]));
        }
    }
}
#endif

template <bool kTextured>
void FillRows(uint32_t* pixels, int width, int firstRow, int endRow, uint32_t color, const uint32_t* texels,
              int logWidth, int logHeight) {
    const hn::ScalableTag<float> df;
    const hn::RebindToSigned<decltype(df)> di;
    const hn::RebindToUnsigned<decltype(df)> du;
    const size_t N = hn::Lanes(df);
    const int columns = std::min(width, kDepthBufferWidth);
    // Lanes need a whole vector inside the row (and IEEE division when they shade).
    const bool lanes = N <= kPad && size_t(columns) >= N && (kLaneDivisionExact || !kTextured);

    const PowerOfTwoTexture texture(texels, logWidth, logHeight);  // the fragments walked one at a time
    const auto one = hn::Set(df, 1.0f);
    const auto textureWidth = hn::Set(df, float(1u << logWidth)), textureHeight = hn::Set(df, float(1u << logHeight));
    const auto maskU = hn::Set(du, (1u << logWidth) - 1), maskV = hn::Set(du, (1u << logHeight) - 1);
    // A texture coordinate's truncation masked to the texture; outside the int32 range (and NaN) it is 0.
    auto wrapped = [&](decltype(one) f, decltype(maskU) mask) {
        return hn::And(hn::BitCast(du, TruncatedOrMin(di, f)), mask);
    };
    [[maybe_unused]] const int32_t textureWords = kTextured ? int32_t(1) << (logWidth + logHeight) : 0;
    // The texels at `index`. With AVX-512, sixteen that lie within 32 words of each other are two loads
    // and one two-table permutation instead of the gather: magnified textures' rows. In the show's
    // colonnade (103-111 s) 83% of the fill's texel vectors qualify, 63% in the city (40-48 s), 2% at
    // the spiky shell; medians of five alternated runs at 103-111 s went from 996 to 1,028 frames/s.
    auto fetchTexels = [&](hn::Vec<decltype(di)> index) {
#if HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX3_DL
        if constexpr (hn::MaxLanes(decltype(di)()) == 16) {
            if (textureWords >= 32) {
                const int32_t start = std::min(std::max(hn::GetLane(index) - 15, 0), textureWords - 32);
                const auto picks = hn::Sub(index, hn::Set(di, start));
                if (hn::AllTrue(du, hn::Lt(hn::BitCast(du, picks), hn::Set(du, 32u))))
                    return hn::Vec<decltype(du)>{_mm512_permutex2var_epi32(_mm512_loadu_si512(texels + start), picks.raw,
                                                                           _mm512_loadu_si512(texels + start + 16))};
            }
        }
#endif
        return GatherWords(du, texels, index);
    };
    // The fragments at span indices k .. k + N - 1, sums from W, U, V.
    auto shade = [&](const float* W, const float* U, const float* V, uint32_t* out, float* depth, size_t k) {
        const auto oneOverZ = hn::LoadU(df, W + k);
        const auto depthNow = hn::LoadU(df, depth + k);
        const auto nearer = hn::Gt(depthNow, oneOverZ);
        if (hn::AllFalse(df, nearer)) return;
        auto value = hn::Set(du, color);
        if constexpr (kTextured) {
            const auto z = hn::Div(one, oneOverZ);
            const auto col = wrapped(hn::Mul(hn::Mul(hn::LoadU(df, U + k), z), textureWidth), maskU);
            const auto row = wrapped(hn::Mul(hn::Mul(hn::LoadU(df, V + k), z), textureHeight), maskV);
            const auto index = hn::BitCast(di, hn::Or(hn::ShiftLeftSame(row, logWidth), col));
            value = fetchTexels(index);
        }
        // Whole vectors read back and written, every lane inside the row: masked stores (vpmaskmovd)
        // held 30% of the fill's profile samples on the AMD processor this was measured on.
        hn::StoreU(hn::IfThenElse(hn::RebindMask(du, nearer), value, hn::LoadU(du, out + k)), du, out + k);
        hn::StoreU(hn::IfThenElse(nearer, oneOverZ, depthNow), df, depth + k);
    };

    struct Row {
        RowSpan s;
        size_t n = 0;  // 0: nothing to draw
        bool inLanes = false;
    };
    // Whether a row of n fragments is drawn in lanes.
    auto inLanes = [&](size_t n) { return lanes && n >= std::max(kShortSpan, N); };
    // Row y's fragments, drawn in lanes from set `set` or one at a time.
    auto drawRow = [&](int y, const Row& r, int set) {
        if (r.n == 0) return;
        const RowSpan& s = r.s;
        const size_t n = r.n;
        uint32_t* out = pixels + size_t(y) * size_t(width) + size_t(s.x);
        float* depth = depthBuffer + size_t(y) * kDepthBufferWidth + size_t(s.x);
        if (!r.inLanes) {
            float w = s.w, uw = s.uw, vw = s.vw;
            for (size_t k = 0; k < n; ++k, w += s.dw, uw += s.du, vw += s.dv) {
                if (depth[k] > w) {
                    out[k] = kTextured ? texture.texel(w, uw, vw) : color;
                    depth[k] = w;
                }
            }
            return;
        }
        const float* W = rowW[set];
        const float* U = rowU[set];
        const float* V = rowV[set];
        // The last vector ends at the span's end, without a test of its own, and may overlap fragments
        // already done: a second test of a fragment changes nothing (a drawn one now equals the depth it
        // is tested against, and the test is strict).
        for (size_t k = 0; k + N < n; k += N) shade(W, U, V, out, depth, k);
        shade(W, U, V, out, depth, n - N);
    };

#if HWY_MAX_BYTES >= 32
    // Eight rows at a time. Their sums advance together, one lane a row and one float addition a step
    // (each lane the walk of its own row); every eight steps the block is turned so that each row's eight
    // sums are stored together. (Long rows included: over half a second of the temple and of the city
    // this executed 6% fewer instructions than giving rows of kRunSpan or more their own runs.)
    const hn::FixedTag<float, 8> d8;
    for (int y0 = firstRow; y0 < endRow; y0 += kBlockRows) {
        BlockSpans b;
        blockSpans<kTextured>(y0, columns, b);
        Row rows[kBlockRows];
        const int count = std::min(kBlockRows, endRow - y0);
        size_t longest = 0;
        for (int i = 0; i < count; ++i) {
            Row& r = rows[i];
            r.s.x = b.x[i], r.s.last = b.last[i];
            r.s.w = b.start[0][i], r.s.uw = b.start[1][i], r.s.vw = b.start[2][i];
            r.s.dw = b.step[0][i], r.s.du = b.step[1][i], r.s.dv = b.step[2][i];
            r.n = r.s.x > r.s.last ? 0 : size_t(r.s.last - r.s.x + 1);
            r.inLanes = inLanes(r.n);
            if (r.inLanes) longest = std::max(longest, r.n);
        }
        if (longest > 0) {
            // Lanes of rows not drawn in lanes step too; their sums are never read. The sums share one
            // loop: its varying length is one mispredicted exit a block, not one a sum.
            constexpr int kSums = kTextured ? 3 : 1;
            float(*const sets[3])[kRowRoom + kPad] = {rowW, rowU, rowV};
            hn::Vec<decltype(d8)> sum[kSums], add[kSums];
            for (int c = 0; c < kSums; ++c) sum[c] = hn::Load(d8, b.start[c]), add[c] = hn::Load(d8, b.step[c]);
            for (size_t k = 0; k < longest; k += 8) {
                for (int c = 0; c < kSums; ++c) {
                    hn::Vec<decltype(d8)> block[8];
                    for (int j = 0; j < 8; ++j) block[j] = sum[c], sum[c] = hn::Add(sum[c], add[c]);
                    Transpose8x8(d8, block);
                    for (int i = 0; i < kBlockRows; ++i) hn::StoreU(block[i], d8, sets[c][i] + k);
                }
            }
        }
        for (int i = 0; i < count; ++i) drawRow(y0 + i, rows[i], i);
    }
#else
    auto span = [&](int y) {
        Row r;
        r.s = rowSpan(leftEdge[y], rightEdge[y], kTextured, columns);
        if (r.s.x > r.s.last) return r;
        r.n = size_t(r.s.last - r.s.x + 1);  // at most kRowRoom: columns never pass 511
        r.inLanes = inLanes(r.n);
        return r;
    };
    // A row's sums, one row at a time, into set `set`.
    auto rowSums = [&](const Row& r, int set) {
        float* W = rowW[set];
        float* U = rowU[set];
        float* V = rowV[set];
        // Sums whose span stays on one side of zero within a factor of 4 cross at most two binades: their
        // runs are long and written in vectors. The others (u/z and v/z near a face's edge, where they
        // start at zero and cross a binade every few steps) are walked, side by side.
        const bool runW = r.n >= kRunSpan && fewBinades(r.s.w, r.s.dw, r.n);
        const bool runU = kTextured && r.n >= kRunSpan && fewBinades(r.s.uw, r.s.du, r.n);
        const bool runV = kTextured && r.n >= kRunSpan && fewBinades(r.s.vw, r.s.dv, r.n);
        if (runW) RunningSums(W, r.n, r.s.w, r.s.dw);
        if (runU) RunningSums(U, r.n, r.s.uw, r.s.du);
        if (runV) RunningSums(V, r.n, r.s.vw, r.s.dv);
        if (!runW || (kTextured && (!runU || !runV))) {
            float w = r.s.w, uw = r.s.uw, vw = r.s.vw;
            for (size_t k = 0; k < r.n; ++k) {
                if (!runW) W[k] = w, w += r.s.dw;
                if (kTextured && !runU) U[k] = uw, uw += r.s.du;
                if (kTextured && !runV) V[k] = vw, vw += r.s.dv;
            }
        }
    };
    // One row at a time, the next row's sums made while this one is drawn.
    Row next = firstRow < endRow ? span(firstRow) : Row();
    if (next.inLanes) rowSums(next, 0);
    for (int y = firstRow; y < endRow; ++y) {
        const int set = (y - firstRow) & 1;
        const Row r = next;
        if (y + 1 < endRow) {
            next = span(y + 1);
            if (next.inLanes) rowSums(next, set ^ 1);
        }
        drawRow(y, r, set);
    }
#endif
}

void TexturedRows(uint32_t* pixels, int width, int firstRow, int endRow, const uint32_t* texels, int logWidth,
                  int logHeight) {
    FillRows<true>(pixels, width, firstRow, endRow, 0, texels, logWidth, logHeight);
}

void FlatRows(uint32_t* pixels, int width, int firstRow, int endRow, uint32_t color) {
    FillRows<false>(pixels, width, firstRow, endRow, color, nullptr, 0, 0);
}

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(RunningSums);
HWY_EXPORT(TexturedRows);
HWY_EXPORT(FlatRows);
}  // namespace softshow

void fillTexturedRows(uint32_t* pixels, int width, int firstRow, int endRow, const uint32_t* texels, int logWidth,
                      int logHeight) {
    HWY_DYNAMIC_DISPATCH(softshow::TexturedRows)(pixels, width, firstRow, endRow, texels, logWidth, logHeight);
}

void fillFlatRows(uint32_t* pixels, int width, int firstRow, int endRow, uint32_t color) {
    HWY_DYNAMIC_DISPATCH(softshow::FlatRows)(pixels, width, firstRow, endRow, color);
}

void runningSums(float* sums, size_t n, float start, float step) {
    if (n > 0) HWY_DYNAMIC_DISPATCH(softshow::RunningSums)(sums, n, start, step);
}
#endif  // HWY_ONCE
