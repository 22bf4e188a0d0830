#include "effects/generators/FX_Metaballs2D.h"

#include <algorithm>
#include <cmath>

#include "pixel/Numeric.h"
#include "pixel/PixelOps.h"
#include "pixel/Vector.h"

FX_Metaballs2D::FX_Metaballs2D(uint32_t width, uint32_t height, int count)
    : Effect(width, height), ballCount(std::clamp(count, 0, 32)) {}

void FX_Metaballs2D::render() {
    const int balls = std::clamp(ballCount, 0, 32);
    if (balls == 0) return;
    const double t = time;
    const int cx = int(width / 2), cy = int(height / 2);
    Vector2 centres[32];
    for (int k = 0; k < balls; ++k) {
        const double a = (k + 1) * t;
        centres[k] = {float(std::sin(t + 0.35 * k) * std::sin(0.1 * a) * 130 + cx),
                      float(std::cos(0.23 * k + t) * std::cos(0.15 * a) * 130 + cy)};
    }
    uint32_t* p = targetFrame->getPixels();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            float f = 0.0f;
            for (int k = 0; k < balls; ++k) {
                const double dy = double(y) - centres[k].y, dx = double(x) - centres[k].x;
                f = float(f + 1.0 / (dy * dy + dx * dx));
            }
            const int v = std::isfinite(f) ? std::clamp(truncToInt(double(f) * 196607.0), 0, 255) : 255;
            const size_t i = size_t(y) * width + x;
            p[i] = addBytesSaturated(p[i], uint32_t(v) * 0x010101u);
        }
}
