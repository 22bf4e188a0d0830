// FX_FillColor: covers the frame with the effect's colour (blend mode 0), adds it to every pixel with
// per-byte saturation (1) or subtracts it (2); any other mode draws nothing. The colour moves along its
// colour segments: backgrounds, flashes (adding white) and fades.
#pragma once

#include "timeline/Effect.h"

class FX_FillColor : public Effect {
public:
    FX_FillColor(uint32_t width, uint32_t height, int mode);

    void update() override;  // opacity, then the colour segments at `time`
    void render() override;
};
