#include "effects/filters/FX_Mosaic.h"

#include <algorithm>
#include <vector>

FX_Mosaic::FX_Mosaic(uint32_t width, uint32_t height, int b) : Effect(width, height), blockSize(b) {}

void FX_Mosaic::render() { mosaic(targetFrame->getPixels(), int(width), int(height), blockSize); }

// Band by band (mosaicBands, compiled for every SIMD target): the channels of each column are summed
// down the band's rows first, then each block adds its columns' sums. Integer sums in any order are the
// same sums.
void mosaic(uint32_t* P, int W, int H, int n) {
    n = std::max(n, 1);
    // Kept between frames: three planes of one entry a column and a row of means, and 16-bit sums of each
    // byte of a row.
    static thread_local std::vector<uint32_t> sums;
    static thread_local std::vector<uint16_t> narrow;
    if (sums.size() < 4 * size_t(W)) sums.resize(4 * size_t(W)), narrow.resize(4 * size_t(W) + 64);
    mosaicBands(P, W, H, n, sums.data(), narrow.data());
}

namespace reference {
void mosaic(uint32_t* P, int W, int H, int n) {
    n = std::max(n, 1);
    for (int y0 = 0; y0 < H; y0 += n)
        for (int x0 = 0; x0 < W; x0 += n) {
            const int y1 = std::min(y0 + n, H), x1 = std::min(x0 + n, W);
            uint64_t r = 0, g = 0, b = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const uint32_t p = P[size_t(y) * size_t(W) + size_t(x)];
                    r += p >> 16 & 255, g += p >> 8 & 255, b += p & 255;
                }
            const uint64_t count = uint64_t(y1 - y0) * uint64_t(x1 - x0);
            const uint32_t mean = uint32_t(r / count) << 16 | uint32_t(g / count) << 8 | uint32_t(b / count);
            for (int y = y0; y < y1; ++y) std::fill_n(P + size_t(y) * size_t(W) + size_t(x0), x1 - x0, mean);
        }
}
}  // namespace reference
