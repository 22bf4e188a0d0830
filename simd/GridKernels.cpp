// The grid's shaded runs and cells (simd/GridKernels.h), compiled for every SIMD target and dispatched at
// run time. Coordinates are 16.16 integers stepped by wrapping additions, so the value after i steps,
// start + i * step (mod 2^32), is the walk's own: a cell computes its rows' edges, spans and pixels with
// one lane per row, each doing what the per-pixel form does.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/GridKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include "simd/GridKernels.h"
#include "simd/LaneOps-inl.h"
#include "simd/Transpose-inl.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// The one-lane fallback target runs the per-pixel form.
void ShadedRun(GridBlend blend, uint32_t* row, int n, int room, const ShadedSteps& s, const uint32_t* texels) {
    (void)room;
    reference::shadedRun(blend, row, n, s, texels);
}
bool ShadedCell(GridBlend, uint32_t*, int, const CellCorners&, const uint32_t*) { return false; }
#else
// A texel darkened per channel: below zero a channel becomes 0; above 255 it spills into the next
// channel's bits, as in the per-pixel form.
template <class DU, class DI, class V>
HWY_INLINE V Shaded(DU du, DI di, V texel, V k) {
    const auto byte = hn::Set(du, 255u);
    const auto zero = hn::Zero(di);
    const auto dark = hn::ShiftRight<16>(hn::BitCast(di, k));  // arithmetic, as k >> 16
    if (hn::AllFalse(di, hn::Lt(dark, zero))) {
        // No lane brightens, so no channel passes 255: each byte less its darkening (at most 255, which
        // leaves 0 as any larger one does), saturated at 0; the fourth byte becomes 0.
        const hn::Repartition<uint8_t, DU> d8;
        const auto darkBytes = hn::Mul(hn::BitCast(du, hn::Min(dark, hn::Set(di, 255))), hn::Set(du, 0x010101u));
        return hn::And(hn::BitCast(du, hn::SaturatedSub(hn::BitCast(d8, texel), hn::BitCast(d8, darkBytes))), hn::Set(du, 0xFFFFFFu));
    }
    auto channel = [&](V shifted) {
        return hn::BitCast(du, hn::Max(zero, hn::Sub(hn::BitCast(di, hn::And(shifted, byte)), dark)));
    };
    return hn::Or(hn::Or(hn::ShiftLeft<16>(channel(hn::ShiftRight<16>(texel))), hn::ShiftLeft<8>(channel(hn::ShiftRight<8>(texel)))),
                  channel(texel));
}

template <GridBlend B, class DU, class V>
HWY_INLINE V Put(DU du, V old, V value) {
    const hn::Repartition<uint8_t, DU> d8;
    if constexpr (B == GridBlend::Add) return hn::BitCast(du, hn::SaturatedAdd(hn::BitCast(d8, old), hn::BitCast(d8, value)));
    if constexpr (B == GridBlend::Subtract) return hn::BitCast(du, hn::SaturatedSub(hn::BitCast(d8, old), hn::BitCast(d8, value)));
    return value;
}

// a / n truncated towards zero, n > 0: quotients through doubles, exact (see truncatedQuotient). Every
// quotient lies in the int32 range (|a| <= 2^31, n >= 1), so no clamp is needed before the conversion.
template <class DI, class V>
HWY_INLINE V Quotient(DI di, V a, V n) {
    const hn::Half<DI> dh;
    const hn::Rebind<double, decltype(dh)> dd;
    const auto low = hn::Div(hn::PromoteTo(dd, hn::LowerHalf(dh, a)), hn::PromoteTo(dd, hn::LowerHalf(dh, n)));
    const auto high = hn::Div(hn::PromoteTo(dd, hn::UpperHalf(dh, a)), hn::PromoteTo(dd, hn::UpperHalf(dh, n)));
    return hn::Combine(di, TruncatedOrMin(dh, high), TruncatedOrMin(dh, low));
}

