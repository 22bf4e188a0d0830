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
bool ShadedCellRow(GridBlend, uint32_t*, int, const ShadedVertex*, const ShadedVertex*, int, const uint32_t*) { return false; }
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
// The corners sit at the cell's own corners (the caller checks), so the triangle walk's edges are fixed:
// A-D crosses one column a row (its x step is exactly 1 << 16) while A-C and B-D keep to the cell's
// sides, and row r holds columns 0 .. r - 1 of A-C-D (between A-C and A-D) and r .. 7 of A-B-D (between
// A-D and B-D). Every pixel of the cell is drawn once. Only the texture position and the darkening vary.
template <GridBlend kBlend>
void Cell(uint32_t* cell, int W, const ShadedVertex& A, const ShadedVertex& B, const ShadedVertex& C,
          const ShadedVertex& D, const uint32_t* texels) {
    const hn::FixedTag<uint32_t, 8> du;  // one lane per cell row
    const hn::RebindToSigned<decltype(du)> di;
    using VU = hn::Vec<decltype(du)>;
    const auto r = hn::Iota(du, 0u);
    // An edge's u, v and k (16.16) at every row: start + r * step, the step (to - from) << 16 over the
    // edge's 8 rows truncated towards zero, as the walk's wrapping additions make them.
    struct Edge {
        VU u, v, k;
    };
    auto edge = [&](const ShadedVertex& from, const ShadedVertex& to) {
        auto along = [&](int32_t a, int32_t b) {
            const int32_t step = int32_t((uint32_t(b) - uint32_t(a)) << 16) / 8;
            return hn::Add(hn::Set(du, uint32_t(a) << 16), hn::Mul(r, hn::Set(du, uint32_t(step))));
        };
        return Edge{along(from.u, to.u), along(from.v, to.v), along(from.k, to.k)};
    };
    const Edge ad = edge(A, D), ac = edge(A, C), bd = edge(B, D);

    // A row's span from edge l to edge e over n columns starting at column x0 (n and x0 per lane): each
    // value starts at l's whole units and steps by the difference of whole units << 16 over n,
    // truncated; kept as its value at column 0 (start - x0 * step), so both spans step every column.
    struct Walk {
        VU u, v, k, stepU, stepV, stepK;
    };
    auto walk = [&](const Edge& l, const Edge& e, hn::Vec<decltype(di)> n, VU back) {
        auto field = [&](VU a, VU b, VU& value, VU& step) {
            const auto whole = hn::BitCast(du, hn::ShiftRight<16>(hn::BitCast(di, a)));  // arithmetic, as a >> 16
            const auto difference = hn::Sub(hn::BitCast(du, hn::ShiftRight<16>(hn::BitCast(di, b))), whole);
            step = hn::BitCast(du, Quotient(di, hn::BitCast(di, hn::ShiftLeft<16>(difference)), n));
            value = hn::Add(hn::ShiftLeft<16>(whole), hn::Mul(back, step));
        };
        Walk w;
        field(l.u, e.u, w.u, w.stepU), field(l.v, e.v, w.v, w.stepV), field(l.k, e.k, w.k, w.stepK);
        return w;
    };
    // A-C-D's row 0 is empty; its divisor 1 there gives steps that are never used.
    Walk first = walk(ac, ad, hn::BitCast(di, hn::Max(r, hn::Set(du, 1u))), hn::Zero(du));
    Walk second = walk(ad, bd, hn::BitCast(di, hn::Sub(hn::Set(du, 8u), r)), hn::Sub(hn::Zero(du), r));
    const auto byte = hn::Set(du, 255u);
    VU shaded[8];
    for (int col = 0; col < 8; ++col) {
        // Lanes r <= col are in A-B-D, the others in A-C-D.
        const auto inSecond = hn::RebindMask(du, hn::Lt(hn::BitCast(di, r), hn::Set(di, col + 1)));
        const auto u = hn::IfThenElse(inSecond, second.u, first.u);
        const auto v = hn::IfThenElse(inSecond, second.v, first.v);
        const auto k = hn::IfThenElse(inSecond, second.k, first.k);
        for (Walk* w : {&first, &second})
            w->u = hn::Add(w->u, w->stepU), w->v = hn::Add(w->v, w->stepV), w->k = hn::Add(w->k, w->stepK);
        const auto index = hn::Or(hn::ShiftLeft<8>(hn::And(hn::ShiftRight<16>(v), byte)), hn::And(hn::ShiftRight<16>(u), byte));
        shaded[col] = Shaded(du, di, GatherWords(du, texels, hn::BitCast(di, index)), k);
    }
    Transpose8x8(du, shaded);
    for (int row = 0; row < 8; ++row) {
        uint32_t* out = cell + size_t(row) * size_t(W);
        if constexpr (kBlend == GridBlend::Copy) hn::StoreU(shaded[row], du, out);
        else hn::StoreU(Put<kBlend>(du, hn::LoadU(du, out), shaded[row]), du, out);
    }
}

template <GridBlend kBlend>
void CellRow(uint32_t* row, int W, const ShadedVertex* top, const ShadedVertex* bottom, int count, const uint32_t* texels) {
    for (int i = 0; i < count; ++i) Cell<kBlend>(row + 8 * size_t(i), W, top[i], top[i + 1], bottom[i], bottom[i + 1], texels);
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

bool ShadedCellRow(GridBlend blend, uint32_t* row, int W, const ShadedVertex* top, const ShadedVertex* bottom, int count,
                   const uint32_t* texels) {
#if HWY_MAX_BYTES >= 32
    switch (blend) {
        case GridBlend::Copy: CellRow<GridBlend::Copy>(row, W, top, bottom, count, texels); break;
        case GridBlend::Add: CellRow<GridBlend::Add>(row, W, top, bottom, count, texels); break;
        case GridBlend::Subtract: CellRow<GridBlend::Subtract>(row, W, top, bottom, count, texels); break;
    }
    return true;
#else
    (void)blend, (void)row, (void)W, (void)top, (void)bottom, (void)count, (void)texels;  // fewer than 8 lanes
    return false;
#endif
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(ShadedRun);
HWY_EXPORT(ShadedCellRow);
}  // namespace softshow

void shadedRun(GridBlend blend, uint32_t* row, int n, int room, const ShadedSteps& steps, const uint32_t* texels) {
    HWY_DYNAMIC_DISPATCH(softshow::ShadedRun)(blend, row, n, room, steps, texels);
}

bool shadedCellRow(GridBlend blend, uint32_t* row, int W, const ShadedVertex* top, const ShadedVertex* bottom, int count,
                   const uint32_t* texels) {
    return HWY_DYNAMIC_DISPATCH(softshow::ShadedCellRow)(blend, row, W, top, bottom, count, texels);
}
#endif  // HWY_ONCE
