// FX_Invert: every channel becomes its distance from `level`: 255 gives the negative, 0 leaves the
// picture, a middle level solarises. The fourth byte is kept.
#pragma once

#include "timeline/Effect.h"

class FX_Invert : public Effect {
public:
    FX_Invert(uint32_t width, uint32_t height, uint32_t level);

    void update() override { updateOpacity(); }
    void render() override;

    uint32_t level;
};