#if HWY_MAX_BYTES >= 32
template <GridBlend B>
bool Cell(uint32_t* cell, int W, const CellCorners& c, const uint32_t* texels) {
    const hn::FixedTag<uint32_t, 8> du;  // one lane per cell row
    const hn::RebindToSigned<decltype(du)> di;
    using VI = hn::Vec<decltype(di)>;
    // The three edges' steps per row: twelve quotients (edge, field) in the lanes of two vectors. Edges
    // that do not go down the cell (which the cell's corners never make) are left to the triangle walk.
    const ShadedVertex* ends[3][2] = {{&c.A, &c.D}, {&c.A, &c.C}, {&c.B, &c.D}};
    constexpr int32_t ShadedVertex::*kFields[4] = {&ShadedVertex::x, &ShadedVertex::u, &ShadedVertex::v, &ShadedVertex::k};
    HWY_ALIGN int32_t numerators[16] = {}, divisors[16], steps[16];
    for (int i = 0; i < 16; ++i) divisors[i] = 1;
    for (int e = 0; e < 3; ++e) {
        const ShadedVertex &from = *ends[e][0], &to = *ends[e][1];
        const int32_t dy = int32_t(uint32_t(to.y) - uint32_t(from.y));
        if (dy <= 0) return false;
        for (int f = 0; f < 4; ++f) {
            numerators[4 * e + f] = int32_t((uint32_t(to.*kFields[f]) - uint32_t(from.*kFields[f])) << 16);
            divisors[4 * e + f] = dy;
        }
    }
    for (int h = 0; h < 16; h += 8)
        hn::Store(Quotient(di, hn::Load(di, numerators + h), hn::Load(di, divisors + h)), di, steps + h);
    // The edges' values at every row r: start + r * step, the walk's wrapping additions.
    const auto r = hn::Iota(du, 0);
    struct Edge {
        VI x, u, v, k;
    };
    auto edge = [&](int e) {
        auto along = [&](int f) {
            const uint32_t start = uint32_t(ends[e][0]->*kFields[f]) << 16;
            return hn::BitCast(di, hn::Add(hn::Set(du, start), hn::Mul(r, hn::Set(du, uint32_t(steps[4 * e + f])))));
        };
        return Edge{along(0), along(1), along(2), along(3)};
    };
    const Edge ad = edge(0), ac = edge(1), bd = edge(2);

    // Per row, A-C-D's span (between A-C and A-D) and A-B-D's (between A-D and B-D), as the triangle walk
    // makes them: left edge the one of smaller x, ends swapped when they cross, empty when they meet.
    struct Span {
        VI x, n, u, v, k, du, dv, dk;
    };
    auto rowSpan = [&](const Edge& longEdge, const Edge& shortEdge) {
        const auto longLeft = hn::Lt(longEdge.x, shortEdge.x);
        auto pick = [&](VI a, VI b) { return hn::IfThenElse(longLeft, a, b); };
        const Edge l{pick(longEdge.x, shortEdge.x), pick(longEdge.u, shortEdge.u), pick(longEdge.v, shortEdge.v),
                     pick(longEdge.k, shortEdge.k)};
        const Edge rr{pick(shortEdge.x, longEdge.x), pick(shortEdge.u, longEdge.u), pick(shortEdge.v, longEdge.v),
                      pick(shortEdge.k, longEdge.k)};
        VI xa = hn::ShiftRight<16>(l.x), xb = hn::ShiftRight<16>(rr.x);
        VI ua = hn::ShiftRight<16>(l.u), ub = hn::ShiftRight<16>(rr.u);
        VI va = hn::ShiftRight<16>(l.v), vb = hn::ShiftRight<16>(rr.v);
        VI ka = hn::ShiftRight<16>(l.k), kb = hn::ShiftRight<16>(rr.k);
        const auto swap = hn::Gt(xa, xb);
        auto first = [&](VI a, VI b) { return hn::IfThenElse(swap, b, a); };
        auto second = [&](VI a, VI b) { return hn::IfThenElse(swap, a, b); };
        const VI x0 = first(xa, xb), x1 = second(xa, xb), u0 = first(ua, ub), u1 = second(ua, ub);
        const VI v0 = first(va, vb), v1 = second(va, vb), k0 = first(ka, kb), k1 = second(ka, kb);
        auto shl16 = [&](VI a) { return hn::BitCast(di, hn::ShiftLeft<16>(hn::BitCast(du, a))); };
        auto minus = [&](VI a, VI b) { return hn::BitCast(di, hn::Sub(hn::BitCast(du, a), hn::BitCast(du, b))); };
        Span s;
        s.x = x0;
        s.n = minus(x1, x0);
        const VI divisor = hn::Max(s.n, hn::Set(di, 1));  // empty rows draw nothing
        s.u = shl16(u0), s.v = shl16(v0), s.k = shl16(k0);
        s.du = Quotient(di, shl16(minus(u1, u0)), divisor);
        s.dv = Quotient(di, shl16(minus(v1, v0)), divisor);
        s.dk = Quotient(di, shl16(minus(k1, k0)), divisor);
        return s;
    };
    Span spans[2] = {rowSpan(ad, ac), rowSpan(ad, bd)};
    // Both inside the cell's columns and apart, which the corners make so; else the caller walks them.
    const VI left = hn::Set(di, c.x);
    for (Span& s : spans) {
        s.x = hn::Sub(s.x, left);
        const auto fits = hn::And(hn::Gt(s.x, hn::Set(di, -1)), hn::Not(hn::Gt(hn::Add(s.x, s.n), hn::Set(di, 8))));
        if (!hn::AllTrue(di, hn::Or(fits, hn::Lt(s.n, hn::Set(di, 1))))) return false;
    }
    const auto apart = hn::Or(hn::Not(hn::Gt(hn::Add(spans[0].x, spans[0].n), spans[1].x)),
                              hn::Not(hn::Gt(hn::Add(spans[1].x, spans[1].n), spans[0].x)));
    if (!hn::AllTrue(di, hn::Or(apart, hn::Lt(hn::Min(spans[0].n, spans[1].n), hn::Set(di, 1))))) return false;

    // The pixels a column at a time, one lane per row: a span's values step by one wrapping addition per
    // column from their value at column 0 (start - x0 * step, the row walk's start + (c - x0) * step at
    // c = 0). Then the 8 x 8 block is turned into rows and written.
    struct Walk {
        VI first, end;  // columns first .. end - 1; none when the row's span is empty
        hn::Vec<decltype(du)> u, v, k, stepU, stepV, stepK;
    };
    Walk walks[2];
    for (int i = 0; i < 2; ++i) {
        const Span& s = spans[i];
        Walk& w = walks[i];
        w.first = s.x;
        w.end = hn::IfThenElse(hn::Lt(s.n, hn::Set(di, 1)), s.x, hn::Add(s.x, s.n));
        const auto back = hn::BitCast(du, hn::Neg(s.x));  // -x0 steps to column 0
        auto at0 = [&](VI start, VI step) {
            return hn::Add(hn::BitCast(du, start), hn::Mul(back, hn::BitCast(du, step)));
        };
        w.u = at0(s.u, s.du), w.v = at0(s.v, s.dv), w.k = at0(s.k, s.dk);
        w.stepU = hn::BitCast(du, s.du), w.stepV = hn::BitCast(du, s.dv), w.stepK = hn::BitCast(du, s.dk);
    }
    const auto byte = hn::Set(du, 255u);
    hn::Vec<decltype(du)> shaded[8], covered[8];
    for (int c = 0; c < 8; ++c) {
        const VI column = hn::Set(di, c);
        auto inside = [&](const Walk& w) {
            return hn::RebindMask(du, hn::And(hn::Not(hn::Gt(w.first, column)), hn::Gt(w.end, column)));
        };
        // The spans are apart: a lane the second does not cover takes the first's values, and lanes
        // neither covers are not written.
        const auto second = inside(walks[1]);
        const auto u = hn::IfThenElse(second, walks[1].u, walks[0].u);
        const auto v = hn::IfThenElse(second, walks[1].v, walks[0].v);
        const auto k = hn::IfThenElse(second, walks[1].k, walks[0].k);
        const auto in = hn::Or(hn::VecFromMask(du, inside(walks[0])), hn::VecFromMask(du, second));
        for (Walk& w : walks) w.u = hn::Add(w.u, w.stepU), w.v = hn::Add(w.v, w.stepV), w.k = hn::Add(w.k, w.stepK);
        const auto index = hn::Or(hn::ShiftLeft<8>(hn::And(hn::ShiftRight<16>(v), byte)), hn::And(hn::ShiftRight<16>(u), byte));
        shaded[c] = Shaded(du, di, GatherWords(du, texels, hn::BitCast(di, index)), k);
        covered[c] = in;
    }
    Transpose8x8(du, shaded);
    Transpose8x8(du, covered);
    for (int row = 0; row < 8; ++row) {
        uint32_t* out = cell + size_t(row) * size_t(W);
        const auto old = hn::LoadU(du, out);
        hn::StoreU(hn::IfThenElse(hn::MaskFromVec(covered[row]), Put<B>(du, old, shaded[row]), old), du, out);
    }
    return true;
}
#endif

