#include "timeline/Timeline.h"

#include <ctime>

#include "pixel/Numeric.h"
#include "pixel/Random.h"
#include "scene3d/DepthBuffer.h"

Timeline::Timeline() : Timeline(uint32_t(std::time(nullptr))) {}

Timeline::Timeline(uint32_t seed, Counter counter, int64_t frequency) : FrameTimer(counter, frequency) {
    showSrand(seed);
}

void Timeline::setFrameSize(uint32_t width, uint32_t height) {
    frame.create(width, height);
    frame.fill(0x000000FFu);
}

void Timeline::addEffect(Effect* effect) {
    effects.push_back(effect);
    if (effect->layerMode == 0) {
        addLayer();
        effect->layerIndex = int(layers.size()) - 1;
    }
}

void Timeline::clearEffects() {
    effects.clear();
    layers.clear();
}

void Timeline::addLayer() { layers.push_back(std::make_unique<PixelArray>(kFrameWidth, kFrameHeight)); }

Effect* Timeline::getEffect(int i) const {
    return i >= 0 && i < int(effects.size()) ? effects[size_t(i)] : nullptr;
}

PixelArray* Timeline::getLayer(int i) const {
    return i >= 0 && i < int(layers.size()) ? layers[size_t(i)].get() : nullptr;
}

void Timeline::setLayer(int i, std::unique_ptr<PixelArray> layer) {
    if (i >= 0 && i < int(layers.size())) layers[size_t(i)] = std::move(layer);
}

void Timeline::saveLayer(int i, const PixelArray& source) {
    if (PixelArray* layer = getLayer(i)) layer->copyFrom(source);
}

PixelArray& Timeline::renderFrame(float t) {
    update();
    float showTime;
    if (externalTime) {
        setTime(t);
        showTime = t;
    } else {
        showTime = time + startOffset;
    }

    if (spectrum) spectrum->fetchSpectrum(showTime, rawSpectrum);
    clearDepth();

    for (Effect* effect : effects) {
        if (!effect->isActive(showTime)) continue;
        effect->update();
        effect->setTarget(&frame);
        if (PixelArray* layer = getLayer(effect->layerIndex)) {
            if (effect->layerMode == 0)
                layer->copyFrom(frame);
            else if (effect->layerMode == 1)
                effect->loadLayer(layer);
        }
        effect->render();
    }
    return frame;
}
