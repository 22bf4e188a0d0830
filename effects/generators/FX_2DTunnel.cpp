#include "effects/generators/FX_2DTunnel.h"

#include <cmath>

#include "pixel/Numeric.h"

FX_2DTunnel::FX_2DTunnel(uint32_t width, uint32_t height)
    : Effect(width, height), angleTable(new uint8_t[size]()), depthTable(new uint8_t[size]()) {
    const int hw = int(width / 2), hh = int(height / 2);
    for (int y = -hh; y < hh; ++y)
        for (int x = -hw; x < hw; ++x) {
            const size_t i = size_t(y + hh) * width + size_t(x + hw);
            const float angle = float(std::atan2(double(y), double(x)));
            angleTable[i] = uint8_t(truncToInt(double(angle) * 40.7436637878418));
            const double distance = std::trunc(std::sqrt(double(x) * x + double(y) * y));
            depthTable[i] = uint8_t(truncToInt(std::pow(distance * 262144.0, 0.1) * 64.0));
        }
}

void FX_2DTunnel::render() {
    if (!sourceImage || sourceImage->width < 256 || sourceImage->height < 256) return;
    const uint32_t* T = sourceImage->getPixels();
    const uint32_t Tw = sourceImage->width;
    for (uint32_t i = 0; i < size; ++i)
        pixels[i] = T[((depthTable[i] + 42u) & 255u) * Tw + ((angleTable[i] - 26u) & 255u)];
}
