#include "timeline/Effect.h"

#include <algorithm>

#include "pixel/ImageList.h"
#include "pixel/Numeric.h"

Effect::Effect(uint32_t w, uint32_t h) : PixelArray(w, h), layerCopy(allocateWords(w, h)) {}

Effect::~Effect() = default;

bool Effect::isActive(float t) {
    time = t;
    return startTime <= t && t < endTime;
}

void Effect::loadLayer(const PixelArray* layer) {
    // Layers are always 512 x 384; a smaller effect or layer would make this copy run past a buffer.
    if (size < kFrameWords || layer->size < kFrameWords) return;
    std::copy_n(layer->pixels, kFrameWords, layerCopy.get());
}

void Effect::updateOpacity() {
    applySegments(opacitySegments, time, [&](int v) { opacity = v; });
}

uint32_t* Effect::addImage(const std::string& path) {
    ownedImages.push_back(std::make_unique<PixelArray>());
    ++ownedImageCount;
    return loadImage(*ownedImages.back(), path);
}
