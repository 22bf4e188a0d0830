#include "effects/filters/FX_Invert.h"

#include <algorithm>
#include <cstdlib>

FX_Invert::FX_Invert(uint32_t width, uint32_t height, uint32_t l) : Effect(width, height), level(l) {}

void FX_Invert::render() {
    // One table per render: |level - c| as a 32-bit signed difference (level 0xFFFFFFFF is -1, so c becomes
    // c + 1), limited to 255, for every byte value c.
    uint32_t table[256];
    for (int c = 0; c < 256; ++c) {
        const int32_t difference = int32_t(level - uint32_t(c));
        table[c] = uint32_t(std::min<int64_t>(255, std::llabs(int64_t(difference))));
    }
    uint32_t* p = targetFrame->getPixels();
    for (uint32_t i = 0; i < size; ++i) {
        const uint32_t w = p[i];
        p[i] = (w & 0xFF000000u) | table[w >> 16 & 255] << 16 | table[w >> 8 & 255] << 8 | table[w & 255];
    }
}
