// FX_Metaballs2D: a grey metaball field added to the frame: up to 32 centres on Lissajous-like paths
// round the middle; each pixel brightens by trunc(196607 x the sum of inverse squared distances),
// clamped to 0..255 (255 exactly on a centre). ballCount is clamped to 0..32.
#pragma once

#include "timeline/Effect.h"

class FX_Metaballs2D : public Effect {
public:
    FX_Metaballs2D(uint32_t width, uint32_t height, int ballCount);

    void update() override { updateOpacity(); }
    void render() override;

    int ballCount;
};
