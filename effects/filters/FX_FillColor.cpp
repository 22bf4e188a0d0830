#include "effects/filters/FX_FillColor.h"

#include "pixel/PixelOps.h"

FX_FillColor::FX_FillColor(uint32_t width, uint32_t height, int mode) : Effect(width, height) {
    blendMode = mode;
}

void FX_FillColor::update() {
    updateOpacity();
    applySegments(colorSegments, time, [&](const Color& c) { set(c); });
}

void FX_FillColor::render() {
    uint32_t* dst = targetFrame->getPixels();
    const int n = int(size);  // the target has the effect's size
    const uint32_t c = toPixel();
    switch (blendMode) {
        case 0: fillPixels(dst, n, c); break;
        case 1: addColorSaturated(dst, n, c); break;
        case 2: subtractColorSaturated(dst, n, c); break;
        default: break;
    }
}
