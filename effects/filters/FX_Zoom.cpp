#include "effects/filters/FX_Zoom.h"

#include "pixel/Numeric.h"
#include "simd/ZoomKernels.h"

namespace {

using Tap = FX_Zoom::Tap;

// Where pixel x (or y) of a side of n samples reads from: sources s0, s1 with weights w0, w1.
Tap tap(int x, int n) {
    const double scale = double(n - 1) / n;
    const float f = float(x * scale);
    const int i = truncToInt(f);
    const float a = float(double(f) - i);
    const float w = float(1.0 - a);
    return {i % n, truncToInt(double(f) + 1.0) % n, w, 1.0 - double(w)};
}

inline uint32_t mix(uint32_t A, uint32_t B, uint32_t C, uint32_t D, const Tap& tx, const Tap& ty) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double a = A >> shift & 255, b = B >> shift & 255, c = C >> shift & 255, d = D >> shift & 255;
        const double v = a * tx.w0 * ty.w0 + b * tx.w1 * ty.w0 + c * tx.w0 * ty.w1 + d * tx.w1 * ty.w1;
        out |= uint32_t(truncToInt(v)) << shift;
    }
    return out;
}

}  // namespace

FX_Zoom::FX_Zoom(uint32_t width, uint32_t height, int) : Effect(width, height) {
    blendMode = -1;
    for (uint32_t x = 0; x < width; ++x) columns.push_back(tap(int(x), int(width)));
    for (uint32_t y = 0; y < height; ++y) rows.push_back(tap(int(y), int(height)));
    auto split = [&](const std::vector<Tap>& taps, std::vector<double>& w0, std::vector<double>& w1) {
        for (size_t i = 0; i < taps.size(); ++i) {
            w0.push_back(double(taps[i].w0)), w1.push_back(taps[i].w1);
            const bool neighbours = i == 0 ? taps[i].s0 == 0 && (taps.size() < 2 || taps[i].s1 == 1)
                                           : taps[i].s0 == int(i) - 1 && taps[i].s1 == int(i);
            neighbourTaps = neighbourTaps && neighbours;
        }
    };
    split(columns, column0, column1);
    split(rows, row0, row1);
    neighbourTaps = neighbourTaps && width >= 2 && height >= 2;
}

// Contract: the result is that of a column-by-column walk in place. Rows in memory order read the same
// values, because the only samples whose state differs between the two orders (column 1 for x = 0, row 1
// for y = 0) carry weight 0.
void FX_Zoom::render() {
    uint32_t* P = targetFrame->getPixels();
    const int W = int(width), H = int(height);
    auto walkRow = [&](int y) {
        const Tap& ty = rows[size_t(y)];
        const uint32_t* r0 = P + size_t(ty.s0) * size_t(W);
        const uint32_t* r1 = P + size_t(ty.s1) * size_t(W);
        uint32_t* out = P + size_t(y) * size_t(W);
        for (int x = 0; x < W; ++x) {
            const Tap& tx = columns[size_t(x)];
            out[x] = mix(r0[tx.s0], r0[tx.s1], r1[tx.s0], r1[tx.s1], tx, ty);
        }
    };
    if (H == 0) return;
    // The first row reads itself and the second (with weight 0): it is walked. The rest go to lanes
    // where the taps allow.
    walkRow(0);
    if (neighbourTaps && zoomRows(P, W, 1, H, {column0.data(), column1.data(), row0.data(), row1.data()})) return;
    for (int y = 1; y < H; ++y) walkRow(y);
}

namespace reference {

void zoomSmear(uint32_t* P, int W, int H) {
    for (int x = 0; x < W; ++x) {
        const Tap tx = tap(x, W);
        for (int y = 0; y < H; ++y) {
            const Tap ty = tap(y, H);
            P[y * W + x] = mix(P[ty.s0 * W + tx.s0], P[ty.s0 * W + tx.s1], P[ty.s1 * W + tx.s0], P[ty.s1 * W + tx.s1], tx, ty);
        }
    }
}

}  // namespace reference
