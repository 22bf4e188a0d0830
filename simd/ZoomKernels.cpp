// The zoom smear (simd/ZoomKernels.h), compiled for every SIMD target and dispatched at run time.
//
// A pixel's three channels (and an unused fourth) are the lanes of one vector of doubles, so a lane does
// the per-channel arithmetic of the per-pixel walk in its order: ((a w0x) w0y + (b w1x) w0y) + (c w0x) w1y
// + (d w1x) w1y, then truncation. Within a row each pixel waits for its left neighbour, so four rows run
// side by side, each one column behind the row above it (whose two pixels it reads are then done).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simd/ZoomKernels.cpp"
#include <hwy/foreach_target.h>  // re-includes this file once per target
#include <hwy/highway.h>

#include "simd/LaneOps-inl.h"
#include "simd/ZoomKernels.h"

HWY_BEFORE_NAMESPACE();
namespace softshow {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_MAX_BYTES >= 32 && HWY_TARGET != HWY_SCALAR
constexpr int kRowsTogether = 4;

bool ZoomRows(uint32_t* P, int W, int first, int end, const ZoomWeights& wt) {
    const hn::FixedTag<double, 4> dd;
    const hn::FixedTag<int32_t, 4> di;
    const hn::FixedTag<uint32_t, 4> du;
    const hn::Repartition<uint8_t, decltype(du)> d8;
    const hn::Rebind<uint8_t, decltype(di)> bytes;  // one word's four bytes
    // From a word to lanes of one channel each (blue, green, red from the low byte; the fourth lane takes
    // the word's fourth byte, and its results are never read).
    auto channels = [&](const uint32_t* p) {
        return hn::PromoteTo(dd, hn::PromoteTo(di, hn::LoadU(bytes, reinterpret_cast<const uint8_t*>(p))));
    };
    // Back: the lanes' values are 0 .. 255, so each is its lane's low byte (index 0x80 gives a zero byte).
    alignas(16) static constexpr uint8_t kGather[16] = {0, 4, 8, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                         0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    const auto gather = hn::Load(d8, kGather);
    // The conversion truncates, so it takes the unrounded sum.
    auto word = [&](hn::Vec<decltype(dd)> c) {
        return hn::GetLane(hn::BitCast(du, hn::TableLookupBytesOr0(hn::BitCast(d8, TruncatedOrMin(di, c)), gather)));
    };
    struct Row {
        uint32_t* out;
        const uint32_t* above;
        hn::Vec<decltype(dd)> left, aboveLeft;  // this row's last result, the pixel above-left
        double wy0, wy1;
    };
    // Pixel x of a row; `edge` for column 0, which reads columns 0 and 1 (the second with weight 0).
    // `above`: the new pixel above as channels when the caller holds it, else null (read from the frame).
    auto pixel = [&](Row& row, int x, bool edge, const hn::Vec<decltype(dd)>* above) HWY_ATTR {
        const auto wx0 = hn::Set(dd, wt.column0[x]), wx1 = hn::Set(dd, wt.column1[x]);
        const auto wy0 = hn::Set(dd, row.wy0), wy1 = hn::Set(dd, row.wy1);
        const int x1 = edge ? 1 : x;
        const auto a = edge ? channels(row.above) : row.aboveLeft;
        const auto b = above ? *above : channels(row.above + x1);
        const auto c = edge ? channels(row.out) : row.left;
        const auto d = channels(row.out + x1);
        const auto v = hn::Add(hn::Add(hn::Add(hn::Mul(hn::Mul(a, wx0), wy0), hn::Mul(hn::Mul(b, wx1), wy0)),
                                       hn::Mul(hn::Mul(c, wx0), wy1)),
                               hn::Mul(hn::Mul(d, wx1), wy1));
        row.out[x] = word(v);
        row.left = hn::Trunc(v);
        row.aboveLeft = edge ? channels(row.above) : b;
    };
    for (int y = first; y < end; y += kRowsTogether) {
        const int rows = end - y < kRowsTogether ? end - y : kRowsTogether;
        Row r[kRowsTogether];
        for (int k = 0; k < rows; ++k) {
            r[k].out = P + size_t(y + k) * size_t(W);
            r[k].above = r[k].out - W;
            r[k].wy0 = wt.row0[y + k], r[k].wy1 = wt.row1[y + k];
            r[k].left = r[k].aboveLeft = hn::Zero(dd);
        }
        if (rows < kRowsTogether || W < kRowsTogether + 1) {  // the general schedule
            for (int step = 0; step < W + rows - 1; ++step)
                for (int k = 0; k < rows; ++k)
                    if (step - k >= 0 && step - k < W) pixel(r[k], step - k, step == k, nullptr);
            continue;
        }
        // Four rows, each a column behind the one above: its start and end staggered, the middle with
        // all four rows at a column >= 1.
        for (int step = 0; step < kRowsTogether - 1; ++step)
            for (int k = 0; k <= step; ++k) pixel(r[k], step - k, step == k, nullptr);
        Row r0 = r[0], r1 = r[1], r2 = r[2], r3 = r[3];
        // Bottom row first: a row's pixel above is then still the row above's last result.
        for (int x = kRowsTogether - 1; x < W; ++x) {
            pixel(r3, x - 3, x - 3 == 0, x - 3 == 0 ? nullptr : &r2.left);
            pixel(r2, x - 2, false, &r1.left);
            pixel(r1, x - 1, false, &r0.left);
            pixel(r0, x, false, nullptr);
        }
        r[0] = r0, r[1] = r1, r[2] = r2, r[3] = r3;
        for (int step = W; step < W + kRowsTogether - 1; ++step)
            for (int k = step - W + 1; k < kRowsTogether; ++k) pixel(r[k], step - k, false, nullptr);
    }
    return true;
}
#else
bool ZoomRows(uint32_t*, int, int, int, const ZoomWeights&) { return false; }
#endif

}  // namespace HWY_NAMESPACE
}  // namespace softshow
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace softshow {
HWY_EXPORT(ZoomRows);
}  // namespace softshow

bool zoomRows(uint32_t* P, int W, int first, int end, const ZoomWeights& weights) {
    return HWY_DYNAMIC_DISPATCH(softshow::ZoomRows)(P, W, first, end, weights);
}
#endif  // HWY_ONCE
