#include "pixel/Color.h"

#include "pixel/Numeric.h"

void Color::setPacked(uint32_t pixel) {
    r = float(double((pixel >> 16) & 255u) / 255.0);
    g = float(double((pixel >> 8) & 255u) / 255.0);
    b = float(double(pixel & 255u) / 255.0);
    packed = pixel;
}

uint32_t Color::toPixel() const {
    const uint32_t cr = uint32_t(truncToInt(double(r) * 255.0));
    const uint32_t cg = uint32_t(truncToInt(double(g) * 255.0));
    const uint32_t cb = uint32_t(truncToInt(double(b) * 255.0));
    return (cr << 16) | (cg << 8) | cb;
}
