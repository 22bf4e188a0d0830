#include "effects/generators/FX_ShowBuffer.h"

#include <algorithm>

#include "pixel/PixelOps.h"

FX_ShowBuffer::FX_ShowBuffer(uint32_t width, uint32_t height, const Effect* s, int mode)
    : Effect(width, height), source(s) {
    blendMode = mode;
}

void FX_ShowBuffer::render() {
    if (!source) return;
    const int n = int(std::min({size, source->size, targetFrame->size}));
    uint32_t* dst = targetFrame->getPixels();
    switch (blendMode) {
        case 0: copyPixels(dst, source->pixels, n); break;
        case 1: addPixelsSaturated(dst, source->pixels, n); break;
        case 2: subtractPixelsSaturated(dst, source->pixels, n); break;
        default: break;
    }
}
