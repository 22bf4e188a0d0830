#include "effects/filters/FX_FrameBuffer.h"

#include "pixel/PixelOps.h"

FX_FrameBuffer::FX_FrameBuffer(uint32_t width, uint32_t height, int mode, int index) : Effect(width, height) {
    layerMode = mode;
    if (mode == 1) layerIndex = index;
}

void FX_FrameBuffer::render() {
    if (layerMode != 1) return;
    uint32_t* dst = targetFrame->getPixels();
    const int n = int(size);
    switch (blendMode) {
        case 0: copyPixels(dst, layerCopy.get(), n); break;
        case 1: addPixelsSaturated(dst, layerCopy.get(), n); break;
        case 2: subtractPixelsSaturated(dst, layerCopy.get(), n); break;
        default: break;
    }
}
