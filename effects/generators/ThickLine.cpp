#include "effects/generators/ThickLine.h"

#include <algorithm>
#include <cstdlib>

#include "pixel/Numeric.h"

namespace {

int clampX(int x, int penW) {
    int64_t v = std::max(x, 0);
    if (v + penW >= 511) v = 511 - int64_t(penW);
    return int(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

int clampY(int y, int penH) {
    int64_t v = std::max(y, 0);
    if (v + penH >= 383) v = 384 - int64_t(penH);
    return int(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

// The pen's pixels at (x, y), clipped to the target before the loops.
inline void stamp(uint32_t* pixels, int64_t x, int64_t y, uint32_t colour, int W, int H, int penW, int penH) {
    const int64_t a0 = std::max<int64_t>(0, -x), a1 = std::min<int64_t>(penW, int64_t(W) - x);
    const int64_t b0 = std::max<int64_t>(0, -y), b1 = std::min<int64_t>(penH, int64_t(H) - y);
    for (int64_t b = b0; b < b1; ++b)
        for (int64_t a = a0; a < a1; ++a) pixels[(y + b) * W + x + a] = colour;
}

// Stamps along a row or a column, all of one colour, cover one rectangle: columns x0 .. x1 - 1 and rows
// y0 .. y1 - 1, clipped to the target.
void fillRectangle(uint32_t* pixels, int64_t x0, int64_t x1, int64_t y0, int64_t y1, uint32_t colour, int W, int H) {
    x0 = std::max<int64_t>(x0, 0), x1 = std::min<int64_t>(x1, W);
    y0 = std::max<int64_t>(y0, 0), y1 = std::min<int64_t>(y1, H);
    for (int64_t y = y0; y < y1 && x0 < x1; ++y) std::fill(pixels + y * W + x0, pixels + y * W + x1, colour);
}

}  // namespace

void drawThickLine(uint32_t* pixels, int x0, int y0, int x1, int y1, uint32_t colour, int W, int H, int penW,
                   int penH) {
    x0 = clampX(x0, penW);
    x1 = clampX(x1, penW);
    y0 = clampY(y0, penH);
    y1 = clampY(y1, penH);
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    // Zero denominators give infinite slopes and 0 / 0 gives NaN, which fail both range tests below.
    float kY = float(dy) / float(dx);
    float kX = float(dx) / float(dy);
    int sx = 1, sy = 1;
    if (x1 < x0) sx = -1, kX = -kX;
    if (y1 < y0) sy = -1, kY = -kY;

    // A horizontal or vertical line: its stamps (the error term stays 0) are one rectangle.
    if (dy == 0 && dx > 0) {
        const int64_t first = sx > 0 ? x0 : int64_t(x0) - dx + 1;
        fillRectangle(pixels, first, first + dx - 1 + penW, y0, int64_t(y0) + penH, colour, W, H);
        return;
    }
    if (dx == 0 && dy > 0) {
        const int64_t first = sy > 0 ? y0 : int64_t(y0) - dy + 1;
        fillRectangle(pixels, x0, int64_t(x0) + penW, first, first + dy - 1 + penH, colour, W, H);
        return;
    }
    if (kY >= -1.0f && kY <= 1.0f && dx > 0) {
        float e = 0.0f;
        int64_t x = x0;
        for (int i = 0; i < dx; ++i, x += sx, e += kY)
            stamp(pixels, x, int64_t(y0) + truncToInt(double(e)), colour, W, H, penW, penH);
    }
    if (kX >= -1.0f && kX <= 1.0f && dy > 0) {
        float e = 0.0f;
        int64_t y = y0;
        for (int i = 0; i < dy; ++i, y += sy, e += kX)
            stamp(pixels, int64_t(x0) + truncToInt(double(e)), y, colour, W, H, penW, penH);
    }
}
