// Runs an effect as the timeline would, on a frame of the test's own.
#pragma once

#include "pixel/PixelArray.h"
#include "timeline/Effect.h"

inline void renderAt(Effect& fx, PixelArray& frame, float t) {
    fx.setTimeWindow(-1000.0f, 1000.0f);
    fx.isActive(t);
    fx.update();
    fx.setTarget(&frame);
    fx.render();
}

// Every word set to a distinct, position-derived value (fourth byte included).
inline void fillPattern(PixelArray& frame, uint32_t seed = 0x9E3779B9u) {
    for (uint32_t i = 0; i < frame.size; ++i) frame.pixels[i] = (i + 1) * seed;
}
