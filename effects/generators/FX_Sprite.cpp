#include "effects/generators/FX_Sprite.h"

#include <algorithm>
#include <cmath>

#include "effects/generators/SineTable.h"
#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"

namespace {

// (S * ws + D * wd) >> 8 per channel, red and blue in one product; the fourth byte becomes 0.
inline uint32_t weigh(uint32_t s, uint32_t d, uint32_t ws, uint32_t wd) {
    return ((((s & 0x00FF00FFu) * ws + (d & 0x00FF00FFu) * wd) >> 8) & 0x00FF00FFu) +
           ((((s & 0x0000FF00u) * ws + (d & 0x0000FF00u) * wd) >> 8) & 0x0000FF00u);
}

// Target weight of the alpha-and-fade blend: min(255, 510 - alpha - min(F, 255)).
inline uint32_t fadeWeight(uint32_t alpha, int64_t fade) {
    return uint32_t(std::min<int64_t>(255, 510 - int64_t(alpha) - std::min<int64_t>(fade, 255)));
}

struct Span {
    int lo, hi;  // [lo, hi) of texture columns or rows that land inside the target
};

// Texture indices 0..n-1 placed at origin + index; those inside 0..limit-1.
inline Span clip(int64_t origin, int n, int limit) {
    const int64_t lo = std::max<int64_t>(0, -origin), hi = std::min<int64_t>(n, int64_t(limit) - origin);
    return {int(std::min<int64_t>(lo, n)), int(std::max<int64_t>(hi, 0))};
}

// Straight modes: texel (c, r) goes to target (x + c, y + r); Op(texel, target word) gives the new word.
template <class Op>
void drawStraight(uint32_t* dst, int W, int limitW, int limitH, const PixelArray& tex, int64_t x, int64_t y, Op op) {
    const int Sw = int(tex.width), Sh = int(tex.height);
    const Span cols = clip(x, Sw, limitW), rows = clip(y, Sh, limitH);
    for (int r = rows.lo; r < rows.hi; ++r) {
        const uint32_t* src = tex.pixels + size_t(r) * size_t(Sw);
        uint32_t* out = dst + size_t(y + r) * size_t(W);
        for (int c = cols.lo; c < cols.hi; ++c) out[x + c] = op(src[c], out[x + c]);
    }
}

// Rotated modes: the Sw x Sh box is walked from its bottom row up and right column leftwards; the
// texture coordinate (10 fraction bits) of target (x + c, y + r) is start - j A + k B, start + j B + k A
// with j rows and k columns walked. Op(u, v, target word) writes the pixel.
template <class Op>
void drawRotated(uint32_t* dst, int W, int H, const PixelArray& tex, int64_t x, int64_t y, int angle, Op op) {
    const int Sw = int(tex.width), Sh = int(tex.height);
    const uint32_t A = uint32_t(sinTable[angle]), B = uint32_t(cosTable[angle]);
    const uint32_t startU = uint32_t(rotationStartU[angle]), startV = uint32_t(rotationStartV[angle]);
    const Span cols = clip(x, Sw, W), rows = clip(y, Sh, H);
    for (int r = rows.lo; r < rows.hi; ++r) {
        const uint32_t j = uint32_t(Sh - 1 - r);
        uint32_t* out = dst + size_t(y + r) * size_t(W);
        for (int c = cols.lo; c < cols.hi; ++c) {
            const uint32_t k = uint32_t(Sw - 1 - c);
            const int32_t U = int32_t(startU - j * A + k * B);
            const int32_t V = int32_t(startV + j * B + k * A);
            op(U >> 10, V >> 10, out[x + c]);
        }
    }
}

}  // namespace

