// FX_Contrast: remaps the red, green and blue channels of the whole frame, in place, through one
// 256-entry table: the line through mid-grey (128, 128) with slope 1 / tan(contrast), clipped to 0..255.
// Angles below pi/4 raise the contrast (0 is a hard threshold at 128), above it lower it. The fourth byte
// of every word becomes 0.
#pragma once

#include <cstdint>

#include "pixel/PixelOps.h"
#include "timeline/Effect.h"

class FX_Contrast : public Effect {
public:
    FX_Contrast(uint32_t width, uint32_t height);

    void update() override;  // opacity only; not used
    void render() override;

private:
    // The table and its line, made again only when the angle's bits change.
    uint32_t madeForBits = 0;
    bool made = false, lineFits = false;
    uint8_t table[256] = {};
    ChannelLine line;
};

// The table for an angle: f = tan(angle) as float, hi = trunc(128 f + 128), lo = trunc(128 - 128 f);
// T[i] = 255 from hi up, 0 up to lo, trunc((i - 128) / f + 128) as a byte in between.
void buildContrastTable(float angle, uint8_t table[256]);
