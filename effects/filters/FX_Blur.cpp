#include "effects/filters/FX_Blur.h"

#include <algorithm>
#include <vector>

FX_Blur::FX_Blur(uint32_t width, uint32_t height, int r) : Effect(width, height), blurRadius(r) {
    const size_t span = size_t(2 * std::max(r, 0) + 1);
    const size_t longest = std::max(width, height);
    columnRed.reset(new int32_t[longest]);
    columnGreen.reset(new int32_t[longest]);
    columnBlue.reset(new int32_t[longest]);
    divider = windowDivider(int(span));
    // Buffers are made once: the column passes' when an exact divider exists, the table pass's otherwise.
    if (divider.multiplier != 0) {
        transposed.reset(new uint32_t[size]);
        horizontal.reset(new uint32_t[size + size_t(kRowPadding) * height]);
        return;
    }
    divideTable.reset(new int32_t[256 * span]);
    for (size_t i = 0; i < 256 * span; ++i) divideTable[i] = int32_t(i / span);
    sumRed.reset(new int32_t[size]);
    sumGreen.reset(new int32_t[size]);
    sumBlue.reset(new int32_t[size]);
    upperIndex.reset(new int32_t[longest]);
    lowerIndex.reset(new int32_t[longest]);
}

WindowDivider windowDivider(int span) {
    const uint64_t largest = 255u * uint64_t(span);
    for (int shift = 31; shift >= 8; --shift) {
        const uint64_t m = ((uint64_t(1) << shift) + uint64_t(span) - 1) / uint64_t(span);  // ceil(2^shift / span)
        if (largest * m >= (uint64_t(1) << 32)) continue;
        const WindowDivider d{uint32_t(m), shift};
        bool exact = true;
        for (uint32_t sum = 0; sum <= largest && exact; ++sum) exact = d(sum) == sum / uint32_t(span);
        if (exact) return d;
    }
    return {};
}

void FX_Blur::render() { boxBlur(targetFrame->getPixels(), targetFrame->getPixels(), int(width), int(height), blurRadius); }

void FX_Blur::boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r) {
    if (r < 1 || W < 1 || H < 1) return;
    // The buffers hold the effect's own size; a larger call is refused rather than overrun.
    if (W > int(width) || H > int(height) || size_t(W) * size_t(H) > size) return;
    if (horizontal) {
        // Rows: the columns of the transposed frame (H wide, W high), blurred into dst (free once src
        // is transposed, even when the two are one buffer) and transposed back.
        const int stride = W + kRowPadding;
        transposeWords(src, transposed.get(), W, H, H);
        boxBlurColumns(transposed.get(), H, dst, H, W, r, columnRed.get(), columnGreen.get(), columnBlue.get(), divider);
        transposeWords(dst, horizontal.get(), H, W, stride);
        boxBlurColumns(horizontal.get(), stride, dst, W, H, r, columnRed.get(), columnGreen.get(), columnBlue.get(), divider);
        return;
    }
    const int wm = W - 1, hm = H - 1;
    const int32_t* dv = divideTable.get();
    auto red = [](uint32_t p) { return int32_t(p >> 16 & 255); };
    auto green = [](uint32_t p) { return int32_t(p >> 8 & 255); };
    auto blue = [](uint32_t p) { return int32_t(p & 255); };

    size_t i = 0;
    for (int y = 0; y < H; ++y) {
        const uint32_t* row = src + size_t(y) * size_t(W);
        int32_t sr = 0, sg = 0, sb = 0;
        for (int k = -r; k <= r; ++k) {
            const uint32_t p = row[std::min(wm, std::max(k, 0))];
            sr += red(p), sg += green(p), sb += blue(p);
        }
        for (int x = 0; x < W; ++x, ++i) {
            sumRed[i] = dv[sr], sumGreen[i] = dv[sg], sumBlue[i] = dv[sb];
            if (y == 0) upperIndex[x] = std::min(x + r + 1, wm), lowerIndex[x] = std::max(x - r, 0);
            const uint32_t in = row[upperIndex[x]], out = row[lowerIndex[x]];
            sr += red(in) - red(out), sg += green(in) - green(out), sb += blue(in) - blue(out);
        }
    }
    // The vertical pass keeps one running sum per column and walks the rows in memory order; each
    // column's sums are exactly those of a column-by-column walk.
    int32_t* cr = columnRed.get();
    int32_t* cg = columnGreen.get();
    int32_t* cb = columnBlue.get();
    for (int x = 0; x < W; ++x) cr[x] = cg[x] = cb[x] = 0;
    for (int k = -r; k <= r; ++k) {
        const size_t row = size_t(std::min(hm, std::max(0, k))) * size_t(W);
        for (int x = 0; x < W; ++x) cr[x] += sumRed[row + size_t(x)], cg[x] += sumGreen[row + size_t(x)], cb[x] += sumBlue[row + size_t(x)];
    }
    for (int y = 0; y < H; ++y) {
        upperIndex[y] = std::min(y + r + 1, hm) * W, lowerIndex[y] = std::max(y - r, 0) * W;
        uint32_t* out = dst + size_t(y) * size_t(W);
        const int32_t *inR = &sumRed[size_t(upperIndex[y])], *inG = &sumGreen[size_t(upperIndex[y])], *inB = &sumBlue[size_t(upperIndex[y])];
        const int32_t *outR = &sumRed[size_t(lowerIndex[y])], *outG = &sumGreen[size_t(lowerIndex[y])], *outB = &sumBlue[size_t(lowerIndex[y])];
        for (int x = 0; x < W; ++x) {
            out[x] = 0xFF000000u | uint32_t(dv[cr[x]]) << 16 | uint32_t(dv[cg[x]]) << 8 | uint32_t(dv[cb[x]]);
            cr[x] += inR[x] - outR[x], cg[x] += inG[x] - outG[x], cb[x] += inB[x] - outB[x];
        }
    }
}

namespace reference {

void boxBlur(const uint32_t* src, uint32_t* dst, int W, int H, int r) {
    if (r < 1 || W < 1 || H < 1) return;
    const int span = 2 * r + 1;
    std::vector<int32_t> h(size_t(W) * size_t(H) * 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += int32_t(src[size_t(y) * size_t(W) + size_t(std::clamp(x + k, 0, W - 1))] >> (16 - 8 * c) & 255);
                h[(size_t(y) * size_t(W) + size_t(x)) * 3 + size_t(c)] = sum / span;
            }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint32_t out = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += h[(size_t(std::clamp(y + k, 0, H - 1)) * size_t(W) + size_t(x)) * 3 + size_t(c)];
                out |= uint32_t(sum / span) << (16 - 8 * c);
            }
            dst[size_t(y) * size_t(W) + size_t(x)] = out;
        }
}

}  // namespace reference