template <GridBlend B>
void Run(uint32_t* row, int n, int room, const ShadedSteps& s, const uint32_t* texels) {
    const hn::ScalableTag<uint32_t> du;
    const hn::RebindToSigned<decltype(du)> di;
    const int N = int(hn::Lanes(du));
    const auto lane = hn::Iota(du, 0u);
    const auto byte = hn::Set(du, 255u);
    int i = 0;
    for (; i < n && i + N <= room; i += N) {
        const auto index = hn::Add(lane, hn::Set(du, uint32_t(i)));
        const auto u = hn::Add(hn::Set(du, uint32_t(s.u)), hn::Mul(index, hn::Set(du, uint32_t(s.du))));
        const auto v = hn::Add(hn::Set(du, uint32_t(s.v)), hn::Mul(index, hn::Set(du, uint32_t(s.dv))));
        const auto k = hn::Add(hn::Set(du, uint32_t(s.k)), hn::Mul(index, hn::Set(du, uint32_t(s.dk))));
        const auto at = hn::Or(hn::ShiftLeft<8>(hn::And(hn::ShiftRight<16>(v), byte)), hn::And(hn::ShiftRight<16>(u), byte));
        const auto texel = hn::GatherIndex(du, texels, hn::BitCast(di, at));
        const auto old = hn::LoadU(du, row + i);
        auto out = Put<B>(du, old, Shaded(du, di, texel, k));
        if (i + N > n) out = hn::IfThenElse(hn::FirstN(du, size_t(n - i)), out, old);  // lanes past the run kept
        hn::StoreU(out, du, row + i);
    }
    if (i < n) {  // the row ends within a vector: the rest one pixel at a time
        ShadedSteps rest = s;
        rest.u = int32_t(uint32_t(s.u) + uint32_t(i) * uint32_t(s.du));
        rest.v = int32_t(uint32_t(s.v) + uint32_t(i) * uint32_t(s.dv));
        rest.k = int32_t(uint32_t(s.k) + uint32_t(i) * uint32_t(s.dk));
        reference::shadedRun(B, row + i, n - i, rest, texels);
    }
}

