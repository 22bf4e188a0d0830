#include "effects/filters/FX_Invert.h"

#include "pixel/PixelOps.h"

#include <algorithm>
#include <cstdlib>

FX_Invert::FX_Invert(uint32_t width, uint32_t height, uint32_t l) : Effect(width, height), level(l) {}

void FX_Invert::render() {
    uint32_t* p = targetFrame->getPixels();
    // Levels 0..255 are a byte distance, done in SIMD lanes.
    if (level <= 255) {
        distanceFromLevel(p, int(size), uint8_t(level));
        return;
    }
    // Any other level: |level - c| as a 32-bit signed difference (level 0xFFFFFFFF is -1, so c becomes
    // c + 1), limited to 255, for every byte value c.
    uint8_t table[256];
    for (int c = 0; c < 256; ++c) {
        const int32_t difference = int32_t(level - uint32_t(c));
        table[c] = uint8_t(std::min<int64_t>(255, std::llabs(int64_t(difference))));
    }
    reference::mapChannels(p, int(size), table, true);
}