void drawZoomedSprite(uint32_t* dst, int W, int H, const PixelArray& tex, int x, int y, float z, int fade) {
    const int Sw = int(tex.width), Sh = int(tex.height);
    if (Sw <= 0 || Sh <= 0) return;
    const int b = std::min(fade, 255);
    const float fw = float(Sw), fh = float(Sh);
    const float d = float(double(0.1f) * double(z));
    const int64_t x0 = truncToInt(double(x) - double(fw) * 0.5);
    const int64_t y0 = truncToInt(double(y) - double(fh) * 0.5);
    const float H2 = float(double(fh) + double(d));
    const float W2 = float(double(fw) + double(fw) * double(d) / double(fh));
    const float stepV = float(double(fh) / double(H2));
    const float stepU = float(double(fw) / double(W2));
    const int64_t offU = truncToInt(-double(fw) * double(d) / (2.0 * Sh));
    const int64_t offV = truncToInt(-double(d) / 2.0);
    if (!(H2 > 0) || !(W2 > 0)) return;
    const int64_t left = x0 + offU, top = y0 + offV;
    // Only rows and columns that land in the target are drawn; the texture coordinate of the first one
    // is the running sum over the skipped ones. H2 and W2 are far below 2^62 here (finite floats over
    // a positive fh), and the counts are capped by the target anyway.
    const int64_t rowEnd = std::min<int64_t>(int64_t(std::ceil(std::min(double(H2), 1e18))), int64_t(H) - top);
    const int64_t colEnd = std::min<int64_t>(int64_t(std::ceil(std::min(double(W2), 1e18))), int64_t(W) - left);
    const int64_t rowStart = std::max<int64_t>(0, -top), colStart = std::max<int64_t>(0, -left);
    if (rowStart >= rowEnd || colStart >= colEnd) return;
    float v = accumulateSteps(0.0f, stepV, rowStart);
    const float uStart = accumulateSteps(0.0f, stepU, colStart);
    // The texel is (trunc(u), trunc(v)) as the walk gives it; only a read that would leave the texture's
    // storage is pinned to its first or last word.
    const int64_t lastWord = int64_t(Sw) * Sh - 1;
    for (int64_t row = rowStart; row < rowEnd && float(row) < H2; ++row, v += stepV) {
        const int64_t rowWord = int64_t(truncToInt(double(v))) * Sw;
        uint32_t* out = dst + size_t(top + row) * size_t(W);
        float u = uStart;
        for (int64_t col = colStart; col < colEnd && float(col) < W2; ++col, u += stepU) {
            const uint32_t s = tex.pixels[std::clamp<int64_t>(rowWord + truncToInt(double(u)), 0, lastWord)];
            // A fade under 255 darkens; each channel stops at 0.
            const uint32_t r = uint32_t(std::max(0, int(redOf(s)) + b - 255));
            const uint32_t g = uint32_t(std::max(0, int(greenOf(s)) + b - 255));
            const uint32_t bl = uint32_t(std::max(0, int(blueOf(s)) + b - 255));
            out[left + col] = addBytesSaturated(out[left + col], r << 16 | g << 8 | bl);
        }
    }
}

FX_Sprite::FX_Sprite(uint32_t width, uint32_t height, PixelArray* texture, int mode)
    : Effect(width, height), spriteMode(mode) {
    if (!texture) return;
    sourceImage = texture;
    if (mode >= 4 && mode <= 6) loadSineTable(int(texture->width), int(texture->height));
}

void FX_Sprite::update() {
    updateOpacity();
    updatePosition(time);
    updateAngles(time);
}

