#include "effects/generators/FX_Fractal.h"

#include <cmath>

double zoomX = -1.0;
double zoomY = -1.0;
uint32_t fractalPalette[256];

namespace {
constexpr double kCentreX = -0.735245001047738, kCentreY = -0.1969452235178;
inline uint32_t rgb(int r, int g, int b) { return uint32_t(r & 255) << 16 | uint32_t(g & 255) << 8 | uint32_t(b & 255); }
}  // namespace

void buildFractalPalette() {
    for (int k = 0; k < 64; ++k) {
        fractalPalette[k] = rgb(0x22 + 2 * k, 0x33 + 2 * k, 0x77 + 2 * k);
        fractalPalette[64 + k] = rgb(0xA0, 0xA0 - 2 * k, 126 - k);
        fractalPalette[128 + k] = rgb(0xA0 + k, 0x22 + 3 * k, 63 + 3 * k);
        fractalPalette[192 + k] = rgb(0xDF - 3 * k, 0xDF - 3 * k, 252 - 4 * k);
    }
}

int FX_Fractal::iterate(double cx, double cy) {
    if (cx >= 4.0) return 0;
    double zr = cx, zi = cy;
    for (int n = 0;;) {
        if (n >= 192) return 192;
        ++n;
        const double r = zr * zr - zi * zi + cx;
        zi = 2.0 * zr * zi + cy;
        zr = r;
        const double m = zr * zr + zi * zi;
        if (!(m < 4.0)) return n;  // escaped, or no longer a number
    }
}

void FX_Fractal::render() {
    zoomX *= 0.85;
    zoomY *= 0.85;
    const double xs = kCentreX - zoomX, ys = kCentreY - zoomY;
    const double dx = 2.0 * zoomX / width, dy = 2.0 * zoomY / height;
    buildFractalPalette();
    for (uint32_t px = 0; px < width; ++px)
        for (uint32_t py = 0; py < height; ++py) {
            const int n = iterate(xs + px * dx, ys + py * dy);
            const size_t word = size_t(py) * 512 + px;
            if (n != 0 && px < 512 && word < size) pixels[word] = fractalPalette[n];
        }
    if (98559 < size) pixels[98559] = 0x00FFFFFF;  // the centre mark
}