void ShadedRun(GridBlend blend, uint32_t* row, int n, int room, const ShadedSteps& s, const uint32_t* texels) {
    switch (blend) {
        case GridBlend::Copy: Run<GridBlend::Copy>(row, n, room, s, texels); break;
        case GridBlend::Add: Run<GridBlend::Add>(row, n, room, s, texels); break;
        case GridBlend::Subtract: Run<GridBlend::Subtract>(row, n, room, s, texels); break;
    }
}

bool ShadedCell(GridBlend blend, uint32_t* cell, int W, const CellCorners& corners, const uint32_t* texels) {
#if HWY_MAX_BYTES >= 32
    switch (blend) {
        case GridBlend::Copy: return Cell<GridBlend::Copy>(cell, W, corners, texels);
        case GridBlend::Add: return Cell<GridBlend::Add>(cell, W, corners, texels);
        case GridBlend::Subtract: return Cell<GridBlend::Subtract>(cell, W, corners, texels);
    }
#else
    (void)blend, (void)cell, (void)W, (void)corners, (void)texels;  // fewer than 8 lanes: walk the triangles
#endif
    return false;
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(ShadedRun);
HWY_EXPORT(ShadedCell);
}  // namespace softshow

void shadedRun(GridBlend blend, uint32_t* row, int n, int room, const ShadedSteps& steps, const uint32_t* texels) {
    HWY_DYNAMIC_DISPATCH(softshow::ShadedRun)(blend, row, n, room, steps, texels);
}

bool shadedCell(GridBlend blend, uint32_t* cell, int W, const CellCorners& corners, const uint32_t* texels) {
    return HWY_DYNAMIC_DISPATCH(softshow::ShadedCell)(blend, cell, W, corners, texels);
}
#endif  // HWY_ONCE