void FX_Sprite::render() {
    if (!sourceImage || !targetFrame) return;
    const PixelArray& tex = *sourceImage;
    uint32_t* dst = targetFrame->getPixels();
    const int W = int(width), H = int(height);
    const int x = truncToInt(double(position.x)), y = truncToInt(double(position.y));
    const int angle = truncToInt(double(angles.z)) & 255;
    const int F = opacity;
    const int Sw = int(tex.width), Sh = int(tex.height);

    switch (spriteMode) {
        case 0: drawStraight(dst, W, W, H, tex, x, y, [](uint32_t s, uint32_t) { return s; }); break;
        case 2:
            drawStraight(dst, W, std::min(W, 512), std::min(H, 384), tex, x, y,
                         [](uint32_t s, uint32_t d) { return weigh(s, d, s >> 24, 255u - (s >> 24)); });
            break;
        case 3:
            drawStraight(dst, W, W, H, tex, x, y, [F](uint32_t s, uint32_t d) {
                const uint32_t wd = fadeWeight(s >> 24, F);
                return weigh(s, d, 255u - wd, wd);
            });
            break;
        case 4:
        case 5:
        case 6: {
            if (!rotationTablesLoaded) break;
            const uint32_t* t = tex.pixels;
            if (spriteMode == 4)
                drawRotated(dst, W, H, tex, x, y, angle, [=](int u, int v, uint32_t& d) {
                    u = std::clamp(u, 0, Sw);
                    v = std::clamp(v, 0, Sh);
                    if (u != Sw && v != Sh) d = t[size_t(v) * size_t(Sw) + size_t(u)];
                });
            else if (spriteMode == 5)
                drawRotated(dst, W, H, tex, x, y, angle, [=](int u, int v, uint32_t& d) {
                    if (v < 1 || v > Sh - 1 || u < 1 || u > Sw - 1) return;
                    const uint32_t s = t[size_t(v) * size_t(Sw) + size_t(u)];
                    if (s != 0xFF000000u) d = s;
                });
            else
                drawRotated(dst, W, H, tex, x, y, angle, [=](int u, int v, uint32_t& d) {
                    if (v < 1 || v > Sh - 1 || u < 1 || u > Sw - 1) return;
                    const uint32_t s = t[size_t(v) * size_t(Sw) + size_t(u)];
                    if (s == 0xFF000000u) return;
                    const uint32_t wd = fadeWeight(s >> 24, F);
                    d = weigh(s, d, 255u - wd, wd);
                });
            break;
        }
        case 7: drawZoomedSprite(dst, W, H, tex, x, y, position.z, F); break;
        case 8:
        case 9: {
            // Each channel value scaled once per render: trunc(c / 255 * s) adds, trunc(c / 256 * s)
            // subtracts, with s the fade clamped to 0..255 as a float.
            const double s = double(float(std::clamp(F, 0, 255)));
            uint32_t scaled[256];
            for (int c = 0; c < 256; ++c)
                scaled[c] = uint32_t(truncToInt(spriteMode == 8 ? double(c) / 255.0 * s : double(c) * 0.00390625 * s));
            auto scale = [&scaled](uint32_t t) {
                return scaled[redOf(t)] << 16 | scaled[greenOf(t)] << 8 | scaled[blueOf(t)];
            };
            // The scaling is a line through 0: rows go through the SIMD kernels where an exact one exists.
            uint8_t bytes[256];
            for (int c = 0; c < 256; ++c) bytes[c] = uint8_t(scaled[c]);
            ChannelLine line;
            if (fitChannelLine(bytes, s / (spriteMode == 8 ? 255.0 : 256.0), line)) {
                const Span cols = clip(x, Sw, W), rows = clip(y, Sh, H);
                for (int r = rows.lo; r < rows.hi && cols.lo < cols.hi; ++r) {
                    uint32_t* out = dst + size_t(y + r) * size_t(W) + size_t(x + cols.lo);
                    const uint32_t* src = tex.pixels + size_t(r) * size_t(Sw) + size_t(cols.lo);
                    if (spriteMode == 8)
                        addMappedPixels(out, src, cols.hi - cols.lo, line);
                    else
                        subtractMappedPixels(out, src, cols.hi - cols.lo, line);
                }
                break;
            }
            if (spriteMode == 8)
                drawStraight(dst, W, W, H, tex, x, y, [&](uint32_t t, uint32_t d) { return addBytesSaturated(d, scale(t)); });
            else
                drawStraight(dst, W, W, H, tex, x, y,
                             [&](uint32_t t, uint32_t d) { return subtractBytesSaturated(d, scale(t)); });
            break;
        }
        default: break;  // 1 and unknown modes draw nothing
    }
}
