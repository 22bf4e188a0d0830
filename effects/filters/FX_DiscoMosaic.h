// FX_DiscoMosaic: a mosaic of the library that draws nothing.
#pragma once

#include "timeline/Effect.h"

class FX_DiscoMosaic : public Effect {
public:
    FX_DiscoMosaic(uint32_t width, uint32_t height) : Effect(width, height) {}

    void update() override {}
    void render() override {}
};
